#include "app/history_transfer.h"

#include "common/data_folder.h"
#include "history/history_module.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QStringList>
#include <QTextStream>

#include <memory>

QString historyQueueFile() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation))
        .filePath(QStringLiteral("Lernverlauf-Warteschlange.sqlite"));
}

QString transferMessage(const QString& file, const HistoryStore& store, const Outcome& error,
                        const QString& report) {
    if (!error)
        return report;
    QString text = QStringLiteral("Der Lernverlauf %1 kann nicht nach %2 übertragen werden:\n%3")
                       .arg(QDir::toNativeSeparators(file), store.location(), error->reason);
    if (!report.isEmpty())
        text += QStringLiteral("\nBis dahin: %1").arg(report);
    return text;
}

namespace {

const char transferOption[] = "--lernverlauf-uebertragen";

std::optional<int> transferFromCommandLine(const QStringList& arguments) {
    const QString option = QString::fromLatin1(transferOption);
    const qsizetype at = arguments.indexOf(option);
    if (at < 0)
        return std::nullopt;
    QTextStream err(stderr);
    if (at + 1 >= arguments.size()) {
        err << QStringLiteral("Nach %1 fehlt die Datei Lernverlauf.sqlite.\n").arg(option);
        return 2;
    }
    QString reason;
    const HistoryModule* module = loadHistoryModule(historyModuleFolders(), reason);
    if (!module) {
        err << reason << '\n';
        return 1;
    }
    const QString server = historyServerSetting();
    const std::unique_ptr<HistoryStore> store =
        module->createStore(QString(), server, historyQueueFile());
    QString report;
    const Outcome error = module->transfer(arguments[at + 1], *store, report);
    const QString message = transferMessage(arguments[at + 1], *store, error, report);
    if (error)
        err << message << '\n';
    else
        QTextStream(stdout) << message << '\n';
    return error ? 1 : 0;
}

} // namespace

std::optional<int> transferWithoutDisplay(int& argc, char* argv[]) {
    bool asked = false;
    for (int i = 1; i < argc; ++i)
        asked = asked || qstrcmp(argv[i], transferOption) == 0;
    if (!asked)
        return std::nullopt;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Kalumbrixtor"));
    return transferFromCommandLine(QCoreApplication::arguments());
}
