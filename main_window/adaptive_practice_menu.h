#pragma once

#include "practice/practice_pool.h"

#include <QObject>

class QAction;
class QMenu;

// "Üben nach Maß" in the menu Aufgaben: the entry that starts it for the child and operation of
// the settings panel, and how often the child should be right ("leicht", "mittel", "schwer"),
// remembered across starts. Like every way into a free run it is closed in competition mode.
class AdaptivePracticeMenu : public QObject {
    Q_OBJECT
public:
    AdaptivePracticeMenu(QMenu* menu, QObject* parent);

    Target target() const;
    // Competition mode was switched: the entry is closed while it is on.
    void competitionModeChanged(bool on);

signals:
    void requested(Target target);

private:
    void targetChosen();
    void readRememberedTarget() const;

    QAction* UebenNachMass1 = nullptr;
    QMenu* SchwierigkeitNachMass1 = nullptr;
    QAction* NachMassLeicht1 = nullptr;
    QAction* NachMassMittel1 = nullptr;
    QAction* NachMassSchwer1 = nullptr;
    mutable bool targetRead_ = false;
};
