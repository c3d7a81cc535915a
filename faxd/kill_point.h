#pragma once

// Crash testing: when the environment variable PELMOR_FAXD_KILL_AT names
// this point, the service kills itself here with SIGKILL, as a power cut
// or `kill -9` would. Without the variable, and in a build without tests,
// it does nothing.
void KillPoint(const char* name);
