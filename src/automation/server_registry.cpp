#include "automation/server_registry.h"

#include "automation/automation_error.h"

TServerRegistry& TServerRegistry::Instance() {
    static TServerRegistry registry;
    return registry;
}

void TServerRegistry::Register(const std::string& progId, TServerFactory factory) {
    std::lock_guard guard(Lock);
    Servers[progId] = std::move(factory);
}

void TServerRegistry::Unregister(const std::string& progId) {
    std::lock_guard guard(Lock);
    Servers.erase(progId);
}

bool TServerRegistry::IsRegistered(std::string_view progId) const {
    std::lock_guard guard(Lock);
    auto it = Servers.find(progId);
    return it != Servers.end() && it->second;
}

TObjectRef TServerRegistry::Create(std::string_view progId) const {
    TServerFactory factory;
    {
        std::lock_guard guard(Lock);
        auto it = Servers.find(progId);
        if (it != Servers.end()) factory = it->second;
    }
    if (!factory) throw TAutomationError("ActiveX component can't create object: " + std::string(progId));
    TObjectRef object = factory();
    if (!object) throw TAutomationError("ActiveX component can't create object: " + std::string(progId));
    return object;
}

TScopedServerOverride::TScopedServerOverride(std::string progId, TServerFactory factory)
    : ProgId(std::move(progId)) {
    TServerRegistry& registry = TServerRegistry::Instance();
    std::lock_guard guard(registry.Lock);
    auto it = registry.Servers.find(ProgId);
    if (it != registry.Servers.end()) {
        HadPrevious = true;
        Previous = it->second;
    }
    registry.Servers[ProgId] = std::move(factory);
}

TScopedServerOverride::~TScopedServerOverride() {
    TServerRegistry& registry = TServerRegistry::Instance();
    std::lock_guard guard(registry.Lock);
    if (HadPrevious)
        registry.Servers[ProgId] = std::move(Previous);
    else
        registry.Servers.erase(ProgId);
}

TVariant CreateObject(std::string_view progId) { return TVariant(TServerRegistry::Instance().Create(progId)); }
