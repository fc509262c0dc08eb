#include "common/IoError.h"

#include <system_error>

namespace rz {

std::string systemErrorText(int err) {
    return std::system_category().message(err);
}

void throwIoError(const std::string& what, const std::string& path, int err) {
    throw IoError(what + " \"" + path + "\": " + systemErrorText(err));
}

} // namespace rz
