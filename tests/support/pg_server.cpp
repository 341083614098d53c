#include "support/pg_server.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <libpq-fe.h>

#include <algorithm>
#include <optional>

#include <arpa/inet.h>
#include <csignal>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A port nobody listens on right now; the server may still lose it to another program, which
// launch() notices and answers with another port.
int freePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0)
        return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(s);
    return port;
}

// The newest installed server's programs.
QString serverBinaries() {
    const QDir versions(QStringLiteral("/usr/lib/postgresql"));
    QStringList found = versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(found.begin(), found.end(),
              [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
    for (auto v = found.crbegin(); v != found.crend(); ++v) {
        const QString bin = versions.filePath(*v + QStringLiteral("/bin"));
        if (QFile::exists(bin + QStringLiteral("/postgres")))
            return bin;
    }
    return {};
}

struct Account {
    uid_t uid = 0;
    gid_t gid = 0;
};

// The server's account when the test runs as root, or none.
std::optional<Account> serverAccount() {
    if (::geteuid() != 0)
        return std::nullopt;
    const passwd* user = ::getpwnam("postgres");
    if (!user)
        return std::nullopt;
    return Account{user->pw_uid, user->pw_gid};
}

// Runs in the child between fork and exec: the server's own account, and death with the test.
void prepareChild(QProcess& process) {
    const std::optional<Account> account = serverAccount();
    const pid_t parent = ::getpid();
    process.setChildProcessModifier([account, parent] {
        if (account && (::setgroups(0, nullptr) != 0 || ::setgid(account->gid) != 0 ||
                        ::setuid(account->uid) != 0))
            ::_exit(126);
        // Set after the change of user, which clears it.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(126);
    });
}

} // namespace

TestServer::TestServer(bool durable) : durable_(durable) {}

TestServer::~TestServer() {
    stop(true);
}

bool TestServer::run(const QString& program, const QStringList& arguments, int timeoutMs) {
    QProcess process;
    prepareChild(process);
    process.setWorkingDirectory(dir_->path());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
        error_ = QStringLiteral("%1 did not finish in time: %2")
                     .arg(program, QString::fromLocal8Bit(process.readAll()));
        return false;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        error_ =
            QStringLiteral("%1 failed: %2").arg(program, QString::fromLocal8Bit(process.readAll()));
        return false;
    }
    return true;
}

bool TestServer::initialise() {
    binaries_ = serverBinaries();
    if (binaries_.isEmpty()) {
        error_ = QStringLiteral("no PostgreSQL server installed below /usr/lib/postgresql");
        return false;
    }
    dir_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/kalu-pg-XXXXXX"));
    if (!dir_->isValid()) {
        error_ = QStringLiteral("no temporary folder");
        return false;
    }
    if (const std::optional<Account> account = serverAccount())
        if (::chown(QFile::encodeName(dir_->path()).constData(), account->uid, account->gid) != 0) {
            error_ = QStringLiteral("cannot give the folder to the server's account");
            return false;
        }
    data_ = dir_->filePath(QStringLiteral("cluster"));
    if (!run(binaries_ + QStringLiteral("/initdb"),
             {QStringLiteral("-D"), data_, QStringLiteral("-U"), QStringLiteral("kalumbrixtor"),
              QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-E"),
              QStringLiteral("UTF8"), QStringLiteral("--locale=C.UTF-8"),
              QStringLiteral("--no-sync"), QStringLiteral("--no-instructions")},
             60000))
        return false;
    QFile hba(data_ + QStringLiteral("/pg_hba.conf"));
    if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        hba.write("host all lehrer 127.0.0.1/32 scram-sha-256\n"
                  "host all all 127.0.0.1/32 trust\n") < 0) {
        error_ = QStringLiteral("cannot write pg_hba.conf");
        return false;
    }
    initialised_ = true;
    return true;
}

bool TestServer::launch() {
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (port_ == 0)
            port_ = freePort();
        server_ = std::make_unique<QProcess>();
        prepareChild(*server_);
        server_->setWorkingDirectory(dir_->path());
        server_->setProcessChannelMode(QProcess::MergedChannels);
        server_->setStandardOutputFile(dir_->filePath(QStringLiteral("server.log")),
                                       QIODevice::Append);
        server_->start(binaries_ + QStringLiteral("/postgres"),
                       {QStringLiteral("-D"), data_, QStringLiteral("-p"), QString::number(port_),
                        QStringLiteral("-c"), QStringLiteral("listen_addresses=127.0.0.1"),
                        QStringLiteral("-c"), QStringLiteral("unix_socket_directories="),
                        QStringLiteral("-c"), QLatin1String(durable_ ? "fsync=on" : "fsync=off"),
                        QStringLiteral("-c"), QStringLiteral("max_connections=80")});
        if (!server_->waitForStarted(10000)) {
            error_ = QStringLiteral("the server did not start: %1").arg(server_->errorString());
            return false;
        }
        const QByteArray ping = QStringLiteral("host=127.0.0.1 port=%1 dbname=postgres "
                                               "user=kalumbrixtor connect_timeout=2")
                                    .arg(port_)
                                    .toUtf8();
        const QDeadlineTimer deadline(30000);
        while (!deadline.hasExpired() && server_->state() == QProcess::Running) {
            if (PQping(ping.constData()) == PQPING_OK)
                return true;
            QThread::msleep(50);
        }
        stop(true);
        // The port may have been taken meanwhile; another one is tried.
        port_ = 0;
    }
    QFile log(dir_->filePath(QStringLiteral("server.log")));
    log.open(QIODevice::ReadOnly);
    error_ =
        QStringLiteral("the server did not answer: %1").arg(QString::fromLocal8Bit(log.readAll()));
    return false;
}

bool TestServer::start() {
    if (running())
        return true;
    if (!initialised_ && !initialise())
        return false;
    if (!launch())
        return false;
    // Created once; a restart keeps it.
    if (value(QStringLiteral("postgres"),
              QStringLiteral("SELECT count(*) FROM pg_roles WHERE rolname = 'lehrer'")) ==
        QLatin1String("0"))
        return exec(QStringLiteral("postgres"),
                    QStringLiteral("CREATE ROLE lehrer LOGIN PASSWORD 'richtig'")) &&
               exec(QStringLiteral("postgres"),
                    QStringLiteral("CREATE DATABASE lernverlauf OWNER lehrer"));
    return true;
}

bool TestServer::running() const {
    return server_ && server_->state() == QProcess::Running;
}

bool TestServer::stop(bool immediate) {
    if (!running())
        return true;
    ::kill(pid_t(server_->processId()), immediate ? SIGQUIT : SIGINT);
    if (!server_->waitForFinished(20000)) {
        server_->kill();
        server_->waitForFinished(5000);
    }
    return !running();
}

QString TestServer::uri(const QString& database, const QString& user) const {
    return QStringLiteral("postgresql://%1@127.0.0.1:%2/%3").arg(user).arg(port_).arg(database);
}

// One statement (or several) on a connection of its own; the first value of the last result.
bool TestServer::query(const QString& database, const QString& sql, QString* first) {
    PGconn* conn = PQconnectdb(uri(database).toUtf8().constData());
    PGresult* result =
        PQstatus(conn) == CONNECTION_OK ? PQexec(conn, sql.toUtf8().constData()) : nullptr;
    const ExecStatusType status = PQresultStatus(result);
    bool ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
    if (first) {
        ok = status == PGRES_TUPLES_OK && PQntuples(result) > 0;
        *first = ok ? QString::fromUtf8(PQgetvalue(result, 0, 0)) : QString();
    }
    if (!ok)
        error_ = QString::fromUtf8(PQerrorMessage(conn));
    PQclear(result);
    PQfinish(conn);
    return ok;
}

bool TestServer::exec(const QString& database, const QString& sql) {
    return query(database, sql, nullptr);
}

QString TestServer::value(const QString& database, const QString& sql) {
    QString found;
    query(database, sql, &found);
    return found;
}
