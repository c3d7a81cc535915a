#include "automation/register_servers.h"

#include "automation/fax/register_fax_servers.h"
#include "automation/jet/jet_servers.h"
#include "automation/office/office_servers.h"
#include "automation/regexp/regexp_servers.h"
#include "automation/scripting/scripting_servers.h"

void RegisterBuiltInServers() {
    RegisterScriptingServers();
    RegisterFaxServers();
    RegisterRegExpServers();
    RegisterJetServers();
    RegisterOfficeServers();
}
