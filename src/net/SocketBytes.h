#pragma once
#include <cstdint>

namespace rz {

// The bytes a TCP connection has received so far (header and body of every
// answer on it), as the system counts them; 0 where the system does not tell.
// Kept apart from the HTTP library, whose headers clash with the system's.
std::uint64_t socketBytesReceived(int fd);

} // namespace rz
