// The entry of the history module: the database store and the learning-progress window, made for
// a program that loaded the module at their first use.
#include "history/file/sqlite_history_store.h"
#include "history/history_module.h"
#include "history/server/postgres_history_store.h"
#include "history/server/queued_history_store.h"
#include "history/windows/TForm_Klassenuebersicht.h"
#include "history/windows/TForm_Lernverlauf.h"

namespace {

class LernverlaufViewer : public HistoryViewer {
public:
    LernverlaufViewer(HistoryStore& store, Platform& platform, const QString& dataFolder,
                      QWidget* parent, PracticeRequest practice)
        : window_(store, platform, parent, dataFolder) {
        QObject::connect(&window_, &TForm_Lernverlauf::practiceRequested, &window_,
                         std::move(practice));
    }
    void openFromMainMenu() override { window_.openFromMainMenu(); }
    void openFor(const QString& participant, std::optional<Operation> operation) override {
        window_.openFor(participant, operation);
    }

private:
    TForm_Lernverlauf window_;
};

class KlassenuebersichtWindow : public ClassOverview {
public:
    KlassenuebersichtWindow(HistoryStore& store, Platform& platform, PrinterChoice& printers,
                            const QString& dataFolder, QWidget* parent, HistoryRequest openHistory)
        : window_(store, platform, printers, dataFolder, parent) {
        QObject::connect(&window_, &TForm_Klassenuebersicht::historyRequested, &window_,
                         std::move(openHistory));
    }
    void openFromMainMenu() override { window_.openFromMainMenu(); }
    void close() override { window_.reject(); }

private:
    TForm_Klassenuebersicht window_;
};

std::unique_ptr<HistoryStore> createStore(const QString& path, const QString& server,
                                          const QString& queueFile) {
    if (server.trimmed().isEmpty())
        return std::make_unique<SqliteHistoryStore>(path);
    return std::make_unique<QueuedHistoryStore>(PostgresHistoryStore::factory(server.trimmed()),
                                                queueFile);
}

Outcome transfer(const QString& file, HistoryStore& store, QString& report) {
    auto* server = dynamic_cast<QueuedHistoryStore*>(&store);
    if (!server)
        return Failure{Failure::Kind::Refused,
                       QStringLiteral("In den Einstellungen ist kein Server für den Lernverlauf "
                                      "eingetragen (Lernverlauf=postgresql://...).")};
    int added = 0;
    int present = 0;
    const Outcome error = transferHistory(file, server->remote(), added, present);
    // After a failure, what got across before it is worth knowing; nothing is not.
    if (!error || added + present > 0)
        report = QStringLiteral("%1 Läufe übertragen, %2 waren schon auf dem Server.")
                     .arg(added)
                     .arg(present);
    return error;
}

std::unique_ptr<HistoryViewer> createViewer(HistoryStore& store, Platform& platform,
                                            const QString& dataFolder, QWidget* parent,
                                            PracticeRequest practice) {
    return std::make_unique<LernverlaufViewer>(store, platform, dataFolder, parent,
                                               std::move(practice));
}

std::unique_ptr<ClassOverview> createClassOverview(HistoryStore& store, Platform& platform,
                                                   PrinterChoice& printers,
                                                   const QString& dataFolder, QWidget* parent,
                                                   HistoryRequest openHistory) {
    return std::make_unique<KlassenuebersichtWindow>(store, platform, printers, dataFolder, parent,
                                                     std::move(openHistory));
}

} // namespace

extern "C" Q_DECL_EXPORT const HistoryModule* kalumbrixtorHistoryModule() {
    static const HistoryModule module{createStore, transfer, createViewer, createClassOverview};
    return &module;
}
