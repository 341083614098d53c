#include "app/history_transfer.h"
#include "app/program.h"
#include "appearance/program_icon.h"
#include "common/data_folder.h"
#include "common/file_access.h"
#include "common/program_settings.h"
#include "competition/best_list_file.h"
#include "platform/modal_windows.h"
#include "platform/qt_platform.h"
#include "platform/session_bus.h"

#include <QApplication>
#include <QDir>

#include <optional>

namespace {

// The command line as the system gave it: a folder's name may hold bytes that are not UTF-8,
// which a message must show as they are.
QByteArrayList commandLineBytes(int argc, char* argv[]) {
    QByteArrayList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    return arguments;
}

// Why the chosen data folder cannot be used (German), empty when it can.
QString folderFault(const DataFolderChoice& chosen) {
    if (!chosen.fault.isEmpty())
        return chosen.fault;
    const Outcome fault = dataFolderFault(chosen.folder);
    return fault ? unusableDataFolderMessage(chosen, fault->reason) : QString();
}

// The program cannot work in its data folder: it says why and ends with exit code 2.
int stopWith(Platform& platform, const QString& message) {
    QApplication::setWindowIcon(programIcon());
    platform.showMessage(nullptr, MessageKind::Warning, MessageButtons::Ok, message, std::nullopt);
    return 2;
}

} // namespace

int main(int argc, char* argv[]) {
    if (const std::optional<int> transferred = transferWithoutDisplay(argc, argv))
        return *transferred;
    // The menus stay in their windows on every desktop: they are scaled with the window for
    // children, and a desktop's global menu would show them small and far from it. It also
    // spares the start of the program a question to the session bus about that global menu.
    QApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kalumbrixtor"));
    keepSettingsFromBlocking();
    const SessionBusOpener sessionBus;
    installGermanTranslation();
    keepModalWindowsInView(app);

    QtPlatform platform;
    ignoreFileSizeSignal();
    // The data folder is chosen once, here: every window gets it from main.
    const DataFolderChoice chosenFolder =
        chooseDataFolder(commandLineBytes(argc, argv), settingValue(QStringLiteral("Datenordner")),
                         currentFolderBytes(), QDir::homePath());
    if (const QString fault = folderFault(chosenFolder); !fault.isEmpty())
        return stopWith(platform, fault);

    Program program(platform, chosenFolder.folder);
    // Without its best lists the program cannot run a competition: they are made in the data
    // folder if they are not there yet, and when that fails it stops before anything else is
    // connected or shown.
    if (const Outcome failed = ensureBestListFiles(chosenFolder.folder))
        return stopWith(platform, unusableDataFolderMessage(chosenFolder, failed->reason));
    program.connectFeatures();
    program.show();
    return app.exec();
}
