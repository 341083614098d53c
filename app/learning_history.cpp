#include "app/learning_history.h"

#include "app/history_transfer.h"
#include "common/data_folder.h"
#include "engine/operation.h"
#include "engine/run_controller.h"
#include "history/history_module.h"
#include "history/history_recorder.h"
#include "main_window/TForm1.h"
#include "main_window/main_menus.h"
#include "platform/platform.h"

#include <QDir>
#include <QFileInfo>

struct LearningHistory::Recording {
    Recording(const QString& dataFolder, Platform& platform, QWidget* parent)
        : module(loadHistoryModule(historyModuleFolders(), unavailable)),
          store(module ? module->createStore(path(dataFolder), historyServerSetting(),
                                             historyQueueFile())
                       : std::make_unique<UnavailableHistoryStore>(path(dataFolder), unavailable)),
          recorder(*store, platform, parent) {}

    static QString path(const QString& dataFolder) {
        return QDir(dataFolder).filePath(QStringLiteral("Lernverlauf.sqlite"));
    }

    QString unavailable; // why the module could not be loaded
    const HistoryModule* module;
    std::unique_ptr<HistoryStore> store;
    HistoryRecorder recorder;
};

LearningHistory::LearningHistory(RunController& run, Platform& platform, PrinterChoice& printers,
                                 const QString& dataFolder, TForm1& mainWindow)
    : run_(run), platform_(platform), printers_(printers), dataFolder_(dataFolder),
      mainWindow_(mainWindow) {}

LearningHistory::~LearningHistory() = default;

LearningHistory::Recording& LearningHistory::recording() {
    if (!recording_)
        recording_ = std::make_unique<Recording>(dataFolder_, platform_, &mainWindow_);
    return *recording_;
}

void LearningHistory::record(const RunResult& result) {
    // The store is made at the first run that is recorded.
    if (mainWindow_.historyRecordingOn())
        recording().recorder.record(result);
}

Result<QList<HistoryRun>> LearningHistory::everyonesRuns(Operation operation) {
    return recording().store->everyonesRuns(operation);
}

void LearningHistory::connect() {
    QObject::connect(&mainWindow_.menus(), &MainMenus::historyViewerRequested, &mainWindow_,
                     [this] {
                         if (HistoryViewer* viewer = progressViewer())
                             viewer->openFromMainMenu();
                     });
    QObject::connect(&mainWindow_.menus(), &MainMenus::classOverviewRequested, &mainWindow_,
                     [this] { openClassOverview(); });
    QObject::connect(&mainWindow_.menus(), &MainMenus::historyTransferRequested, &mainWindow_,
                     [this] { transferFile(); });
}

void LearningHistory::sendWaitingRuns() {
    if (!historyServerSetting().isEmpty() && QFileInfo::exists(historyQueueFile()))
        recording();
}

// The recording, if its module could be loaded; otherwise the user is told why there is none.
LearningHistory::Recording* LearningHistory::withModule() {
    Recording& made = recording();
    if (!made.module) {
        platform_.showMessage(
            &mainWindow_, MessageKind::Warning, MessageButtons::Ok,
            QStringLiteral("Der Lernverlauf kann nicht gezeigt werden:\n%1").arg(made.unavailable),
            std::nullopt);
        return nullptr;
    }
    return &made;
}

HistoryViewer* LearningHistory::progressViewer() {
    Recording* made = withModule();
    if (made && !progress_)
        progress_ =
            made->module->createViewer(*made->store, platform_, dataFolder_, &mainWindow_,
                                       [this](const QString& participant, Operation operation,
                                              const QList<OperandPair>& tasks) {
                                           // A practice run asked for from a child's row of the
                                           // class overview: the overview goes too, so the child
                                           // sees the main window.
                                           if (overview_)
                                               overview_->close();
                                           run_.startPractice(participant, operation, tasks);
                                       });
    return made ? progress_.get() : nullptr;
}

void LearningHistory::openClassOverview() {
    Recording* made = withModule();
    if (!made)
        return;
    if (!overview_)
        overview_ = made->module->createClassOverview(
            *made->store, platform_, printers_, dataFolder_, &mainWindow_,
            [this](const QString& participant, std::optional<Operation> operation) {
                if (HistoryViewer* viewer = progressViewer())
                    viewer->openFor(participant, operation);
            });
    overview_->openFromMainMenu();
}

void LearningHistory::transferFile() {
    Recording* made = withModule();
    if (!made)
        return;
    const std::optional<QString> file = platform_.openFileName(
        &mainWindow_, {QStringLiteral("Lernverlauf übertragen"), QStringLiteral("sqlite"),
                       QStringLiteral("Lernverlauf.sqlite"),
                       QStringLiteral("Lernverlauf (*.sqlite)"), dataFolder_});
    if (!file)
        return;
    QString report;
    const Outcome error = made->module->transfer(*file, *made->store, report);
    platform_.showMessage(&mainWindow_, error ? MessageKind::Warning : MessageKind::Information,
                          MessageButtons::Ok, transferMessage(*file, *made->store, error, report));
}
