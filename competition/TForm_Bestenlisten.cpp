#include "competition/TForm_Bestenlisten.h"

#include "competition/best_list_file.h"
#include "platform/announcer.h"
#include "platform/grid_cells.h"
#include "platform/platform.h"
#include "platform/printing.h"
#include "platform/window_scaling.h"

#include <QDir>
#include <QFontDatabase>
#include <QHeaderView>
#include <QMenuBar>
#include <QResizeEvent>
#include <QShowEvent>
#include <QTableWidget>
#include <QVBoxLayout>

#include <array>

namespace {

constexpr int designWidth = 640;
constexpr int designHeight = 480;
constexpr std::array<int, bestListGridColumns> designColumnWidths = {60, 100, 70, 100, 100};
constexpr int fixedRows = 4;
constexpr int designRowHeight = 24;
constexpr int designFontPixels = 13;
const QColor silver(0xc0, 0xc0, 0xc0);
const QColor fixedCellColour(0xa0, 0xa0, 0xa0);

// The key of each list: 1..9, 0 for W 10, A..F for W 11..W 16.
Qt::Key keyOfList(int n) {
    if (n <= 9)
        return Qt::Key(Qt::Key_0 + n);
    if (n == 10)
        return Qt::Key_0;
    return Qt::Key(Qt::Key_A + n - 11);
}

} // namespace

TForm_Bestenlisten::TForm_Bestenlisten(Platform& platform, PrinterChoice& printers,
                                       const QString& dataFolder, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      platform_(platform), printers_(printers), dataFolder_(dataFolder) {
    FormCreate();
}

void TForm_Bestenlisten::FormCreate() {
    setObjectName(QStringLiteral("Form_Bestenlisten"));
    setWindowTitle(QStringLiteral("Bestenlisten zu den Wettbewerben"));
    resize(designWidth, designHeight);

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    QMenu* datei = MainMenu1->addMenu(QStringLiteral("&Datei"));
    datei->setObjectName(QStringLiteral("Datei"));
    QMenu* lists = datei->addMenu(QStringLiteral("Bestenlisten &oeffnen"));
    lists->setObjectName(QStringLiteral("Bestenlistenoeffnen1"));
    listItems.append(nullptr);
    for (int n = 1; n <= 16; ++n) {
        QAction* item = lists->addAction(QStringLiteral("Bestenliste zu W %1").arg(n));
        item->setObjectName(QStringLiteral("BestenlistezuW") + QString::number(n) +
                            QLatin1Char('1'));
        // Plain keys without a modifier; the window holds the actions as well, so that the keys
        // work while the menu is closed.
        item->setShortcut(QKeySequence(keyOfList(n)));
        addAction(item);
        connect(item, &QAction::triggered, this, [this, n] { BestenlistezuWClick(n); });
        listItems.append(item);
    }
    datei->addSeparator()->setObjectName(QStringLiteral("N1"));
    drucken1 = datei->addAction(QStringLiteral("&drucken"));
    drucken1->setObjectName(QStringLiteral("drucken1"));
    Druckereinrichten1 = datei->addAction(QStringLiteral("Drucker einrichten"));
    Druckereinrichten1->setObjectName(QStringLiteral("Druckereinrichten1"));
    datei->addSeparator()->setObjectName(QStringLiteral("N2"));
    schliessen1 = datei->addAction(QStringLiteral("s&chließen"));
    schliessen1->setObjectName(QStringLiteral("schliessen1"));
    Hilfe1 = MainMenu1->addAction(QStringLiteral("&Hilfe"));
    Hilfe1->setObjectName(QStringLiteral("Hilfe1"));
    connect(drucken1, &QAction::triggered, this, &TForm_Bestenlisten::drucken1Click);
    announcer_ = new Announcer(this);
    connect(Druckereinrichten1, &QAction::triggered, this,
            &TForm_Bestenlisten::Druckereinrichten1Click);
    connect(schliessen1, &QAction::triggered, this, &TForm_Bestenlisten::schliessen1Click);
    connect(Hilfe1, &QAction::triggered, this, &TForm_Bestenlisten::Hilfe1Click);

    StringGrid1 = makeViewerGrid(this, QStringLiteral("Bestenliste"), bestListGridRows,
                                 bestListGridColumns, silver, fixedCellColour,
                                 [](int r, int c) { return r < fixedRows || c == 0; });
    StringGrid1->setFrameShape(QFrame::NoFrame);
    // Display only: nothing is edited or selected, but the grid takes the focus so that the
    // arrow keys move through the cells and a screen reader reads each one.
    StringGrid1->setSelectionMode(QAbstractItemView::NoSelection);
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(designFontPixels);
    font.setBold(true);
    StringGrid1->setFont(font);
    setTexts(initialBestListGrid());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(MainMenu1);
    layout->addWidget(StringGrid1);

    scalePercent_ = scaleWindowToScreen(this);
    fillPercent_ = scalePercent_;
    fitGridToWindow();
}

void TForm_Bestenlisten::setTexts(const BestListGrid& texts) {
    setGridTexts(StringGrid1, texts);
    nameGridColumns(StringGrid1, fixedRows - 1, fixedRows - 1);
    fitGridColumns(StringGrid1, designColumnWidths.data(), bestListGridColumns, fillPercent_);
}

void TForm_Bestenlisten::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    fitGridToWindow();
}

// Twelve names are read from across a classroom: the list grows with the window (maximized, as
// it opens) until its rows or its columns fill it, never below the screen's percentage. Text,
// column widths and row heights grow together, so a row always holds its line.
void TForm_Bestenlisten::fitGridToWindow() {
    if (!StringGrid1)
        return;
    int designGridWidth = 0;
    for (int width : designColumnWidths)
        designGridWidth += width;
    const QSize room = StringGrid1->size();
    fillPercent_ =
        qMax(scalePercent_, qMin(room.width() * 100 / designGridWidth,
                                 room.height() * 100 / (bestListGridRows * designRowHeight)));
    QFont font = StringGrid1->font();
    font.setPixelSize(qMax(1, designFontPixels * fillPercent_ / 100));
    StringGrid1->setFont(font);
    // At least a line and a bit: the design height is for the design font's own line.
    const QFontMetrics metrics(font);
    StringGrid1->verticalHeader()->setMinimumSectionSize(1);
    StringGrid1->verticalHeader()->setDefaultSectionSize(
        qMax(designRowHeight * fillPercent_ / 100, metrics.height() + metrics.height() / 4));
    fitGridColumns(StringGrid1, designColumnWidths.data(), bestListGridColumns, fillPercent_);
}

BestListGrid TForm_Bestenlisten::shownTexts() const {
    return gridTexts(StringGrid1);
}

void TForm_Bestenlisten::openFromMainMenu() {
    setWindowState(windowState() | Qt::WindowMaximized);
    exec();
}

void TForm_Bestenlisten::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormActivate();
}

// The list area is blank until a list is chosen.
void TForm_Bestenlisten::FormActivate() {
    BestListGrid texts = shownTexts();
    const BestListGrid blank = initialBestListGrid();
    for (int r = bestListFirstPlaceRow; r < bestListGridRows; ++r)
        texts[r] = blank[r];
    setTexts(texts);
    shownCompetition_ = 0;
}

void TForm_Bestenlisten::BestenlistezuWClick(int competitionNumber) {
    const QString path = bestListPath(dataFolder_, competitionNumber);
    const Result<QList<BestListEntry>> entries = loadBestListForView(path);
    if (!entries) {
        // The list shown before stays on the screen.
        platform_.showMessage(this, MessageKind::Warning, MessageButtons::Ok,
                              QStringLiteral("Die Bestenliste zu W %1 in der Datei\n%2\nkonnte "
                                             "nicht gelesen werden.\n%3")
                                  .arg(QString::number(competitionNumber),
                                       QDir::toNativeSeparators(path), entries.failure().reason));
        return;
    }
    setWindowTitle(QStringLiteral("Bestenlisten zu den Wettbewerben"));
    setTexts(bestListGrid(shownTexts(), competitionNumber, *entries,
                          germanDateText(platform_.today()), longTimeText(platform_.localTime())));
    shownCompetition_ = competitionNumber;
    announcer_->announce(QStringLiteral("Bestenliste zu W %1").arg(competitionNumber));
}

void TForm_Bestenlisten::drucken1Click() {
    // "Bestenliste W 5 06.12.26.pdf": the list changes with every competition run, so the day
    // of printing belongs to the name.
    const QString fileName = printFileName(
        {QStringLiteral("Bestenliste"),
         shownCompetition_ > 0 ? QStringLiteral("W %1").arg(shownCompetition_) : QString(),
         shortenDateText(germanDateText(platform_.today()))});
    printers_.printWithDialog(platform_, this,
                              bestListPrintout(shownTexts(), germanDateText(platform_.today()),
                                               longTimeText(platform_.localTime())),
                              QDir(dataFolder_).filePath(fileName));
}

void TForm_Bestenlisten::Druckereinrichten1Click() {
    printers_.setUp(platform_, this);
}

void TForm_Bestenlisten::schliessen1Click() {
    reject();
}

void TForm_Bestenlisten::Hilfe1Click() {
    platform_.showMessage(
        this, MessageKind::Information, MessageButtons::Ok,
        QStringLiteral("Die Bestenlisten kannst Du direkt über Tasten laden:\nBestenliste zu W1 "
                       "über die Taste '1', zu W2 über die Taste '2', ..., zu W10 über die Taste "
                       "'0', zu W11 über die Taste 'A', zu W12 über die Taste 'B', ..., zu W16 "
                       "über die Taste 'F'."));
    // Coming back from the message, the list area is blank again, as when the window is shown.
    FormActivate();
}
