#pragma once

#include "platform/platform.h"

#include <QList>

class QMessageBox;

class QtPlatform : public Platform {
public:
    QDate today() const override;
    QTime localTime() const override;
    QTime utcTime() const override;
    qint64 monotonicMs() const override;

    // The same defaults as Platform's, for the calls made on this class itself.
    MessageAnswer showMessage(QWidget* parent, MessageKind kind, MessageButtons buttons,
                              const QString& text, std::optional<QPoint> topLeft = std::nullopt,
                              std::optional<MessageAnswer> defaultAnswer = std::nullopt) override;
    void closeMessages(QWidget* parent) override;
    std::optional<QString> openFileName(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<QString> saveFileName(QWidget* parent, const FileDialogRequest& request) override;
    bool printDialog(QWidget* parent, QPrinter& printer,
                     const PrintDialogRequest& request) override;
    bool printerSetup(QWidget* parent, QPrinter& printer) override;

private:
    SystemClock clock_;
    // The boxes whose showMessage has not returned yet, innermost last.
    QList<QMessageBox*> openBoxes_;
};

// Loads Qt's German texts for standard buttons and dialogs ("Ja", "Nein", "Abbrechen").
void installGermanTranslation();
