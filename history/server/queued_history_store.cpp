#include "history/server/queued_history_store.h"

#include "history/server/history_queue.h"
#include "history/server/queue_sender.h"

#include <QUuid>

QueuedHistoryStore::QueuedHistoryStore(const RemoteStoreFactory& connect, const QString& queueFile)
    : remote_(connect()), location_(remote_->location()) {
    const auto told = [this](const QString& message) {
        const std::lock_guard locked(noticeLock_);
        notice_ += (notice_.isEmpty() ? QString() : QStringLiteral("\n\n")) + message;
        if (noticed_)
            noticed_();
    };
    queue_ = std::make_unique<HistoryQueue>(queueFile, told);
    QueueSender::Listener listener;
    listener.serverAway = [this](const QString& reason) {
        notice(QStringLiteral("Der Lernverlauf kann gerade nicht auf dem Server\n%1\naufgezeichnet "
                              "werden:\n%2\n\nKalumbrixtor bewahrt die Läufe auf diesem Rechner "
                              "auf und schickt sie dem Server, sobald er wieder erreichbar ist.")
                   .arg(location_, reason),
               serverAwayTold_);
    };
    listener.told = [this](const QString& message) { notice(message, queueTold_); };
    sender_ = std::make_unique<QueueSender>(connect, queueFile, std::move(listener));
}

QueuedHistoryStore::~QueuedHistoryStore() {
    // The sender's thread ends first: it tells this store what it found until then.
    sender_.reset();
}

QString QueuedHistoryStore::location() const {
    return location_;
}

void QueuedHistoryStore::notice(const QString& text, bool& told) {
    const std::lock_guard locked(noticeLock_);
    if (told)
        return;
    told = true;
    notice_ += (notice_.isEmpty() ? QString() : QStringLiteral("\n\n")) + text;
    if (noticed_)
        noticed_();
}

QString QueuedHistoryStore::takeNotice() {
    const std::lock_guard locked(noticeLock_);
    return std::exchange(notice_, QString());
}

void QueuedHistoryStore::whenNoticed(std::function<void()> ready) {
    const std::lock_guard locked(noticeLock_);
    noticed_ = std::move(ready);
    if (noticed_ && !notice_.isEmpty())
        noticed_();
}

Outcome QueuedHistoryStore::record(const HistoryRun& run) {
    // The key is made before the run leaves: if the remote store kept the run but the answer got
    // lost, the run still waiting carries the same key and is not stored again.
    const QString key = QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (Outcome error = queue_->add(key, run)) {
        // A queue that cannot keep the run: it goes from memory, and the child hears why it
        // would be lost should the program end before the server has it.
        notice(QStringLiteral("Die Läufe können auf diesem Rechner nicht aufbewahrt werden:\n%1\n"
                              "Kalumbrixtor schickt sie dem Server, solange es läuft.")
                   .arg(error->reason),
               queueTold_);
        sender_->hold(key, run);
    }
    sender_->send();
    return std::nullopt;
}

Outcome QueuedHistoryStore::sendWaiting() {
    return sender_->sendAndWait();
}

qsizetype QueuedHistoryStore::waiting() {
    const Result<qsizetype> n = queue_->count();
    return n ? *n : 0;
}

Result<QStringList> QueuedHistoryStore::participants() {
    if (Outcome failed = sender_->sendAndWait())
        return *std::move(failed);
    return remote_->participants();
}

Result<QList<HistoryRun>> QueuedHistoryStore::runs(const QString& participant,
                                                   std::optional<Operation> operation) {
    if (Outcome failed = sender_->sendAndWait())
        return *std::move(failed);
    return remote_->runs(participant, operation);
}

Result<QList<HistoryRun>> QueuedHistoryStore::everyonesRuns(std::optional<Operation> operation) {
    if (Outcome failed = sender_->sendAndWait())
        return *std::move(failed);
    return remote_->everyonesRuns(operation);
}

Result<ClassTotals> QueuedHistoryStore::classTotals(std::optional<Operation> operation,
                                                    const RunPeriod& inPeriod) {
    if (Outcome failed = sender_->sendAndWait())
        return *std::move(failed);
    return remote_->classTotals(operation, inPeriod);
}

namespace {

// What a window's reading thread sees of the queued store: its readers, which the remote store
// guards itself, so they may be called from that thread. Recording stays on the store's own
// thread.
class QueuedReader : public HistoryStore {
public:
    explicit QueuedReader(QueuedHistoryStore& store) : store_(store) {}
    QString location() const override { return store_.location(); }
    bool onServer() const override { return true; }
    Outcome record(const HistoryRun&) override {
        return Failure{Failure::Kind::Refused,
                       QStringLiteral("Beim Lesen wird nichts aufgezeichnet.")};
    }
    Result<QStringList> participants() override { return store_.participants(); }
    Result<QList<HistoryRun>> runs(const QString& participant,
                                   std::optional<Operation> operation) override {
        return store_.runs(participant, operation);
    }
    Result<QList<HistoryRun>> everyonesRuns(std::optional<Operation> operation) override {
        return store_.everyonesRuns(operation);
    }
    Result<ClassTotals> classTotals(std::optional<Operation> operation,
                                    const RunPeriod& inPeriod) override {
        return store_.classTotals(operation, inPeriod);
    }

private:
    QueuedHistoryStore& store_;
};

} // namespace

HistoryStoreFactory QueuedHistoryStore::readerFactory() const {
    return [store = const_cast<QueuedHistoryStore*>(this)] {
        return std::make_unique<QueuedReader>(*store);
    };
}
