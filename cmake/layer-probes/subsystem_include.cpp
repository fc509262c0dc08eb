// Compiled at configure time with the subsystems' include path: a subsystem
// header is found.
#include "common/Text.h"
#include "services/Platform.h"

int main() { return 0; }
