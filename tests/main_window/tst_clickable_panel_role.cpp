#include "main_window/clickable_panel.h"

#include <QAccessible>
#include <QTest>

// With a screen reader running, the first panel of the program is a button like all the others.
// Its own program, so that no panel was made before.
class TestClickablePanelRole : public QObject {
    Q_OBJECT
private slots:
    void firstPanelIsAButton() {
        QAccessible::setActive(true);
        QWidget parent;
        ClickablePanel first(QStringLiteral("W 1"), &parent);
        ClickablePanel second(QStringLiteral("W 2"), &parent);
        for (ClickablePanel* panel : {&first, &second}) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(panel);
            QVERIFY(a);
            QCOMPARE(a->role(), QAccessible::Button);
            QCOMPARE(a->text(QAccessible::Name), panel->text());
        }
    }
};

QTEST_MAIN(TestClickablePanelRole)
#include "tst_clickable_panel_role.moc"
