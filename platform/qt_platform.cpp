#include "platform/qt_platform.h"

#include <QApplication>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QTranslator>

QDate QtPlatform::today() const {
    return clock_.today();
}
QTime QtPlatform::localTime() const {
    return clock_.localTime();
}
QTime QtPlatform::utcTime() const {
    return clock_.utcTime();
}
qint64 QtPlatform::monotonicMs() const {
    return clock_.monotonicMs();
}

namespace {

QMessageBox::StandardButton standardButton(MessageAnswer answer) {
    switch (answer) {
    case MessageAnswer::Ok:
        return QMessageBox::Ok;
    case MessageAnswer::Cancel:
        return QMessageBox::Cancel;
    case MessageAnswer::Yes:
        return QMessageBox::Yes;
    case MessageAnswer::No:
        return QMessageBox::No;
    }
    return QMessageBox::NoButton;
}

} // namespace

MessageAnswer QtPlatform::showMessage(QWidget* parent, MessageKind kind, MessageButtons buttons,
                                      const QString& text, std::optional<QPoint> topLeft,
                                      std::optional<MessageAnswer> defaultAnswer) {
    QMessageBox box(parent);
    box.setWindowTitle(QApplication::applicationName());
    box.setText(text);
    switch (kind) {
    case MessageKind::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageKind::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageKind::Confirmation:
        box.setIcon(QMessageBox::Question);
        break;
    }
    switch (buttons) {
    case MessageButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MessageButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MessageButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    }
    // The order of the buttons stays the platform's; only the one Return presses changes.
    if (defaultAnswer)
        box.setDefaultButton(standardButton(*defaultAnswer));
    if (topLeft) {
        // The box must know its size before it can be moved; it then stays on the screen.
        box.adjustSize();
        box.move(*topLeft);
    }
    openBoxes_.append(&box);
    const int pressed = box.exec();
    openBoxes_.removeOne(&box);
    switch (pressed) {
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    default:
        // Closing a box by its title bar, by Escape or by closeMessages counts as its cautious
        // answer.
        return buttons == MessageButtons::YesNo ? MessageAnswer::No
               : buttons == MessageButtons::Ok  ? MessageAnswer::Ok
                                                : MessageAnswer::Cancel;
    }
}

void QtPlatform::closeMessages(QWidget* parent) {
    // A copy: closing a box can activate a window whose handler opens another one.
    const QList<QMessageBox*> boxes = openBoxes_;
    for (QMessageBox* box : boxes) {
        if (box->parentWidget() == parent)
            box->reject();
    }
}

std::optional<QString> QtPlatform::openFileName(QWidget* parent, const FileDialogRequest& request) {
    QFileDialog dialog(parent, request.title, request.directory, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (!request.initialName.isEmpty())
        dialog.selectFile(request.initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtPlatform::saveFileName(QWidget* parent, const FileDialogRequest& request) {
    QFileDialog dialog(parent, request.title, request.directory, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    if (!request.initialName.isEmpty())
        dialog.selectFile(request.initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

bool QtPlatform::printDialog(QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool QtPlatform::printerSetup(QWidget* parent, QPrinter& printer) {
    QPageSetupDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

void installGermanTranslation() {
    auto* translator = new QTranslator(qApp);
    if (translator->load(QStringLiteral("qtbase_de"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}
