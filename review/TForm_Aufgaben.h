#pragma once

#include "engine/run_state.h"
#include "storage/task_set_view.h"

#include <QDialog>
#include <QList>

class Platform;
class PrinterChoice;
class QAction;
class QMenu;
class QMenuBar;
class QTableWidget;
class TForm_Drucken;

// Shows a saved task set as a table (header, headings, one row per task) and prints it as a
// worksheet with the choices of the print options dialog. It also prints the empty worksheet
// for the main menu. The window lives as long as the program; its grid holds a set only while
// it is shown.
class TForm_Aufgaben : public QDialog {
    Q_OBJECT
public:
    TForm_Aufgaben(Platform& platform, PrinterChoice& printerChoice, const QString& dataFolder,
                   QWidget* parent = nullptr);

    // The print options dialog is created after this window; it is asked before every printout.
    void attachPrintOptions(TForm_Drucken* dialog);

    // The main menu's "show a saved set": the open dialog, then the viewer, modally.
    void openFromMainMenu();
    // The main menu's empty worksheet, straight to the current printer.
    void printEmptyWorksheet();

    QMenuBar* MainMenu1 = nullptr;
    QMenu* Drucken1 = nullptr;
    QAction* oeffnen1 = nullptr;
    QAction* Drucken2 = nullptr;
    QAction* Druckereinrichten1 = nullptr;
    QAction* Schlieen1 = nullptr;
    QTableWidget* StringGrid1 = nullptr;

protected:
    bool event(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormCreate();
    void FormActivate();
    void FormHide();
    void oeffnen1Click();
    void Drucken2Click();
    void Druckereinrichten1Click();
    void Schlieen1Click();

    // Asks for a file and reads it; on success the set replaces the one held so far.
    bool chooseAndLoad();
    void showTaskSet();
    void setCell(int row, int column, const QString& text);

    Platform& platform_;
    PrinterChoice& printerChoice_;
    QString dataFolder_;
    TForm_Drucken* printOptions_ = nullptr;
    QString taskSetFileName_;
    QList<TaskRecord> loadedTaskSet_;
    TaskSetGrid shownGrid_;
    int scalePercent_ = 100;
};
