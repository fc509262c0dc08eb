#include "common/IoError.h"

namespace rz {

std::string ioErrorText(const std::string& what, const std::string& path, const std::string& why) {
    if (what == "Cannot open")
        return txt(Txt::IoCannotOpen, {path, why});
    if (what == "Cannot read")
        return txt(Txt::IoCannotRead, {path, why});
    if (what == "Cannot write" || what == "Cannot write to disk" || what == "Cannot create")
        return txt(Txt::IoCannotWrite, {path, why});
    if (what == "Cannot lock")
        return txt(Txt::IoCannotLock, {path, why});
    if (what == "Cannot resolve")
        return txt(Txt::IoCannotResolve, {path, why});
    return what + " \"" + path + "\": " + why;
}

void throwIoError(const std::string& what, const std::string& path, int err) {
    throw IoError(ioErrorText(what, path, systemErrorText(err)));
}

} // namespace rz
