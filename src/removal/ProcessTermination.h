// The first stage of a scan: ending the worm's running processes.
#pragma once

// Switches on SeDebugPrivilege in our own token, so that processes of other accounts can be
// opened. True when the adjustment call succeeded (also when the token lacks the privilege).
bool EnableDebugPrivilege();

// Terminates, with exit code 0, every process whose main executable path contains `text`
// (letter case ignored). One pass over one snapshot; processes that cannot be opened or whose
// path cannot be read are left alone.
void TerminateProcessesByPath(const wchar_t* text);
