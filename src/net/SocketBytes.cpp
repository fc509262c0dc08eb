#include "net/SocketBytes.h"

#include <cstddef>

#if defined(__linux__)
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
#else
    (void)fd;
    return 0;
#endif
}

} // namespace rz
