// A run's end with a school server whose name the network's name service never answers for: from
// the run's end to the moment the result dialog could open (goal under 50 ms), and to the moment
// the child could be told that the server is away. The benchmark makes a network and a mount
// namespace of its own (it needs root): the loopback device is its only network, /etc/resolv.conf
// names 127.0.0.1 in it, and a socket there takes the questions and never answers. No packet leaves
// the machine.
#include "bench/run_end.h"
#include "history/server/postgres_history_store.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The silent name service; what failed, or nothing.
QString silenceNameService(const QTemporaryDir& dir) {
    const auto failed = [](const char* what) {
        return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                            QString::fromLocal8Bit(std::strerror(errno)));
    };
    if (::unshare(CLONE_NEWNS | CLONE_NEWNET) != 0)
        return failed("unshare");
    if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return failed("mount --make-rprivate /");
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ifreq loopback{};
    std::strcpy(loopback.ifr_name, "lo");
    if (fd < 0 || ::ioctl(fd, SIOCGIFFLAGS, &loopback) != 0)
        return failed("loopback");
    loopback.ifr_flags = short(loopback.ifr_flags | IFF_UP);
    if (::ioctl(fd, SIOCSIFFLAGS, &loopback) != 0)
        return failed("loopback up");
    ::close(fd);
    QFile conf(dir.filePath(QStringLiteral("resolv.conf")));
    if (!conf.open(QIODevice::WriteOnly) || conf.write("nameserver 127.0.0.1\n") < 0)
        return QStringLiteral("resolv.conf");
    conf.close();
    if (::mount(QFile::encodeName(conf.fileName()).constData(), "/etc/resolv.conf", nullptr,
                MS_BIND, nullptr) != 0)
        return failed("mount --bind resolv.conf");
    // Kept open until the program ends.
    const int service = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(53);
    if (service < 0 ||
        ::bind(service, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return failed("name service socket");
    return {};
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir dir;
    if (const QString problem = silenceNameService(dir); !problem.isEmpty()) {
        std::printf("The name service cannot be silenced here (%s); nothing measured.\n",
                    qPrintable(problem));
        return 0;
    }
    QCoreApplication app(argc, argv);
    QueuedHistoryStore store(PostgresHistoryStore::factory(QStringLiteral(
                                 "postgresql://kalumbrixtor@schulserver.example/lernverlauf")),
                             dir.filePath(QStringLiteral("Warteschlange.sqlite")));
    benchmark::RegisterBenchmark("BM_RunEndNameServiceSilent",
                                 [&](benchmark::State& state) { timeRunEnd(state, store); })
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(50)
        ->Repetitions(3)
        ->ReportAggregatesOnly(true);
    int round = 0;
    benchmark::RegisterBenchmark(
        "BM_ServerAwayToldNameServiceSilent",
        [&](benchmark::State& state) {
            timeServerAwayTold(state, [&] {
                return std::make_unique<QueuedHistoryStore>(
                    PostgresHistoryStore::factory(QStringLiteral(
                        "postgresql://kalumbrixtor@schulserver.example/lernverlauf")),
                    dir.filePath(QStringLiteral("Warteschlange-%1.sqlite").arg(++round)));
            });
        })
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(2);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
