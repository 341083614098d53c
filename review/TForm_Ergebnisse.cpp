#include "review/TForm_Ergebnisse.h"

#include "appearance/caption_contrast.h"
#include "platform/grid_cells.h"
#include "platform/platform.h"
#include "platform/printing.h"
#include "platform/window_scaling.h"
#include "storage/results_file.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenuBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <array>

namespace {

// The window before it is scaled to the screen; it is shown maximized.
constexpr int designWidth = 640;
constexpr int designHeight = 480;
constexpr int designRowHeight = 19;
constexpr std::array<int, resultsGridColumns> designColumnWidths = {28,  80,  70, 70, 50,
                                                                    100, 100, 45, 45, 45};
constexpr Rgb teal{0x00, 0x80, 0x80};
constexpr Rgb buttonFace{0xc0, 0xc0, 0xc0};

QColor toQColor(Rgb rgb) {
    return QColor(rgb.r, rgb.g, rgb.b);
}

bool isFixed(int row, int column) {
    return row < resultsGridFixedRows || column == 0;
}

} // namespace

TForm_Ergebnisse::TForm_Ergebnisse(Platform& platform, PrinterChoice& printers,
                                   const QString& dataFolder, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      platform_(platform), printers_(printers), dataFolder_(dataFolder) {
    FormCreate();
}

void TForm_Ergebnisse::FormCreate() {
    setObjectName(QStringLiteral("Form_Ergebnisse"));
    setWindowTitle(resultsCaption(QString()));
    resize(designWidth, designHeight);

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    QMenu* datei = MainMenu1->addMenu(QStringLiteral("&Datei"));
    datei->setObjectName(QStringLiteral("Datei1"));
    ffnen1 = datei->addAction(QStringLiteral("ö&ffnen"));
    ffnen1->setObjectName(QStringLiteral("ffnen1"));
    drucken1 = datei->addAction(QStringLiteral("&drucken"));
    drucken1->setObjectName(QStringLiteral("drucken1"));
    Druckereinrichten1 = datei->addAction(QStringLiteral("Drucker &einrichten"));
    Druckereinrichten1->setObjectName(QStringLiteral("Druckereinrichten1"));
    schliessen1 = datei->addAction(QStringLiteral("&schliessen"));
    schliessen1->setObjectName(QStringLiteral("schliessen1"));
    connect(ffnen1, &QAction::triggered, this, &TForm_Ergebnisse::ffnen1Click);
    connect(drucken1, &QAction::triggered, this, &TForm_Ergebnisse::drucken1Click);
    connect(Druckereinrichten1, &QAction::triggered, this,
            &TForm_Ergebnisse::Druckereinrichten1Click);
    connect(schliessen1, &QAction::triggered, this, &TForm_Ergebnisse::schliessen1Click);

    // The fixed rows and the number column are cells of the grid itself, as a screen reader
    // reads them row by row.
    StringGrid1 = makeViewerGrid(this, QStringLiteral("gespeicherte Ergebnisse"), resultsGridRows,
                                 resultsGridColumns, toQColor(teal), toQColor(buttonFace), isFixed);
    // Each cell's text in the readable caption colour of its background, as on the competition
    // panels: the bold grid text stands out from the teal.
    for (int row = 0; row < resultsGridRows; ++row)
        for (int column = 0; column < resultsGridColumns; ++column)
            StringGrid1->item(row, column)
                ->setForeground(toQColor(captionColour(CaptionState::Enabled,
                                                       isFixed(row, column) ? buttonFace : teal)));
    StringGrid1->setSelectionMode(QAbstractItemView::ContiguousSelection);
    StringGrid1->setShowGrid(true);
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(13);
    font.setBold(true);
    StringGrid1->setFont(font);
    setTexts(emptyResultsGrid());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(MainMenu1);
    layout->addWidget(StringGrid1);

    const int percent = scaleWindowToScreen(this);
    // The widths are design pixels at the grid font's design size; they grow with the font so
    // that the longest texts still fit.
    scalePercent_ = percent;
    fitGridColumns(StringGrid1, designColumnWidths.data(), resultsGridColumns, scalePercent_);
    StringGrid1->verticalHeader()->setDefaultSectionSize(designRowHeight * percent / 100);
    StringGrid1->verticalHeader()->setMinimumSectionSize(1);
}

void TForm_Ergebnisse::setTexts(const GridTexts& texts) {
    setGridTexts(StringGrid1, texts);
    nameGridColumns(StringGrid1, 0, resultsGridFixedRows - 1);
    fitGridColumns(StringGrid1, designColumnWidths.data(), resultsGridColumns, scalePercent_);
}

GridTexts TForm_Ergebnisse::shownTexts() const {
    return gridTexts(StringGrid1);
}

void TForm_Ergebnisse::emptyDataCells() {
    setTexts(emptyResultsGrid());
    shownRecords_ = 0;
    shownFile_.clear();
}

void TForm_Ergebnisse::showResults(const QString& fileName, const QList<ResultRecord>& records) {
    setWindowTitle(resultsCaption(QDir::toNativeSeparators(fileName)));
    // The whole grid is written, so no row of a file shown before remains.
    setTexts(resultsGrid(records));
    shownRecords_ = int(qMin<qsizetype>(records.size(), resultsGridDataRows));
    shownFile_ = fileName;
}

bool TForm_Ergebnisse::openAndShow() {
    FileDialogRequest request;
    request.title = QStringLiteral("Leistungen öffnen");
    request.defaultSuffix = QStringLiteral("ERG");
    request.filter = QStringLiteral("Leistungen (*.ERG *.erg *.Erg)");
    request.directory = dataFolder_;
    const std::optional<QString> path = platform_.openFileName(this, request);
    if (!path)
        return false;
    const Result<QList<ResultRecord>> records = loadResults(*path);
    if (!records) {
        // What was shown before stays as it was.
        platform_.showMessage(this, MessageKind::Warning, MessageButtons::Ok,
                              QStringLiteral("Die Leistungen in der Datei\n%1\nkonnten nicht "
                                             "gelesen werden.\n%2")
                                  .arg(QDir::toNativeSeparators(*path), records.failure().reason));
        return false;
    }
    showResults(*path, *records);
    return true;
}

void TForm_Ergebnisse::openFromMainMenu() {
    if (!openAndShow())
        return;
    setWindowState(windowState() | Qt::WindowMaximized);
    exec();
}

void TForm_Ergebnisse::ffnen1Click() {
    openAndShow();
}

void TForm_Ergebnisse::drucken1Click() {
    // "Leistungen Klasse 3b 06.12.26.pdf": the results file and the day it was printed, since
    // the file grows after every run.
    const QString fileName =
        printFileName({QStringLiteral("Leistungen"), QFileInfo(shownFile_).completeBaseName(),
                       shortenDateText(germanDateText(platform_.today()))});
    printers_.printWithDialog(platform_, this,
                              resultsPrintout(shownTexts(), shownRecords_,
                                              germanDateText(platform_.today()),
                                              longTimeText(platform_.localTime())),
                              QDir(dataFolder_).filePath(fileName));
}

void TForm_Ergebnisse::Druckereinrichten1Click() {
    printers_.setUp(platform_, this);
}

void TForm_Ergebnisse::schliessen1Click() {
    reject();
}

void TForm_Ergebnisse::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        schliessen1Click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm_Ergebnisse::hideEvent(QHideEvent* event) {
    // Closed, not minimized.
    if (!event->spontaneous())
        emptyDataCells();
    QDialog::hideEvent(event);
}
