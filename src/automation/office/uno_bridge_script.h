#pragma once

// The text of uno_bridge.py, built into the program so that no separate file
// has to be found at run time.
extern const char* const UnoBridgeScript;
