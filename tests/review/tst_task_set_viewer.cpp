#include "platform/printing.h"
#include "review/TForm_Aufgaben.h"
#include "review/TForm_Drucken.h"
#include "storage/task_set_file.h"
#include "support/accessible_cells.h"
#include "support/fake_platform.h"
#include "support/when_active.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// A saved set of n records: the header in the first, task k is k + k with the answer given.
QList<TaskRecord> savedSet(int n, const QString& name) {
    QList<TaskRecord> set;
    for (int k = 1; k <= n; ++k) {
        TaskRecord r;
        r.operand1 = k;
        r.operand2 = k;
        r.operation = QStringLiteral("+");
        r.result = 2 * k;
        r.givenAnswer = 2 * k;
        set.append(r);
    }
    set[0].name = name;
    set[0].date = QStringLiteral("06.12.26");
    set[0].time = QStringLiteral("17:06:29");
    set[0].points = quint8(n - 1);
    set[0].competitionTag = QStringLiteral("-");
    set[0].timeLimitText = QStringLiteral("...");
    return set;
}

struct ViewerFixture {
    QTemporaryDir folder;
    FakePlatform platform;
    PrinterChoice printerChoice;
    TForm_Aufgaben viewer{platform, printerChoice, folder.path()};
    TForm_Drucken options;

    ViewerFixture() { viewer.attachPrintOptions(&options); }

    QString write(const QString& name, const QByteArray& bytes) {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qWarning("cannot write %s", qPrintable(name));
        return file.fileName();
    }
    QString writeSet(const QString& name, const QList<TaskRecord>& set) {
        QByteArray bytes;
        for (const TaskRecord& r : set)
            bytes += encodeTaskRecord(r);
        return write(name, bytes);
    }

    void openWith(const QStringList& paths) {
        for (const QString& path : paths)
            platform.openAnswers.enqueue(path);
    }

    QString cell(int row, int column) const {
        return viewer.StringGrid1->item(row, column)->text();
    }

    // Runs the action once the modal window is up; a watchdog closes a window that stays open,
    // so that a failing test fails instead of hanging.
    // A watchdog closes a window that stays open, so a failing test fails instead of hanging.
    static void whenShown(QWidget* window, std::function<void()> action) {
        whenActive(window, std::move(action));
        QTimer::singleShot(5000, window, [window] { window->close(); });
    }

    // Datei > item, chosen with the keyboard as a user would.
    void chooseFromMenu(QChar key) {
        // The menu's Alt key answers only in the active window.
        QVERIFY(QTest::qWaitForWindowActive(&viewer));
        QTest::keyClick(&viewer, Qt::Key_D, Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget());
        QWidget* popup = QApplication::activePopupWidget();
        QTest::keyClick(popup, key.toLatin1());
    }
};

// On its round mark: a click beside the caption is no click on the option.
void clickOption(QRadioButton* option) {
    QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(8, option->height() / 2));
}

} // namespace

class TestTaskSetViewer : public QObject {
    Q_OBJECT
private slots:
    void secondFileReplacesTheFirst_data();
    void secondFileReplacesTheFirst();
    void unreadableFileKeepsWhatIsShown();
    void closingEmptiesTheGrid_data();
    void closingEmptiesTheGrid();
    void printAsksTheOptionsFirst();
    void headingFieldFollowsItsOption();
    void headingFieldByKeyboard();
};

void TestTaskSetViewer::secondFileReplacesTheFirst_data() {
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("extraBytes"); // a partial record at the end of the file
    QTest::addColumn<QString>("name");   // row 0, column 0 afterwards
    QTest::newRow("3 records") << 3 << 0 << "Ben";
    QTest::newRow("2 records and a partial one") << 2 << 40 << "Ben";
    QTest::newRow("empty file") << 0 << 0 << "";
}

// Ada's 10 tasks are shown first; the second file leaves none of her rows or header behind.
void TestTaskSetViewer::secondFileReplacesTheFirst() {
    QFETCH(int, records);
    QFETCH(int, extraBytes);
    QFETCH(QString, name);
    ViewerFixture f;
    const QString first = f.writeSet("ada.AGB", savedSet(11, "Ada"));
    QByteArray secondBytes;
    if (records > 0) {
        for (const TaskRecord& r : savedSet(records, "Ben"))
            secondBytes += encodeTaskRecord(r);
    }
    secondBytes += QByteArray(extraBytes, '\x7f');
    const QString second = f.write("ben.agb", secondBytes);
    f.openWith({first, second});

    QStringList seen;
    QStringList headings;
    QStringList afterSecond;
    f.whenShown(&f.viewer, [&] {
        seen << f.cell(0, 0) << f.cell(12, 1) << f.viewer.windowTitle()
             << accessibleCellText(f.viewer.StringGrid1, 12, 7);
        // Each cell is read with its column's heading: the right result and the child's answer
        // can be told apart.
        for (int column = 0; column < taskGridColumns; ++column)
            headings << accessibleColumnHeading(f.viewer.StringGrid1, 12, column);
        f.chooseFromMenu('f');
        seen << f.viewer.windowTitle();
        for (int row = 0; row < taskGridRows; ++row)
            for (int column = 0; column < taskGridColumns; ++column)
                afterSecond << f.cell(row, column);
        QTest::keyClick(f.viewer.StringGrid1, Qt::Key_Escape);
    });
    f.viewer.openFromMainMenu();

    QCOMPARE(seen.size(), 5);
    QCOMPARE(headings,
             (QStringList{"Nr.", "Zahl 1", "", "Zahl 2", "", "Ergebnis", "Eingabe", "Wertung"}));
    QCOMPARE(seen[0], QString("Ada"));
    QCOMPARE(seen[1], QString(11, ' ') + "10");
    QCOMPARE(seen[2], "gespeicherte Aufgaben aus    " + QDir::toNativeSeparators(first));
    QCOMPARE(seen[3], QString("    w  "));
    QCOMPARE(seen[4], "gespeicherte Aufgaben aus    " + QDir::toNativeSeparators(second));

    // Every cell as the grid texts of the second file alone give it.
    const TaskSetGrid expected =
        taskSetGrid(records > 0 ? savedSet(records, "Ben") : QList<TaskRecord>{});
    QStringList wanted;
    for (int row = 0; row < taskGridRows; ++row)
        for (int column = 0; column < taskGridColumns; ++column)
            wanted << expected.cell(row, column);
    QCOMPARE(afterSecond, wanted);
    QCOMPARE(afterSecond.first(), name);
    QCOMPARE(afterSecond[12 * taskGridColumns + 1].isEmpty(), true);

    QCOMPARE(f.platform.fileRequests.size(), 2);
    const FileDialogRequest& request = f.platform.fileRequests.constFirst();
    QCOMPARE(request.directory, f.folder.path());
    QVERIFY(request.filter.contains("*.AGB") && request.filter.contains("*.agb"));
    QVERIFY(f.platform.messages.isEmpty());
}

// A folder chosen as the file, then a file gone missing: a message naming each, and what is
// shown stays; from the main menu the viewer does not open at all.
void TestTaskSetViewer::unreadableFileKeepsWhatIsShown() {
    ViewerFixture f;
    const QString good = f.writeSet("ada.AGB", savedSet(4, "Ada"));
    const QString missing = f.folder.filePath("weg.AGB");
    f.openWith({missing, good, f.folder.path(), missing});

    f.viewer.openFromMainMenu();
    QVERIFY(!f.viewer.isVisible());
    QCOMPARE(f.platform.messages.size(), 1);
    QVERIFY(f.platform.messages[0].text.contains(QDir::toNativeSeparators(missing)));

    QStringList before;
    QStringList after;
    QString titleAfter;
    f.whenShown(&f.viewer, [&] {
        for (int row : {0, 1, 3, 5, 6})
            for (int column = 0; column < taskGridColumns; ++column)
                before << f.cell(row, column);
        f.chooseFromMenu('f');
        f.chooseFromMenu('f');
        for (int row : {0, 1, 3, 5, 6})
            for (int column = 0; column < taskGridColumns; ++column)
                after << f.cell(row, column);
        titleAfter = f.viewer.windowTitle();
        f.viewer.close();
    });
    f.viewer.openFromMainMenu();
    QCOMPARE(before.size(), 40);
    QCOMPARE(before[0], QString("Ada"));
    QCOMPARE(after, before);
    QCOMPARE(titleAfter, "gespeicherte Aufgaben aus    " + QDir::toNativeSeparators(good));
    QCOMPARE(f.platform.messages.size(), 3);
    QVERIFY(f.platform.messages[1].text.contains(QDir::toNativeSeparators(f.folder.path())));
    QVERIFY(f.platform.messages[2].text.contains(QDir::toNativeSeparators(missing)));
    for (const FakePlatform::Message& m : f.platform.messages)
        QCOMPARE(m.kind, MessageKind::Warning);
}

void TestTaskSetViewer::closingEmptiesTheGrid_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Escape in the grid") << "escape";
    QTest::newRow("Escape on the window") << "escape window";
    QTest::newRow("Datei > schließen") << "menu";
}

void TestTaskSetViewer::closingEmptiesTheGrid() {
    QFETCH(QString, how);
    ViewerFixture f;
    f.openWith({f.writeSet("a.AGB", savedSet(3, "Ada"))});
    bool filled = false;
    f.whenShown(&f.viewer, [&] {
        filled = f.cell(3, 1) == QString(13, ' ') + "1" &&
                 f.viewer.focusWidget() == f.viewer.StringGrid1;
        if (how == "escape") {
            QTest::keyClick(f.viewer.StringGrid1, Qt::Key_Down);
            QTest::keyClick(f.viewer.StringGrid1, Qt::Key_Escape);
        } else if (how == "escape window") {
            QTest::keyClick(&f.viewer, Qt::Key_Escape);
        } else {
            f.chooseFromMenu('s');
        }
    });
    f.viewer.openFromMainMenu();
    QVERIFY(filled);
    QVERIFY(!f.viewer.isVisible());
    for (int row = 0; row < taskGridRows; ++row)
        for (int column = 0; column < taskGridColumns; ++column)
            QVERIFY(f.cell(row, column).isEmpty());
}

// "drucken" asks for the options, then offers the print dialog.
void TestTaskSetViewer::printAsksTheOptionsFirst() {
    ViewerFixture f;
    f.openWith({f.writeSet("a.AGB", savedSet(3, "Ada"))});
    int dialogsWhileOptionsOpen = -1;
    f.whenShown(&f.viewer, [&] {
        f.whenShown(&f.options, [&] {
            dialogsWhileOptionsOpen = f.platform.printDialogs;
            clickOption(f.options.Radio_B_ohne_Eingabe);
            clickOption(f.options.Radio_B_mit_Ueberschrift);
            QTest::keyClicks(f.options.Edit_Ueberschrift, "Rechnen");
            // Return in the heading field closes the dialog like "ok".
            QTest::keyClick(f.options.Edit_Ueberschrift, Qt::Key_Return);
        });
        f.chooseFromMenu('d');
        f.viewer.close();
    });
    f.viewer.openFromMainMenu();
    QCOMPARE(dialogsWhileOptionsOpen, 0);
    QCOMPARE(f.platform.printDialogs, 1);
    // Without the answers: the solutions of Ada's set, offered in the data folder.
    QCOMPARE(f.platform.printRequests.last().suggestedFile,
             f.folder.filePath(QString::fromUtf8("Aufgaben Ada 06.12.26 Lösungsblatt.pdf")));
    QVERIFY(!f.options.isVisible());
    QVERIFY(!f.options.choices().withInput);
    QCOMPARE(f.options.choices().heading, QString("Rechnen"));
}

// By mouse: the option opens the field and puts the cursor there; the other options close it
// and keep the text, which comes back with the option. A press on the option that ends outside
// it loses nothing either.
void TestTaskSetViewer::headingFieldFollowsItsOption() {
    TForm_Drucken d;
    d.show();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    QVERIFY(!d.Edit_Ueberschrift->isEnabled());
    QCOMPARE(d.choices().header, SheetHeader::Stored);

    clickOption(d.Radio_B_mit_Ueberschrift);
    QTRY_COMPARE(d.focusWidget(), d.Edit_Ueberschrift);
    QVERIFY(d.Edit_Ueberschrift->isEnabled());
    QTest::keyClicks(d.Edit_Ueberschrift, QString(75, 'x'));
    QCOMPARE(d.Edit_Ueberschrift->text(), QString(70, 'x'));

    for (QRadioButton* other : {d.Radio_B_mit_Namen, d.Radio_B_ohne_Namen_Ueberschrift}) {
        clickOption(other);
        QVERIFY(!d.Edit_Ueberschrift->isEnabled());
        QCOMPARE(d.Edit_Ueberschrift->text(), QString(70, 'x'));
        clickOption(d.Radio_B_mit_Ueberschrift);
        QVERIFY(d.Edit_Ueberschrift->isEnabled());
        QCOMPARE(d.choices().heading, QString(70, 'x'));
        QCOMPARE(d.choices().header, SheetHeader::Heading);
    }

    QTest::mousePress(d.Radio_B_mit_Ueberschrift, Qt::LeftButton, {},
                      QPoint(8, d.Radio_B_mit_Ueberschrift->height() / 2));
    QTest::mouseRelease(d.Radio_B_mit_Ueberschrift, Qt::LeftButton, {}, QPoint(-50, -50));
    QTest::qWait(10);
    QVERIFY(d.Edit_Ueberschrift->isEnabled());
    QCOMPARE(d.Edit_Ueberschrift->text(), QString(70, 'x'));
}

// By keyboard: the arrows select the heading option and open the field without leaving the
// options; Tab reaches the field and a heading can be typed.
void TestTaskSetViewer::headingFieldByKeyboard() {
    TForm_Drucken d;
    d.show();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    d.Radio_B_mit_Namen->setFocus();
    QTest::keyClick(d.Radio_B_mit_Namen, Qt::Key_Down);
    QVERIFY(d.Radio_B_mit_Ueberschrift->isChecked());
    QVERIFY(d.Edit_Ueberschrift->isEnabled());
    QCOMPARE(d.focusWidget(), d.Radio_B_mit_Ueberschrift);

    QTest::keyClick(d.Radio_B_mit_Ueberschrift, Qt::Key_Down);
    QVERIFY(d.Radio_B_ohne_Namen_Ueberschrift->isChecked());
    QVERIFY(!d.Edit_Ueberschrift->isEnabled());
    QTest::keyClick(d.Radio_B_ohne_Namen_Ueberschrift, Qt::Key_Up);
    QVERIFY(d.Edit_Ueberschrift->isEnabled());

    QTest::keyClick(d.focusWidget(), Qt::Key_Tab);
    QCOMPARE(d.focusWidget(), d.Edit_Ueberschrift);
    QTest::keyClicks(d.Edit_Ueberschrift, "Klasse 3b");
    QCOMPARE(d.choices().heading, QString("Klasse 3b"));
    QCOMPARE(d.choices().header, SheetHeader::Heading);
}

QTEST_MAIN(TestTaskSetViewer)
#include "tst_task_set_viewer.moc"
