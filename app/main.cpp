#include "appearance/hilfe.h"
#include "appearance/info.h"
#include "appearance/program_icon.h"
#include "competition/TForm_Bestenlisten.h"
#include "competition/TForm_Namensfenster.h"
#include "engine/run_state.h"
#include "main_window/TForm1.h"
#include "platform/first_frame_report.h"
#include "platform/printing.h"
#include "platform/qt_platform.h"
#include "review/TForm_Aufgaben.h"
#include "review/TForm_Drucken.h"
#include "review/TForm_Ergebnis_Meldung.h"
#include "review/TForm_Ergebnisse.h"
#include "review/run_saving.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kalumbrixtor"));
    QApplication::setWindowIcon(programIcon());
    installGermanTranslation();

    QtPlatform platform;
    RunState state;
    // The program keeps its files in the folder it was started in.
    const QString dataFolder = QDir::currentPath();
    // Every printout goes to the printer chosen last, whichever window chose it.
    PrinterChoice printers;

    // Every window is created once, in this order, and lives until the program ends.
    TForm1 mainWindow(state, platform);
    if (!mainWindow.bestListsReady()) {
        platform.showMessage(
            nullptr, MessageKind::Warning, MessageButtons::Ok,
            QStringLiteral("Die Bestenlisten W1.bli bis W16.bli können im Ordner\n%1\nnicht "
                           "angelegt werden.\n\nBitte starte Kalumbrixtor in einem Ordner, in dem "
                           "es Dateien anlegen darf.")
                .arg(QDir::toNativeSeparators(dataFolder)),
            std::nullopt);
        return 2;
    }
    TForm_Ergebnisse resultsViewer(platform, printers, dataFolder, &mainWindow);
    TForm_Info info(&mainWindow);
    TForm_Ergebnis_Meldung resultDialog(state, platform, dataFolder, &mainWindow);
    TForm_Aufgaben taskSetViewer(platform, printers, dataFolder, &mainWindow);
    TForm_Drucken printOptions(&mainWindow);
    TForm_Hilfe help(&mainWindow);
    TForm_Namensfenster nameDialog(platform, &mainWindow);
    TForm_Bestenlisten bestListViewer(platform, printers, dataFolder, &mainWindow);
    mainWindow.attachInformationWindows(&info, &help);
    mainWindow.attachNameDialog(&nameDialog);
    taskSetViewer.attachPrintOptions(&printOptions);
    mainWindow.attachReviewWindows();
    QObject::connect(&mainWindow, &TForm1::resultsViewerRequested, &resultsViewer,
                     &TForm_Ergebnisse::openFromMainMenu);
    QObject::connect(&mainWindow, &TForm1::bestListViewerRequested, &bestListViewer,
                     &TForm_Bestenlisten::openFromMainMenu);
    QObject::connect(&mainWindow, &TForm1::taskSetViewerRequested, &taskSetViewer,
                     &TForm_Aufgaben::openFromMainMenu);
    QObject::connect(&mainWindow, &TForm1::emptyWorksheetRequested, &taskSetViewer,
                     &TForm_Aufgaben::printEmptyWorksheet);
    QObject::connect(&mainWindow, &TForm1::runEnded, [&](const RunResult& result) {
        windUpRun(resultDialog, {platform, &mainWindow, dataFolder, mainWindow.messageAnchor()},
                  state, result);
    });

    reportFirstFrameIfAsked(&mainWindow);
    mainWindow.showMaximized();
    return app.exec();
}
