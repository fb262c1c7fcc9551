#include "common/shell.h"

namespace {
NullShell nullShell;
Shell* current = &nullShell;
}  // namespace

void setShell(Shell* s) { current = s ? s : &nullShell; }
Shell& shell() { return *current; }
