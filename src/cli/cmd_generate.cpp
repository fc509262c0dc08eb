#include "CliCommon.h"

namespace rz::cli {
int cmdGenerate(int, char**) { return usageError("generate: not available in this build"); }
} // namespace rz::cli
