#pragma once

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// A server on 127.0.0.1 that takes every connection and never says a word: the system completes
// the connections on its own, and nothing ever reads from them.
class SilentServer {
public:
    SilentServer() {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(fd_, 64) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        port_ = ntohs(address.sin_port);
    }
    ~SilentServer() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    // 0 when no port could be had.
    int port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};
