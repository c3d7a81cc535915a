#pragma once

// Registers "VBScript.RegExp".
void RegisterRegExpServers();
