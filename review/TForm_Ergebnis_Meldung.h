#pragma once

#include "competition/best_list_file.h"
#include "review/run_saving.h"
#include "storage/run_result.h"

#include <QDialog>

class Platform;
class QLabel;
class QPushButton;

// The dialog at the end of a run in which more than one task was posed: it tells the child how
// many tasks were worked in which time and how many were solved, announces a new best-list place
// after a competition run and, after a free run, asks what to save. It returns the child's
// choice and writes nothing; the saving is done after it has closed (review/run_saving.h).
class TForm_Ergebnis_Meldung : public QDialog {
    Q_OBJECT
public:
    TForm_Ergebnis_Meldung(Platform& platform, QWidget* parent = nullptr);

    // The menu switch "Rang nach Wettbewerb nicht anzeigen": whether a competition run's place in
    // its best list is named.
    void setCompetitionRankShown(bool shown) { rankShown_ = shown; }

    // Shows the dialog modally for the run, with the best-list place the run has taken (and why
    // it could take none), and returns the child's choice once it is made; after a competition
    // run, "zurück" saves both.
    SaveChoice showResult(const RunResult& result,
                          const BestListUpdate& place = BestListUpdate(quint8(0)));

    // The best-list place the run reached: 0 none, 1..12 a place, 15 just below the places.
    quint8 bestListRank() const { return bestListRank_; }

    QLabel* Label_Name = nullptr;
    QLabel* Label_Du_hast_von = nullptr;
    QLabel* Label_von = nullptr;
    QLabel* Panel_Anzahl = nullptr;
    QLabel* Label_Aufgaben = nullptr;
    QLabel* Label_in = nullptr;
    QLabel* Panel_Sekunden = nullptr;
    QLabel* Label_Sekunden = nullptr;
    QLabel* Panel_Richtige = nullptr;
    QLabel* Label_geloest = nullptr;
    QLabel* Panel_trennen = nullptr;
    QLabel* Label_speicher_Frage = nullptr;
    QPushButton* But_Leistung_sp = nullptr;
    QPushButton* But_Aufgaben_sp = nullptr;
    QPushButton* But_beides_sp = nullptr;
    QPushButton* But_nichts_sp = nullptr;
    QPushButton* But_zurueck = nullptr;
    QLabel* Label_Rang_neues_Meldung = nullptr;

public slots:
    void done(int result) override;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void FormActivate();
    void reportBestList(const BestListUpdate& place);
    void But_Leistung_spClick();
    void But_Aufgaben_spClick();
    void But_beides_spClick();
    void But_nichts_spClick();
    void But_zurueckClick();
    void describeNumbers();
    // After a competition run "zurück" is the only button.
    bool onlyWayBack() const;
    void fitToWidth();
    bool confirmed(QPushButton* asking, const QString& question);
    void closeWithChoice(SaveChoice choice);

    bool rankShown_ = true;
    Platform& platform_;
    RunResult result_;
    quint8 bestListRank_ = 0;
    SaveChoice choice_ = SaveChoice::Nothing;
    bool closeAllowed_ = false;
    QPushButton* focusAfterActivation_ = nullptr;
    int scalePercent_ = 100;
};
