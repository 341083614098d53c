// The speech module: a German voice of Qt's speech library, for a program that loaded the module
// when reading aloud was turned on. The program makes and calls it on a thread of its own.
#include "platform/speech_module.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTextToSpeech>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace {

const QString unreachable =
    QStringLiteral("Die Sprachausgabe des Systems (speech-dispatcher) ist nicht erreichbar.");
const QString noGermanVoice = QStringLiteral(
    "Die Sprachausgabe des Systems (speech-dispatcher) läuft, aber es ist keine deutsche Stimme "
    "installiert. Eine deutsche Stimme bringen zum Beispiel die Pakete espeak-ng und "
    "speech-dispatcher-espeak-ng mit.");

// Qt's engine reports an error both when it cannot connect and when the service has no speech
// module with a voice: the service runs if something takes a connection where its client looks
// for it (an address of its own, else the socket in the user's runtime folder, or without one in
// the cache folder). The engine's own calls are no way to find out: on a connection that broke
// they crash.
bool serviceListens() {
    const QString address = qEnvironmentVariable("SPEECHD_ADDRESS");
    const QString prefix = QStringLiteral("unix_socket:");
    QString path;
    if (address.startsWith(prefix))
        path = address.mid(prefix.size());
    else if (address.isEmpty())
        path = qEnvironmentVariable(
                   "XDG_RUNTIME_DIR",
                   qEnvironmentVariable("XDG_CACHE_HOME",
                                        QDir::homePath() + QStringLiteral("/.cache"))) +
               QStringLiteral("/speech-dispatcher/speechd.sock");
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un socketAddress{};
    if (name.isEmpty() || name.size() >= qsizetype(sizeof socketAddress.sun_path))
        return false;
    socketAddress.sun_family = AF_UNIX;
    memcpy(socketAddress.sun_path, name.constData(), size_t(name.size()));
    const int s = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool listens = s >= 0 && ::connect(s, reinterpret_cast<sockaddr*>(&socketAddress),
                                             sizeof socketAddress) == 0;
    if (s >= 0)
        ::close(s);
    return listens;
}

// Qt's voice says one text at a time and drops it for the next. A text counts as said once the
// engine went from speaking back to ready; the ready that answers the cutting-off of an older
// text comes before the new text has begun and is passed over.
class QtVoice : public Voice {
public:
    explicit QtVoice(VoiceEvents events) : events_(std::move(events)) {}

    // Connects to the service, which lists all its voices, and chooses a German one; otherwise
    // the reason.
    QString start() {
        engine_ = std::make_unique<QTextToSpeech>(QStringLiteral("speechd"));
        if (engine_->state() == QTextToSpeech::Error)
            return serviceListens() ? noGermanVoice : unreachable;
        const QList<QLocale> locales = engine_->availableLocales();
        const auto german = std::find_if(locales.begin(), locales.end(), [](const QLocale& l) {
            return l.language() == QLocale::German;
        });
        if (german == locales.end())
            return noGermanVoice;
        engine_->setLocale(*german);
        QObject::connect(engine_.get(), &QTextToSpeech::stateChanged, engine_.get(),
                         [this](QTextToSpeech::State state) { stateChanged(state); });
        return {};
    }

    void speak(const QString& text) override {
        if (handed_)
            engine_->stop();
        handed_ = true;
        begun_ = false;
        engine_->say(text);
    }

    void setRate(SpeechRate rate) override {
        engine_->setRate(rate == SpeechRate::Slow ? -0.4 : rate == SpeechRate::Fast ? 0.4 : 0.0);
    }

private:
    void stateChanged(QTextToSpeech::State state) {
        switch (state) {
        case QTextToSpeech::Speaking:
            begun_ = true;
            events_.began();
            break;
        case QTextToSpeech::Ready:
            if (begun_) {
                begun_ = false;
                handed_ = false;
                events_.ended();
            }
            break;
        case QTextToSpeech::Paused:
            break;
        case QTextToSpeech::Error:
            events_.failed(
                QStringLiteral("Die Sprachausgabe des Systems hat einen Fehler gemeldet."));
            break;
        }
    }

    VoiceEvents events_;
    std::unique_ptr<QTextToSpeech> engine_;
    bool handed_ = false; // a text was given and has not ended
    bool begun_ = false;
};

std::unique_ptr<Voice> createVoice(VoiceEvents events, QString& reason) {
    auto voice = std::make_unique<QtVoice>(std::move(events));
    reason = voice->start();
    if (!reason.isEmpty())
        return nullptr;
    return voice;
}

} // namespace

extern "C" Q_DECL_EXPORT const SpeechModule* kalumbrixtorSpeechModule() {
    static const SpeechModule module{createVoice};
    return &module;
}
