#pragma once

#include "storage/results_view.h"

#include <QDialog>

class Platform;
class PrinterChoice;
class QAction;
class QMenuBar;
class QTableWidget;

// The results viewer: the records of one results file as a grid of up to 20 rows, printable on
// one page. Opened from the main menu; further files can be opened from its own menu. Hiding the
// window empties the data cells, so every opening from the main menu starts from an empty table.
class TForm_Ergebnisse : public QDialog {
    Q_OBJECT
public:
    TForm_Ergebnisse(Platform& platform, PrinterChoice& printers, const QString& dataFolder,
                     QWidget* parent = nullptr);

    // The open dialog; when a file is chosen and read, the window shows it, modally and
    // maximized. A file that cannot be read is reported and the window is not shown.
    void openFromMainMenu();

    // The texts the grid shows, every cell by row and column.
    GridTexts shownTexts() const;
    // How many records the grid shows.
    int shownRecords() const { return shownRecords_; }

    QMenuBar* MainMenu1 = nullptr;
    QAction* ffnen1 = nullptr;
    QAction* drucken1 = nullptr;
    QAction* Druckereinrichten1 = nullptr;
    QAction* schliessen1 = nullptr;
    QTableWidget* StringGrid1 = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void FormCreate();
    void ffnen1Click();
    void drucken1Click();
    void Druckereinrichten1Click();
    void schliessen1Click();
    // Runs OpenDialog1 and reads the chosen file; on success the grid shows it. False when the
    // dialog was cancelled or the file could not be read (the latter with a message).
    bool openAndShow();
    void showResults(const QString& fileName, const QList<ResultRecord>& records);
    void setTexts(const GridTexts& texts);
    void emptyDataCells();

    Platform& platform_;
    PrinterChoice& printers_;
    QString dataFolder_;
    int shownRecords_ = 0;
    // The file the grid shows; empty while the data cells are empty.
    QString shownFile_;
    int scalePercent_ = 100;
};
