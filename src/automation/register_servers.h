#pragma once

// Registers every built-in in-process server under its ProgID.
void RegisterBuiltInServers();
