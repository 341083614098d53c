#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// A database server of the test's own: a fresh cluster in a temporary folder, listening only on
// 127.0.0.1 at a free port. The role "kalumbrixtor" logs in without a password; "lehrer" needs
// its password (scram), for the tests of a refused login. Under root the server runs as the user
// "postgres", as it refuses to run as root. The server dies with the test process, also when the
// test crashes or is killed.
class TestServer {
public:
    // durable: the server writes through to the disk as a school's would (for timings); the tests
    // spare the disk.
    explicit TestServer(bool durable = false);
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    // Makes the cluster and starts it; false with error() set when that fails.
    bool start();
    // Stops the server: fast (the server ends every session, open transactions are lost), or
    // immediate (as on a power cut).
    bool stop(bool immediate = false);
    bool running() const;
    const QString& error() const { return error_; }
    int port() const { return port_; }
    // The server's process, for a test that stops it from another thread with a signal.
    qint64 pid() const { return server_ ? server_->processId() : 0; }

    // A connection to database as user, in the form the program's settings hold it.
    QString uri(const QString& database,
                const QString& user = QStringLiteral("kalumbrixtor")) const;
    // Runs sql as the superuser in database; false with error() set when it fails.
    bool exec(const QString& database, const QString& sql);
    // The first field of the first row, or an empty text (also on a failure).
    QString value(const QString& database, const QString& sql);

private:
    bool query(const QString& database, const QString& sql, QString* first);
    bool initialise();
    bool launch();
    bool run(const QString& program, const QStringList& arguments, int timeoutMs);

    std::unique_ptr<QTemporaryDir> dir_;
    QString binaries_;
    QString data_;
    std::unique_ptr<QProcess> server_;
    bool durable_ = false;
    int port_ = 0;
    bool initialised_ = false;
    QString error_;
};
