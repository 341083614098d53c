#include "main_window/adaptive_practice_menu.h"

#include "main_window/widget_helpers.h"

#include <QActionGroup>
#include <QMenu>

namespace {

const QString targetKey = QStringLiteral("UebenNachMass/Schwierigkeit");

} // namespace

AdaptivePracticeMenu::AdaptivePracticeMenu(QMenu* menu, QObject* parent) : QObject(parent) {
    menu->addSeparator();
    menu->setToolTipsVisible(true);
    UebenNachMass1 = menu->addAction(QStringLiteral("Üben nach &Maß"), this,
                                     [this] { emit requested(target()); });
    UebenNachMass1->setObjectName(QStringLiteral("UebenNachMass1"));
    UebenNachMass1->setToolTip(
        QStringLiteral("Aufgaben, die zu Dir passen: Name, Rechenart und Zeit gelten, die "
                       "Bereiche nicht. Jede Antwort zeigt, welche Aufgabe als Nächstes passt."));

    SchwierigkeitNachMass1 = menu->addMenu(QStringLiteral("&Schwierigkeit beim Üben nach Maß"));
    SchwierigkeitNachMass1->setObjectName(QStringLiteral("SchwierigkeitNachMass1"));
    auto* targets = new QActionGroup(this);
    NachMassLeicht1 = checkableItem(
        SchwierigkeitNachMass1, QStringLiteral("&leicht (9 von 10 richtig)"), "NachMassLeicht1");
    NachMassMittel1 = checkableItem(SchwierigkeitNachMass1,
                                    QStringLiteral("&mittel (3 von 4 richtig)"), "NachMassMittel1");
    NachMassSchwer1 = checkableItem(
        SchwierigkeitNachMass1, QStringLiteral("&schwer (6 von 10 richtig)"), "NachMassSchwer1");
    for (QAction* item : {NachMassLeicht1, NachMassMittel1, NachMassSchwer1}) {
        targets->addAction(item);
        connect(item, &QAction::triggered, this, &AdaptivePracticeMenu::targetChosen);
    }
    // The remembered choice is read when it is first needed, not while the window is made.
    connect(SchwierigkeitNachMass1, &QMenu::aboutToShow, this,
            &AdaptivePracticeMenu::readRememberedTarget);
}

void AdaptivePracticeMenu::readRememberedTarget() const {
    if (targetRead_)
        return;
    targetRead_ = true;
    const QString remembered = programSettings().value(targetKey).toString();
    for (QAction* item : {NachMassLeicht1, NachMassMittel1, NachMassSchwer1})
        item->setChecked(item->text().remove(QLatin1Char('&')).startsWith(remembered + ' '));
    if (!NachMassLeicht1->isChecked() && !NachMassSchwer1->isChecked())
        NachMassMittel1->setChecked(true);
}

Target AdaptivePracticeMenu::target() const {
    readRememberedTarget();
    return NachMassLeicht1->isChecked()   ? Target::Easy
           : NachMassSchwer1->isChecked() ? Target::Hard
                                          : Target::Medium;
}

void AdaptivePracticeMenu::competitionModeChanged(bool on) {
    UebenNachMass1->setEnabled(!on);
}

void AdaptivePracticeMenu::targetChosen() {
    // The item just chosen is the choice now, whatever was remembered.
    targetRead_ = true;
    programSettings().setValue(targetKey, target() == Target::Easy   ? QStringLiteral("leicht")
                                          : target() == Target::Hard ? QStringLiteral("schwer")
                                                                     : QStringLiteral("mittel"));
}
