// Compiled at configure time with the subsystems' include path: this must
// fail, a subsystem never reaches the facade.
#include "app/MainModel.h"

int main() { return 0; }
