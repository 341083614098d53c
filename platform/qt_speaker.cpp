// The speech module: a German voice of Qt's speech library, for a program that loaded the module
// when reading aloud was turned on.
#include "platform/speech_module.h"

#include <QLocale>
#include <QStringList>
#include <QTextToSpeech>
#include <QTimer>

namespace {

const QString unreachable =
    QStringLiteral("Die Sprachausgabe des Systems (speech-dispatcher) ist nicht erreichbar.");

// Qt's voice says one text at a time and drops it for the next: the queue is kept here. A text
// counts as said once the engine went from speaking back to ready; the ready that answers the
// cutting-off of an older text comes before the new text has begun and is passed over.
class QtSpeaker : public Speaker {
public:
    explicit QtSpeaker(std::function<void(const QString&)> failed) : failed_(std::move(failed)) {
        QObject::connect(&engine_, &QTextToSpeech::stateChanged, &engine_,
                         [this](QTextToSpeech::State state) { stateChanged(state); });
        // A text that never begins (the service went away) must not hold up those behind it.
        stuck_.setSingleShot(true);
        stuck_.setInterval(10000);
        QObject::connect(&stuck_, &QTimer::timeout, &engine_, [this] {
            speaking_ = false;
            next();
        });
        if (engine_.state() == QTextToSpeech::Error) {
            fail(unreachable);
            return;
        }
        const QList<QLocale> locales = engine_.availableLocales();
        const auto german = std::find_if(locales.begin(), locales.end(), [](const QLocale& l) {
            return l.language() == QLocale::German;
        });
        if (german == locales.end()) {
            fail(QStringLiteral("Die Sprachausgabe hat keine deutsche Stimme."));
            return;
        }
        engine_.setLocale(*german);
    }

    void say(const QString& text) override {
        if (broken_)
            return;
        queue_.append(text);
        if (!speaking_)
            next();
    }

    void sayNow(const QString& text) override {
        if (broken_)
            return;
        queue_ = {text};
        engine_.stop();
        speaking_ = false;
        next();
    }

    void setRate(SpeechRate rate) override {
        engine_.setRate(rate == SpeechRate::Slow ? -0.4 : rate == SpeechRate::Fast ? 0.4 : 0.0);
    }

private:
    void next() {
        if (queue_.isEmpty())
            return;
        speaking_ = true;
        begun_ = false;
        stuck_.start();
        engine_.say(queue_.takeFirst());
    }

    void stateChanged(QTextToSpeech::State state) {
        switch (state) {
        case QTextToSpeech::Speaking:
            begun_ = true;
            stuck_.stop();
            break;
        case QTextToSpeech::Ready:
            if (speaking_ && begun_) {
                speaking_ = false;
                next();
            }
            break;
        case QTextToSpeech::Paused:
            break;
        case QTextToSpeech::Error:
            fail(QStringLiteral("Die Sprachausgabe des Systems hat einen Fehler gemeldet."));
            break;
        }
    }

    void fail(const QString& reason) {
        if (broken_)
            return;
        broken_ = true;
        queue_.clear();
        stuck_.stop();
        failed_(reason);
    }

    std::function<void(const QString&)> failed_;
    QTextToSpeech engine_{QStringLiteral("speechd")};
    QTimer stuck_;
    QStringList queue_;
    bool speaking_ = false;
    bool begun_ = false;
    bool broken_ = false;
};

std::unique_ptr<Speaker> createSpeaker(std::function<void(const QString&)> failed) {
    return std::make_unique<QtSpeaker>(std::move(failed));
}

} // namespace

extern "C" Q_DECL_EXPORT const SpeechModule* kalumbrixtorSpeechModule() {
    static const SpeechModule module{createSpeaker};
    return &module;
}
