#include "platform/window_scaling.h"
#include "review/TForm_Drucken.h"

#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTest>

namespace {

// The circle of a radio button as its style lays it out for painting.
QSize indicatorOf(QRadioButton* option) {
    QStyleOptionButton style;
    style.initFrom(option);
    style.text = option->text();
    return option->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &style, option).size();
}

} // namespace

class TestPrintOptions : public QObject {
    Q_OBJECT
private slots:
    void indicatorsGrowWithTheText();
};

// At 200 % the text doubles, and so does each option's circle, so that checked and unchecked
// options can be told apart; each option with its caption still fits into its row.
void TestPrintOptions::indicatorsGrowWithTheText() {
    TForm_Drucken dialog;
    const QList<QRadioButton*> options = dialog.findChildren<QRadioButton*>();
    QCOMPARE(options.size(), 13);
    QList<QSize> before;
    for (QRadioButton* option : options)
        before.append(indicatorOf(option));
    scaleWidgetTree(&dialog, 200);
    for (qsizetype i = 0; i < options.size(); ++i) {
        const QSize after = indicatorOf(options[i]);
        QVERIFY2(qAbs(after.width() - 2 * before[i].width()) <= 1 &&
                     qAbs(after.height() - 2 * before[i].height()) <= 1,
                 qPrintable(options[i]->objectName()));
        QVERIFY(after.height() <= options[i]->height());
        QVERIFY2(options[i]->sizeHint().width() <= options[i]->width(),
                 qPrintable(options[i]->objectName()));
    }
}

QTEST_MAIN(TestPrintOptions)
#include "tst_print_options.moc"
