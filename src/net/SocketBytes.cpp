#include "net/SocketBytes.h"

#include <cstddef>

#if defined(_WIN32)
// The declarations of Windows 10 1703 (the call itself fails on older systems).
#undef _WIN32_WINNT
#undef NTDDI_VERSION
#define _WIN32_WINNT 0x0A00
#define NTDDI_VERSION 0x0A000003
#include <winsock2.h>
#include <mstcpip.h>
#elif defined(__linux__)
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

namespace rz {

std::uint64_t socketBytesReceived(int fd) {
#if defined(__linux__)
    if (fd < 0)
        return 0;
    tcp_info info{};
    socklen_t len = sizeof info;
    if (::getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &len) != 0)
        return 0;
    if (len < offsetof(tcp_info, tcpi_bytes_received) + sizeof info.tcpi_bytes_received)
        return 0; // a kernel that does not count them
    return info.tcpi_bytes_received;
#elif defined(_WIN32)
    // Windows 10 1703 and later count them in the TCP information; older
    // systems (and Wine) refuse the request, which leaves 0.
    if (fd < 0)
        return 0;
    DWORD version = 0;
    TCP_INFO_v0 info{};
    DWORD got = 0;
    if (::WSAIoctl(static_cast<SOCKET>(fd), SIO_TCP_INFO, &version, sizeof version, &info, sizeof info, &got, nullptr,
                   nullptr) != 0 ||
        got < sizeof info)
        return 0;
    return info.BytesIn;
#else
    (void)fd;
    return 0;
#endif
}

} // namespace rz
