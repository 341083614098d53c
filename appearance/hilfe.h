#pragma once

#include <QDialog>
#include <QStringList>

class QPlainTextEdit;

// The help window: one fixed page of instructions for free practice and for competitions.
// Created once at start-up, shown modally from the main menu and closed with its close button.
class TForm_Hilfe : public QDialog {
    Q_OBJECT
public:
    explicit TForm_Hilfe(QWidget* parent = nullptr);

    // The page, line by line; leading spaces do the indenting and are part of the text.
    static QStringList helpLines();
    // With reading aloud on, the page ends with how to use it.
    void setReadingAloud(bool on);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();

    QPlainTextEdit* Memo1 = nullptr;
};
