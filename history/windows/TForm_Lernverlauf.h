#pragma once

#include "engine/run_state.h"
#include "history/model/history.h"
#include "history/model/history_stats.h"
#include "history/model/practice_levels.h"

#include <QDialog>
#include <QList>
#include <QString>

class FocusMarker;
class HistoryReader;
class HistoryStore;
class Platform;
class QChart;
class QChartView;
class QComboBox;
class QLabel;
class QLineSeries;
class QPushButton;
class QTableWidget;

// The learning progress of one child in one operation: how fast and how sure the runs were over
// time, the child's Stufe day by day, which tasks go wrong or take long (for "*" the whole times
// table at a glance), the answers as CSV for parents and teachers, and a practice run of the weak
// tasks. The window only reads the history.
class TForm_Lernverlauf : public QDialog {
    Q_OBJECT
public:
    // The CSV of the answers is offered in dataFolder, where the program keeps its files.
    TForm_Lernverlauf(HistoryStore& store, Platform& platform, QWidget* parent = nullptr,
                      const QString& dataFolder = QString());

    // Reads the names, chooses the child chosen last (or the first) and shows the window modally
    // and maximized.
    void openFromMainMenu();
    // The same for the child and operation chosen elsewhere; without an operation the one chosen
    // last stays.
    void openFor(const QString& participant, std::optional<Operation> operation);
    // The names and the chosen child's figures, read afresh; what openFromMainMenu shows. A
    // history file is read on a thread of its own: the window says it is loading meanwhile.
    void reload();
    // Whether the window waits for the history: for the chosen child's figures, or for the Stufe
    // that follows them (it is worked out from every child's answers and can take longer).
    bool loading() const;
    // Whether the figures, the chart and the tables are still to come.
    bool figuresLoading() const { return figuresPending_; }

    // At most this many points on the chart; a longer history shares points between runs.
    static constexpr qsizetype chartPoints = 2000;

    QLabel* Label_Status = nullptr; // "wird geladen" while the history is read
    QLabel* Label_Name = nullptr;
    QComboBox* Auswahl_Name = nullptr;
    QLabel* Label_Rechenart = nullptr;
    QComboBox* Auswahl_Rechenart = nullptr;
    QChartView* Diagramm = nullptr;
    QLineSeries* Reihe_Tempo = nullptr;
    QLineSeries* Reihe_Richtig = nullptr;
    QLineSeries* Reihe_Stufe = nullptr; // the Stufe after the last run of each day
    QLabel* Label_Stufe = nullptr;      // "Stufe: 4", the Stufe now
    QTableWidget* Einmaleins = nullptr;
    QLabel* Label_Legende = nullptr; // how the times table is coloured
    QTableWidget* Fehler_Liste = nullptr;
    QTableWidget* Langsam_Liste = nullptr;
    QPushButton* But_CSV = nullptr;
    QPushButton* But_Fehler_ueben = nullptr;
    QPushButton* But_Schliessen = nullptr;

signals:
    // The child should practise these tasks of the operation.
    void practiceRequested(QString participant, Operation operation, QList<OperandPair> tasks);

private:
    void FormCreate();
    void Auswahl_NameChange();
    void Auswahl_RechenartChange();
    void But_CSVClick();
    void But_Fehler_uebenClick();
    void But_SchliessenClick();

    QString chosenName() const;
    Operation chosenOperation() const;
    void showFigures();
    void showChart();
    void showTables();
    void setChartDescription(const QString& text);
    void storeFailed(const QString& reason);

    HistoryStore& store_;
    Platform& platform_;
    QString dataFolder_;
    FocusMarker* focusMarker_ = nullptr;
    HistoryReader* reader_ = nullptr;
    // What the window shows of the chosen child's runs of the chosen operation.
    struct Shown {
        QList<RunFigures> points;
        std::optional<RunFigures> latest;
        QList<TaskFigures> tasks;
        TimesTable timesTable{};
        QList<OperandPair> practice;
        QList<LevelPoint> levels;
    };
    Shown shown_;
    bool namesPending_ = false;
    bool figuresPending_ = false;

    void showLoading();
    // What the window shows of the child's runs of the operation, read one by one.
    static Shown readShown(HistoryStore& store, const QString& name, Operation operation,
                           Outcome& error);
    void showShown(const Shown& shown, const Outcome& error);
    // The Stufe line and label for the child and operation on display, read after the figures so
    // that they never wait for it. A history that cannot give it leaves them out.
    void readLevels(const QString& name, Operation operation);
    QString lastChosenName_;
};
