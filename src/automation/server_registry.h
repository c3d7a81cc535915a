#pragma once

#include "automation/variant.h"

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

// Makes a new server object; raises TAutomationError when it cannot.
using TServerFactory = std::function<TObjectRef()>;

// The in-process servers known by ProgID. The application registers the
// built-in servers at start; a test can put its own server in place of any of
// them (or make a ProgID unknown) for as long as a TScopedServerOverride lives.
class TServerRegistry {
public:
    static TServerRegistry& Instance();

    void Register(const std::string& progId, TServerFactory factory);
    void Unregister(const std::string& progId);
    bool IsRegistered(std::string_view progId) const;

    // Raises TAutomationError when the ProgID is unknown or the factory fails.
    TObjectRef Create(std::string_view progId) const;

private:
    friend class TScopedServerOverride;
    mutable std::mutex Lock;
    std::map<std::string, TServerFactory, std::less<>> Servers;
};

class TScopedServerOverride {
public:
    // An empty factory makes the ProgID unknown while the override lives.
    TScopedServerOverride(std::string progId, TServerFactory factory);
    ~TScopedServerOverride();
    TScopedServerOverride(const TScopedServerOverride&) = delete;
    TScopedServerOverride& operator=(const TScopedServerOverride&) = delete;

private:
    std::string ProgId;
    TServerFactory Previous;
    bool HadPrevious = false;
};

// Creates an automation object by ProgID, as late binding does.
TVariant CreateObject(std::string_view progId);
