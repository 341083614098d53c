#pragma once

#include "common/clock.h"

#include <QPoint>
#include <QString>

#include <optional>

class QPrinter;
class QWidget;

enum class MessageKind { Information, Warning, Confirmation };
enum class MessageButtons { Ok, OkCancel, YesNo };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct FileDialogRequest {
    QString title;
    QString defaultSuffix; // without the dot, e.g. "ERG"
    QString initialName;
    QString filter;    // e.g. "Leistungen (*.ERG)"
    QString directory; // where the dialog opens; empty: the working folder
    // Save dialogs only: ask before an existing file is replaced.
    bool confirmOverwrite = true;
};

struct PrintDialogRequest {
    // The dialog offers pages 1..pageCount to choose from.
    int pageCount = 1;
    // The PDF file offered when the printout goes to a file.
    QString suggestedFile;
};

// Everything the windows ask of the desktop that a test must control: message boxes, file and
// print dialogs, and the clock. The program installs QtPlatform; tests install a scripted fake.
class Platform : public Clock {
public:
    // A modal message box. With topLeft the box is placed with its top-left corner there
    // (global coordinates); otherwise the platform places it. defaultAnswer is the button that
    // Return presses; without it the first button (OK, Yes) is the default. A question whose
    // other answer gives data up names its safe answer here.
    virtual MessageAnswer
    showMessage(QWidget* parent, MessageKind kind, MessageButtons buttons, const QString& text,
                std::optional<QPoint> topLeft = std::nullopt,
                std::optional<MessageAnswer> defaultAnswer = std::nullopt) = 0;
    // Closes the message boxes open over parent as if Escape had been pressed in them: each
    // showMessage returns its cautious answer (No, Cancel or OK).
    virtual void closeMessages(QWidget* parent) = 0;
    virtual std::optional<QString> openFileName(QWidget* parent,
                                                const FileDialogRequest& request) = 0;
    virtual std::optional<QString> saveFileName(QWidget* parent,
                                                const FileDialogRequest& request) = 0;
    // Both return false when the user cancels; the printer keeps its settings otherwise. The
    // print dialog sets the pages, copies and the file of one printout; the printer set-up
    // chooses the printer (or a PDF file) and its paper for the printouts that follow.
    virtual bool printDialog(QWidget* parent, QPrinter& printer,
                             const PrintDialogRequest& request) = 0;
    virtual bool printerSetup(QWidget* parent, QPrinter& printer) = 0;
};
