#include "review/TForm_Drucken.h"

#include "platform/window_scaling.h"

#include <QApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleFactory>
#include <QTimer>

#include <cmath>

namespace {

constexpr int designClientWidth = 641;
constexpr int designClientHeight = 433;
constexpr int headingLimit = 70;

constexpr QColor teal(0x00, 0x80, 0x80);
// The window's text as designed, before it is scaled to the screen.
constexpr int designTextPixels = 13;

// The style draws a radio button's circle at a fixed size, which at 200 % is too small to tell
// a checked option from an unchecked one on teal. Here the circle grows with the option's text.
class TextSizedIndicators : public QProxyStyle {
public:
    explicit TextSizedIndicators(QObject* owner)
        : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {
        setParent(owner);
    }

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        const int size = QProxyStyle::pixelMetric(metric, option, widget);
        if ((metric != PM_ExclusiveIndicatorWidth && metric != PM_ExclusiveIndicatorHeight) ||
            !widget)
            return size;
        const int textPixels = QFontInfo(widget->font()).pixelSize();
        return qMax(1, int(std::lround(double(size) * textPixels / designTextPixels)));
    }
};

QFont systemFont(int pixels) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(pixels);
    return font;
}

QGroupBox* makeGroup(QWidget* parent, const char* name, const QString& caption, const QRect& r) {
    auto* group = new QGroupBox(caption, parent);
    group->setObjectName(QString::fromLatin1(name));
    // Teal boxes with their captions in bold white, the options in white. Only the weight is set
    // here, so the size follows the window and its scaling.
    QPalette palette = group->palette();
    palette.setColor(QPalette::Window, teal);
    palette.setColor(QPalette::WindowText, Qt::white);
    group->setPalette(palette);
    group->setAutoFillBackground(true);
    QFont bold;
    bold.setBold(true);
    group->setFont(bold);
    group->setGeometry(r);
    return group;
}

QRadioButton* makeOption(QGroupBox* group, const char* name, const QString& caption, int top,
                         QStyle* style, bool checked = false) {
    auto* option = new QRadioButton(caption, group);
    option->setStyle(style);
    option->setObjectName(QString::fromLatin1(name));
    // As wide as the box allows: the circle that grows with the text takes room from the text.
    option->setGeometry(12, top, group->width() - 16, 20);
    option->setChecked(checked);
    QFont normal;
    normal.setBold(false);
    option->setFont(normal);
    return option;
}

} // namespace

TForm_Drucken::TForm_Drucken(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("Form_Drucken"));
    setWindowTitle(
        QStringLiteral("     Einstellungen zum Drucken von gespeicherten oder aktuellen Aufgaben"));
    setFont(systemFont(designTextPixels));
    resize(designClientWidth, designClientHeight);
    QStyle* options = new TextSizedIndicators(this);

    Group_Name =
        makeGroup(this, "Group_Name", QStringLiteral("Name-Überschrift"), QRect(32, 32, 577, 145));
    Radio_B_mit_Namen =
        makeOption(Group_Name, "Radio_B_mit_Namen",
                   QStringLiteral("  mit gespeichertem Namen, mit den erzielten Punkten, ..."), 24,
                   options, true);
    Radio_B_mit_Ueberschrift =
        makeOption(Group_Name, "Radio_B_mit_Ueberschrift",
                   QStringLiteral("  mit einer noch einzugebenden Überschrift"), 48, options);
    Radio_B_ohne_Namen_Ueberschrift =
        makeOption(Group_Name, "Radio_B_ohne_Namen_Ueberschrift",
                   QStringLiteral("  ohne Namen, ...  und ohne Überschrift"), 72, options);
    Edit_Ueberschrift = new QLineEdit(Group_Name);
    Edit_Ueberschrift->setObjectName(QStringLiteral("Edit_Ueberschrift"));
    Edit_Ueberschrift->setGeometry(16, 104, 545, 24);
    Edit_Ueberschrift->setMaxLength(headingLimit);
    QPalette editPalette = Edit_Ueberschrift->palette();
    editPalette.setColor(QPalette::Active, QPalette::Text, Qt::black);
    editPalette.setColor(QPalette::Inactive, QPalette::Text, Qt::black);
    editPalette.setColor(QPalette::Base, Qt::white);
    editPalette.setColor(QPalette::Disabled, QPalette::Base, QColor(0xc0, 0xc0, 0xc0));
    editPalette.setColor(QPalette::Disabled, QPalette::Text, QColor(0x40, 0x40, 0x40));
    Edit_Ueberschrift->setPalette(editPalette);
    Edit_Ueberschrift->setAccessibleName(QStringLiteral("Überschrift"));
    Edit_Ueberschrift->setEnabled(false);

    Group_Zahl_1 =
        makeGroup(this, "Group_Zahl_1", QStringLiteral("Zahl 1"), QRect(32, 216, 161, 73));
    Radio_B_mit_Zahl_1 = makeOption(Group_Zahl_1, "Radio_B_mit_Zahl_1",
                                    QStringLiteral("  mit Zahl 1"), 24, options, true);
    Radio_B_ohne_Zahl_1 = makeOption(Group_Zahl_1, "Radio_B_ohne_Zahl_1",
                                     QStringLiteral("  ohne Zahl 1"), 46, options);

    Group_Verknuepfung = makeGroup(this, "Group_Verknuepfung", QStringLiteral("+   -   *   :"),
                                   QRect(240, 216, 161, 73));
    Radio_B_mit_Verknuepfung = makeOption(Group_Verknuepfung, "Radio_B_mit_Verknuepfung",
                                          QStringLiteral("  mit  +  -  *  :"), 24, options, true);
    Radio_B_ohne_Verknuepfung = makeOption(Group_Verknuepfung, "Radio_B_ohne_Verknuepfung",
                                           QStringLiteral("  ohne  +  -  *  :"), 46, options);

    Group_Zahl_2 =
        makeGroup(this, "Group_Zahl_2", QStringLiteral("Zahl 2"), QRect(448, 216, 161, 73));
    Radio_B_mit_Zahl_2 = makeOption(Group_Zahl_2, "Radio_B_mit_Zahl_2",
                                    QStringLiteral("  mit Zahl 2"), 24, options, true);
    Radio_Bohne_Zahl_2 = makeOption(Group_Zahl_2, "Radio_Bohne_Zahl_2",
                                    QStringLiteral("  ohne Zahl 2"), 46, options);

    Group_B_Ergebnis =
        makeGroup(this, "Group_B_Ergebnis", QStringLiteral("Ergebnis"), QRect(32, 344, 161, 73));
    Radio_B_mit_Ergebnis = makeOption(Group_B_Ergebnis, "Radio_B_mit_Ergebnis",
                                      QStringLiteral("  mit Ergebnis"), 24, options, true);
    Radio_B_ohne_ERgebnis = makeOption(Group_B_Ergebnis, "Radio_B_ohne_ERgebnis",
                                       QStringLiteral("  ohne Ergebnis"), 46, options);

    GroupBox1 = makeGroup(this, "GroupBox1", QStringLiteral("Eingabe u. Wertung"),
                          QRect(400, 344, 209, 73));
    Radio_B_mit_Eingabe = makeOption(GroupBox1, "Radio_B_mit_Eingabe",
                                     QStringLiteral("  mit Eingabe u. Wertung"), 24, options, true);
    Radio_B_ohne_Eingabe = makeOption(GroupBox1, "Radio_B_ohne_Eingabe",
                                      QStringLiteral("  ohne Eingabe u. Wertung"), 46, options);

    BitBtn_ok = new QPushButton(QStringLiteral("ok"), this);
    BitBtn_ok->setObjectName(QStringLiteral("BitBtn_ok"));
    BitBtn_ok->setGeometry(256, 368, 81, 25);
    // Return closes the dialog from anywhere in it, the heading field included.
    BitBtn_ok->setAutoDefault(false);
    BitBtn_ok->setDefault(true);

    // The tab order is the order of creation: the options of each box, then the heading field.

    connect(BitBtn_ok, &QPushButton::clicked, this, &TForm_Drucken::BitBtn_okClick);
    // Selected by mouse or by keyboard, the heading option opens the field; the text stays
    // whatever happens to the option.
    connect(Radio_B_mit_Ueberschrift, &QRadioButton::toggled, this,
            &TForm_Drucken::Radio_B_mit_UeberschriftToggled);
    Radio_B_mit_Ueberschrift->installEventFilter(this);

    FormCreate();
}

void TForm_Drucken::FormCreate() {
    scaleWindowToScreen(this);
}

void TForm_Drucken::ask() {
    setWindowState(windowState() | Qt::WindowMaximized);
    exec();
}

SheetOptions TForm_Drucken::choices() const {
    SheetOptions options;
    options.header = Radio_B_mit_Namen->isChecked()          ? SheetHeader::Stored
                     : Radio_B_mit_Ueberschrift->isChecked() ? SheetHeader::Heading
                                                             : SheetHeader::None;
    options.heading = Edit_Ueberschrift->text();
    options.withOperand1 = Radio_B_mit_Zahl_1->isChecked();
    options.withOperation = Radio_B_mit_Verknuepfung->isChecked();
    options.withOperand2 = Radio_B_mit_Zahl_2->isChecked();
    options.withResult = Radio_B_mit_Ergebnis->isChecked();
    options.withInput = Radio_B_mit_Eingabe->isChecked();
    return options;
}

void TForm_Drucken::BitBtn_okClick() {
    accept();
}

void TForm_Drucken::Radio_B_mit_UeberschriftToggled(bool checked) {
    Edit_Ueberschrift->setEnabled(checked);
}

// A click on the option means "I want to type a heading": the cursor goes there. Moving
// through the options with the arrow keys leaves the focus on them, so a keyboard user can go
// on to the next option or reach the field with Tab.
void TForm_Drucken::Radio_B_mit_UeberschriftMouseUp() {
    if (Radio_B_mit_Ueberschrift->isChecked())
        Edit_Ueberschrift->setFocus(Qt::MouseFocusReason);
}

bool TForm_Drucken::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Radio_B_mit_Ueberschrift && event->type() == QEvent::MouseButtonRelease) {
        // The button takes its new state when it has handled the release itself.
        QTimer::singleShot(0, this, &TForm_Drucken::Radio_B_mit_UeberschriftMouseUp);
    }
    return QDialog::eventFilter(watched, event);
}
