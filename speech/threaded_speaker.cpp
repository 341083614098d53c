#include "speech/threaded_speaker.h"

#include <QMutex>
#include <QThread>

#include <atomic>
#include <vector>

namespace {

const QString noAnswer =
    QStringLiteral("Die Sprachausgabe des Systems (speech-dispatcher) antwortet nicht.");
const QString noAnswerAnyMore =
    QStringLiteral("Die Sprachausgabe des Systems (speech-dispatcher) antwortet nicht mehr.");

} // namespace

// The voice's thread and what lives on it. The speaker's side reaches it only through posted
// calls, and it reaches the speaker only through tell(), which does nothing once the speaker has
// ended.
struct ThreadedSpeaker::Worker {
    QThread thread;
    QObject context; // on thread: the posted calls run there
    std::unique_ptr<Voice> voice;
    std::atomic<quint64> speakingId{0};
    QMutex mutex;
    ThreadedSpeaker* speaker = nullptr;

    void run(std::function<void()> what) {
        QMetaObject::invokeMethod(&context, std::move(what), Qt::QueuedConnection);
    }

    void tell(std::function<void(ThreadedSpeaker&)> what) {
        const QMutexLocker lock(&mutex);
        if (speaker)
            QMetaObject::invokeMethod(
                speaker, [s = speaker, what = std::move(what)] { what(*s); }, Qt::QueuedConnection);
    }
};

namespace {

// Workers whose voice did not come back: they stay until the program ends, as their thread may
// still use them.
std::vector<ThreadedSpeaker::Worker*>& abandoned() {
    static auto* workers = new std::vector<ThreadedSpeaker::Worker*>;
    return *workers;
}

} // namespace

ThreadedSpeaker::ThreadedSpeaker(MakeVoice makeVoice, Failed failed, Limits limits)
    : failed_(std::move(failed)), limits_(limits), worker_(std::make_unique<Worker>()) {
    answer_.setSingleShot(true);
    connect(&answer_, &QTimer::timeout, this, [this] {
        hung_ = true;
        fail(Failure::Stopped, stage_ == Stage::Starting ? noAnswer : noAnswerAnyMore);
    });
    // A phrase that never begins (the service lost it) must not hold up those behind it.
    begin_.setSingleShot(true);
    connect(&begin_, &QTimer::timeout, this, [this] {
        current_.reset();
        next();
    });

    Worker* worker = worker_.get();
    worker->speaker = this;
    worker->thread.setObjectName(QStringLiteral("Vorlesen"));
    worker->context.moveToThread(&worker->thread);
    worker->thread.start();
    answer_.start(limits_.startMs);
    worker->run([worker, makeVoice = std::move(makeVoice)] {
        VoiceEvents events;
        events.began = [worker] {
            worker->tell([id = worker->speakingId.load()](ThreadedSpeaker& s) { s.began(id); });
        };
        events.ended = [worker] {
            worker->tell([id = worker->speakingId.load()](ThreadedSpeaker& s) { s.ended(id); });
        };
        events.failed = [worker](const QString& reason) {
            worker->tell([reason](ThreadedSpeaker& s) { s.fail(Failure::Stopped, reason); });
        };
        QString reason;
        worker->voice = makeVoice(std::move(events), reason);
        worker->tell(
            [ok = worker->voice != nullptr, reason](ThreadedSpeaker& s) { s.started(ok, reason); });
    });
}

ThreadedSpeaker::~ThreadedSpeaker() {
    Worker* worker = worker_.get();
    {
        const QMutexLocker lock(&worker->mutex);
        worker->speaker = nullptr;
    }
    worker->run([worker] {
        worker->voice.reset();
        worker->thread.quit();
    });
    // A voice that is still being made may wait on the service for long.
    if (stage_ != Stage::Starting && !hung_ &&
        worker->thread.wait(QDeadlineTimer(limits_.answerMs)))
        return;
    abandoned().push_back(worker_.release());
}

void ThreadedSpeaker::say(const QString& text) {
    if (stage_ == Stage::Failed)
        return;
    waiting_.append({text, false});
    next();
}

void ThreadedSpeaker::sayNow(const QString& text) {
    if (stage_ == Stage::Failed)
        return;
    waiting_.resize(warningsWaiting());
    // The next phrase handed over cuts off the voice.
    if (current_ && !current_->warning)
        current_.reset();
    waiting_.append({text, false});
    next();
}

void ThreadedSpeaker::warn(const QString& text) {
    if (stage_ == Stage::Failed)
        return;
    waiting_.insert(warningsWaiting(), {text, true});
    next();
}

void ThreadedSpeaker::setRate(SpeechRate rate) {
    if (stage_ == Stage::Failed)
        return;
    rate_ = rate;
    next();
}

qsizetype ThreadedSpeaker::warningsWaiting() const {
    const auto ordinary = std::find_if(waiting_.begin(), waiting_.end(),
                                       [](const Phrase& phrase) { return !phrase.warning; });
    return ordinary - waiting_.begin();
}

void ThreadedSpeaker::next() {
    if (stage_ != Stage::Ready || calling_)
        return;
    if (rate_) {
        const SpeechRate rate = *rate_;
        rate_.reset();
        call([rate](Worker& worker) { worker.voice->setRate(rate); });
        return;
    }
    if (current_ || waiting_.isEmpty())
        return;
    current_ = waiting_.takeFirst();
    const quint64 id = ++currentId_;
    call([id, text = current_->text](Worker& worker) {
        worker.speakingId = id;
        worker.voice->speak(text);
    });
    begin_.start(limits_.beginMs);
}

void ThreadedSpeaker::call(std::function<void(Worker&)> what) {
    calling_ = true;
    answer_.start(limits_.answerMs);
    Worker* worker = worker_.get();
    worker->run([worker, what = std::move(what)] {
        if (worker->voice)
            what(*worker);
        worker->tell([](ThreadedSpeaker& s) { s.answered(); });
    });
}

void ThreadedSpeaker::answered() {
    if (stage_ != Stage::Ready)
        return;
    calling_ = false;
    answer_.stop();
    next();
}

void ThreadedSpeaker::started(bool ok, const QString& reason) {
    if (stage_ != Stage::Starting)
        return;
    calling_ = false;
    answer_.stop();
    if (!ok) {
        fail(Failure::NotStarted, reason);
        return;
    }
    stage_ = Stage::Ready;
    next();
}

void ThreadedSpeaker::began(quint64 id) {
    if (current_ && id == currentId_)
        begin_.stop();
}

void ThreadedSpeaker::ended(quint64 id) {
    if (!current_ || id != currentId_)
        return;
    current_.reset();
    begin_.stop();
    next();
}

void ThreadedSpeaker::fail(Failure failure, const QString& reason) {
    if (stage_ == Stage::Failed)
        return;
    if (stage_ == Stage::Starting)
        failure = Failure::NotStarted;
    stage_ = Stage::Failed;
    waiting_.clear();
    current_.reset();
    answer_.stop();
    begin_.stop();
    failed_(failure, reason);
}
