#include "platform/first_frame.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QList>
#include <QTest>
#include <QTimer>

namespace {

// Counts the paint events of a widget, so a test can tell what was painted when the work ran.
class PaintCount : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

class TestFirstFrame : public QObject {
    Q_OBJECT
private slots:
    void workRunsOnceAfterTheFirstPaintInOrder();
    void otherWindowsDoNotTriggerIt();
    void noReportWithoutTheVariable();
};

void TestFirstFrame::workRunsOnceAfterTheFirstPaintInOrder() {
    QLabel window(QStringLiteral("Aufgabe"));
    PaintCount count;
    window.installEventFilter(&count);
    QList<int> ran;
    QList<int> paintsWhenRun;
    afterFirstFrame(&window, [&] {
        ran.append(1);
        paintsWhenRun.append(count.paints);
    });
    afterFirstFrame(&window, [&] { ran.append(2); });

    QApplication::processEvents();
    QVERIFY(ran.isEmpty()); // not shown yet

    window.show();
    QTRY_COMPARE(ran, (QList<int>{1, 2}));
    QVERIFY(paintsWhenRun[0] > 0);

    window.hide();
    window.show();
    QTest::qWait(50);
    QCOMPARE(ran, (QList<int>{1, 2}));
}

void TestFirstFrame::otherWindowsDoNotTriggerIt() {
    QLabel watched(QStringLiteral("watched"));
    QLabel other(QStringLiteral("other"));
    bool ran = false;
    afterFirstFrame(&watched, [&] { ran = true; });
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    QTest::qWait(50);
    QVERIFY(!ran);
    watched.show();
    QTRY_VERIFY(ran);
}

void TestFirstFrame::noReportWithoutTheVariable() {
    qunsetenv("KALU_EXIT_AFTER_FIRST_FRAME");
    QLabel window(QStringLiteral("Aufgabe"));
    reportFirstFrameIfAsked(&window);
    bool ran = false;
    afterFirstFrame(&window, [&] { ran = true; });
    window.show();
    QTRY_VERIFY(ran);
    // The event loop was not asked to end: a timer still fires.
    bool ticked = false;
    QTimer::singleShot(10, [&] { ticked = true; });
    QTRY_VERIFY(ticked);
}

QTEST_MAIN(TestFirstFrame)
#include "tst_first_frame.moc"
