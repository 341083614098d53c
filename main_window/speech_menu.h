#pragma once

#include "platform/speaker.h"

#include <QObject>

class QAction;
class QMenu;
class QWidget;

// The items of reading aloud in the settings menu, remembered in the program's settings across
// starts: "&Vorlesen", its speaking rate, "&Nur hören" (which needs it and is no way to take part
// in a competition), and the key that reads the task once more. "Nur hören" applies while its item
// is checked and enabled; earOnlyChanged tells each change.
class SpeechMenu : public QObject {
    Q_OBJECT
public:
    // The items go at the end of menu; the repeat key works anywhere in window.
    SpeechMenu(QMenu* menu, QWidget* window);

    bool readingAloud() const;
    SpeechRate rate() const;
    bool earOnly() const { return earOnly_; }
    // Competition mode was switched: "Nur hören" is locked while it is on.
    void competitionModeChanged(bool on) {
        competitionMode_ = on;
        refresh();
    }
    // The voice cannot speak: tasks that are only heard could not be solved, so "Nur hören" is
    // locked for the rest of the program run (the choice itself stays remembered).
    void voiceUnavailable();

signals:
    void readingAloudChanged(bool on);
    void rateChanged(SpeechRate rate);
    void repeatRequested();
    void earOnlyChanged(bool on);

private:
    // Enables the items that apply now and puts earOnly in step.
    void refresh();
    void chosen();

    bool earOnly_ = false;
    bool voiceUnavailable_ = false;
    bool competitionMode_ = false;
    QAction* Vorlesen1 = nullptr;
    QMenu* Sprechtempo1 = nullptr;
    QAction* langsam1 = nullptr;
    QAction* normal1 = nullptr;
    QAction* schnell1 = nullptr;
    QAction* NurHoeren1 = nullptr;
    QAction* Wiederholen1 = nullptr;
};
