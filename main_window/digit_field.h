#pragma once

#include <QLineEdit>

#include <functional>

// A field for digits: of the printable characters only 0..9 get in (typed or pasted), every other
// key keeps its usual meaning (Tab, Backspace, Delete, the arrows, shortcuts). The answer and
// remainder fields also take Return and Escape for themselves; the time field leaves them to the
// window.
class DigitField : public QLineEdit {
    Q_OBJECT
public:
    DigitField(QWidget* parent, const char* name, const QRect& geometry, int maxLength);

    // Return sends `submitted` and Escape empties the field.
    void takeReturnAndEscape() { ownsReturnAndEscape_ = true; }
    // While this says so, every key but Escape moves the focus on instead of typing.
    void passKeysOnWhile(std::function<bool()> condition) { passKeysOn_ = std::move(condition); }

signals:
    void submitted(const QString& text);
    // A key was let go: the text as it stands now.
    void typed(const QString& text);
    // The child moved to another control. A message box or a menu that takes the focus for a
    // while is not leaving, nor is the field's own disabling or hiding.
    void left();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool ownsReturnAndEscape_ = false;
    bool returnPressedHere_ = false;
    std::function<bool()> passKeysOn_;
};
