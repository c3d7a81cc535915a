#include "automation/office/office_settings.h"

#include "durable/durable_file.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// Writer counts link updates 0 never, 1 on request, 2 always; Calc 0 always,
// 1 never, 2 on request.
const char* const Items[] = {
    "<item oor:path=\"/org.openoffice.Office.Common/Security/Scripting\">"
    "<prop oor:name=\"MacroSecurityLevel\" oor:op=\"fuse\"><value>3</value></prop></item>",
    "<item oor:path=\"/org.openoffice.Office.Common/Security/Scripting\">"
    "<prop oor:name=\"DisableMacrosExecution\" oor:op=\"fuse\"><value>true</value></prop></item>",
    "<item oor:path=\"/org.openoffice.Office.Writer/Content/Update\">"
    "<prop oor:name=\"Link\" oor:op=\"fuse\"><value>0</value></prop></item>",
    "<item oor:path=\"/org.openoffice.Office.Calc/Content/Update\">"
    "<prop oor:name=\"Link\" oor:op=\"fuse\"><value>1</value></prop></item>",
};

const char* const Head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                         "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
                         "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
                         "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n";
const std::string Tail = "</oor:items>";

} // namespace

bool SeedOfficeSettings(const std::string& profile) {
    std::string folder = profile + "/user";
    std::string path = folder + "/registrymodifications.xcu";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    std::string kept;
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        if (in) bytes << in.rdbuf();
        kept = bytes.str();
    }
    bool seeded = true;
    for (const char* item : Items) seeded = seeded && kept.find(item) != std::string::npos;
    if (seeded) return true;
    // Added after what is there: of two items for one setting, the later counts.
    std::string items;
    for (const char* item : Items) items += std::string(item) + "\n";
    size_t end = kept.rfind(Tail);
    std::string content = end == std::string::npos ? Head + items + Tail + "\n"
                                                   : kept.substr(0, end) + items + kept.substr(end);
    return WriteFileDurably(path, content);
}
