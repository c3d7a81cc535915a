#include "automation/fax/fax_service_settings.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

std::string DefaultFaxProgram() {
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        std::filesystem::path beside = self.parent_path() / "pelmor-faxd";
        if (access(beside.c_str(), X_OK) == 0) return beside.string();
    }
    return "pelmor-faxd";
}

TSeam<TFaxServiceSettings()> FaxServiceSettingsSeam([] {
    TFaxServiceSettings settings;
    settings.SocketPath = DefaultFaxSocketPath();
    settings.Program = DefaultFaxProgram();
    return settings;
});

TFaxServiceSettings GetFaxServiceSettings() { return FaxServiceSettingsSeam(); }
