#pragma once

#include "storage/task_set_view.h"

#include <QDialog>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Asks what a worksheet shall show: the stored name and points, a heading typed here, or
// neither; and whether operand 1, the operation sign, operand 2, the result and the child's
// answers with their marks are printed. It lives as long as the program, so the choices carry
// over from one printout to the next.
class TForm_Drucken : public QDialog {
    Q_OBJECT
public:
    explicit TForm_Drucken(QWidget* parent = nullptr);

    // Shows the dialog modally; however it is closed, the choices then stand.
    void ask();
    SheetOptions choices() const;

    QGroupBox* Group_Name = nullptr;
    QRadioButton* Radio_B_mit_Namen = nullptr;
    QRadioButton* Radio_B_mit_Ueberschrift = nullptr;
    QRadioButton* Radio_B_ohne_Namen_Ueberschrift = nullptr;
    QLineEdit* Edit_Ueberschrift = nullptr;
    QGroupBox* Group_Zahl_1 = nullptr;
    QRadioButton* Radio_B_mit_Zahl_1 = nullptr;
    QRadioButton* Radio_B_ohne_Zahl_1 = nullptr;
    QGroupBox* Group_Verknuepfung = nullptr;
    QRadioButton* Radio_B_mit_Verknuepfung = nullptr;
    QRadioButton* Radio_B_ohne_Verknuepfung = nullptr;
    QGroupBox* Group_Zahl_2 = nullptr;
    QRadioButton* Radio_B_mit_Zahl_2 = nullptr;
    QRadioButton* Radio_Bohne_Zahl_2 = nullptr;
    QGroupBox* Group_B_Ergebnis = nullptr;
    QRadioButton* Radio_B_mit_Ergebnis = nullptr;
    QRadioButton* Radio_B_ohne_ERgebnis = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QRadioButton* Radio_B_mit_Eingabe = nullptr;
    QRadioButton* Radio_B_ohne_Eingabe = nullptr;
    QPushButton* BitBtn_ok = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void BitBtn_okClick();
    void Radio_B_mit_UeberschriftToggled(bool checked);
    void Radio_B_mit_UeberschriftMouseUp();
};
