#include "automation/scripting/scripting_servers.h"

#include "automation/scripting/file_system_object.h"
#include "automation/server_registry.h"

void RegisterScriptingServers() {
    TServerRegistry::Instance().Register("Scripting.FileSystemObject",
                                         [] { return std::make_shared<TFileSystemObject>(); });
}
