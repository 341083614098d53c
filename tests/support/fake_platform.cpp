#include "support/fake_platform.h"

QTime FakePlatform::utcTime() const {
    const int ms = utc.msecsSinceStartOfDay() + utcStepMs * utcReadings_++;
    return QTime::fromMSecsSinceStartOfDay(ms % (24 * 3600 * 1000));
}

namespace {

MessageAnswer cautiousAnswer(MessageButtons buttons) {
    return buttons == MessageButtons::YesNo      ? MessageAnswer::No
           : buttons == MessageButtons::OkCancel ? MessageAnswer::Cancel
                                                 : MessageAnswer::Ok;
}

} // namespace

MessageAnswer FakePlatform::showMessage(QWidget* parent, MessageKind kind, MessageButtons buttons,
                                        const QString& text, std::optional<QPoint> topLeft,
                                        std::optional<MessageAnswer> defaultAnswer) {
    messages.append(Message{kind, buttons, text, topLeft, defaultAnswer});
    const qsizetype index = messages.size() - 1;
    if (realMessageBoxes)
        return realBoxes_.showMessage(parent, kind, buttons, text, topLeft, defaultAnswer);
    open_.append({index, parent});
    if (whileMessageOpen) {
        const Message shown = messages[index]; // the list may grow meanwhile
        whileMessageOpen(shown);
    }
    open_.removeLast();
    // A test may have cleared the list meanwhile.
    if (index < messages.size() && messages[index].closedByProgram)
        return cautiousAnswer(buttons);
    if (!answers.isEmpty())
        return answers.dequeue();
    return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
}

void FakePlatform::closeMessages(QWidget* parent) {
    if (realMessageBoxes) {
        realBoxes_.closeMessages(parent);
        return;
    }
    for (const OpenMessage& m : std::as_const(open_)) {
        if (m.parent == parent && m.index < messages.size())
            messages[m.index].closedByProgram = true;
    }
}

QStringList FakePlatform::openMessageTexts() const {
    QStringList texts;
    for (const OpenMessage& m : open_) {
        if (m.index < messages.size() && !messages[m.index].closedByProgram)
            texts.append(messages[m.index].text);
    }
    return texts;
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
