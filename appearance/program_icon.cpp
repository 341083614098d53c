#include "appearance/program_icon.h"

// The resources sit in a static library; nothing refers to them by symbol, so the linker would
// drop them unless they are registered by hand before the first use.
static void registerIconResources() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(kalumbrixtor_icons);
        return true;
    }();
    Q_UNUSED(registered);
}

QIcon programIcon() {
    registerIconResources();
    QIcon icon;
    for (int size : {32, 64, 256})
        icon.addFile(QStringLiteral(":/icons/kalumbrixtor-%1.png").arg(size), QSize(size, size));
    return icon;
}

QPixmap programIconPixmap32() {
    registerIconResources();
    return QPixmap(QStringLiteral(":/icons/kalumbrixtor-32.png"));
}
