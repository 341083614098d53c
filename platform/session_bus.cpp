#include "platform/session_bus.h"

#include <QDBusConnection>

SessionBusOpener::SessionBusOpener() : thread_([] { QDBusConnection::sessionBus(); }) {}

SessionBusOpener::~SessionBusOpener() {
    thread_.join();
}
