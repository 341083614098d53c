#include "history/windows/TForm_Lernverlauf.h"

#include "appearance/focus_marker.h"
#include "common/file_access.h"
#include "engine/operation.h"
#include "history/model/history_stats.h"
#include "history/model/progress_cells.h"
#include "history/windows/history_reader.h"
#include "history/windows/history_widgets.h"
#include "main_window/return_presses_button.h"
#include "platform/platform.h"
#include "platform/window_scaling.h"
#include "storage/task_set_file.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateTimeAxis>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineSeries>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>

namespace {

constexpr int designWidth = 800;
constexpr int designHeight = 600;
constexpr int listLength = 10;

// A table that Tab leaves at once; the arrow keys move through the cells, which a screen reader
// reads one by one.
QTableWidget* makeTable(QWidget* parent, const QString& objectName, const QString& name,
                        const QStringList& headings) {
    auto* table = new QTableWidget(0, int(headings.size()), parent);
    table->setObjectName(objectName);
    table->setAccessibleName(name);
    table->setHorizontalHeaderLabels(headings);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setTabKeyNavigation(false);
    table->setFocusPolicy(Qt::StrongFocus);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    return table;
}

} // namespace

TForm_Lernverlauf::TForm_Lernverlauf(HistoryStore& store, Platform& platform, QWidget* parent,
                                     const QString& dataFolder)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      store_(store), platform_(platform), dataFolder_(dataFolder) {
    FormCreate();
}

void TForm_Lernverlauf::FormCreate() {
    setObjectName(QStringLiteral("Form_Lernverlauf"));
    setWindowTitle(QStringLiteral("Lernverlauf"));
    resize(designWidth, designHeight);
    QFont font = this->font();
    font.setPixelSize(14);
    setFont(font);

    Label_Name = new QLabel(QStringLiteral("&Kind:"), this);
    Label_Name->setObjectName(QStringLiteral("Label_Name"));
    Auswahl_Name = new ChoiceBox(this);
    Auswahl_Name->setObjectName(QStringLiteral("Auswahl_Name"));
    Auswahl_Name->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    Auswahl_Name->setMinimumContentsLength(12);
    Label_Name->setBuddy(Auswahl_Name);

    Label_Rechenart = new QLabel(QStringLiteral("&Rechenart:"), this);
    Label_Rechenart->setObjectName(QStringLiteral("Label_Rechenart"));
    Auswahl_Rechenart = new ChoiceBox(this);
    Auswahl_Rechenart->setObjectName(QStringLiteral("Auswahl_Rechenart"));
    for (Operation operation : allOperations)
        Auswahl_Rechenart->addItem(operationName(operation));
    Label_Rechenart->setBuddy(Auswahl_Rechenart);

    Label_Status = new QLabel(this);
    Label_Status->setObjectName(QStringLiteral("Label_Status"));
    Label_Status->hide();

    Label_Stufe = new QLabel(this);
    Label_Stufe->setObjectName(QStringLiteral("Label_Stufe"));

    auto* choice = new QHBoxLayout;
    choice->addWidget(Label_Name);
    choice->addWidget(Auswahl_Name);
    choice->addSpacing(24);
    choice->addWidget(Label_Rechenart);
    choice->addWidget(Auswahl_Rechenart);
    choice->addSpacing(24);
    choice->addWidget(Label_Stufe);
    choice->addStretch(1);

    Reihe_Tempo = new QLineSeries;
    Reihe_Tempo->setName(QStringLiteral("Aufgaben pro Minute"));
    Reihe_Tempo->setPointsVisible(true);
    Reihe_Richtig = new QLineSeries;
    Reihe_Richtig->setName(QStringLiteral("Anteil richtig (%)"));
    Reihe_Richtig->setPointsVisible(true);
    Reihe_Stufe = new QLineSeries;
    Reihe_Stufe->setName(QStringLiteral("Stufe"));
    Reihe_Stufe->setPointsVisible(true);
    auto* chart = new QChart;
    chart->addSeries(Reihe_Tempo);
    chart->addSeries(Reihe_Richtig);
    chart->addSeries(Reihe_Stufe);
    auto* dates = new QDateTimeAxis;
    dates->setFormat(QStringLiteral("dd.MM.yyyy"));
    dates->setTitleText(QStringLiteral("Tag"));
    auto* speed = new QValueAxis;
    speed->setTitleText(Reihe_Tempo->name());
    speed->setLabelFormat(QStringLiteral("%.0f"));
    auto* share = new QValueAxis;
    share->setTitleText(Reihe_Richtig->name());
    share->setRange(0, 100);
    share->setTickCount(5);
    speed->setTickCount(5);
    share->setLabelFormat(QStringLiteral("%.0f"));
    // The Stufe on a scale of its own, 1 to 10 as a child counts it; its grid would cross the
    // others', so it has none.
    auto* stufe = new QValueAxis;
    stufe->setTitleText(Reihe_Stufe->name());
    stufe->setRange(1, 10);
    stufe->setTickCount(10);
    stufe->setLabelFormat(QStringLiteral("%.0f"));
    stufe->setGridLineVisible(false);
    chart->addAxis(dates, Qt::AlignBottom);
    chart->addAxis(speed, Qt::AlignLeft);
    chart->addAxis(share, Qt::AlignRight);
    chart->addAxis(stufe, Qt::AlignRight);
    Reihe_Tempo->attachAxis(dates);
    Reihe_Tempo->attachAxis(speed);
    Reihe_Richtig->attachAxis(dates);
    Reihe_Richtig->attachAxis(share);
    Reihe_Stufe->attachAxis(dates);
    Reihe_Stufe->attachAxis(stufe);
    chart->legend()->setAlignment(Qt::AlignTop);
    Diagramm = new QChartView(chart, this);
    Diagramm->setObjectName(QStringLiteral("Diagramm"));
    Diagramm->setRenderHint(QPainter::Antialiasing);
    // Focusable, so that a screen reader reads the description with the latest figures.
    Diagramm->setFocusPolicy(Qt::StrongFocus);
    Diagramm->setAccessibleName(QStringLiteral("Diagramm: Aufgaben pro Minute und Anteil richtig"));
    Diagramm->viewport()->setAccessibleName(Diagramm->accessibleName());
    Diagramm->setMinimumHeight(220);

    Einmaleins = new QTableWidget(10, 10, this);
    Einmaleins->setObjectName(QStringLiteral("Einmaleins"));
    Einmaleins->setAccessibleName(
        QStringLiteral("Einmaleins: mittlere Zeit je Aufgabe, Farbe nach Fehlern"));
    QStringList numbers;
    for (int n = 1; n <= 10; ++n)
        numbers.append(QString::number(n));
    Einmaleins->setHorizontalHeaderLabels(numbers);
    Einmaleins->setVerticalHeaderLabels(numbers);
    Einmaleins->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Einmaleins->setSelectionMode(QAbstractItemView::SingleSelection);
    Einmaleins->setTabKeyNavigation(false);
    Einmaleins->setFocusPolicy(Qt::StrongFocus);
    Einmaleins->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    Einmaleins->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);

    Fehler_Liste = makeTable(
        this, QStringLiteral("Fehler_Liste"), QStringLiteral("Die häufigsten Fehler"),
        {QStringLiteral("Aufgabe"), QStringLiteral("Fehler"), QStringLiteral("Versuche")});
    Langsam_Liste = makeTable(
        this, QStringLiteral("Langsam_Liste"), QStringLiteral("Die langsamsten Aufgaben"),
        {QStringLiteral("Aufgabe"), QStringLiteral("mittlere Zeit"), QStringLiteral("Versuche")});
    auto* tables = new QHBoxLayout;
    tables->addWidget(Einmaleins);
    tables->addWidget(Fehler_Liste);
    tables->addWidget(Langsam_Liste);

    But_CSV = new QPushButton(QStringLiteral("&Als CSV speichern"), this);
    But_CSV->setObjectName(QStringLiteral("But_CSV"));
    But_Fehler_ueben = new QPushButton(QStringLiteral("&Fehler üben"), this);
    But_Fehler_ueben->setObjectName(QStringLiteral("But_Fehler_ueben"));
    But_Schliessen = new QPushButton(QStringLiteral("&Schließen"), this);
    But_Schliessen->setObjectName(QStringLiteral("But_Schliessen"));
    Label_Legende = new QLabel(QStringLiteral("✓ immer richtig, ✗2 zweimal falsch. Grün: meist "
                                              "richtig, rot: oft falsch. Je kräftiger die Farbe, "
                                              "desto länger hat die Aufgabe gedauert."),
                               this);
    Label_Legende->setObjectName(QStringLiteral("Label_Legende"));
    Label_Legende->setWordWrap(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Label_Status);
    buttons->addWidget(Label_Legende, 1);
    buttons->addStretch(); // keeps the buttons at the right while the legend is hidden
    // No button is the dialog's default, so Return in a list box neither saves a file nor starts a
    // run; Return presses the focused button.
    auto* returnPresses = new ReturnPressesButton(this);
    for (QPushButton* button : {But_CSV, But_Fehler_ueben, But_Schliessen}) {
        button->setAutoDefault(false);
        returnPresses->watch(button);
        button->setFocusPolicy(Qt::StrongFocus);
        buttons->addWidget(button);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addLayout(choice);
    layout->addWidget(Diagramm, 3);
    layout->addLayout(tables, 2);
    layout->addLayout(buttons);

    setTabOrder(Auswahl_Name, Auswahl_Rechenart);
    setTabOrder(Auswahl_Rechenart, Diagramm);
    setTabOrder(Diagramm, Einmaleins);
    setTabOrder(Einmaleins, Fehler_Liste);
    setTabOrder(Fehler_Liste, Langsam_Liste);
    setTabOrder(Langsam_Liste, But_CSV);
    setTabOrder(But_CSV, But_Fehler_ueben);
    setTabOrder(But_Fehler_ueben, But_Schliessen);

    connect(Auswahl_Name, &QComboBox::currentIndexChanged, this,
            &TForm_Lernverlauf::Auswahl_NameChange);
    connect(Auswahl_Rechenart, &QComboBox::currentIndexChanged, this,
            &TForm_Lernverlauf::Auswahl_RechenartChange);
    connect(But_CSV, &QPushButton::clicked, this, &TForm_Lernverlauf::But_CSVClick);
    connect(But_Fehler_ueben, &QPushButton::clicked, this,
            &TForm_Lernverlauf::But_Fehler_uebenClick);
    connect(But_Schliessen, &QPushButton::clicked, this, &TForm_Lernverlauf::But_SchliessenClick);

    reader_ = new HistoryReader(store_, this);
    focusMarker_ = new FocusMarker(this);
    scaleWindowToScreen(this);
    // The chart draws its texts in its own fonts, which the scaling does not reach.
    QFont chartFont = this->font();
    chart->legend()->setFont(chartFont);
    for (QAbstractAxis* axis : chart->axes()) {
        axis->setLabelsFont(chartFont);
        axis->setTitleFont(chartFont);
    }
    chartFont.setBold(true);
    chart->setTitleFont(chartFont);
    // The desktop gives headings a font of their own; here they are as large as the cells.
    for (QTableWidget* table : {Einmaleins, Fehler_Liste, Langsam_Liste}) {
        table->horizontalHeader()->setFont(this->font());
        table->verticalHeader()->setFont(this->font());
    }
    // A run is a dot a child sees: less than half a line of text across.
    const QFontMetrics metrics(this->font());
    for (QLineSeries* series : {Reihe_Tempo, Reihe_Richtig, Reihe_Stufe})
        series->setMarkerSize(qMax<qreal>(7, metrics.height() * 0.4));
    // All ten rows of the times table show without scrolling; the chart gives up the room.
    const int row = metrics.height() + 6;
    Einmaleins->verticalHeader()->setMinimumSectionSize(row);
    Einmaleins->setMinimumHeight(Einmaleins->horizontalHeader()->sizeHint().height() + 10 * row +
                                 2 * Einmaleins->frameWidth());
    showFigures();
}

QString TForm_Lernverlauf::chosenName() const {
    return Auswahl_Name->currentText();
}

Operation TForm_Lernverlauf::chosenOperation() const {
    const int index = Auswahl_Rechenart->currentIndex();
    return operationFromIndex(index).value_or(Operation::Add);
}

void TForm_Lernverlauf::openFromMainMenu() {
    reload();
    setWindowState(windowState() | Qt::WindowMaximized);
    exec();
}

void TForm_Lernverlauf::openFor(const QString& participant, std::optional<Operation> operation) {
    lastChosenName_ = participant;
    if (operation) {
        const QSignalBlocker blocker(Auswahl_Rechenart);
        Auswahl_Rechenart->setCurrentIndex(operationIndex(*operation));
    }
    openFromMainMenu();
}

bool TForm_Lernverlauf::loading() const {
    return reader_->busy();
}

void TForm_Lernverlauf::showLoading() {
    figuresPending_ = true;
    const QString loadingText = QStringLiteral("Der Lernverlauf wird geladen …");
    Label_Status->setText(loadingText);
    Label_Status->show();
    Auswahl_Name->setAccessibleDescription(loadingText);
    But_Fehler_ueben->setEnabled(false);
}

TForm_Lernverlauf::Shown TForm_Lernverlauf::readShown(HistoryStore& store, const QString& name,
                                                      Operation operation, Outcome& error) {
    // The runs are added up one by one as they are read: a child with a million runs costs no
    // more memory than one with ten.
    HistoryTally tally(chartPoints);
    Shown shown;
    if (name.isEmpty())
        return shown;
    error = store.tallyRuns(name, operation, tally);
    if (error)
        return shown;
    shown.points = tally.points();
    shown.latest = tally.latest();
    shown.tasks = tally.tasks();
    shown.timesTable = tally.timesTable();
    for (const PracticeTask& task : tally.practiceTasks())
        shown.practice.append(task.operands);
    return shown;
}

void TForm_Lernverlauf::readLevels(const QString& name, Operation operation) {
    if (name.isEmpty())
        return;
    // The Stufe comes from every child's answers of the operation, replayed off the window's
    // thread; they are held only as a few numbers each until then.
    reader_->read([this, name, operation](HistoryStore& store) -> HistoryReader::Finish {
        LevelReplay levels(operation);
        if (levels.read(store))
            return {};
        return [this, points = levels.dailyLevels(name)] {
            shown_.levels = points;
            showChart();
        };
    });
}

void TForm_Lernverlauf::reload() {
    showLoading();
    namesPending_ = true;
    const Operation operation = chosenOperation();
    const QString lastChosen = lastChosenName_;
    reader_->read([this, operation, lastChosen](HistoryStore& store) -> HistoryReader::Finish {
        const Result<QStringList> read = store.participants();
        Outcome error = read.outcome();
        const QStringList names = read ? *read : QStringList();
        // The child chosen last, or the first.
        const QString name = names.contains(lastChosen) ? lastChosen : names.value(0);
        Shown shown;
        if (!error)
            shown = readShown(store, name, operation, error);
        return [this, names, name, operation, shown = std::move(shown), error] {
            namesPending_ = false;
            {
                const QSignalBlocker blocker(Auswahl_Name);
                Auswahl_Name->clear();
                Auswahl_Name->addItems(names);
                Auswahl_Name->setCurrentIndex(int(names.indexOf(name)));
            }
            if (!name.isEmpty())
                lastChosenName_ = name;
            showShown(shown, error);
            if (!error)
                readLevels(name, operation);
        };
    });
}

void TForm_Lernverlauf::showShown(const Shown& shown, const Outcome& error) {
    figuresPending_ = false;
    shown_ = error ? Shown() : shown;
    Label_Status->hide();
    Auswahl_Name->setAccessibleDescription(QString());
    showFigures();
    if (error)
        storeFailed(error->reason);
}

void TForm_Lernverlauf::Auswahl_NameChange() {
    if (!chosenName().isEmpty())
        lastChosenName_ = chosenName();
    Auswahl_RechenartChange();
}

void TForm_Lernverlauf::Auswahl_RechenartChange() {
    // While the names are read, they are read again with the new choice.
    if (namesPending_) {
        reload();
        return;
    }
    showLoading();
    const QString name = chosenName();
    const Operation operation = chosenOperation();
    reader_->read([this, name, operation](HistoryStore& store) -> HistoryReader::Finish {
        Outcome error;
        Shown shown = readShown(store, name, operation, error);
        return [this, name, operation, shown = std::move(shown), error] {
            showShown(shown, error);
            if (!error)
                readLevels(name, operation);
        };
    });
}

void TForm_Lernverlauf::storeFailed(const QString& reason) {
    platform_.showMessage(this, MessageKind::Warning, MessageButtons::Ok,
                          historyReadFailure(store_, reason));
}

void TForm_Lernverlauf::showFigures() {
    showChart();
    showTables();
    But_CSV->setEnabled(!chosenName().isEmpty());
    But_Fehler_ueben->setEnabled(!chosenName().isEmpty());
}

void TForm_Lernverlauf::showChart() {
    const QList<RunFigures>& figures = shown_.points;
    QList<QPointF> speed, share, levels;
    for (const RunFigures& run : figures) {
        const qreal x = qreal(run.startedAt.toMSecsSinceEpoch());
        speed.append({x, run.solvedPerMinute});
        share.append({x, run.rightShare * 100.0});
    }
    for (const LevelPoint& day : shown_.levels)
        levels.append({qreal(day.at.toMSecsSinceEpoch()), day.stufe});
    Reihe_Tempo->replace(speed);
    Reihe_Richtig->replace(share);
    Reihe_Stufe->replace(levels);
    Label_Stufe->setText(levelLabel(shown_.levels));
    Label_Stufe->setVisible(!shown_.levels.isEmpty());

    QChart* chart = Diagramm->chart();
    const ChartScale scale = chartScale(figures, platform_.today());
    auto* dates = static_cast<QDateTimeAxis*>(chart->axes(Qt::Horizontal).first());
    dates->setRange(scale.from.startOfDay(), scale.from.addDays(scale.days).startOfDay());
    dates->setTickCount(int(scale.days / scale.step) + 1);
    chart->axes(Qt::Vertical).first()->setRange(0, scale.speedTop);

    if (figures.isEmpty()) {
        const QString calm = QStringLiteral("Noch keine Läufe mit dieser Rechenart.");
        chart->setTitle(calm);
        setChartDescription(calm);
        return;
    }
    chart->setTitle(QString());
    setChartDescription(chartDescription(shown_.latest.value_or(figures.last()), shown_.levels));
}

// The view and its drawing area both report the focus; both carry the text.
void TForm_Lernverlauf::setChartDescription(const QString& text) {
    Diagramm->setAccessibleDescription(text);
    Diagramm->viewport()->setAccessibleDescription(text);
}

void TForm_Lernverlauf::showTables() {
    const Operation operation = chosenOperation();
    const bool timesTableShown = operation == Operation::Multiply;
    Einmaleins->setVisible(timesTableShown);
    Label_Legende->setVisible(timesTableShown);
    Fehler_Liste->setVisible(!timesTableShown);
    Langsam_Liste->setVisible(!timesTableShown);

    if (timesTableShown) {
        const TimesTableCells cells = timesTableCells(shown_.timesTable, operation);
        for (int a = 0; a < 10; ++a) {
            for (int b = 0; b < 10; ++b) {
                const TimesTableCell& cell = cells[a][b];
                QTableWidgetItem* item =
                    readOnlyItem(cell.text, cell.spoken, QStringLiteral("Einmaleins"));
                item->setTextAlignment(Qt::AlignCenter);
                item->setBackground(cell.asked
                                        ? QColor::fromHsv(cell.hue, cell.saturation, cell.value)
                                        : QColor(Qt::white));
                item->setForeground(Qt::black);
                Einmaleins->setItem(a, b, item);
            }
        }
        return;
    }

    const QList<TaskFigures>& tasks = shown_.tasks;
    const auto fill = [&](QTableWidget* list, const QList<TaskFigures>& rows, bool byTime) {
        list->setRowCount(int(rows.size()));
        const QString middle = list->horizontalHeaderItem(1)->text();
        for (int r = 0; r < rows.size(); ++r) {
            const TaskFigures& task = rows[r];
            const QString value = byTime ? secondsText(task.meanMs) : QString::number(task.misses);
            const QString attempts = QString::number(task.attempts);
            const QString name = taskText(task.operand1, task.operand2, operation);
            list->setItem(r, 0, readOnlyItem(name, name, QStringLiteral("Aufgabe")));
            list->setItem(r, 1, readOnlyItem(value, value, middle));
            list->setItem(r, 2, readOnlyItem(attempts, attempts, QStringLiteral("Versuche")));
        }
    };
    fill(Fehler_Liste, mostMissed(tasks, listLength), false);
    fill(Langsam_Liste, slowest(tasks, listLength), true);
}

void TForm_Lernverlauf::But_CSVClick() {
    const QString name = chosenName();
    FileDialogRequest request;
    request.title = QStringLiteral("Lernverlauf als CSV speichern");
    request.directory = dataFolder_;
    request.defaultSuffix = QStringLiteral("csv");
    // The same replacements as for a task set's automatic name keep the file in the folder.
    request.initialName = QStringLiteral("Lernverlauf ") + automaticTaskSetName(name).chopped(4) +
                          QStringLiteral(".csv");
    request.filter = QStringLiteral("CSV-Dateien (*.csv)");
    const std::optional<QString> path = platform_.saveFileName(this, request);
    if (!path)
        return;
    // The answers are read and written out off this thread; the file is replaced here.
    showLoading();
    reader_->read([this, name, path = *path](HistoryStore& store) -> HistoryReader::Finish {
        const Result<QList<HistoryRun>> all = store.runs(name, std::nullopt);
        const Outcome error = all.outcome();
        const QByteArray csv = all ? answersCsv(*all) : QByteArray();
        return [this, name, path, csv, error] {
            showShown(shown_, std::nullopt);
            // The export may have taken the place of the Stufe's reading.
            if (shown_.levels.isEmpty())
                readLevels(name, chosenOperation());
            if (error) {
                storeFailed(error->reason);
                return;
            }
            // The old file stays whole until the new one is on the disk: a full disk costs the
            // export, not what the file held before.
            if (const Outcome failed = replaceContents(path, csv, FileOrigin::Chosen))
                platform_.showMessage(
                    this, MessageKind::Warning, MessageButtons::Ok,
                    QStringLiteral("Der Lernverlauf konnte nicht in der Datei\n%1\n"
                                   "gespeichert werden.\n%2")
                        .arg(QDir::toNativeSeparators(path), failed->reason));
        };
    });
}

void TForm_Lernverlauf::But_Fehler_uebenClick() {
    const QList<OperandPair> tasks = shown_.practice;
    if (tasks.isEmpty()) {
        platform_.showMessage(this, MessageKind::Information, MessageButtons::Ok,
                              QStringLiteral("%1 hat bei dieser Rechenart keine Aufgaben zum Üben.")
                                  .arg(chosenName()));
        return;
    }
    const QString name = chosenName();
    const Operation operation = chosenOperation();
    accept();
    emit practiceRequested(name, operation, tasks);
}

void TForm_Lernverlauf::But_SchliessenClick() {
    reject();
}
