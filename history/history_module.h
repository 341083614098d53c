#pragma once

#include "engine/run_state.h"
#include "history/model/history.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class Platform;
class PrinterChoice;
class QWidget;

// The learning-progress window as the program sees it.
class HistoryViewer {
public:
    virtual ~HistoryViewer() = default;
    // Reads the history afresh and shows the window modally.
    virtual void openFromMainMenu() = 0;
    // The same with this child and operation chosen; without an operation the one chosen last.
    virtual void openFor(const QString& participant, std::optional<Operation> operation) = 0;
};

// The class overview as the program sees it.
class ClassOverview {
public:
    virtual ~ClassOverview() = default;
    // Reads every child's history afresh and shows the window modally.
    virtual void openFromMainMenu() = 0;
    // Closes the window, as a practice run is about to start.
    virtual void close() = 0;
};

// What a row of the class overview asks for: that child's learning progress in the operation.
// Without an operation (the child has no runs in the period), the window keeps the one chosen last.
using HistoryRequest =
    std::function<void(const QString& participant, std::optional<Operation> operation)>;

// What "Fehler üben" asks of the main window: a practice run of these tasks for this child.
using PracticeRequest = std::function<void(const QString& participant, Operation operation,
                                           const QList<OperandPair>& tasks)>;

// The history module holds the database store and the learning-progress window. They bring in
// Qt SQL and Qt Charts with its graphics libraries, which the program only loads when a run is
// recorded or the window is opened: the start of the program does not pay for them.
struct HistoryModule {
    // The history file at path, or with server set (the setting "Lernverlauf") the history on
    // that server, whose runs wait in queueFile while it cannot be reached.
    std::unique_ptr<HistoryStore> (*createStore)(const QString& path, const QString& server,
                                                 const QString& queueFile);
    // Copies the history file into store, which must be a server's; report says what was done.
    Outcome (*transfer)(const QString& file, HistoryStore& store, QString& report);
    std::unique_ptr<HistoryViewer> (*createViewer)(HistoryStore& store, Platform& platform,
                                                   const QString& dataFolder, QWidget* parent,
                                                   PracticeRequest practice);
    std::unique_ptr<ClassOverview> (*createClassOverview)(HistoryStore& store, Platform& platform,
                                                          PrinterChoice& printers,
                                                          const QString& dataFolder,
                                                          QWidget* parent,
                                                          HistoryRequest openHistory);
};

// The module's file name, and the folders the program looks for it in (those of every module).
inline const QString historyModuleFileName = QStringLiteral("libkalumbrixtor-lernverlauf.so");
QStringList historyModuleFolders();

// Loads the module from the first of the folders that has it, once; it stays loaded until the
// program ends. Without it: nullptr, and reason says why in German.
const HistoryModule* loadHistoryModule(const QStringList& folders, QString& reason);

// A history that cannot be reached: every call reports the reason, so the program tells the child
// once and goes on without recording, as it does for a damaged file.
class UnavailableHistoryStore : public HistoryStore {
public:
    UnavailableHistoryStore(const QString& path, const QString& reason)
        : path_(path), reason_(reason) {}
    QString location() const override;
    Outcome record(const HistoryRun&) override { return failure(); }
    Result<QStringList> participants() override { return failure(); }
    Result<QList<HistoryRun>> runs(const QString&, std::optional<Operation>) override {
        return failure();
    }
    Result<QList<HistoryRun>> everyonesRuns(std::optional<Operation>) override { return failure(); }

private:
    // The module is missing or cannot be loaded.
    Failure failure() const { return Failure{Failure::Kind::Refused, reason_}; }

    QString path_;
    QString reason_;
};
