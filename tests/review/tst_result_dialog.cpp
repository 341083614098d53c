#include "competition/TForm_Namensfenster.h"
#include "competition/best_list_file.h"
#include "main_window/main_window_fixture.h"
#include "platform/modal_windows.h"
#include "platform/qt_platform.h"
#include "review/TForm_Ergebnis_Meldung.h"
#include "review/run_saving.h"
#include "storage/result_record.h"
#include "storage/results_file.h"
#include "storage/task_set_file.h"
#include "support/real_boxes.h"
#include "support/when_active.h"

#include <QAccessible>
#include <QFile>
#include <QRegularExpression>
#include <QWindow>

#include <functional>

namespace {

// The main window with the result dialog and the name dialog connected as the program connects
// them.
struct ResultFixture : MainWindowFixture {
    TForm_Ergebnis_Meldung dialog{platform, form.get()};
    RunSaver saver{pending};
    TForm_Namensfenster nameDialog{platform, form.get()};

    ResultFixture() {
        form->attachNameDialog(&nameDialog);
        QObject::connect(&run, &RunController::runEnded, form.get(),
                         [this](const RunResult& r) { windUpRun(dialog, saver, context(), r); });
    }

    // Runs the action once the modal window is up; a watchdog ends a dialog that stays open, so
    // a failing test fails instead of hanging.
    void whenShown(QDialog* window, std::function<void()> action) {
        whenActive(window, std::move(action));
    }
    void onResultDialog(std::function<void()> action) { whenShown(&dialog, std::move(action)); }
    SaveContext context() { return {platform, form.get(), folder.path(), form->messageAnchor()}; }
    // The dialog for a run as the end of a run opens it: with the place the run has taken.
    SaveChoice showResult(const RunResult& run) {
        return dialog.showResult(run, saver.rankInBestList(context(), run));
    }

    QString filePath(const QString& name) const { return folder.filePath(name); }
    QByteArray bytesOf(const QString& name) const {
        QFile file(filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }
    void answerSome(int right, int wrong) {
        for (int i = 0; i < right; ++i)
            answerRight();
        for (int i = 0; i < wrong; ++i)
            answerWrong();
    }
    // A free run of the given answers, stopped with the next task on display; the action runs
    // in the result dialog.
    void freeRun(int right, int wrong, std::function<void()> inDialog) {
        start();
        answerSome(right, wrong);
        onResultDialog(std::move(inDialog));
        stop();
    }
    bool enterName(const QString& name) {
        whenShown(&nameDialog, [this, name] {
            QTest::keyClicks(nameDialog.findChild<QLineEdit*>("Edit_Namen"), name);
            QTest::keyClick(nameDialog.findChild<QLineEdit*>("Edit_Namen"), Qt::Key_Return);
        });
        click(c->Button_Wettb_starten);
        return settings().participantName == name;
    }
};

QString accessibleName(QWidget* w) {
    return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
}

QList<QPushButton*> saveButtons(const TForm_Ergebnis_Meldung& d) {
    return {d.But_Leistung_sp, d.But_Aufgaben_sp, d.But_beides_sp, d.But_nichts_sp};
}

// Notes that a window was minimised, however briefly.
struct MinimisedSeen : QObject {
    bool minimised = false;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowStateChange &&
            static_cast<QWidget*>(watched)->isMinimized())
            minimised = true;
        return false;
    }
};

// A competition run of Clara in competition 16 that reaches place 3 of its best list.
RunResult rankedCompetitionRun(ResultFixture& f, const QString& name = "Clara") {
    BestListEntry better;
    better.number = 16;
    for (const char* other : {"Ada", "Bob"}) {
        better.name = QString::fromLatin1(other);
        better.points = 50;
        updateBestList(f.folder.path(), 16, better);
    }
    RunResult run;
    run.participantName = name;
    run.competitionChosen = true;
    run.competitionNumber = 16;
    run.competitionTag = "16";
    run.taskCounter = 6;
    run.workedTaskCount = 5;
    run.points = 4;
    return run;
}

} // namespace

class TestResultDialog : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // Real message boxes show Qt's German button texts, as in the program.
        installGermanTranslation();
        keepModalWindowsInView(*qApp);
    }
    void freeRunShowsItsNumbersAndFourChoices();
    void choicesWithTheirConfirmations_data();
    void choicesWithTheirConfirmations();
    void onlyAChoiceClosesTheDialog();
    void competitionRunRanksOnceAndAnnounces();
    void competitionDialogClosesLikeZurueck_data();
    void competitionDialogClosesLikeZurueck();
    void rankAnnouncementShowsWhole_data();
    void rankAnnouncementShowsWhole();
    void minimisedWindowsComeBack();
    void focusReturnsToTheAskingButton_data();
    void focusReturnsToTheAskingButton();
    void keysInQuestionsKeepTheData_data();
    void keysInQuestionsKeepTheData();
    void freeRunSavedEndToEnd();
    void competitionRunsSaveWithoutDialogs();
};

void TestResultDialog::freeRunShowsItsNumbersAndFourChoices() {
    ResultFixture f;
    f.setTime("0");
    bool checked = false;
    f.freeRun(4, 1, [&] {
        QCOMPARE(f.dialog.Panel_Anzahl->text(), QString("5"));
        QCOMPARE(f.dialog.Panel_Sekunden->text(), QString("..."));
        QCOMPARE(f.dialog.Panel_Richtige->text(), QString("4"));
        QCOMPARE(f.dialog.Label_Name->text(), QString("Werda ?"));
        // A screen reader hears the whole sentence first, then each number with its meaning.
        QCOMPARE(accessibleName(f.dialog.Label_Du_hast_von),
                 QString::fromUtf8("Du hast von 5 Aufgaben 4 Aufgaben gelöst."));
        QCOMPARE(accessibleName(f.dialog.Panel_Anzahl), QString("5 bearbeitet"));
        QCOMPARE(accessibleName(f.dialog.Panel_Sekunden), QString("ohne Zeitgrenze"));
        QCOMPARE(accessibleName(f.dialog.Panel_Richtige), QString::fromUtf8("4 gelöst"));
        QCOMPARE(accessibleName(f.dialog.Label_geloest).trimmed(), QString());
        for (QPushButton* b : saveButtons(f.dialog))
            QVERIFY(b->isVisible());
        QVERIFY(!f.dialog.But_zurueck->isVisible());
        QVERIFY(!f.dialog.Label_Rang_neues_Meldung->isVisible());
        QCOMPARE(f.dialog.focusWidget(), f.dialog.Panel_Anzahl);
        checked = true;
        f.platform.answerWith({MessageAnswer::Yes, MessageAnswer::Ok});
        f.click(f.dialog.But_nichts_sp);
    });
    QVERIFY(checked);
    QVERIFY(!f.dialog.isVisible());
    QVERIFY(!f.pending.results && !f.pending.tasks);
    // Nothing pending: the next run starts.
    f.start();
    QVERIFY(f.c->But_Stop->isVisible());
}

void TestResultDialog::choicesWithTheirConfirmations_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("asks");
    QTest::addColumn<SaveChoice>("choice"); // after Yes
    QTest::newRow("Leistung") << "But_Leistung_sp" << true << SaveChoice::Results;
    QTest::newRow("Aufgaben") << "But_Aufgaben_sp" << true << SaveChoice::Tasks;
    QTest::newRow("beides") << "But_beides_sp" << false << SaveChoice::Both;
    QTest::newRow("nichts") << "But_nichts_sp" << true << SaveChoice::Nothing;
}

// No leaves the dialog as it was; Yes closes it with the choice. The dialog gives nothing up
// itself: what the choice does to the pending data is the saver's (tst_run_saving).
void TestResultDialog::choicesWithTheirConfirmations() {
    QFETCH(QString, button);
    QFETCH(bool, asks);
    ResultFixture f;
    RunResult run;
    run.participantName = "Mia";
    run.taskCounter = 4;
    run.workedTaskCount = 3;
    f.pending.results = f.pending.tasks = true;
    bool stayedOpen = !asks;
    f.whenShown(&f.dialog, [&] {
        auto* b = f.dialog.findChild<QPushButton*>(button);
        if (asks) {
            f.platform.answerWith({MessageAnswer::No});
            f.click(b);
            stayedOpen = f.dialog.isVisible() && f.dialog.focusWidget() == b;
        }
        f.platform.answerWith({MessageAnswer::Yes});
        f.click(b);
    });
    QTEST(f.showResult(run), "choice");
    QVERIFY(stayedOpen);
    QCOMPARE(f.platform.messages.size(), asks ? 2 : 0);
    QVERIFY(f.pending.results && f.pending.tasks);
}

// Return while the numbers have the focus, Escape and closing the window do nothing; Tab
// reaches the first button and Return presses it.
void TestResultDialog::onlyAChoiceClosesTheDialog() {
    ResultFixture f;
    RunResult run;
    run.taskCounter = 3;
    bool stayed = false;
    f.whenShown(&f.dialog, [&] {
        QTest::keyClick(f.dialog.focusWidget(), Qt::Key_Return);
        QTest::keyClick(f.dialog.focusWidget(), Qt::Key_Escape);
        f.dialog.close();
        stayed = f.dialog.isVisible() && f.platform.messages.isEmpty();
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(f.dialog.focusWidget(), Qt::Key_Tab);
        QCOMPARE(f.dialog.focusWidget(), f.dialog.But_Leistung_sp);
        f.platform.answerWith({MessageAnswer::Yes});
        QTest::keyClick(f.dialog.focusWidget(), Qt::Key_Return);
    });
    const SaveChoice choice = f.showResult(run);
    QVERIFY(stayed);
    QVERIFY(!f.dialog.isVisible());
    QCOMPARE(f.platform.messages.size(), 1);
    QCOMPARE(choice, SaveChoice::Results);
}

void TestResultDialog::competitionRunRanksOnceAndAnnounces() {
    ResultFixture f;
    BestListEntry better;
    better.number = 7;
    for (const char* name : {"Ada", "Bob"}) {
        better.name = QString::fromLatin1(name);
        better.points = 50;
        updateBestList(f.folder.path(), 7, better);
    }
    RunResult run;
    run.participantName = "Clara";
    run.competitionChosen = true;
    run.competitionNumber = 7;
    run.competitionTag = "7";
    run.taskCounter = 6;
    run.workedTaskCount = 5;
    run.points = 4;

    QString announcement;
    f.whenShown(&f.dialog, [&] {
        QVERIFY(f.dialog.But_zurueck->isVisible());
        for (QPushButton* b : saveButtons(f.dialog))
            QVERIFY(!b->isVisible());
        // A second activation does not rank the run again.
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(&f.dialog, &activate);
        if (f.dialog.Label_Rang_neues_Meldung->isVisible())
            announcement = f.dialog.Label_Rang_neues_Meldung->text();
        f.click(f.dialog.But_zurueck);
    });
    f.showResult(run);
    QCOMPARE(announcement, QString("Clara, mit dieser Leistung stehst du jetzt auf\nPlatz 3\nder "
                                   "Bestenliste zum Wettbewerb W 7!"));
    QCOMPARE(readBestList(bestListPath(f.folder.path(), 7))->size(), bestListStoredRecords);
    QCOMPARE(readBestList(bestListPath(f.folder.path(), 7))->at(2).name, QString("Clara"));

    // Announcement switched off: hidden although a place was reached; no points: no ranking.
    for (bool switchedOff : {true, false}) {
        f.dialog.setCompetitionRankShown(!switchedOff);
        run.participantName = switchedOff ? "Dora" : "Emil";
        run.points = switchedOff ? 60 : 0;
        const QByteArray before = f.bytesOf("W7.bli");
        bool hidden = false;
        bool active = false;
        bool closedByAltZ = false;
        f.whenShown(&f.dialog, [&] {
            hidden = !f.dialog.Label_Rang_neues_Meldung->isVisible();
            // "zurück" has its mnemonic like the save buttons; a mnemonic is a shortcut of the
            // active window.
            active = QTest::qWaitForWindowActive(&f.dialog);
            QTest::keyClick(f.dialog.focusWidget(), Qt::Key_Z, Qt::AltModifier);
            closedByAltZ = QTest::qWaitFor([&] { return f.dialog.result() == QDialog::Accepted; });
            if (!closedByAltZ)
                f.click(f.dialog.But_zurueck);
        });
        f.showResult(run);
        QVERIFY(active);
        QVERIFY(closedByAltZ);
        QVERIFY(hidden);
        QCOMPARE(f.dialog.bestListRank(), quint8(switchedOff ? 1 : 0));
        QCOMPARE(f.bytesOf("W7.bli") == before, !switchedOff);
    }
}

// A free run, both parts saved through their dialogs, read back byte for byte; then Start.
void TestResultDialog::freeRunSavedEndToEnd() {
    ResultFixture f;
    f.setTime("0");
    f.platform.saveAs({f.filePath("Lena.ERG"), f.filePath("Lena.AGB")});
    f.freeRun(2, 1, [&] { QTest::mouseClick(f.dialog.But_beides_sp, Qt::LeftButton); });
    QCOMPARE(f.platform.messageTexts(), QStringList{"Und jetzt zum Speichern der Aufgaben!"});

    ResultRecord expected;
    expected.name = "Werda ?";
    expected.date = "06.12.26";
    expected.time = "17:06:29";
    expected.timeLimitText = "...";
    expected.operation = "+ / -";
    expected.range1Text = "0 .. 10";
    expected.range2Text = "0 .. 10";
    expected.taskCount = 3;
    expected.points = 2;
    QCOMPARE(f.bytesOf("Lena.ERG"), encodeResultRecord(expected));

    const QByteArray tasks = f.bytesOf("Lena.AGB");
    QCOMPARE(tasks.size(), 4 * taskRecordSize);
    const TaskRecord header = *decodeTaskRecord(QByteArrayView(tasks).first(taskRecordSize));
    QCOMPARE(header.name, QString("Werda ?"));
    QCOMPARE(header.points, quint8(2));
    QCOMPARE(header.timeLimitText, QString("..."));
    for (int k = 0; k < 4; ++k) {
        const TaskRecord t =
            *decodeTaskRecord(QByteArrayView(tasks).sliced(k * taskRecordSize, taskRecordSize));
        QCOMPARE(t.operand1, f.state.taskList[size_t(k + 1)].operand1);
        QCOMPARE(t.givenAnswer, f.state.taskList[size_t(k + 1)].givenAnswer);
    }
    QVERIFY(!f.pending.results && !f.pending.tasks);
    f.start();
    QVERIFY(f.c->But_Stop->isVisible());
}

// Two children one after the other in competition 1: W.Erg, each child's task set, the best
// list; the second names himself and starts without a word from the program.
void TestResultDialog::competitionRunsSaveWithoutDialogs() {
    ResultFixture f;
    f.click(f.c->Panel_Wettbewerb_ini);
    f.click(f.c->Panel_W[0]);
    for (const QString& child : {QString("Nora"), QString("Paul")}) {
        QVERIFY(f.enterName(child));
        f.start();
        QVERIFY(f.c->But_Stop->isVisible());
        f.answerSome(child == "Nora" ? 3 : 2, 0);
        f.onResultDialog([&] { QTest::mouseClick(f.dialog.But_zurueck, Qt::LeftButton); });
        f.stop();
        QVERIFY(f.platform.fileRequests.isEmpty());
        QVERIFY(!f.pending.results && !f.pending.tasks);
        QCOMPARE(f.bytesOf(child + ".AGB").size(), (child == "Nora" ? 4 : 3) * taskRecordSize);
        QVERIFY(f.c->Button_Wettb_starten->isVisible());
    }
    QCOMPARE(f.bytesOf("W.Erg").size(), 2 * resultRecordSize);
    const QList<ResultRecord> saved = *loadResults(f.filePath("W.Erg"));
    QCOMPARE(saved[1].name, QString("Paul"));
    QCOMPARE(saved[1].operation, QString("+ / 1"));
    const QList<BestListEntry> list = *readBestList(bestListPath(f.folder.path(), 1));
    QCOMPARE(list[0].name, QString("Nora"));
    QCOMPARE(list[1].name, QString("Paul"));
    QVERIFY(f.platform.messages.isEmpty());
}

void TestResultDialog::competitionDialogClosesLikeZurueck_data() {
    QTest::addColumn<int>("key"); // 0: the window is closed (Alt+F4, the title bar)
    QTest::addColumn<bool>("onTheNumbers");
    QTest::newRow("Return") << int(Qt::Key_Return) << false;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << false;
    QTest::newRow("Escape on the numbers") << int(Qt::Key_Escape) << true;
    QTest::newRow("window closed") << 0 << false;
}

// After a competition run "zurück" is the only choice: it has the focus, and every way out of the
// dialog takes it, with the run timed and told in one sentence.
void TestResultDialog::competitionDialogClosesLikeZurueck() {
    QFETCH(int, key);
    QFETCH(bool, onTheNumbers);
    ResultFixture f;
    RunResult run = rankedCompetitionRun(f);
    run.timeFieldText = "40";
    QWidget* focus = nullptr;
    QString sentence;
    QString seconds;
    bool closed = false;
    f.whenShown(&f.dialog, [&] {
        focus = f.dialog.focusWidget();
        sentence = accessibleName(f.dialog.Label_Du_hast_von);
        seconds = accessibleName(f.dialog.Panel_Sekunden);
        if (onTheNumbers) {
            QTest::keyClick(f.dialog.focusWidget(), Qt::Key_Backtab);
            QVERIFY(qobject_cast<QLabel*>(f.dialog.focusWidget()));
        }
        if (key != 0)
            QTest::keyClick(f.dialog.focusWidget(), Qt::Key(key));
        else
            f.dialog.close();
        closed = !f.dialog.isVisible();
        if (!closed)
            f.click(f.dialog.But_zurueck);
    });
    f.showResult(run);
    QVERIFY(closed);
    QCOMPARE(focus, f.dialog.But_zurueck);
    QCOMPARE(sentence,
             QString::fromUtf8("Du hast von 5 Aufgaben in 40 Sekunden 4 Aufgaben gelöst."));
    QCOMPARE(seconds, QString("40 Sekunden"));
    QCOMPARE(f.dialog.result(), int(QDialog::Accepted));
    QCOMPARE(f.platform.messages.size(), 0);
}

void TestResultDialog::rankAnnouncementShowsWhole_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("width"); // design pixels, scaled as the dialog is; 0: maximized
    QTest::newRow("maximized") << "Clara" << 0;
    QTest::newRow("long name, as designed") << "Maximiliane-Charlotte" << 649;
    QTest::newRow("narrower") << "Clara" << 560;
}

// At whatever width the dialog gets, the announcement is as wide as the rule gives it and high
// enough for all its wrapped lines, down to "W 16!".
void TestResultDialog::rankAnnouncementShowsWhole() {
    QFETCH(QString, name);
    QFETCH(int, width);
    ResultFixture f;
    const RunResult run = rankedCompetitionRun(f, name);
    QLabel* label = f.dialog.Label_Rang_neues_Meldung;
    QString text;
    QRect shown;
    int client = 0;
    int needed = 0;
    f.whenShown(&f.dialog, [&] {
        if (width > 0) {
            // The announcement stands 224 design pixels from the left.
            const int pixels = width * label->x() / 224;
            f.dialog.setWindowState(Qt::WindowNoState);
            f.dialog.resize(pixels, f.dialog.height());
            // A window manager takes a moment to agree.
            if (!QTest::qWaitFor([&] { return f.dialog.width() == pixels; }))
                qWarning("the dialog kept its width %d", f.dialog.width());
        }
        text = label->isVisible() ? label->text() : QString();
        shown = label->geometry();
        client = f.dialog.width();
        needed = label->heightForWidth(shown.width());
        f.click(f.dialog.But_zurueck);
    });
    f.showResult(run);
    QCOMPARE(text, name + ", mit dieser Leistung stehst du jetzt auf\nPlatz 3\nder Bestenliste zum "
                          "Wettbewerb W 16!");
    QCOMPARE(shown.width(), client - 2 * shown.x());
    QVERIFY2(shown.height() >= needed,
             qPrintable(QStringLiteral("%1 pixels for %2").arg(shown.height()).arg(needed)));
}

// The window manager minimises (here through the window, as it reports it): neither the dialog
// nor the main window below it stays minimised while the dialog is open.
void TestResultDialog::minimisedWindowsComeBack() {
    ResultFixture f;
    RunResult run;
    run.taskCounter = 3;
    bool arrived = false;
    bool back = false;
    f.whenShown(&f.dialog, [&] {
        // The main window below the dialog: the dialog goes with it on some desktops.
        QWindow* minimised = f.form->windowHandle();
        MinimisedSeen seen;
        f.form->installEventFilter(&seen);
        f.dialog.installEventFilter(&seen);
        minimised->setWindowStates(minimised->windowStates() | Qt::WindowMinimized);
        // The state arrives as the window manager's would, a moment later.
        arrived = QTest::qWaitFor([&] { return seen.minimised; });
        back = QTest::qWaitFor([&] {
            return !f.dialog.isMinimized() && !f.form->isMinimized() &&
                   f.dialog.windowState().testFlag(Qt::WindowMaximized);
        });
        f.click(f.dialog.But_beides_sp);
    });
    f.showResult(run);
    QVERIFY(arrived);
    QVERIFY(back);
}

void TestResultDialog::focusReturnsToTheAskingButton_data() {
    QTest::addColumn<int>("tabs"); // from the numbers to the button
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("next"); // where the next Tab goes
    QTest::newRow("Leistung, Alt+N") << 3 << "But_Leistung_sp"
                                     << "Alt+N"
                                     << "But_Aufgaben_sp";
    QTest::newRow("Aufgaben, Escape") << 4 << "But_Aufgaben_sp"
                                      << "Escape"
                                      << "But_beides_sp";
    QTest::newRow("nichts, Nein clicked") << 6 << "But_nichts_sp"
                                          << "Nein"
                                          << "Panel_Anzahl";
}

// A keyboard user reaches a button with Tab, presses Return, and says No in the real box: the
// focus is back on that button, also after the window manager has activated the dialog again,
// and the next Tab goes on from there.
void TestResultDialog::focusReturnsToTheAskingButton() {
    QFETCH(int, tabs);
    QFETCH(QString, button);
    QFETCH(QString, answer);
    QFETCH(QString, next);
    ResultFixture f;
    f.platform.realMessageBoxes = true;
    RealBoxes boxes;
    boxes.actions.enqueue(answer == "Alt+N"    ? RealBoxes::press(Qt::Key_N, Qt::AltModifier)
                          : answer == "Escape" ? RealBoxes::press(Qt::Key_Escape)
                                               : RealBoxes::click(QMessageBox::No));
    RunResult run;
    run.taskCounter = 4;
    f.pending.results = f.pending.tasks = true;
    auto* asking = f.dialog.findChild<QPushButton*>(button);
    QWidget* afterNo = nullptr;
    QWidget* afterActivation = nullptr;
    QWidget* afterTab = nullptr;
    f.whenShown(&f.dialog, [&] {
        for (int i = 0; i < tabs; ++i)
            QTest::keyClick(f.dialog.focusWidget(), Qt::Key_Tab);
        QTest::keyClick(f.dialog.focusWidget(), Qt::Key_Return);
        afterNo = f.dialog.focusWidget();
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(&f.dialog, &activate);
        afterActivation = f.dialog.focusWidget();
        QTest::keyClick(f.dialog.focusWidget(), Qt::Key_Tab);
        afterTab = f.dialog.focusWidget();
        f.click(f.dialog.But_beides_sp);
    });
    const SaveChoice choice = f.showResult(run);
    QCOMPARE(boxes.shown.size(), 1);
    QVERIFY(!boxes.shown[0].stayedOpen);
    QCOMPARE(afterNo, asking);
    QCOMPARE(afterActivation, asking);
    QCOMPARE(afterTab->objectName(), next);
    QCOMPARE(choice, SaveChoice::Both); // the last click chose
}

void TestResultDialog::keysInQuestionsKeepTheData_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Return") << int(Qt::Key_Return);
    QTest::newRow("Escape") << int(Qt::Key_Escape);
}

// Every question whose other answer gives data up is answered by the key alone with its safe
// answer, in Qt's real boxes: the confirmation keeps the dialog open, the full file keeps its
// records, the loss warnings bring the save dialog back, the close query keeps the program
// open. A name in quotes in a message is a button the child sees, spelt as shown.
void TestResultDialog::keysInQuestionsKeepTheData() {
    QFETCH(int, key);
    const auto press = RealBoxes::press(Qt::Key(key));
    ResultFixture f;
    f.setTime("0");
    QFile full(f.filePath("Klasse.ERG"));
    QVERIFY(full.open(QIODevice::WriteOnly));
    for (int i = 0; i < 20; ++i)
        full.write(encodeResultRecord(ResultRecord{}));
    full.close();
    const QByteArray classRecords = f.bytesOf("Klasse.ERG");

    f.platform.realMessageBoxes = true;
    RealBoxes boxes;
    // The confirmation of "nichts"; then, after "beides", the full file, the results' loss
    // warning, "Und jetzt ..." (OK), the tasks' loss warning; last the close query.
    for (int i = 0; i < 6; ++i)
        boxes.actions.enqueue(press);
    f.platform.saveAs({f.filePath("Klasse.ERG"), std::nullopt, f.filePath("Neu.ERG"), std::nullopt,
                       f.filePath("Neu.AGB")});
    bool stayedAfterNichts = false;
    f.freeRun(3, 1, [&] {
        f.click(f.dialog.But_nichts_sp);
        stayedAfterNichts = f.dialog.isVisible() && f.pending.results && f.pending.tasks;
        f.click(f.dialog.But_beides_sp);
    });
    QVERIFY(stayedAfterNichts);
    QCOMPARE(f.bytesOf("Klasse.ERG"), classRecords);
    QCOMPARE(f.bytesOf("Neu.ERG").size(), resultRecordSize);
    QCOMPARE(f.bytesOf("Neu.AGB").size(), 5 * taskRecordSize);
    QCOMPARE(f.platform.fileRequests.size(), 5);

    // Data pending again: the close query keeps the program open.
    f.pending.results = true;
    QVERIFY(!f.form->close());
    QVERIFY(f.form->isVisible());

    QCOMPARE(boxes.shown.size(), 6);
    QStringList captions;
    for (const QPushButton* b : f.form->findChildren<QPushButton*>())
        captions.append(b->text().remove('&'));
    const QRegularExpression quoted("'([^']+)'");
    for (const RealBoxes::Shown& box : boxes.shown) {
        QVERIFY2(!box.stayedOpen, qPrintable(box.text));
        for (const QRegularExpressionMatch& m : quoted.globalMatch(box.text)) {
            QVERIFY2(box.buttons.contains(m.captured(1)) || captions.contains(m.captured(1)),
                     qPrintable(m.captured(1) + " in: " + box.text));
        }
    }
    QVERIFY(boxes.shown[1].text.startsWith("Die gewählte Leistungs-Datei kann keinen"));
    QCOMPARE(boxes.shown[1].defaultButton, QString("Nein"));
    QCOMPARE(boxes.shown[2].defaultButton, QString("Abbrechen"));
    QCOMPARE(boxes.shown[5].defaultButton, QString("Abbrechen"));
}

QTEST_MAIN(TestResultDialog)
#include "tst_result_dialog.moc"
