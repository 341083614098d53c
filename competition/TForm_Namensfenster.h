#pragma once

#include <QDialog>

class Platform;
class QLabel;
class QLineEdit;
class QPushButton;

// The dialog in which a participant names himself or herself before a competition run. It is
// created once and shown modally before every competition run; it can be left only through its
// two buttons, and OK only with a name of at least 3 characters. Unlike the other windows it
// keeps its design size on every screen.
class TForm_Namensfenster : public QDialog {
    Q_OBJECT
public:
    explicit TForm_Namensfenster(Platform& platform, QWidget* parent = nullptr);

signals:
    // Sent each time the dialog closes: cancelled through "Abbrechen", or the whole text entered.
    void nameEntryClosed(bool cancelled, const QString& enteredText);

public slots:
    void done(int result) override;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormActivate();
    void BitBtn_OkClick();
    void BitBtn_AbbruchClick();
    bool FormCloseQuery() const;
    void FormClose();

    Platform& platform_;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit_Namen = nullptr;
    QPushButton* BitBtn_Ok = nullptr;
    QPushButton* BitBtn_Abbruch = nullptr;

    bool closeAllowed = false;
    bool nameEntryCancelled = false;
    // Whether the dialog last lost the focus to another window of the program (its own message
    // box, say) rather than to another application.
    bool lostFocusToOwnWindow_ = false;
};
