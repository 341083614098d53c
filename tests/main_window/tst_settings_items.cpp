#include "engine/run_state.h"
#include "main_window/settings_items.h"

#include <QTest>

class TestSettingsItems : public QObject {
    Q_OBJECT
private slots:
    void timeFieldChanges_data();
    void timeFieldChanges();
    void itemTables();
};

void TestSettingsItems::timeFieldChanges_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("limit"); // -1: the old limit stays
    QTest::addColumn<bool>("warn");
    QTest::addColumn<bool>("acceptableOnExit");
    QTest::newRow("empty") << "" << 0 << false << false;
    QTest::newRow("0") << "0" << 0 << false << true;
    QTest::newRow("1") << "1" << 1 << false << true;
    QTest::newRow("1200") << "1200" << 1200 << false << true;
    QTest::newRow("1201") << "1201" << -1 << true << false;
    QTest::newRow("9999") << "9999" << -1 << true << false;
    QTest::newRow("leading zero") << "0090" << 90 << false << true;
    QTest::newRow("pasted letters") << "12a" << -1 << true << false;
    QTest::newRow("pasted sign") << "-5" << -1 << true << false;
    QTest::newRow("pasted huge") << "99999999999999999999" << -1 << true << false;
    QTest::newRow("other digits") << QString::fromUtf8("١٢") << -1 << true << false;
}

void TestSettingsItems::timeFieldChanges() {
    QFETCH(QString, text);
    QFETCH(int, limit);
    QFETCH(bool, warn);
    QFETCH(bool, acceptableOnExit);
    const TimeFieldChange change = evaluateTimeFieldChange(text);
    QCOMPARE(change.warn, warn);
    QCOMPARE(change.timeLimit.value_or(-1), limit);
    QCOMPARE(timeFieldAcceptable(text), acceptableOnExit);
}

void TestSettingsItems::itemTables() {
    QCOMPARE(rangeItems().size(), 14);
    QCOMPARE(rangeItemIndex("1 000 ... 30 000"), 13);
    QCOMPARE(rangeItemIndex("1 000 .. 30 000"), -1);
    QCOMPARE(rangeItemIndex("100 .. 1 000"), 11);
    QCOMPARE(rangeItems()[11].upperBound, 1000);
    QCOMPARE(operationItemIndex("Dividieren (:) m. Rest"), 4);
    QCOMPARE(operationItemIndex("dividieren (:)"), -1);
    RunSettings s;
    applyOperationItem(s, 4);
    QCOMPARE(s.operation, Operation::DivideWithRemainder);
    applyOperationItem(s, 2);
    QCOMPARE(s.operation, Operation::Multiply);
    applyOperationItem(s, -1); // no item: the operation stays
    QCOMPARE(s.operation, Operation::Multiply);
    QCOMPARE(remainingTimeText(65),
             QString("   Rest-Zeit (min:sec):                           1 : 5"));
    QCOMPARE(remainingTimeText(1200),
             QString("   Rest-Zeit (min:sec):                           20 : 0"));
}

QTEST_GUILESS_MAIN(TestSettingsItems)
#include "tst_settings_items.moc"
