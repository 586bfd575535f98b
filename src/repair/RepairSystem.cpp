#include "repair/RepairSystem.h"

// The registry items come with CRegistryKey; until then the stage has nothing to do.
void RepairSystem() {}
