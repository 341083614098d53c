#include "review/TForm_Aufgaben.h"

#include "platform/grid_cells.h"
#include "platform/platform.h"
#include "platform/printing.h"
#include "platform/window_scaling.h"
#include "review/TForm_Drucken.h"
#include "storage/task_set_file.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenuBar>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int designClientWidth = 640;
constexpr int designClientHeight = 450;
constexpr int columnWidths[taskGridColumns] = {80, 80, 41, 80, 42, 125, 125, 41};
constexpr int fixedRows = 3;
constexpr int rowHeight = 20;

const QString captionBase = QStringLiteral("gespeicherte Aufgaben aus  ");

QFont systemFont(int pixels) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(pixels);
    return font;
}

bool isFixedCell(int row, int column) {
    return row < fixedRows || column == 0;
}

} // namespace

TForm_Aufgaben::TForm_Aufgaben(Platform& platform, PrinterChoice& printerChoice,
                               const QString& dataFolder, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      platform_(platform), printerChoice_(printerChoice), dataFolder_(dataFolder) {
    setObjectName(QStringLiteral("Form_Aufgaben"));
    setWindowTitle(captionBase);
    setFont(systemFont(13));
    resize(designClientWidth, designClientHeight);

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    Drucken1 = MainMenu1->addMenu(QStringLiteral("&Datei"));
    Drucken1->setObjectName(QStringLiteral("Drucken1"));
    oeffnen1 = Drucken1->addAction(QStringLiteral("ö&ffnen"));
    oeffnen1->setObjectName(QStringLiteral("oeffnen1"));
    Drucken2 = Drucken1->addAction(QStringLiteral("&drucken"));
    Drucken2->setObjectName(QStringLiteral("Drucken2"));
    Druckereinrichten1 = Drucken1->addAction(QStringLiteral("Drucker &einrichten"));
    Druckereinrichten1->setObjectName(QStringLiteral("Druckereinrichten1"));
    Schlieen1 = Drucken1->addAction(QStringLiteral("&schließen"));
    Schlieen1->setObjectName(QStringLiteral("Schlieen1"));

    StringGrid1 = makeViewerGrid(this, QStringLiteral("gespeicherte Aufgaben"), taskGridRows,
                                 taskGridColumns, palette().color(QPalette::Button),
                                 palette().color(QPalette::Midlight), isFixedCell);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(MainMenu1);
    layout->addWidget(StringGrid1);

    connect(oeffnen1, &QAction::triggered, this, &TForm_Aufgaben::oeffnen1Click);
    connect(Drucken2, &QAction::triggered, this, &TForm_Aufgaben::Drucken2Click);
    connect(Druckereinrichten1, &QAction::triggered, this,
            &TForm_Aufgaben::Druckereinrichten1Click);
    connect(Schlieen1, &QAction::triggered, this, &TForm_Aufgaben::Schlieen1Click);

    FormCreate();
}

void TForm_Aufgaben::FormCreate() {
    scalePercent_ = scaleWindowToScreen(this);
    StringGrid1->verticalHeader()->setDefaultSectionSize(rowHeight * scalePercent_ / 100);
}

void TForm_Aufgaben::attachPrintOptions(TForm_Drucken* dialog) {
    printOptions_ = dialog;
}

void TForm_Aufgaben::openFromMainMenu() {
    if (!chooseAndLoad())
        return;
    showTaskSet();
    setWindowState(windowState() | Qt::WindowMaximized);
    FormActivate();
    StringGrid1->setCurrentCell(fixedRows, 0);
    StringGrid1->setFocus(Qt::OtherFocusReason);
    exec();
}

bool TForm_Aufgaben::chooseAndLoad() {
    FileDialogRequest request;
    request.title = QStringLiteral("Aufgaben öffnen");
    request.defaultSuffix = QStringLiteral("AGB");
    // Task sets are listed whatever the case of their extension.
    request.filter = QStringLiteral("Aufgaben (*.AGB *.agb *.Agb)");
    request.directory = dataFolder_;
    const std::optional<QString> chosen = platform_.openFileName(this, request);
    if (!chosen)
        return false;
    Result<QList<TaskRecord>> records = loadTaskSet(*chosen);
    if (!records) {
        platform_.showMessage(
            isVisible() ? this : parentWidget(), MessageKind::Warning, MessageButtons::Ok,
            QStringLiteral("Die Aufgaben-Datei\n%1\nkann nicht gelesen werden.\n\n%2")
                .arg(QDir::toNativeSeparators(*chosen), records.failure().reason));
        return false;
    }
    taskSetFileName_ = QFileInfo(*chosen).absoluteFilePath();
    loadedTaskSet_ = std::move(*records);
    return true;
}

void TForm_Aufgaben::showTaskSet() {
    setWindowTitle(captionBase + QStringLiteral("  ") + QDir::toNativeSeparators(taskSetFileName_));
    shownGrid_ = taskSetGrid(loadedTaskSet_);
    for (int row = 0; row < taskGridRows; ++row) {
        for (int column = 0; column < taskGridColumns; ++column)
            setCell(row, column, shownGrid_.cell(row, column));
    }
}

void TForm_Aufgaben::setCell(int row, int column, const QString& text) {
    StringGrid1->item(row, column)->setText(text);
}

void TForm_Aufgaben::FormActivate() {
    for (int column = 0; column < taskGridColumns; ++column)
        StringGrid1->setColumnWidth(column, columnWidths[column] * scalePercent_ / 100);
    for (int column = 0; column < taskGridColumns; ++column)
        setCell(fixedRows - 1, column, taskGridHeading(column));
    nameGridColumns(StringGrid1, fixedRows - 1, fixedRows - 1);
    // The last column shows only "w" or "f"; a screen reader names it, the grid shows no heading.
    StringGrid1->horizontalHeaderItem(taskGridColumns - 1)->setText(QStringLiteral("Wertung"));
    for (int row = fixedRows; row < taskGridRows; ++row)
        setCell(row, 0, taskNumberText(row - fixedRows + 1));
}

void TForm_Aufgaben::FormHide() {
    for (int row = 0; row < taskGridRows; ++row) {
        for (int column = 0; column < taskGridColumns; ++column)
            setCell(row, column, QString());
    }
}

void TForm_Aufgaben::oeffnen1Click() {
    // A set that cannot be read leaves the one shown as it was.
    if (!chooseAndLoad())
        return;
    showTaskSet();
    StringGrid1->setCurrentCell(fixedRows, 0);
}

void TForm_Aufgaben::Drucken2Click() {
    if (printOptions_)
        printOptions_->ask();
    const SheetOptions options = printOptions_ ? printOptions_->choices() : SheetOptions{};
    const Printout printout =
        taskSheetPrintout(shownGrid_, options, germanDateText(platform_.today()),
                          longTimeText(platform_.localTime()));
    printerChoice_.printWithDialog(
        platform_, this, printout,
        QDir(dataFolder_).filePath(taskSheetFileName(loadedTaskSet_, options)));
}

void TForm_Aufgaben::Druckereinrichten1Click() {
    printerChoice_.setUp(platform_, this);
}

void TForm_Aufgaben::Schlieen1Click() {
    close();
}

void TForm_Aufgaben::printEmptyWorksheet() {
    const Printout printout = emptyWorksheetPrintout(germanDateText(platform_.today()),
                                                     longTimeText(platform_.localTime()));
    printerChoice_.printWithoutDialog(platform_, parentWidget(), printout, dataFolder_,
                                      QStringLiteral("Aufgabenblatt"));
}

bool TForm_Aufgaben::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && isVisible())
        FormActivate();
    return QDialog::event(event);
}

void TForm_Aufgaben::hideEvent(QHideEvent* event) {
    FormHide();
    QDialog::hideEvent(event);
}

void TForm_Aufgaben::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QDialog::keyPressEvent(event);
}
