#include "CliCommon.h"

namespace rz::cli {
int cmdCheck(int, char**) { return usageError("check: not available in this build"); }
} // namespace rz::cli
