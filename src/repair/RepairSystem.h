// The last stage of a scan: checks and repairs the registry settings that the worm changed.
#pragma once

// Raises g_scanState.restoredCount for each repaired item; stops between items on request.
void RepairSystem();
