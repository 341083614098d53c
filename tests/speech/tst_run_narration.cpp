#include "platform/speaker.h"
#include "speech/run_narrator.h"
#include "speech/threaded_speaker.h"

#include "support/fixed_clock.h"

#include <QMutex>
#include <QSemaphore>
#include <QTest>

namespace {

// Writes down what it is told to say: "sofort: ..." cuts off, "dann: ..." waits its turn,
// "Warnung: ..." goes ahead.
struct ListeningSpeaker : Speaker {
    QStringList heard;
    void say(const QString& text) override { heard << QStringLiteral("dann: ") + text; }
    void sayNow(const QString& text) override { heard << QStringLiteral("sofort: ") + text; }
    void warn(const QString& text) override { heard << QStringLiteral("Warnung: ") + text; }
    void setRate(SpeechRate) override {}
};

// Writes down each phrase it is given; the test says when a phrase has ended. After "hang" it
// does not come back from its next phrase until the test ends, as a stopped speech service.
struct RecordingVoice : Voice {
    QMutex* mutex;
    QStringList* spoken;
    QSemaphore* hang;
    RecordingVoice(QMutex* m, QStringList* s, QSemaphore* h) : mutex(m), spoken(s), hang(h) {}
    void speak(const QString& text) override {
        mutex->lock();
        *spoken << text;
        mutex->unlock();
        hang->acquire();
    }
    void setRate(SpeechRate) override {}
};

// Settings as a panel holds them; a practice run takes its participant and operation.
struct PractiseGiven : RunFrontend {
    RunSettings held;
    std::optional<RunFields> readyToStart() override { return RunFields{}; }
    std::optional<PracticeStart> readyToPractise(const QString& participant,
                                                 Operation operation) override {
        PracticeStart practice{held, {}};
        practice.settings.participantName = participant;
        practice.settings.operation = operation;
        return practice;
    }
};

} // namespace

class TestRunNarration : public QObject {
    Q_OBJECT
private slots:
    void phrasesOfARun_data();
    void phrasesOfARun();
    void voiceHearsWarningsFirstAndInFull_data();
    void voiceHearsWarningsFirstAndInFull();
};

void TestRunNarration::phrasesOfARun_data() {
    QTest::addColumn<bool>("competition");
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<QList<OperandPair>>("tasks");
    QTest::addColumn<qint32>("timeLimit");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("free '*' run, one wrong answer, time-out")
        << false << Operation::Multiply << QList<OperandPair>{{7, 8}, {6, 4}, {3, 9}} << 61
        << QStringList{"answer 55", "answer 24", "repeat", "tick 52", "tick 10"}
        << QStringList{"sofort: Aufgabe 1: 7 mal 8",
                       "sofort: leider falsch, 7 mal 8 ist 56",
                       "dann: Aufgabe 2: 6 mal 4",
                       "sofort: richtig",
                       "dann: Aufgabe 3: 3 mal 9",
                       "sofort: Aufgabe 3: 3 mal 9",
                       "Warnung: Noch eine Minute.",
                       "Warnung: Noch 30 Sekunden.",
                       "Warnung: Noch 10 Sekunden.",
                       "sofort: Die Zeit ist um.",
                       "dann: Du hast von 2 Aufgaben 1 gelöst."};
    QTest::newRow("': R' tasks, stopped")
        << false << Operation::DivideWithRemainder << QList<OperandPair>{{17, 5}, {9, 4}, {8, 3}}
        << 0 << QStringList{"answer 3", "rest 2", "answer 2", "rest 0", "stop", "repeat"}
        << QStringList{"sofort: Aufgabe 1: 17 geteilt durch 5, mit Rest",
                       "sofort: richtig",
                       "dann: Aufgabe 2: 9 geteilt durch 4, mit Rest",
                       "sofort: leider falsch, 9 geteilt durch 4 ist 2 Rest 1",
                       "dann: Aufgabe 3: 8 geteilt durch 3, mit Rest",
                       "sofort: Du hast von 2 Aufgaben 1 gelöst."};
    QTest::newRow("practice list used up: its message is read")
        << false << Operation::Add << QList<OperandPair>{{7, 8}} << 0 << QStringList{"answer 15"}
        << QStringList{"sofort: Aufgabe 1: 7 plus 8", "sofort: richtig",
                       "dann: Das waren alle Aufgaben zum Üben. Gut gemacht !",
                       "sofort: Du hast von 1 Aufgabe 1 gelöst."};
    // Ranges of one number each: the competition's only task is 7 * 8, and the message that
    // there are no more is read without its line breaks.
    QTest::newRow("competition gives no result away")
        << true << Operation::Multiply << QList<OperandPair>{{7, 8}} << 70
        << QStringList{"tick 11", "answer 55"}
        << QStringList{"sofort: Aufgabe 1: 7 mal 8", "Warnung: Noch eine Minute.", "sofort: falsch",
                       "dann: Bei dieser Rechenart und den gewählten Rechenbereichen habe ich "
                       "keine weiteren Aufgaben für Dich ! Wähle bitte neu !"};
}

void TestRunNarration::phrasesOfARun() {
    QFETCH(bool, competition);
    QFETCH(Operation, operation);
    QFETCH(QList<OperandPair>, tasks);
    QFETCH(qint32, timeLimit);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, expected);

    FixedClock clock;
    PractiseGiven frontend;
    RunController run(clock);
    run.setFrontend(&frontend);
    ListeningSpeaker speaker;
    RunNarrator narrator(run, [&] { return &speaker; });
    RunSettings settings;
    settings.timeLimit = frontend.held.timeLimit = timeLimit;
    if (competition) {
        settings.competitionMode = true;
        settings.competitionNumber = 1;
        settings.operation = operation;
        settings.range1Min = settings.range1Max = tasks.first().first;
        settings.range2Min = settings.range2Max = tasks.first().second;
        QVERIFY(run.start(settings));
    } else {
        QVERIFY(run.startPractice(QStringLiteral("Mia"), operation, tasks));
    }

    for (const QString& step : steps) {
        const QString what = step.section(QLatin1Char(' '), 0, 0);
        const QString value = step.section(QLatin1Char(' '), 1);
        if (what == QLatin1String("answer")) {
            run.submitAnswer(value);
        } else if (what == QLatin1String("rest")) {
            run.submitRemainder(value);
        } else if (what == QLatin1String("tick")) {
            for (int i = 0; i < value.toInt(); ++i)
                run.tick();
        } else if (what == QLatin1String("stop")) {
            run.stop();
        } else {
            narrator.repeatTask();
        }
    }
    QCOMPARE(speaker.heard, expected);
}

// Steps: "say", "now" (cut off) or "warn" a text, "end" the phrase being said, "hear" the phrase
// the voice is given next, "hang" the voice, wait until the speaker "failed".
void TestRunNarration::voiceHearsWarningsFirstAndInFull_data() {
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("told");
    QTest::newRow("a warning waits for the task being read, then goes ahead of the next")
        << "say Aufgabe 1|hear Aufgabe 1|say Aufgabe 2|warn Noch 30 Sekunden.|end|"
           "hear Noch 30 Sekunden.|end|hear Aufgabe 2"
        << "";
    QTest::newRow("the feedback waits for the warning being said")
        << "say Aufgabe 1|hear Aufgabe 1|warn Noch eine Minute.|end|hear Noch eine Minute.|"
           "now richtig|say Aufgabe 2|end|hear richtig|end|hear Aufgabe 2"
        << "";
    QTest::newRow("the feedback drops the tasks, not the warnings that wait")
        << "say Aufgabe 1|hear Aufgabe 1|say Aufgabe 2|warn Noch 30 Sekunden.|"
           "warn Noch 10 Sekunden.|now falsch|hear Noch 30 Sekunden.|end|"
           "hear Noch 10 Sekunden.|end|hear falsch|end"
        << "";
    QTest::newRow("a voice that stops answering is left, and the child told once")
        << "say Aufgabe 1|hear Aufgabe 1|hang|now richtig|hear richtig|warn Noch 10 Sekunden.|"
           "failed|say Aufgabe 2|now falsch"
        << "Die Sprachausgabe des Systems (speech-dispatcher) antwortet nicht mehr.";
}

void TestRunNarration::voiceHearsWarningsFirstAndInFull() {
    QFETCH(QString, steps);
    QFETCH(QString, told);
    QMutex mutex;
    QStringList spoken;
    QSemaphore hang(1000);
    VoiceEvents events;
    QStringList failures;
    auto speaker = std::make_unique<ThreadedSpeaker>(
        [&](VoiceEvents given, QString&) {
            events = given;
            return std::make_unique<RecordingVoice>(&mutex, &spoken, &hang);
        },
        [&](ThreadedSpeaker::Failure failure, const QString& why) {
            failures << why;
            QCOMPARE(failure, ThreadedSpeaker::Failure::Stopped);
        },
        ThreadedSpeaker::Limits{.startMs = 5000, .answerMs = 2000, .beginMs = 5000});
    auto heard = [&] {
        const QMutexLocker lock(&mutex);
        return spoken;
    };
    QStringList expected;
    for (const QString& step : steps.split(QLatin1Char('|'))) {
        const QString what = step.section(QLatin1Char(' '), 0, 0);
        const QString text = step.section(QLatin1Char(' '), 1);
        if (what == QLatin1String("say")) {
            speaker->say(text);
        } else if (what == QLatin1String("now")) {
            speaker->sayNow(text);
        } else if (what == QLatin1String("warn")) {
            speaker->warn(text);
        } else if (what == QLatin1String("end")) {
            events.ended();
        } else if (what == QLatin1String("hang")) {
            hang.acquire(hang.available());
        } else if (what == QLatin1String("failed")) {
            QTRY_VERIFY_WITH_TIMEOUT(!failures.isEmpty(), 10000);
        } else {
            expected << text;
            QTRY_COMPARE(heard(), expected);
        }
    }
    // Nothing more is given to the voice than the phrases heard.
    QTest::qWait(200);
    QCOMPARE(heard(), expected);
    QCOMPARE(failures, told.isEmpty() ? QStringList() : QStringList{told});
    speaker.reset();
    hang.release(1000);
}

QTEST_GUILESS_MAIN(TestRunNarration)
#include "tst_run_narration.moc"
