#include "platform/speech_module.h"

#include "support/private_speech_service.h"

#include <QTest>

// The real voice: Qt's speech library through the program's own module, speaking into a file of
// a speech service that the test runs itself.
class TestSpeechEngine : public QObject {
    Q_OBJECT
private slots:
    void germanPhrasesComeOutAsSound();
    void missingServiceIsReportedOnce();
};

void TestSpeechEngine::germanPhrasesComeOutAsSound() {
    PrivateSpeechService service;
    const QString notListening = service.waitUntilListening();
    QVERIFY2(notListening.isEmpty(), qPrintable(notListening));
    QString reason;
    const SpeechModule* module = loadSpeechModule(reason, {QStringLiteral(KALU_MODULE_DIR)});
    QVERIFY2(module, qPrintable(reason));
    QStringList failures;
    std::unique_ptr<Speaker> speaker =
        module->createSpeaker([&](const QString& why) { failures << why; });
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));

    speaker->sayNow(QStringLiteral("Aufgabe 3: 7 mal 8"));
    speaker->say(QStringLiteral("leider falsch, 7 mal 8 ist 56"));
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
    QVERIFY(!output.voice());
    QVERIFY(!output.voice());
    qunsetenv("SPEECHD_ADDRESS");
    QCOMPARE(failures.size(), 1);
    qInfo("%s", qPrintable(failures.first()));
    QVERIFY2(failures.first().startsWith(QStringLiteral("Vorlesen geht auf diesem Rechner nicht")),
             qPrintable(failures.first()));
}

QTEST_GUILESS_MAIN(TestSpeechEngine)
#include "tst_speech_engine.moc"
