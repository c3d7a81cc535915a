#pragma once

#include <string>

// Detaching from the terminal and the caller, with a word back: Detach()
// forks; the caller's process waits until the detached service calls
// ReportReady (exit 0) or ReportFailure (the text on stderr, exit 1), or dies
// (exit 1). Returns only in the detached process.
void Detach();

// Tells the waiting caller how the start went; does nothing when not detached.
void ReportReady();
void ReportFailure(const std::string& error);
