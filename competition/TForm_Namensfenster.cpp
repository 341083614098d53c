#include "competition/TForm_Namensfenster.h"

#include "platform/platform.h"
#include "platform/window_scaling.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr int minimumNameLength = 3;

// The check mark or the cross ("ok" or "cancel") from the images built into the widget styles, in
// their three sizes. Taken directly, not through QStyle::standardIcon: that first looks the icon
// up in the desktop's icon theme, which reads the theme's index and costs more memory (about
// half a MiB) than the whole dialog.
QIcon buttonIcon(QLatin1StringView kind) {
    QIcon icon;
    for (int size : {16, 32, 128})
        icon.addFile(
            QStringLiteral(":/qt-project.org/styles/commonstyle/images/standardbutton-%1-%2.png")
                .arg(kind)
                .arg(size),
            QSize(size, size));
    return icon;
}

} // namespace

TForm_Namensfenster::TForm_Namensfenster(Platform& platform, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      platform_(platform) {
    setObjectName(QStringLiteral("TForm_Namensfenster"));
    setWindowTitle(QStringLiteral("Namen zu einem Wettbewerb eingeben"));
    resize(432, 246);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(24, 24);

    Edit_Namen = new QLineEdit(this);
    Edit_Namen->setObjectName(QStringLiteral("Edit_Namen"));
    Edit_Namen->setGeometry(88, 144, 257, Edit_Namen->sizeHint().height());
    // The label above is a whole paragraph; a screen reader names the field by this word.
    Edit_Namen->setAccessibleName(QStringLiteral("Name"));

    BitBtn_Ok = new QPushButton(buttonIcon(QLatin1StringView("ok")), QStringLiteral("OK"), this);
    BitBtn_Ok->setObjectName(QStringLiteral("BitBtn_Ok"));
    BitBtn_Ok->setGeometry(88, 200, 81, 25);
    BitBtn_Ok->setDefault(true);

    BitBtn_Abbruch =
        new QPushButton(buttonIcon(QLatin1StringView("cancel")), QStringLiteral("Abbrechen"), this);
    BitBtn_Abbruch->setObjectName(QStringLiteral("BitBtn_Abbruch"));
    BitBtn_Abbruch->setGeometry(240, 200, 105, 25);
    // Return presses the button that has the focus; in the name field it presses OK.
    BitBtn_Ok->setAutoDefault(true);
    BitBtn_Abbruch->setAutoDefault(true);

    connect(BitBtn_Ok, &QPushButton::clicked, this, &TForm_Namensfenster::BitBtn_OkClick);
    connect(BitBtn_Abbruch, &QPushButton::clicked, this, &TForm_Namensfenster::BitBtn_AbbruchClick);

    FormCreate();
    // As large as the program's other windows on this screen, and then of one size.
    const int percent = scaleWindowToScreen(this);
    for (QPushButton* button : {BitBtn_Ok, BitBtn_Abbruch})
        button->setIconSize(button->iconSize() * percent / 100);
    Label1->adjustSize();
    setFixedSize(size());
}

void TForm_Namensfenster::FormCreate() {
    Label1->setText(QStringLiteral("Vor dem Start eines Wettbewerbs gib bitte deinen Namen ein \n"
                                   "und wähle dann 'OK' an.\n"
                                   "Die erste Aufgabe erscheint direkt nach Anclicken des \n"
                                   "Start-Buttons.\n\n"
                                   "Viel Erfolg!"));
    Label1->adjustSize();
}

// Every opening starts with an empty field, and so does every return from the message box: a
// refused name has to be typed anew.
void TForm_Namensfenster::FormActivate() {
    closeAllowed = false;
    nameEntryCancelled = false;
    Edit_Namen->clear();
    Edit_Namen->setFocus();
}

void TForm_Namensfenster::BitBtn_OkClick() {
    // Any three characters will do, spaces included; the name is taken as typed.
    if (Edit_Namen->text().size() >= minimumNameLength) {
        closeAllowed = true;
        accept();
        return;
    }
    platform_.showMessage(this, MessageKind::Information, MessageButtons::Ok,
                          QStringLiteral("Gib bitte deinen Namen (mit mindestens 3 Zeichen) zum "
                                         "Starten eines Wettbewerbs ein und wähle dann 'OK' oder "
                                         "clicke auf 'Abbrechen'!"));
    // Closing the message box gives the focus back to this dialog. Not every desktop reports
    // that as an activation, so the dialog starts afresh here itself.
    FormActivate();
}

void TForm_Namensfenster::BitBtn_AbbruchClick() {
    closeAllowed = true;
    nameEntryCancelled = true;
    reject();
}

bool TForm_Namensfenster::FormCloseQuery() const {
    return closeAllowed;
}

void TForm_Namensfenster::FormClose() {
    emit nameEntryClosed(nameEntryCancelled, Edit_Namen->text());
}

// accept(), reject(), Escape and the window's close box all end here; only the two buttons
// allow the dialog to close.
void TForm_Namensfenster::done(int result) {
    if (!FormCloseQuery())
        return;
    QDialog::done(result);
    FormClose();
}

bool TForm_Namensfenster::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::WindowDeactivate:
        lostFocusToOwnWindow_ = QApplication::activeWindow() != nullptr;
        break;
    case QEvent::WindowActivate:
        // Coming back from another application keeps what was typed; coming back from another
        // window of the program, such as the message box, starts afresh.
        if (lostFocusToOwnWindow_ && isVisible())
            FormActivate();
        lostFocusToOwnWindow_ = false;
        break;
    default:
        break;
    }
    return QDialog::event(event);
}

void TForm_Namensfenster::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    lostFocusToOwnWindow_ = false;
    FormActivate();
}

void TForm_Namensfenster::keyPressEvent(QKeyEvent* event) {
    // Escape presses the cancel button, the only way besides OK to leave the dialog.
    if (event->matches(QKeySequence::Cancel)) {
        BitBtn_Abbruch->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm_Namensfenster::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
