#include "platform/speech_module.h"

#include "support/private_speech_service.h"

#include <QTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Made by the module, on the voice's thread, as the program makes it.
std::unique_ptr<Voice> moduleVoice(VoiceEvents events, QString& reason) {
    const SpeechModule* module = loadSpeechModule(reason, {QStringLiteral(KALU_MODULE_DIR)});
    return module ? module->createVoice(std::move(events), reason) : nullptr;
}

} // namespace

// The real voice: Qt's speech library through the program's own module, speaking into a file of
// a speech service that the test runs itself.
class TestSpeechEngine : public QObject {
    Q_OBJECT
private slots:
    void germanPhrasesComeOutAsSound();
    void missingServiceIsReportedOnce();
    void serviceThatNeverAnswersIsLeftOnce();
};

void TestSpeechEngine::germanPhrasesComeOutAsSound() {
    PrivateSpeechService service;
    const QString notListening = service.waitUntilListening();
    QVERIFY2(notListening.isEmpty(), qPrintable(notListening));
    QString reason;
    const SpeechModule* module = loadSpeechModule(reason, {QStringLiteral(KALU_MODULE_DIR)});
    QVERIFY2(module, qPrintable(reason));
    QStringList failures;
    ThreadedSpeaker speaker(moduleVoice,
                            [&](ThreadedSpeaker::Failure, const QString& why) { failures << why; });

    speaker.sayNow(QStringLiteral("Aufgabe 3: 7 mal 8"));
    speaker.say(QStringLiteral("leider falsch, 7 mal 8 ist 56"));
    // Both phrases, not only the first: together they take some seconds at a normal rate. The
    // sound is measured until it is that long and has stopped growing, or a minute has passed.
    std::optional<PrivateSpeechService::Measure> sound;
    QDeadlineTimer deadline(60000);
    for (qint64 before = -1; !deadline.hasExpired(); QTest::qWait(500)) {
        const qint64 now = service.soundBytes();
        sound = PrivateSpeechService::measure(service.soundFile());
        if (sound && sound->seconds > 2.5 && now == before)
            break;
        before = now;
    }
    QVERIFY(failures.isEmpty());

    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
    QVERIFY(sound);
    qInfo("sound: %.2f s, RMS amplitude %.3f", sound->seconds, sound->rms);
    QVERIFY2(sound->seconds > 2.5 && sound->seconds < 15,
             qPrintable(QString::number(sound->seconds)));
    QVERIFY2(sound->rms > 0.02, qPrintable(QString::number(sound->rms)));
}

void TestSpeechEngine::missingServiceIsReportedOnce() {
    QTemporaryDir nowhere;
    qputenv("SPEECHD_ADDRESS",
            (QStringLiteral("unix_socket:") + nowhere.filePath(QStringLiteral("none"))).toUtf8());
    QStringList failures;
    SpeechOutput output([&](const QString& why) { failures << why; },
                        [](QString& reason) {
                            return loadSpeechModule(reason, {QStringLiteral(KALU_MODULE_DIR)});
                        });
    // The voice is begun on its own thread; its failure comes later, and only once.
    QVERIFY(output.voice());
    QTRY_VERIFY(!output.voice());
    QVERIFY(!output.voice());
    qunsetenv("SPEECHD_ADDRESS");
    QCOMPARE(failures.size(), 1);
    qInfo("%s", qPrintable(failures.first()));
    QVERIFY2(failures.first().startsWith(QStringLiteral("Vorlesen geht auf diesem Rechner nicht")),
             qPrintable(failures.first()));
}

// A service that takes the connection and never says a word: the speaker gives up after its
// time limit and says so once.
void TestSpeechEngine::serviceThatNeverAnswersIsLeftOnce() {
    QTemporaryDir folder;
    const QByteArray path = folder.filePath(QStringLiteral("speechd.sock")).toLocal8Bit();
    const int silent = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, path.constData(), sizeof address.sun_path);
    QVERIFY(::bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
    QVERIFY(::listen(silent, 4) == 0);
    qputenv("SPEECHD_ADDRESS", "unix_socket:" + path);
    QStringList failures;
    {
        ThreadedSpeaker speaker(moduleVoice,
                                [&](ThreadedSpeaker::Failure failure, const QString& why) {
                                    failures << why;
                                    QCOMPARE(failure, ThreadedSpeaker::Failure::NotStarted);
                                },
                                {.startMs = 1000, .answerMs = 1000, .beginMs = 1000});
        speaker.say(QStringLiteral("Aufgabe 1: 7 mal 8"));
        QTRY_COMPARE(failures.size(), 1);
        const int client = ::accept(silent, nullptr, nullptr);
        QVERIFY2(client >= 0, "the voice did not connect");
        ::close(client);
    }
    // The voice's thread, left waiting, gets its answer: the connection is gone.
    ::close(silent);
    qunsetenv("SPEECHD_ADDRESS");
    QCOMPARE(failures,
             QStringList{"Die Sprachausgabe des Systems (speech-dispatcher) antwortet nicht."});
}

QTEST_GUILESS_MAIN(TestSpeechEngine)
#include "tst_speech_engine.moc"
