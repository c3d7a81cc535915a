#include "automation/regexp/regexp_servers.h"

#include "automation/regexp/reg_exp.h"
#include "automation/server_registry.h"

void RegisterRegExpServers() {
    TServerRegistry::Instance().Register("VBScript.RegExp", [] { return std::make_shared<TRegExp>(); });
}
