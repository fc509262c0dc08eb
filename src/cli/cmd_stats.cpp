#include "CliCommon.h"

namespace rz::cli {
int cmdStats(int, char**) { return usageError("stats: not available in this build"); }
} // namespace rz::cli
