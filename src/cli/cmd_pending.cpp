// Commands whose subsystems are being built; each moves to its own file.
#include "CliCommon.h"

namespace rz::cli {
int cmdCheck(int, char**) { return usageError("check: not available in this build"); }
int cmdStats(int, char**) { return usageError("stats: not available in this build"); }
int cmdGenerate(int, char**) { return usageError("generate: not available in this build"); }
} // namespace rz::cli
