#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

// The about box: program icon, product name and version. Created once at start-up, shown
// modally from the Info menu; OK or Return hides it again.
class TForm_Info : public QDialog {
    Q_OBJECT
public:
    explicit TForm_Info(QWidget* parent = nullptr);

public slots:
    void OKButtonClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();

    QFrame* Panel1 = nullptr;
    QLabel* ProgramIcon = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Comments = nullptr;
    QPushButton* OKButton = nullptr;
};
