#include "engine/run_state.h"
#include "main_window/TForm1.h"
#include "platform/qt_platform.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kalumbrixtor"));
    installGermanTranslation();

    QtPlatform platform;
    RunState state;
    TForm1 mainWindow(state, platform);
    mainWindow.showMaximized();
    return app.exec();
}
