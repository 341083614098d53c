#pragma once

#include "history/model/class_overview.h"
#include "history/model/class_printouts.h"
#include "history/model/history.h"

#include <QDialog>
#include <QList>
#include <QString>

class ChoiceBox;
class FocusMarker;
class HistoryReader;
class Platform;
class PrinterChoice;
class QCheckBox;
class QLabel;
class QPushButton;
class QTableWidget;

// Every child of the class in one table, for a teacher who decides what each child practises
// next: how much, how fast and how surely each child worked in the period, whether getting faster
// or slower, and which tasks keep going wrong. From here the teacher opens a child's learning
// progress, prints a worksheet for each child from the child's own mistakes, and prints or saves
// the table. The window only reads the history.
class TForm_Klassenuebersicht : public QDialog {
    Q_OBJECT
public:
    TForm_Klassenuebersicht(HistoryStore& store, Platform& platform, PrinterChoice& printers,
                            const QString& dataFolder, QWidget* parent = nullptr);

    // Shows the window modally and maximized at once and reads the history afresh while it is
    // open.
    void openFromMainMenu();
    // Every child's runs of the chosen operation and period, read afresh: the window says that it
    // is loading and fills the table when they are there (at once for a store that is read on
    // this thread).
    void reload();
    // Whether the table waits for the history.
    bool loading() const;

    QLabel* Label_Status = nullptr; // "wird geladen" while the history is read
    QLabel* Label_Zeitraum = nullptr;
    ChoiceBox* Auswahl_Zeitraum = nullptr;
    QLabel* Label_Rechenart = nullptr;
    ChoiceBox* Auswahl_Rechenart = nullptr;
    QLabel* Label_Sortierung = nullptr;
    ChoiceBox* Auswahl_Sortierung = nullptr;
    QCheckBox* Check_Absteigend = nullptr;
    QTableWidget* Tabelle = nullptr;
    QPushButton* But_Fehlerblaetter = nullptr;
    QPushButton* But_Bericht = nullptr;
    QPushButton* But_CSV = nullptr;
    QPushButton* But_Schliessen = nullptr;

signals:
    // The learning progress of this child in this operation; none when the child has no runs.
    void historyRequested(QString participant, std::optional<Operation> operation);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormCreate();
    void Auswahl_ZeitraumChange();
    void Auswahl_RechenartChange();
    void SortierungChange();
    void TabelleActivated(int row);
    void But_FehlerblaetterClick();
    void But_BerichtClick();
    void But_CSVClick();
    void printMistakeSheets(const ChildSheets& chosen, OverviewPeriod period, bool oneOperation);

    void showLoaded(const QStringList& names, const ClassTotals& totals,
                    const QList<ChildFigures>& rows, const Outcome& error);
    void fitNameColumn();
    OverviewPeriod chosenPeriod() const;
    // None for every operation.
    std::optional<Operation> chosenOperation() const;
    QString chosenOperationName() const;
    void showRows();
    // The rows in the order the table shows them.
    QList<ChildFigures> shownRows() const;
    QStringList chosenNames() const;
    QString className() const;
    void storeFailed(const QString& reason);

    HistoryStore& store_;
    Platform& platform_;
    PrinterChoice& printers_;
    QString dataFolder_;
    FocusMarker* focusMarker_ = nullptr;
    HistoryReader* reader_ = nullptr;
    QStringList names_;
    bool loaded_ = false;
    OverviewPeriod shownPeriod_ = OverviewPeriod::Month; // of the rows shown
    ClassTotals totals_; // every child's runs of the chosen operation, added up
    QList<ChildFigures> rows_;
};
