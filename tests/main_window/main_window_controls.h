#pragma once

#include "main_window/clickable_panel.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <array>

// The main window's controls as a user finds them: by their names. A name that is missing fails
// the test at once.
struct MainWindowControls {
    explicit MainWindowControls(const QWidget& window) : window(window) {
        for (int i = 0; i < 16; ++i)
            Panel_W[size_t(i)] = find<ClickablePanel>(QStringLiteral("Panel_W%1").arg(i + 1));
    }

    template <class T> T* find(const QString& name) const {
        T* found = window.findChild<T*>(name);
        if (!found)
            QTest::qFail(qPrintable(QStringLiteral("no control %1").arg(name)), __FILE__, __LINE__);
        return found;
    }

    const QWidget& window;
#define KALU_CONTROL(Type, name) Type* name = find<Type>(QStringLiteral(#name))
    KALU_CONTROL(QLabel, Panel_Grenze);
    KALU_CONTROL(QLabel, Panel_Aufgaben_Nr_zeigen);
    KALU_CONTROL(QLabel, Label_Aufgaben_Nr);
    KALU_CONTROL(QLabel, Panel_Punkte_zeigen);
    KALU_CONTROL(QLabel, Label_Punkte);
    KALU_CONTROL(QPushButton, But_Start);
    KALU_CONTROL(QPushButton, But_Stop);
    KALU_CONTROL(QPushButton, Button_Wettb_starten);
    KALU_CONTROL(QLabel, Panel_Zahl_1_zeigen);
    KALU_CONTROL(QLabel, Panel_Verknuepfung_zeigen);
    KALU_CONTROL(QLabel, Panel_Zahl_2_zeigen);
    KALU_CONTROL(QLabel, Gleichheitszeichen);
    KALU_CONTROL(QLabel, Label_Rest);
    KALU_CONTROL(QLineEdit, Edit_Rest);
    KALU_CONTROL(QFrame, Panel_Einstellungen);
    KALU_CONTROL(QLabel, Label_Name);
    KALU_CONTROL(QLineEdit, Edit_Name);
    KALU_CONTROL(QLabel, Label_Rechenart);
    KALU_CONTROL(QComboBox, Verknuepfung);
    KALU_CONTROL(QLabel, Label_Zeit);
    KALU_CONTROL(QLineEdit, Edit_Zeit);
    KALU_CONTROL(QLabel, Label_Bereich_Zahl_1);
    KALU_CONTROL(QComboBox, Edit_Zahl_1);
    KALU_CONTROL(QLabel, Label_Bereich_Zahl_2);
    KALU_CONTROL(QComboBox, Edit_Zahl_2);
    KALU_CONTROL(ClickablePanel, Panel_Wettbewerb_ini);
    KALU_CONTROL(QMenu, Datei1);
    KALU_CONTROL(QMenu, Einstellungen1);
    KALU_CONTROL(QMenu, Leistungen1);
    KALU_CONTROL(QMenu, Aufgaben1);
    KALU_CONTROL(QMenu, Info1);
    KALU_CONTROL(QAction, beenden1);
    KALU_CONTROL(QAction, Rechteckeaus1);
    KALU_CONTROL(QAction, PunkteAnzeigeaus1);
    KALU_CONTROL(QAction, RestZeitAnzeigeaus1);
    KALU_CONTROL(QAction, wenigerSpeichernHinweise1);
    KALU_CONTROL(QAction, RangNachWettbewerb);
    KALU_CONTROL(QAction, Lernverlaufaufzeichnen1);
    KALU_CONTROL(QAction, ffnen1);
    KALU_CONTROL(QAction, Best1);
    KALU_CONTROL(QAction, gespeichertenAufgabensatzzeigen1);
    KALU_CONTROL(QAction, einleeresAufgabenblattdrucken1);
    KALU_CONTROL(QAction, Lernverlaufzeigen1);
    KALU_CONTROL(QAction, Info2);
    KALU_CONTROL(QAction, Hilfe1);
#undef KALU_CONTROL
    // A run types into two answer fields in turn; the one in use carries the name.
    QLineEdit* Eingabe_aufnehmen() const {
        return find<QLineEdit>(QStringLiteral("Eingabe_aufnehmen"));
    }
    std::array<ClickablePanel*, 16> Panel_W{}; // Panel_W[0] is Panel_W1
};
