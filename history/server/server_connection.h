#pragma once

#include "history/model/history.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>

struct addrinfo;
struct pg_conn;
struct pg_result;

// One connection to the school's database server, with the history's tables checked (made or
// brought up to date) and its statements prepared. A connection belongs to one thread at a time.
class ServerConnection {
public:
    // How long the program waits for the server: for the lookup of its name, for the connection
    // and for a statement.
    static constexpr int timeoutSeconds = 3;
    // The schema this program writes; a database with a higher number is only read.
    static constexpr int schemaVersion = 3;

    using Rows = std::unique_ptr<pg_result, void (*)(pg_result*)>;

    // server: a connection in libpq's URI or key=value form, without a password.
    explicit ServerConnection(const QString& server);
    ~ServerConnection();
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;

    // Connects unless connected; the reason when that fails.
    Outcome open();
    bool isOpen() const { return conn_ != nullptr; }
    void close();

    // Runs a prepared statement with its values in the server's text form; rows holds its result
    // (the rows in the server's binary form, or the failure). The reason when it failed; a
    // connection that broke is dropped, to be made anew.
    Outcome execute(const char* statement, const QList<QByteArray>& values, Rows& rows);

    // Stores the run under key unless the server has that key already; added tells which.
    Outcome send(const HistoryRun& run, const QString& key, bool& added);

    // A window reading a child's or a class's history may take longer than a run's recording; the
    // connection's own statement limit holds again when this ends.
    class ReadingTime {
    public:
        explicit ReadingTime(ServerConnection& connection);
        ~ReadingTime();
        ReadingTime(const ReadingTime&) = delete;
        ReadingTime& operator=(const ReadingTime&) = delete;

    private:
        ServerConnection& connection_;
    };

private:
    Outcome connect();
    Outcome prepareSchema();
    Outcome prepareStatements();
    Failure reasonForFailure(const char* fallback);

    QString server_;
    pg_conn* conn_ = nullptr;
};

// An array literal of the server's text form, for a statement's value.
QByteArray arrayOf(const QList<qint64>& values);
QByteArray arrayOf(const QStringList& values);

// The server as a message names it: user, host, port and database, never a password.
QString describedServer(const QString& server);

// The name lookup the connection uses, with getaddrinfo's signature; a test puts in one of its
// own (a name service that never answers, a name that does not exist). nullptr: the system's.
using NameLookup = int (*)(const char* node, const char* service, const addrinfo* hints,
                           addrinfo** found);
void setNameLookup(NameLookup lookup);
