#include "platform/qt_platform.h"

#include "platform/window_scaling.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSplitter>
#include <QToolButton>
#include <QTranslator>
#include <QTreeView>

#include <algorithm>

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

// The file dialog grows its text with the program's font but keeps its columns, icons and
// window in pixels; at large text sizes the columns are cut. They are sized by the text here,
// within the screen.
void fitToFont(QFileDialog& dialog) {
    dialog.ensurePolished(); // the dialog takes its text size from the application only here
    const QFontMetrics metrics(dialog.font());
    const int line = metrics.height();
    const int character = metrics.averageCharWidth();
    const QList<QToolButton*> buttons = dialog.findChildren<QToolButton*>();
    for (QToolButton* button : buttons)
        button->setIconSize(QSize(line, line));
    if (auto* files = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = files->header();
        const int widths[] = {28, 10, 20, 22}; // name, size, type, date, in characters
        for (int column = 0; column < 4; ++column)
            header->resizeSection(column, widths[column] * character);
        files->setIconSize(QSize(line, line));
    }
    if (auto* places = dialog.findChild<QSplitter*>(QStringLiteral("splitter")))
        places->setSizes({16 * character, 80 * character});
    QSize size(100 * character, 24 * line);
    if (const QScreen* screen = dialog.screen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    dialog.resize(size.expandedTo(dialog.minimumSizeHint()));
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
    // The box wraps its text at 500 pixels, which at a large text size leaves a narrow column
    // of a few words a line. It is given the width of its longest line, up to 60 characters and
    // within the 1000 pixels the box itself never exceeds on a wide screen (nor half of a narrow
    // one). A width the box would choose anyway is left to it: the box wraps the text only when
    // the label's least width is more than its own 500 pixels, and would cut the lines short
    // otherwise.
    if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
        box.ensurePolished(); // the box takes its text size from the application only here
        const QFontMetrics metrics(label->font());
        int width =
            qMin(metrics.boundingRect(QRect(), 0, text).width(), 60 * metrics.averageCharWidth());
        const int screenWidth = box.screen() ? box.screen()->availableGeometry().width() : 1024;
        width = std::min({width, 800, screenWidth / 2});
        if (width > std::min(screenWidth / 2, 500))
            label->setMinimumWidth(width);
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
    fitToFont(dialog);
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
    fitToFont(dialog);
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
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("PrinterSetupDialog1"));
    dialog.setWindowTitle(QStringLiteral("Drucker einrichten"));
    dialog.setFont(standardWindowFont());

    // The system's printers, then the PDF file; the entry's data is the printer's name, empty for
    // the file.
    auto* printers = new QComboBox(&dialog);
    printers->setObjectName(QStringLiteral("Drucker"));
    printers->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    printers->setMinimumContentsLength(30);
    for (const QString& name : QPrinterInfo::availablePrinterNames())
        printers->addItem(name, name);
    printers->addItem(QStringLiteral("In PDF-Datei drucken"), QString());
    int current = printers->count() - 1;
    if (printer.outputFormat() == QPrinter::NativeFormat) {
        const int index = printers->findData(printer.printerName());
        if (index >= 0)
            current = index;
    }
    printers->setCurrentIndex(current);
    auto* label = new QLabel(QStringLiteral("&Drucker:"), &dialog);
    label->setBuddy(printers);

    // Paper and margins are chosen on a printer of their own, so that cancelling this dialog
    // leaves the program's printer as it was.
    QPageLayout layout = printer.pageLayout();
    auto* paper = new QPushButton(QStringLiteral("&Papier und Ränder …"), &dialog);
    paper->setObjectName(QStringLiteral("Papier"));
    paper->setAutoDefault(false);
    QObject::connect(paper, &QPushButton::clicked, &dialog, [&] {
        QPrinter scratch(QPrinter::HighResolution);
        const QString name = printers->currentData().toString();
        if (name.isEmpty())
            scratch.setOutputFormat(QPrinter::PdfFormat);
        else
            scratch.setPrinterName(name);
        scratch.setPageLayout(layout);
        QPageSetupDialog setup(&scratch, &dialog);
        // Every printout is portrait, so landscape is not offered. Should a landscape page come
        // back all the same, the printer choice turns it and says so.
        for (const char* name : {"landscape", "reverseLandscape"}) {
            if (auto* option = setup.findChild<QRadioButton*>(QLatin1String(name)))
                option->setEnabled(false);
        }
        if (setup.exec() == QDialog::Accepted)
            layout = scratch.pageLayout();
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto* form = new QGridLayout(&dialog);
    form->addWidget(label, 0, 0);
    form->addWidget(printers, 0, 1);
    form->addWidget(paper, 1, 1, Qt::AlignLeft);
    form->addWidget(buttons, 2, 0, 1, 2);
    printers->setFocus();

    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QString name = printers->currentData().toString();
    if (name.isEmpty()) {
        // The name of the file is chosen with each printout.
        printer.setOutputFileName(QString());
        printer.setOutputFormat(QPrinter::PdfFormat);
    } else {
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName(name);
    }
    printer.setPageLayout(layout);
    return true;
}

void installGermanTranslation() {
    auto* translator = new QTranslator(qApp);
    if (translator->load(QStringLiteral("qtbase_de"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}
