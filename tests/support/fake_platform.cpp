#include "support/fake_platform.h"

QTime FakePlatform::utcTime() const {
    const int ms = utc.msecsSinceStartOfDay() + utcStepMs * utcReadings_++;
    return QTime::fromMSecsSinceStartOfDay(ms % (24 * 3600 * 1000));
}

MessageAnswer FakePlatform::showMessage(QWidget*, MessageKind kind, MessageButtons buttons,
                                        const QString& text, std::optional<QPoint> topLeft) {
    const Message message{kind, buttons, text, topLeft};
    messages.append(message);
    if (whileMessageOpen)
        whileMessageOpen(message);
    if (!answers.isEmpty())
        return answers.dequeue();
    return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
}

std::optional<QString> FakePlatform::openFileName(QWidget*, const FileDialogRequest& request) {
    fileRequests.append(request);
    return openAnswers.isEmpty() ? std::nullopt : openAnswers.dequeue();
}

std::optional<QString> FakePlatform::saveFileName(QWidget*, const FileDialogRequest& request) {
    fileRequests.append(request);
    return saveAnswers.isEmpty() ? std::nullopt : saveAnswers.dequeue();
}

bool FakePlatform::printDialog(QWidget*, QPrinter& printer, const PrintDialogRequest& request) {
    ++printDialogs;
    printRequests.append(request);
    if (whilePrintDialogOpen)
        whilePrintDialogOpen(printer);
    return printAnswers.isEmpty() ? false : printAnswers.dequeue();
}

bool FakePlatform::printerSetup(QWidget*, QPrinter& printer) {
    if (whilePrintDialogOpen)
        whilePrintDialogOpen(printer);
    return printAnswers.isEmpty() ? false : printAnswers.dequeue();
}

QStringList FakePlatform::messageTexts() const {
    QStringList texts;
    for (const Message& m : messages)
        texts.append(m.text);
    return texts;
}
