#include "platform/qt_platform.h"

#include <QApplication>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QLineEdit>
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

MessageAnswer QtPlatform::showMessage(QWidget* parent, MessageKind kind, MessageButtons buttons,
                                      const QString& text, std::optional<QPoint> topLeft) {
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
    if (topLeft) {
        // The box must know its size before it can be moved; it then stays on the screen.
        box.adjustSize();
        box.move(*topLeft);
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    default:
        // Closing a box by its title bar or Escape counts as its cautious answer.
        return buttons == MessageButtons::YesNo ? MessageAnswer::No
               : buttons == MessageButtons::Ok  ? MessageAnswer::Ok
                                                : MessageAnswer::Cancel;
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

bool QtPlatform::printDialog(QWidget* parent, QPrinter& printer,
                             const PrintDialogRequest& request) {
    // The file is named after what is printed, not after the last printout.
    if (printer.outputFormat() == QPrinter::PdfFormat)
        printer.setOutputFileName(request.suggestedFile);
    QPrintDialog dialog(&printer, parent);
    const int pages = qMax(1, request.pageCount);
    dialog.setMinMax(1, pages);
    dialog.setFromTo(1, pages);
    // With a printer chosen the dialog's file field is idle; it still offers the name for the
    // moment the user switches to a PDF file.
    if (printer.outputFormat() == QPrinter::NativeFormat) {
        if (auto* file = dialog.findChild<QLineEdit*>(QStringLiteral("filename")))
            file->setText(request.suggestedFile);
    }
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
