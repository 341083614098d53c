#include "appearance/info.h"

#include "appearance/program_icon.h"
#include "appearance/screen_centre.h"
#include "platform/window_scaling.h"

#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace {

constexpr int clientWidth = 643;
constexpr int clientHeight = 464;

QLabel* boldBlackLabel(QWidget* parent, const QString& objectName, const QString& text, int x,
                       int y) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    label->setTextFormat(Qt::PlainText);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
    label->move(x, y);
    label->adjustSize();
    return label;
}

} // namespace

TForm_Info::TForm_Info(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TForm_Info"));
    setWindowTitle(QStringLiteral("Info"));
    // The window takes the program's icon from the application (see app/main.cpp).

    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(13);
    setFont(font);
    resize(clientWidth, clientHeight);

    // The panel takes the left part of the box; the OK button stands at the bottom right.
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(2);
    Panel1->setGeometry(8, 8, 520, 448);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setPixmap(programIconPixmap32());
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setGeometry(16, 48, 33, 33);

    ProductName = boldBlackLabel(Panel1, QStringLiteral("ProductName"),
                                 QStringLiteral("Kalumbrixtor"), 96, 80);
    Version = boldBlackLabel(Panel1, QStringLiteral("Version"),
                             QStringLiteral("Version 3.0       19.05.2002"), 96, 104);

    // A line on what the program is for, below the version.
    Comments = new QLabel(QStringLiteral("Kopfrechnen üben mit Plus, Minus, Mal und Geteilt:\n"
                                         "frei oder in 16 Wettbewerben mit Bestenlisten."),
                          Panel1);
    Comments->setObjectName(QStringLiteral("Comments"));
    Comments->setTextFormat(Qt::PlainText);
    Comments->move(96, 152);
    Comments->adjustSize();

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    QFont buttonFont = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    buttonFont.setBold(true);
    buttonFont.setPixelSize(12);
    OKButton->setFont(buttonFont);
    OKButton->setDefault(true);
    OKButton->setGeometry(544, 423, 91, 33);
    connect(OKButton, &QPushButton::clicked, this, &TForm_Info::OKButtonClick);

    FormCreate();
}

void TForm_Info::FormCreate() {
    scaleWindowToScreen(this);
    // Not resizable: the layout is fixed in pixels.
    setFixedSize(size());
}

void TForm_Info::OKButtonClick() {
    // Hiding ends the modal display; the box stays for the next time.
    accept();
}

void TForm_Info::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centreOnScreen(this);
    // Return must close the box at once, so the button takes the focus whenever it opens.
    OKButton->setFocus(Qt::OtherFocusReason);
}
