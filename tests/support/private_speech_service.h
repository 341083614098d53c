#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

// A speech service of its own for a test or benchmark on a machine without a sound card, an audio
// server or a user session: the speech-dispatcher server runs in a temporary folder with its own
// settings, socket and home, and plays into the ALSA file plugin, so whatever the voice says ends
// up as a WAV file there. This process finds the server through SPEECHD_ADDRESS. The server ends
// with the object.
class PrivateSpeechService {
public:
    PrivateSpeechService() {
        const QString root = folder_.path();
        for (const char* sub : {"home", "run", "log"})
            QDir(root).mkpath(QString::fromLatin1(sub));
        // The machine's own settings and module list, with the sound going to the file.
        QProcess::execute(QStringLiteral("cp"),
                          {QStringLiteral("-r"), QStringLiteral("/etc/speech-dispatcher"),
                           root + QStringLiteral("/conf")});
        append(root + QStringLiteral("/conf/speechd.conf"),
               "\nAudioOutputMethod \"alsa\"\nAudioALSADevice \"kalumbrixtor\"\n"
               "DefaultModule espeak-ng\n");
        append(root + QStringLiteral("/home/.asoundrc"),
               QStringLiteral("pcm.kalumbrixtor { type file; slave.pcm \"null\"; file \"%1\"; "
                              "format \"wav\" }\n")
                   .arg(soundFile())
                   .toUtf8());
        QProcessEnvironment env;
        env.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
        env.insert(QStringLiteral("HOME"), root + QStringLiteral("/home"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), root + QStringLiteral("/run"));
        server_.setProcessEnvironment(env);
        server_.setProcessChannelMode(QProcess::MergedChannels);
        server_.start(QStringLiteral("speech-dispatcher"),
                      {QStringLiteral("--run-single"), QStringLiteral("--config-dir"),
                       root + QStringLiteral("/conf"), QStringLiteral("--communication-method"),
                       QStringLiteral("unix_socket"), QStringLiteral("--socket-path"), socket(),
                       QStringLiteral("--timeout"), QStringLiteral("0"),
                       QStringLiteral("--log-dir"), root + QStringLiteral("/log")});
        qputenv("SPEECHD_ADDRESS", (QStringLiteral("unix_socket:") + socket()).toUtf8());
    }

    ~PrivateSpeechService() {
        server_.terminate();
        if (!server_.waitForFinished(5000)) {
            server_.kill();
            server_.waitForFinished(5000);
        }
        qunsetenv("SPEECHD_ADDRESS");
    }

    // Whether the server took its socket within the time; otherwise why not.
    QString waitUntilListening(int ms = 20000) {
        QDeadlineTimer deadline(ms);
        while (!QFileInfo::exists(socket())) {
            if (server_.state() == QProcess::NotRunning)
                return QStringLiteral("speech-dispatcher ended: ") +
                       QString::fromLocal8Bit(server_.readAll());
            if (deadline.hasExpired())
                return QStringLiteral("speech-dispatcher took no socket in %1 ms").arg(ms);
            QTest::qWait(20);
        }
        return {};
    }

    QString soundFile() const { return folder_.filePath(QStringLiteral("sound.wav")); }
    // Bytes of sound so far (the WAV header counts).
    qint64 soundBytes() const { return QFileInfo(soundFile()).size(); }

    // Length in seconds and RMS amplitude (0..1) of the sound file, as sox measures it. The
    // plugin fills in the header's lengths only when the device is closed, so they are ignored.
    struct Measure {
        double seconds = 0;
        double rms = 0;
    };
    static std::optional<Measure> measure(const QString& wav) {
        QProcess sox;
        sox.setProcessChannelMode(QProcess::MergedChannels);
        sox.start(QStringLiteral("sox"), {QStringLiteral("--ignore-length"), wav,
                                          QStringLiteral("-n"), QStringLiteral("stat")});
        if (!sox.waitForFinished(20000) || sox.exitCode() != 0)
            return std::nullopt;
        const QString out = QString::fromLocal8Bit(sox.readAll());
        auto field = [&](const char* name) {
            const QRegularExpression re(QString::fromLatin1(name) +
                                        QStringLiteral(":\\s*([-0-9.e]+)"));
            return re.match(out).captured(1).toDouble();
        };
        return Measure{field("Length \\(seconds\\)"), field("RMS\\s+amplitude")};
    }

private:
    QString socket() const { return folder_.filePath(QStringLiteral("run/speechd.sock")); }
    static void append(const QString& path, const QByteArray& text) {
        QFile f(path);
        if (f.open(QIODevice::Append))
            f.write(text);
    }

    QTemporaryDir folder_;
    QProcess server_;
};
