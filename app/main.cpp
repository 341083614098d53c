#include "platform/qt_platform.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kalumbrixtor"));
    installGermanTranslation();
    QMainWindow window;
    window.showMaximized();
    return app.exec();
}
