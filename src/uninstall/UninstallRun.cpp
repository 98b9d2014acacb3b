#include "uninstall/UninstallRun.h"

// Provisional: the uninstall run is built separately; until then clean-up
// mode removes nothing here.
void RunUninstall(const char*) {}
