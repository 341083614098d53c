#include "history/windows/TForm_Klassenuebersicht.h"

#include "appearance/focus_marker.h"
#include "common/clock.h"
#include "common/file_access.h"
#include "engine/operation.h"
#include "history/model/class_printouts.h"
#include "history/model/practice_levels.h"
#include "history/windows/history_reader.h"
#include "history/windows/history_widgets.h"
#include "main_window/return_presses_button.h"
#include "platform/platform.h"
#include "platform/printing.h"
#include "platform/window_scaling.h"

#include <QAccessible>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace {

// Wider than the other windows: nine columns side by side.
constexpr int designWidth = 1024;
constexpr int designHeight = 700;
// Where a row keeps its place in the window's list of rows, and what a numeric column sorts by.
constexpr int rowIndexRole = Qt::UserRole;
constexpr int numberRole = Qt::UserRole + 1;
constexpr int nameRole = Qt::UserRole + 2; // the row's name, in every cell

// A cell of the table that sorts its row as the overview's rule says.
class OverviewItem : public QTableWidgetItem {
public:
    bool operator<(const QTableWidgetItem& other) const override {
        const auto number = [](const QTableWidgetItem& item) -> std::optional<double> {
            const QVariant value = item.data(numberRole);
            return value.isValid() ? std::optional(value.toDouble()) : std::nullopt;
        };
        // The table turns this order round when it sorts downwards; the names must not turn.
        const bool descending =
            tableWidget() &&
            tableWidget()->horizontalHeader()->sortIndicatorOrder() == Qt::DescendingOrder;
        return overviewRowBefore(OverviewColumn(column()), number(*this), data(nameRole).toString(),
                                 number(other), other.data(nameRole).toString(), descending);
    }
};

} // namespace

TForm_Klassenuebersicht::TForm_Klassenuebersicht(HistoryStore& store, Platform& platform,
                                                 PrinterChoice& printers, const QString& dataFolder,
                                                 QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      store_(store), platform_(platform), printers_(printers), dataFolder_(dataFolder) {
    FormCreate();
}

void TForm_Klassenuebersicht::FormCreate() {
    setObjectName(QStringLiteral("Form_Klassenuebersicht"));
    setWindowTitle(QStringLiteral("Klassenübersicht"));
    resize(designWidth, designHeight);
    QFont font = this->font();
    font.setPixelSize(14);
    setFont(font);

    auto choice = [this](QLabel*& label, ChoiceBox*& box, const QString& caption,
                         const char* labelName, const char* boxName) {
        label = new QLabel(caption, this);
        label->setObjectName(QLatin1String(labelName));
        box = new ChoiceBox(this);
        box->setObjectName(QLatin1String(boxName));
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        label->setBuddy(box);
    };
    choice(Label_Zeitraum, Auswahl_Zeitraum, QStringLiteral("&Zeitraum:"), "Label_Zeitraum",
           "Auswahl_Zeitraum");
    for (OverviewPeriod period : allPeriods)
        Auswahl_Zeitraum->addItem(periodName(period));
    Auswahl_Zeitraum->setCurrentIndex(int(OverviewPeriod::Month));
    choice(Label_Rechenart, Auswahl_Rechenart, QStringLiteral("&Rechenart:"), "Label_Rechenart",
           "Auswahl_Rechenart");
    Auswahl_Rechenart->addItem(QStringLiteral("alle Rechenarten"));
    for (Operation operation : allOperations)
        Auswahl_Rechenart->addItem(operationName(operation));
    // Sorting by a column heading takes the mouse; these two do the same from the keyboard.
    choice(Label_Sortierung, Auswahl_Sortierung, QStringLiteral("S&ortieren nach:"),
           "Label_Sortierung", "Auswahl_Sortierung");
    for (int column = 0; column < overviewColumnCount; ++column)
        Auswahl_Sortierung->addItem(overviewHeading(OverviewColumn(column)));
    Check_Absteigend = new QCheckBox(QStringLiteral("a&bsteigend"), this);
    Check_Absteigend->setObjectName(QStringLiteral("Check_Absteigend"));

    auto* choices = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{
             Label_Zeitraum, Auswahl_Zeitraum, nullptr, Label_Rechenart, Auswahl_Rechenart, nullptr,
             Label_Sortierung, Auswahl_Sortierung, Check_Absteigend}) {
        if (w)
            choices->addWidget(w);
        else
            choices->addSpacing(24);
    }
    choices->addStretch(1);

    // Shown while the history is read; a screen reader hears it with the table too.
    Label_Status = new QLabel(this);
    Label_Status->setObjectName(QStringLiteral("Label_Status"));
    Label_Status->hide();

    QStringList headings;
    for (int column = 0; column < overviewColumnCount; ++column)
        headings << overviewHeading(OverviewColumn(column));
    Tabelle = new QTableWidget(0, overviewColumnCount, this);
    Tabelle->setObjectName(QStringLiteral("Tabelle"));
    Tabelle->setAccessibleName(QStringLiteral("Klassenübersicht, ein Kind je Zeile"));
    Tabelle->setHorizontalHeaderLabels(headings);
    Tabelle->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A click or Space chooses a child for the worksheets and leaves the others chosen; the arrow
    // keys only move, so looking through the table chooses nobody.
    Tabelle->setSelectionMode(QAbstractItemView::MultiSelection);
    Tabelle->setSelectionBehavior(QAbstractItemView::SelectRows);
    Tabelle->setTabKeyNavigation(false);
    Tabelle->setFocusPolicy(Qt::StrongFocus);
    Tabelle->verticalHeader()->hide();
    Tabelle->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // A long name is cut short with "…" (in full in its tooltip and for a screen reader), so that
    // the figures stay in the window.
    Tabelle->horizontalHeader()->setSectionResizeMode(int(OverviewColumn::Name),
                                                      QHeaderView::Interactive);
    Tabelle->setTextElideMode(Qt::ElideRight);
    Tabelle->horizontalHeader()->setStretchLastSection(true);
    Tabelle->setSortingEnabled(true);
    Tabelle->sortByColumn(int(OverviewColumn::Name), Qt::AscendingOrder);

    But_Fehlerblaetter = new QPushButton(QStringLiteral("&Fehlerblätter drucken"), this);
    But_Fehlerblaetter->setObjectName(QStringLiteral("But_Fehlerblaetter"));
    But_Bericht = new QPushButton(QStringLiteral("&Klassenbericht drucken"), this);
    But_Bericht->setObjectName(QStringLiteral("But_Bericht"));
    But_CSV = new QPushButton(QStringLiteral("Als &CSV speichern"), this);
    But_CSV->setObjectName(QStringLiteral("But_CSV"));
    But_Schliessen = new QPushButton(QStringLiteral("&Schließen"), this);
    But_Schliessen->setObjectName(QStringLiteral("But_Schliessen"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    // No button is the dialog's default; Return presses the focused one.
    auto* returnPresses = new ReturnPressesButton(this);
    for (QPushButton* button : {But_Fehlerblaetter, But_Bericht, But_CSV, But_Schliessen}) {
        button->setAutoDefault(false);
        returnPresses->watch(button);
        button->setFocusPolicy(Qt::StrongFocus);
        buttons->addWidget(button);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addLayout(choices);
    layout->addWidget(Label_Status);
    layout->addWidget(Tabelle, 1);
    layout->addLayout(buttons);

    const QList<QWidget*> order{Auswahl_Zeitraum, Auswahl_Rechenart, Auswahl_Sortierung,
                                Check_Absteigend, Tabelle,           But_Fehlerblaetter,
                                But_Bericht,      But_CSV,           But_Schliessen};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(Auswahl_Zeitraum, &QComboBox::currentIndexChanged, this,
            &TForm_Klassenuebersicht::Auswahl_ZeitraumChange);
    connect(Auswahl_Rechenart, &QComboBox::currentIndexChanged, this,
            &TForm_Klassenuebersicht::Auswahl_RechenartChange);
    connect(Auswahl_Sortierung, &QComboBox::currentIndexChanged, this,
            &TForm_Klassenuebersicht::SortierungChange);
    connect(Check_Absteigend, &QCheckBox::toggled, this,
            &TForm_Klassenuebersicht::SortierungChange);
    // A click on a heading sorts the table itself; the two choices follow it.
    connect(Tabelle->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this,
            [this](int column, Qt::SortOrder order) {
                const QSignalBlocker byColumn(Auswahl_Sortierung);
                const QSignalBlocker byOrder(Check_Absteigend);
                Auswahl_Sortierung->setCurrentIndex(column);
                Check_Absteigend->setChecked(order == Qt::DescendingOrder);
            });
    connect(Tabelle, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { TabelleActivated(row); });
    connect(But_Fehlerblaetter, &QPushButton::clicked, this,
            &TForm_Klassenuebersicht::But_FehlerblaetterClick);
    connect(But_Bericht, &QPushButton::clicked, this, &TForm_Klassenuebersicht::But_BerichtClick);
    connect(But_CSV, &QPushButton::clicked, this, &TForm_Klassenuebersicht::But_CSVClick);
    connect(But_Schliessen, &QPushButton::clicked, this, &QDialog::reject);

    reader_ = new HistoryReader(store_, this);
    focusMarker_ = new FocusMarker(this);
    scaleWindowToScreen(this);
    // The desktop gives headings a font of their own; here they are as large as the cells.
    Tabelle->horizontalHeader()->setFont(this->font());
    showRows();
}

OverviewPeriod TForm_Klassenuebersicht::chosenPeriod() const {
    return OverviewPeriod(
        std::clamp(Auswahl_Zeitraum->currentIndex(), 0, int(allPeriods.size()) - 1));
}

std::optional<Operation> TForm_Klassenuebersicht::chosenOperation() const {
    return operationFromIndex(Auswahl_Rechenart->currentIndex() - 1);
}

QString TForm_Klassenuebersicht::chosenOperationName() const {
    return Auswahl_Rechenart->currentText();
}

QString TForm_Klassenuebersicht::className() const {
    return QDir(dataFolder_).dirName();
}

void TForm_Klassenuebersicht::openFromMainMenu() {
    setWindowState(windowState() | Qt::WindowMaximized);
    // The table says it is loading when it gets the focus; the rows come while the window is
    // open.
    reload();
    Tabelle->setFocus(Qt::OtherFocusReason);
    exec();
}

bool TForm_Klassenuebersicht::loading() const {
    return reader_->busy();
}

void TForm_Klassenuebersicht::reload() {
    loaded_ = true;
    const QString loadingText = QStringLiteral("Die Klassenübersicht wird geladen …");
    Label_Status->setText(loadingText);
    Label_Status->show();
    Tabelle->setAccessibleDescription(loadingText);
    for (QPushButton* button : {But_Fehlerblaetter, But_Bericht, But_CSV})
        button->setEnabled(false);
    const std::optional<Operation> operation = chosenOperation();
    const OverviewPeriod period = chosenPeriod();
    const QDate today = platform_.today();
    reader_->read([this, operation, period, today](HistoryStore& store) -> HistoryReader::Finish {
        QStringList names;
        ClassTotals totals;
        QHash<QString, double> levels;
        const Result<QStringList> readNames = store.participants();
        Outcome error = readNames.outcome();
        if (!error) {
            Result<ClassTotals> read = store.classTotals(operation, periodOf(period, today));
            error = read.outcome();
            if (read) {
                names = *readNames;
                totals = *std::move(read);
            }
        }
        // The Stufe is one operation's: every answer of it is replayed, the whole class's.
        if (!error && operation) {
            LevelReplay replay(*operation);
            error = replay.read(store);
            if (!error)
                levels = replay.currentLevels();
        }
        QList<ChildFigures> rows = classFigures(totals, names, period, today, levels);
        return [this, names, totals = std::move(totals), rows = std::move(rows), error, period] {
            shownPeriod_ = period;
            showLoaded(names, totals, rows, error);
        };
    });
}

void TForm_Klassenuebersicht::showLoaded(const QStringList& names, const ClassTotals& totals,
                                         const QList<ChildFigures>& rows, const Outcome& error) {
    names_ = names;
    totals_ = totals;
    rows_ = rows;
    Label_Status->hide();
    Label_Status->clear();
    Tabelle->setAccessibleDescription(rows_.size() == 1
                                          ? QStringLiteral("1 Kind")
                                          : QStringLiteral("%1 Kinder").arg(rows_.size()));
    showRows();
    if (error)
        storeFailed(error->reason);
}

void TForm_Klassenuebersicht::Auswahl_ZeitraumChange() {
    // The most missed tasks are the period's, added up by the store; before the first reading
    // there is nothing to read again.
    if (loaded_)
        reload();
}

void TForm_Klassenuebersicht::Auswahl_RechenartChange() {
    reload();
}

void TForm_Klassenuebersicht::SortierungChange() {
    Tabelle->sortByColumn(Auswahl_Sortierung->currentIndex(),
                          Check_Absteigend->isChecked() ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TForm_Klassenuebersicht::showRows() {
    // Filling a sorted table would move the rows while they are filled.
    Tabelle->setSortingEnabled(false);
    Tabelle->clearContents();
    Tabelle->setRowCount(int(rows_.size()));
    for (int r = 0; r < rows_.size(); ++r) {
        for (int column = 0; column < overviewColumnCount; ++column) {
            const auto which = OverviewColumn(column);
            QTableWidgetItem* item = readOnlyItem(
                new OverviewItem, overviewCell(rows_[r], which, CellForm::Shown),
                overviewCell(rows_[r], which, CellForm::Spoken), overviewHeading(which));
            if (const std::optional<double> number = overviewNumber(rows_[r], which))
                item->setData(numberRole, *number);
            else if (which != OverviewColumn::Name && which != OverviewColumn::MostMissed)
                item->setData(numberRole, std::numeric_limits<double>::lowest());
            item->setData(nameRole, rows_[r].name);
            // The name column is cut to a width; the last may be too narrow for three tasks.
            if (which == OverviewColumn::MostMissed || which == OverviewColumn::Name)
                item->setToolTip(item->text());
            if (column == 0)
                item->setData(rowIndexRole, r);
            else if (which != OverviewColumn::MostMissed)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            Tabelle->setItem(r, column, item);
        }
    }
    Tabelle->setSortingEnabled(true);
    fitNameColumn();
    if (!rows_.isEmpty())
        Tabelle->selectionModel()->setCurrentIndex(Tabelle->model()->index(0, 0),
                                                   QItemSelectionModel::NoUpdate);
    for (QPushButton* button : {But_Fehlerblaetter, But_Bericht, But_CSV})
        button->setEnabled(!rows_.isEmpty());
}

void TForm_Klassenuebersicht::fitNameColumn() {
    const int column = int(OverviewColumn::Name);
    Tabelle->resizeColumnToContents(column);
    // Room for about 24 letters: a first name and a surname, or a long name cut short.
    const int widest = Tabelle->fontMetrics().averageCharWidth() * 24;
    Tabelle->setColumnWidth(column, std::min(Tabelle->columnWidth(column), widest));
}

QList<ChildFigures> TForm_Klassenuebersicht::shownRows() const {
    QList<ChildFigures> rows;
    for (int r = 0; r < Tabelle->rowCount(); ++r)
        rows.append(rows_[Tabelle->item(r, 0)->data(rowIndexRole).toInt()]);
    return rows;
}

QStringList TForm_Klassenuebersicht::chosenNames() const {
    QStringList chosen;
    QStringList all;
    for (int r = 0; r < Tabelle->rowCount(); ++r) {
        all.append(Tabelle->item(r, 0)->text());
        if (Tabelle->item(r, 0)->isSelected())
            chosen.append(all.last());
    }
    return chosen.isEmpty() ? all : chosen;
}

void TForm_Klassenuebersicht::TabelleActivated(int row) {
    if (row < 0 || row >= Tabelle->rowCount())
        return;
    const QString name = Tabelle->item(row, 0)->text();
    std::optional<Operation> operation = chosenOperation();
    // Over every operation, the child's progress opens in the one practised last.
    if (!operation)
        operation = lastOperationOf(totals_.runs, name);
    emit historyRequested(name, operation);
}

void TForm_Klassenuebersicht::But_FehlerblaetterClick() {
    // The chosen children's runs of the period shown are read one by one, off this thread.
    const QStringList names = chosenNames();
    const std::optional<Operation> operation = chosenOperation();
    const OverviewPeriod period = shownPeriod_;
    const QDate today = platform_.today();
    Label_Status->setText(QStringLiteral("Die Fehlerblätter werden zusammengestellt …"));
    Label_Status->show();
    But_Fehlerblaetter->setEnabled(false);
    reader_->read([this, names, operation, period, today](HistoryStore& store) {
        const Result<ChildSheets> read = mistakeSheets(
            [&](const QString& name, const std::function<void(const HistoryRun&)>& visit) {
                return store.eachRun(name, operation, visit);
            },
            names, periodOf(period, today));
        const Outcome error = read.outcome();
        const ChildSheets chosen = read ? *read : ChildSheets();
        return HistoryReader::Finish([this, chosen, error, period, operation] {
            Label_Status->hide();
            But_Fehlerblaetter->setEnabled(!rows_.isEmpty());
            if (error)
                storeFailed(error->reason);
            else
                printMistakeSheets(chosen, period, operation.has_value());
        });
    });
}

void TForm_Klassenuebersicht::printMistakeSheets(const ChildSheets& chosen, OverviewPeriod period,
                                                 bool oneOperation) {
    // "in den letzten 7 Tagen bei dieser Rechenart", or without the operation for all of them.
    const QString where =
        periodWords(period) + (oneOperation ? QStringLiteral(" bei dieser Rechenart") : QString());
    if (chosen.sheets.isEmpty()) {
        platform_.showMessage(
            this, MessageKind::Information, MessageButtons::Ok,
            QStringLiteral("%1 %2 %3 keine Aufgaben zum Üben. Es wurde nichts gedruckt.")
                .arg(namesText(chosen.leftOut),
                     chosen.leftOut.size() == 1 ? QStringLiteral("hat") : QStringLiteral("haben"),
                     where));
        return;
    }
    if (!chosen.leftOut.isEmpty())
        platform_.showMessage(
            this, MessageKind::Information, MessageButtons::Ok,
            QStringLiteral("Ohne Fehlerblatt, weil es %1 nichts zu üben gibt: %2.")
                .arg(where, namesText(chosen.leftOut)));
    const QString date = germanDateText(platform_.today());
    const Printout printout = mistakeSheetsPrintout(chosen.sheets, periodName(period), date,
                                                    longTimeText(platform_.localTime()));
    printers_.printWithDialogOrFile(
        platform_, this, printout, dataFolder_,
        printFileName({QStringLiteral("Fehlerblätter"), className(), date}).chopped(4));
}

void TForm_Klassenuebersicht::But_BerichtClick() {
    const QString date = germanDateText(platform_.today());
    const Printout printout =
        classReportPrintout(shownRows(), className(), periodName(shownPeriod_),
                            chosenOperationName(), date, longTimeText(platform_.localTime()));
    printers_.printWithDialogOrFile(
        platform_, this, printout, dataFolder_,
        printFileName({QStringLiteral("Klassenbericht"), className(), date}).chopped(4));
}

void TForm_Klassenuebersicht::But_CSVClick() {
    FileDialogRequest request;
    request.title = QStringLiteral("Klassenübersicht als CSV speichern");
    request.defaultSuffix = QStringLiteral("csv");
    request.initialName =
        printFileName({QStringLiteral("Klassenübersicht"), className(), periodName(shownPeriod_),
                       chosenOperationName(), germanDateText(platform_.today())})
            .chopped(4) +
        QStringLiteral(".csv");
    request.filter = QStringLiteral("CSV-Dateien (*.csv)");
    request.directory = dataFolder_;
    // The question names the file that would be replaced, also where the name chosen is a link.
    request.confirmOverwrite = false;
    const std::optional<QString> path = platform_.saveFileName(this, request);
    if (!path)
        return;
    const QFileInfo chosen(*path);
    if (chosen.exists()) {
        const QString target = chosen.isSymLink() ? chosen.canonicalFilePath() : *path;
        if (platform_.showMessage(this, MessageKind::Confirmation, MessageButtons::YesNo,
                                  QStringLiteral("Die Datei\n%1\ngibt es schon. Soll sie ersetzt "
                                                 "werden?")
                                      .arg(QDir::toNativeSeparators(target)),
                                  std::nullopt, MessageAnswer::No) != MessageAnswer::Yes)
            return;
    }
    const Outcome failed = replaceContents(
        *path,
        classOverviewCsv(shownRows(), className(), periodName(shownPeriod_), chosenOperationName()),
        FileOrigin::Chosen);
    if (failed)
        platform_.showMessage(this, MessageKind::Warning, MessageButtons::Ok,
                              QStringLiteral("Die Klassenübersicht konnte nicht in der Datei\n%1\n"
                                             "gespeichert werden.\n%2")
                                  .arg(QDir::toNativeSeparators(*path), failed->reason));
}

void TForm_Klassenuebersicht::storeFailed(const QString& reason) {
    platform_.showMessage(this, MessageKind::Warning, MessageButtons::Ok,
                          historyReadFailure(store_, reason));
}

void TForm_Klassenuebersicht::keyPressEvent(QKeyEvent* event) {
    // Return opens the child of the current row from the table.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (focusWidget() == Tabelle)
            TabelleActivated(Tabelle->currentRow());
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
