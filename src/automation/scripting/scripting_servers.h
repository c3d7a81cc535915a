#pragma once

// Registers "Scripting.FileSystemObject".
void RegisterScriptingServers();
