#include "appearance/focus_marker.h"
#include "appearance/hilfe.h"
#include "appearance/info.h"
#include "appearance/program_icon.h"
#include "common/data_folder.h"
#include "common/file_access.h"
#include "common/program_settings.h"
#include "competition/TForm_Bestenlisten.h"
#include "competition/TForm_Namensfenster.h"
#include "competition/best_list_file.h"
#include "engine/run_controller.h"
#include "engine/run_state.h"
#include "history/history_module.h"
#include "history/history_recorder.h"
#include "main_window/TForm1.h"
#include "main_window/speech_menu.h"
#include "platform/first_frame.h"
#include "platform/modal_windows.h"
#include "platform/printing.h"
#include "platform/qt_platform.h"
#include "platform/session_bus.h"
#include "platform/speech_module.h"
#include "platform/window_scaling.h"
#include "review/TForm_Aufgaben.h"
#include "review/TForm_Drucken.h"
#include "review/TForm_Ergebnis_Meldung.h"
#include "review/TForm_Ergebnisse.h"
#include "review/run_saving.h"
#include "speech/run_narrator.h"

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTextStream>
#include <QTimer>

#include <memory>

namespace {

// The about box and the help window, which the main window's menu items open.
struct InformationWindows {
    explicit InformationWindows(TForm1* mainWindow) : info(mainWindow), help(mainWindow) {}

    TForm_Info info;
    TForm_Hilfe help;
};

// The windows that only a menu item, a finished run or the competition button opens, in the
// order they are created. None of them shows anything in the main window's first frame.
struct LaterWindows {
    LaterWindows(RunState& state, QtPlatform& platform, PrinterChoice& printers,
                 const QString& dataFolder, TForm1* mainWindow)
        : resultsViewer(platform, printers, dataFolder, mainWindow),
          resultDialog(state, platform, dataFolder, mainWindow),
          taskSetViewer(platform, printers, dataFolder, mainWindow), printOptions(mainWindow),
          nameDialog(platform, mainWindow),
          bestListViewer(platform, printers, dataFolder, mainWindow) {
        mainWindow->attachNameDialog(&nameDialog);
        taskSetViewer.attachPrintOptions(&printOptions);
        mainWindow->attachReviewWindows();
    }

    TForm_Ergebnisse resultsViewer;
    TForm_Ergebnis_Meldung resultDialog;
    TForm_Aufgaben taskSetViewer;
    TForm_Drucken printOptions;
    TForm_Namensfenster nameDialog;
    TForm_Bestenlisten bestListViewer;
};

// The learning history in the data folder, or on the school's server that the settings name. It
// is made at the end of the first run that is recorded, or when the learning-progress window is
// first asked for, so the start of the program loads neither the history module nor a database
// driver.
struct HistoryRecording {
    HistoryRecording(const QString& dataFolder, Platform& platform, QWidget* parent)
        : module(loadHistoryModule(historyModuleFolders(), unavailable)),
          store(module ? module->createStore(path(dataFolder), historyServerSetting(), queueFile())
                       : std::make_unique<UnavailableHistoryStore>(path(dataFolder), unavailable)),
          recorder(*store, platform, parent) {}

    static QString path(const QString& dataFolder) {
        return QDir(dataFolder).filePath(QStringLiteral("Lernverlauf.sqlite"));
    }
    // Runs that wait for the server stay with the user who practised them, on this computer.
    static QString queueFile() {
        return QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation))
            .filePath(QStringLiteral("Lernverlauf-Warteschlange.sqlite"));
    }

    QString unavailable; // why the module could not be loaded
    const HistoryModule* module;
    std::unique_ptr<HistoryStore> store;
    HistoryRecorder recorder;
};

// What the copy of a history file to the server did, for the menu item and the command line.
QString transferMessage(const QString& file, const HistoryStore& store, const HistoryError& error,
                        const QString& report) {
    if (!error)
        return report;
    QString text = QStringLiteral("Der Lernverlauf %1 kann nicht nach %2 übertragen werden:\n%3")
                       .arg(QDir::toNativeSeparators(file), store.location(), *error);
    if (!report.isEmpty())
        text += QStringLiteral("\nBis dahin: %1").arg(report);
    return text;
}

// "--lernverlauf-uebertragen DATEI": copies a school's history file onto the server set in the
// settings, for the day a school moves over; without the option nothing happens.
std::optional<int> transferFromCommandLine(const QStringList& arguments) {
    const QString option = QStringLiteral("--lernverlauf-uebertragen");
    const qsizetype at = arguments.indexOf(option);
    if (at < 0)
        return std::nullopt;
    QTextStream err(stderr);
    if (at + 1 >= arguments.size()) {
        err << QStringLiteral("Nach %1 fehlt die Datei Lernverlauf.sqlite.\n").arg(option);
        return 2;
    }
    QString reason;
    const HistoryModule* module = loadHistoryModule(historyModuleFolders(), reason);
    if (!module) {
        err << reason << '\n';
        return 1;
    }
    const QString server = historyServerSetting();
    const std::unique_ptr<HistoryStore> store =
        module->createStore(QString(), server, HistoryRecording::queueFile());
    QString report;
    const HistoryError error = module->transfer(arguments[at + 1], *store, report);
    const QString message = transferMessage(arguments[at + 1], *store, error, report);
    if (error)
        err << message << '\n';
    else
        QTextStream(stdout) << message << '\n';
    return error ? 1 : 0;
}

// The command line as the system gave it: a folder's name may hold bytes that are not UTF-8,
// which a message must show as they are.
QByteArrayList commandLineBytes(int argc, char* argv[]) {
    QByteArrayList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    return arguments;
}

} // namespace

int main(int argc, char* argv[]) {
    // The menus stay in their windows on every desktop: they are scaled with the window for
    // children, and a desktop's global menu would show them small and far from it. It also
    // spares the start of the program a question to the session bus about that global menu.
    QApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kalumbrixtor"));
    keepSettingsFromBlocking();
    const SessionBusOpener sessionBus;
    installGermanTranslation();
    if (const std::optional<int> transferred = transferFromCommandLine(QApplication::arguments()))
        return *transferred;
    keepModalWindowsInView(app);

    QtPlatform platform;
    RunState state;
    RunController run(state, platform);
    ignoreFileSizeSignal();
    // The data folder is chosen once, here: every window gets it from main.
    const DataFolderChoice chosenFolder =
        chooseDataFolder(commandLineBytes(argc, argv), settingValue(QStringLiteral("Datenordner")),
                         currentFolderBytes(), QDir::homePath());
    const QString dataFolder = chosenFolder.folder;
    QString folderFault = chosenFolder.fault;
    if (const QString reason = folderFault.isEmpty() ? dataFolderFault(dataFolder) : QString();
        !reason.isEmpty())
        folderFault = unusableDataFolderMessage(chosenFolder, reason);
    if (!folderFault.isEmpty()) {
        QApplication::setWindowIcon(programIcon());
        platform.showMessage(nullptr, MessageKind::Warning, MessageButtons::Ok, folderFault,
                             std::nullopt);
        return 2;
    }
    // Every printout goes to the printer chosen last, whichever window chose it.
    PrinterChoice printers;

    // Every window is created once and lives until the program ends. The main window comes
    // first; the others follow right after its first frame, or at their first use if that comes
    // earlier. The items for the about box and the help window are enabled from the start.
    // Reading aloud: the narrator follows every run from the start, and hears each of the run's
    // signals before the windows do, so that a message of the run is read while its box is open
    // and the result before the result dialog opens. The voice, and Qt's speech library with it,
    // is loaded only once reading aloud is on.
    SpeechMenu* speechMenu = nullptr;
    std::optional<SpeechOutput> speech;
    RunNarrator narrator(state, run, [&]() -> Speaker* {
        return speechMenu && speech && speechMenu->readingAloud() ? speech->voice() : nullptr;
    });
    TForm1 mainWindow(state, run, platform);
    scaleStandardWindows(mainWindow.scalePercent());
    FocusMarker::frameFocusInEveryWindow();
    // The best lists are made in the data folder if they are not there yet.
    if (QString failure; !ensureBestListFiles(dataFolder, &failure)) {
        QApplication::setWindowIcon(programIcon());
        platform.showMessage(nullptr, MessageKind::Warning, MessageButtons::Ok,
                             unusableDataFolderMessage(chosenFolder, failure), std::nullopt);
        return 2;
    }
    // What a replace left behind when a program was ended in the middle of it goes once the
    // window is on screen.
    afterFirstFrame(&mainWindow, [&] { removeStaleTemporaryFiles(dataFolder); });
    // A voice that fails is reported once, outside the call that found it.
    speechMenu = mainWindow.speechMenu();
    speech.emplace([&](const QString& reason) {
        speechMenu->voiceUnavailable();
        QTimer::singleShot(0, &mainWindow, [&platform, &mainWindow, reason] {
            platform.showMessage(&mainWindow, MessageKind::Warning, MessageButtons::Ok, reason);
        });
    });
    speech->setRate(speechMenu->rate());
    QObject::connect(speechMenu, &SpeechMenu::rateChanged, &mainWindow,
                     [&](SpeechRate rate) { speech->setRate(rate); });
    QObject::connect(speechMenu, &SpeechMenu::repeatRequested, &narrator, &RunNarrator::repeatTask);

    std::unique_ptr<InformationWindows> information;
    auto informationWindows = [&]() -> InformationWindows& {
        if (!information) {
            information = std::make_unique<InformationWindows>(&mainWindow);
            information->help.setReadingAloud(speechMenu->readingAloud());
        }
        return *information;
    };
    QObject::connect(speechMenu, &SpeechMenu::readingAloudChanged, &mainWindow, [&](bool on) {
        if (on)
            speech->voice();
        if (information)
            information->help.setReadingAloud(on);
    });
    mainWindow.attachInformationWindows([&] { return &informationWindows().info; },
                                        [&] { return &informationWindows().help; });

    std::unique_ptr<LaterWindows> later;
    auto laterWindows = [&]() -> LaterWindows& {
        if (!later)
            later =
                std::make_unique<LaterWindows>(state, platform, printers, dataFolder, &mainWindow);
        return *later;
    };
    QObject::connect(&mainWindow, &TForm1::resultsViewerRequested, &mainWindow,
                     [&] { laterWindows().resultsViewer.openFromMainMenu(); });
    QObject::connect(&mainWindow, &TForm1::bestListViewerRequested, &mainWindow,
                     [&] { laterWindows().bestListViewer.openFromMainMenu(); });
    QObject::connect(&mainWindow, &TForm1::taskSetViewerRequested, &mainWindow,
                     [&] { laterWindows().taskSetViewer.openFromMainMenu(); });
    QObject::connect(&mainWindow, &TForm1::emptyWorksheetRequested, &mainWindow,
                     [&] { laterWindows().taskSetViewer.printEmptyWorksheet(); });
    // The run goes into the history first, then the result dialog and the saves follow; a
    // history that cannot be written changes neither.
    std::unique_ptr<HistoryRecording> history;
    auto historyRecording = [&]() -> HistoryRecording& {
        if (!history)
            history = std::make_unique<HistoryRecording>(dataFolder, platform, &mainWindow);
        return *history;
    };
    recordEndedRuns(
        run, [&] { return mainWindow.historyRecordingOn(); },
        [&]() -> HistoryRecorder& { return historyRecording().recorder; });
    // The learning-progress window and the class overview read the store the recorder writes;
    // each is made at its first use, as they load the database driver (and the chart library).
    std::unique_ptr<HistoryViewer> progress;
    std::unique_ptr<ClassOverview> overview;
    auto historyModule = [&]() -> HistoryRecording* {
        HistoryRecording& recording = historyRecording();
        if (!recording.module) {
            platform.showMessage(&mainWindow, MessageKind::Warning, MessageButtons::Ok,
                                 QStringLiteral("Der Lernverlauf kann nicht gezeigt werden:\n%1")
                                     .arg(recording.unavailable),
                                 std::nullopt);
            return nullptr;
        }
        return &recording;
    };
    auto progressViewer = [&]() -> HistoryViewer* {
        HistoryRecording* recording = historyModule();
        if (recording && !progress)
            progress = recording->module->createViewer(
                *recording->store, platform, dataFolder, &mainWindow,
                [&](const QString& participant, const QString& operation,
                    const QList<OperandPair>& tasks) {
                    // A practice run asked for from a child's row of the class overview: the
                    // overview goes too, so the child sees the main window.
                    if (overview)
                        overview->close();
                    if (const std::optional<Operation> known = operationFromText(operation))
                        run.startPractice(participant, *known, tasks);
                });
        return recording ? progress.get() : nullptr;
    };
    QObject::connect(&mainWindow, &TForm1::historyViewerRequested, &mainWindow, [&] {
        if (HistoryViewer* viewer = progressViewer())
            viewer->openFromMainMenu();
    });
    QObject::connect(&mainWindow, &TForm1::classOverviewRequested, &mainWindow, [&] {
        HistoryRecording* recording = historyModule();
        if (!recording)
            return;
        if (!overview)
            overview = recording->module->createClassOverview(
                *recording->store, platform, printers, dataFolder, &mainWindow,
                [&](const QString& participant, const QString& operation) {
                    if (HistoryViewer* viewer = progressViewer())
                        viewer->openFor(participant, operation);
                });
        overview->openFromMainMenu();
    });
    QObject::connect(&mainWindow, &TForm1::historyTransferRequested, &mainWindow, [&] {
        HistoryRecording* recording = historyModule();
        if (!recording)
            return;
        const std::optional<QString> file = platform.openFileName(
            &mainWindow, {QStringLiteral("Lernverlauf übertragen"), QStringLiteral("sqlite"),
                          QStringLiteral("Lernverlauf.sqlite"),
                          QStringLiteral("Lernverlauf (*.sqlite)"), dataFolder});
        if (!file)
            return;
        QString report;
        const HistoryError error = recording->module->transfer(*file, *recording->store, report);
        platform.showMessage(&mainWindow, error ? MessageKind::Warning : MessageKind::Information,
                             MessageButtons::Ok,
                             transferMessage(*file, *recording->store, error, report));
    });
    QObject::connect(&run, &RunController::runEnded, &mainWindow, [&](const RunResult& result) {
        windUpRun(laterWindows().resultDialog,
                  {platform, &mainWindow, dataFolder, mainWindow.messageAnchor()}, state, result);
    });

    reportFirstFrameIfAsked(&mainWindow);
    // Decoding the icon's images (and loading the image plugins) would delay the first frame;
    // every window, made before or after, takes the icon from the application.
    afterFirstFrame(&mainWindow, [&] {
        QApplication::setWindowIcon(programIcon());
        informationWindows();
        laterWindows();
        if (speechMenu->readingAloud())
            speech->voice();
    });
    mainWindow.showMaximized();
    return app.exec();
}
