#include "fax_line.h"

#include "hylafax_line.h"
#include "simulated_line.h"
#include "sip_line.h"

#include <vector>

namespace {

using TLineFactory = std::unique_ptr<TFaxLine> (*)(const TLineOptions& options, std::string& error);

struct TLineEntry {
    const char* Name;
    TLineFactory Factory;
};

// Every line the service knows, the default first. A new line adds its entry here.
const std::vector<TLineEntry>& LineTable()
{
    static const std::vector<TLineEntry> table = {
        {"simulated", &MakeSimulatedLine},
        {"hylafax", &MakeHylafaxLine},
        {"sip", &MakeSipLine},
    };
    return table;
}

} // namespace

std::unique_ptr<TFaxLine> MakeFaxLine(const std::string& name, const TLineOptions& options,
                                      std::string& error)
{
    for (const TLineEntry& entry : LineTable()) {
        if (name == entry.Name) {
            error.clear();
            std::unique_ptr<TFaxLine> line = entry.Factory(options, error);
            if (!line && error.empty())
                error = "line " + name + " cannot start";
            return line;
        }
    }
    error = "unknown line: " + name + " (known: " + FaxLineNames() + ")";
    return nullptr;
}

bool IsFaxLineName(const std::string& name)
{
    for (const TLineEntry& entry : LineTable())
        if (name == entry.Name)
            return true;
    return false;
}

std::string FaxLineNames()
{
    std::string names;
    for (const TLineEntry& entry : LineTable()) {
        if (!names.empty())
            names += ", ";
        names += entry.Name;
    }
    return names;
}
