#include "main_window/digit_field.h"

#include "main_window/settings_items.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QValidator>

#include <utility>

namespace {

// Accepts the digits 0 to 9 and nothing else; text with any other character is refused as a
// whole. No regular expression: it would load and compile its engine at start-up.
class DigitValidator : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int&) const override {
        return isDecimalDigits(input) ? Acceptable : Invalid;
    }
};

bool isReturn(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

// Tab, Backspace and Delete carry texts too ("\t", "\b", "\x7f"), but not printable ones; they
// and every shortcut pass.
bool isRefusedCharacter(const QKeyEvent* key) {
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = key->text();
    for (const QChar c : text) {
        if (!c.isPrint())
            return false;
    }
    return !text.isEmpty() && !isDecimalDigits(text);
}

} // namespace

DigitField::DigitField(QWidget* parent, const char* name, const QRect& geometry, int maxLength)
    : QLineEdit(parent) {
    setObjectName(QString::fromLatin1(name));
    setGeometry(geometry);
    setMaxLength(maxLength);
    // Pasted text with anything but digits is refused as a whole, so no conversion can fail.
    setValidator(new DigitValidator(this));
    setContextMenuPolicy(Qt::DefaultContextMenu);
}

void DigitField::keyPressEvent(QKeyEvent* key) {
    if (isReturn(key))
        returnPressedHere_ = true;
    if (ownsReturnAndEscape_ && key->key() == Qt::Key_Escape) {
        clear();
        return;
    }
    if (passKeysOn_ && passKeysOn_()) {
        focusNextChild();
        return;
    }
    if (ownsReturnAndEscape_ && isReturn(key)) {
        emit submitted(text());
        return;
    }
    if (isRefusedCharacter(key))
        return;
    QLineEdit::keyPressEvent(key);
}

void DigitField::keyReleaseEvent(QKeyEvent* key) {
    // The Return that brought the focus here from another field was typed there.
    if (isReturn(key) && !std::exchange(returnPressedHere_, false))
        return;
    emit typed(text());
    QLineEdit::keyReleaseEvent(key);
}

void DigitField::focusInEvent(QFocusEvent* event) {
    returnPressedHere_ = false;
    QLineEdit::focusInEvent(event);
}

void DigitField::focusOutEvent(QFocusEvent* event) {
    const Qt::FocusReason reason = event->reason();
    const bool forAWhile = reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
    if (!forAWhile && isEnabled() && isVisible())
        emit left();
    QLineEdit::focusOutEvent(event);
}
