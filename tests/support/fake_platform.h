#pragma once

#include "platform/platform.h"
#include "platform/qt_platform.h"

#include <QList>
#include <QQueue>
#include <QStringList>

#include <functional>

// The platform of the tests: records every message box and answers it from a queue, answers
// file dialogs from a queue, and keeps a clock that tests set. Nothing here ever opens a window.
class FakePlatform : public Platform {
public:
    struct Message {
        MessageKind kind;
        MessageButtons buttons;
        QString text;
        std::optional<QPoint> topLeft;
        std::optional<MessageAnswer> defaultAnswer;
        // Closed by the program (closeMessages) while it was open.
        bool closedByProgram = false;
    };

    QList<Message> messages;
    // Answers for message boxes in order; when empty a box answers OK (or Yes). A box that the
    // program closes answers as Escape would, without taking an answer from the queue.
    QQueue<MessageAnswer> answers;
    // Called while a message box "is open", e.g. to let a timer tick meanwhile.
    std::function<void(const Message&)> whileMessageOpen;
    // Shows every message in Qt's real box after recording it, for tests that press keys in it;
    // the answer queue and whileMessageOpen are not used then.
    bool realMessageBoxes = false;

    QQueue<std::optional<QString>> openAnswers;
    QQueue<std::optional<QString>> saveAnswers;
    QList<FileDialogRequest> fileRequests;
    QQueue<bool> printAnswers;
    int printDialogs = 0;
    QList<PrintDialogRequest> printRequests;
    // Called while a print or printer set-up dialog "is open", to make the user's choices on the
    // printer.
    std::function<void(QPrinter&)> whilePrintDialogOpen;

    QDate date{2026, 12, 6};
    QTime local{17, 6, 29};
    QTime utc{16, 6, 29, 0};
    // Milliseconds the UTC clock moves on at each reading, so successive seeds differ.
    int utcStepMs = 0;

    QDate today() const override { return date; }
    QTime localTime() const override { return local; }
    QTime utcTime() const override;
    // Stands still unless a test moves it.
    qint64 monotonic = 0;
    qint64 monotonicMs() const override { return monotonic; }

    MessageAnswer showMessage(QWidget* parent, MessageKind kind, MessageButtons buttons,
                              const QString& text, std::optional<QPoint> topLeft,
                              std::optional<MessageAnswer> defaultAnswer) override;
    void closeMessages(QWidget* parent) override;
    std::optional<QString> openFileName(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<QString> saveFileName(QWidget* parent, const FileDialogRequest& request) override;
    bool printDialog(QWidget* parent, QPrinter& printer,
                     const PrintDialogRequest& request) override;
    bool printerSetup(QWidget* parent, QPrinter& printer) override;

    // Replace what the next message boxes and save dialogs answer.
    void answerWith(const QList<MessageAnswer>& next) {
        answers.clear();
        answers.append(next);
    }
    void saveAs(const QList<std::optional<QString>>& next) {
        saveAnswers.clear();
        saveAnswers.append(next);
    }

    QStringList messageTexts() const;
    // The texts of the messages open right now (shown, not answered and not closed).
    QStringList openMessageTexts() const;
    void clearMessages() { messages.clear(); }

private:
    mutable int utcReadings_ = 0;
    struct OpenMessage {
        qsizetype index;
        QWidget* parent;
    };
    QList<OpenMessage> open_;
    QtPlatform realBoxes_;
};
