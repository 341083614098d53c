#pragma once

#include "competition/best_list_view.h"

#include <QDialog>
#include <QList>

class Announcer;
class Platform;
class PrinterChoice;
class QAction;
class QMenuBar;
class QTableWidget;

// The best-list viewer: the twelve places of one competition's best list at a time, chosen from
// the menu or with a single key (1..9, 0 for W 10, A..F for W 11..W 16), printable on one page.
// It reads the best-list files and never writes them.
class TForm_Bestenlisten : public QDialog {
    Q_OBJECT
public:
    TForm_Bestenlisten(Platform& platform, PrinterChoice& printers, const QString& dataFolder,
                       QWidget* parent = nullptr);

    // Shows the window modally and maximized, with the list area blank.
    void openFromMainMenu();

    // The texts the grid shows, every cell by row and column.
    BestListGrid shownTexts() const;

    QMenuBar* MainMenu1 = nullptr;
    // The items BestenlistezuW11 .. BestenlistezuW161 of the lists of W 1 .. W 16, at indexes
    // 1 .. 16; index 0 is unused.
    QList<QAction*> listItems;
    QAction* drucken1 = nullptr;
    QAction* Druckereinrichten1 = nullptr;
    QAction* schliessen1 = nullptr;
    QAction* Hilfe1 = nullptr;
    QTableWidget* StringGrid1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormCreate();
    void FormActivate();
    void BestenlistezuWClick(int competitionNumber);
    void drucken1Click();
    void Druckereinrichten1Click();
    void schliessen1Click();
    void Hilfe1Click();
    void setTexts(const BestListGrid& texts);
    void fitGridToWindow();

    Platform& platform_;
    PrinterChoice& printers_;
    QString dataFolder_;
    Announcer* announcer_ = nullptr; // says which list a key brought up
    // The competition whose list is shown, 0 while the list area is blank.
    int shownCompetition_ = 0;
    // The screen's percentage, and the larger one at which the list fills the window.
    int scalePercent_ = 100;
    int fillPercent_ = 100;
};
