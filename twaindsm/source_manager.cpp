// libpelmortwain.so: a scanner source manager whose data sources are the
// SANE devices. Its one export is DSM_Entry; the manager answers the control
// triplets itself and passes those addressed to a source on to it.
#include "data_source.h"
#include "product_name.h"

#include <sane/sane.h>

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct TDevice {
    std::string Name;
    TW_IDENTITY Identity;
};

struct TManager {
    std::recursive_mutex Lock;
    bool Open = false;
    TW_UINT32 NextAppId = 1;
    TW_UINT16 Condition = TWCC_SUCCESS;
    std::vector<TDevice> Devices;
    size_t NextDevice = 0;
    std::map<TW_UINT32, std::unique_ptr<TDataSource>> Sources;
};

TManager& Manager() {
    static TManager manager;
    return manager;
}

TW_UINT16 Fail(TManager& m, TW_UINT16 condition) {
    m.Condition = condition;
    return TWRC_FAILURE;
}

void CopyText(TW_STR32& field, const std::string& text) {
    std::memset(field, 0, sizeof(TW_STR32));
    std::memcpy(field, text.data(), std::min(text.size(), sizeof(TW_STR32) - 1));
}

void ListDevices(TManager& m) {
    m.Devices.clear();
    const SANE_Device** devices = nullptr;
    if (sane_get_devices(&devices, SANE_FALSE) != SANE_STATUS_GOOD || !devices) return;
    for (size_t i = 0; devices[i]; ++i) {
        const SANE_Device& device = *devices[i];
        TDevice entry{device.name ? device.name : "", TW_IDENTITY{}};
        TW_IDENTITY& identity = entry.Identity;
        identity.Id = TW_UINT32(i + 1);
        identity.Version.MajorNum = 1;
        identity.Version.Language = TW_UINT16(TWLG_USERLOCALE);
        identity.Version.Country = 1;
        CopyText(identity.Version.Info, "SANE " + entry.Name);
        identity.ProtocolMajor = 1;
        identity.ProtocolMinor = 9;
        identity.SupportedGroups = DG_CONTROL | DG_IMAGE;
        std::string vendor = device.vendor ? device.vendor : "", model = device.model ? device.model : "";
        CopyText(identity.Manufacturer, vendor);
        CopyText(identity.ProductFamily, device.type ? device.type : "");
        CopyText(identity.ProductName, ProductNameOf(vendor, model));
        m.Devices.push_back(entry);
    }
}

const TDevice* FindDevice(TManager& m, const TW_IDENTITY& identity) {
    for (const TDevice& device : m.Devices)
        if (device.Identity.Id == identity.Id &&
            std::strncmp(device.Identity.ProductName, identity.ProductName, sizeof(TW_STR32)) == 0)
            return &device;
    return nullptr;
}

void CloseAll(TManager& m) {
    m.Sources.clear();
}

TW_UINT16 ControlEntry(TManager& m, TW_IDENTITY* origin, TW_UINT16 dat, TW_UINT16 message, TW_MEMREF data) {
    if (dat == DAT_PARENT) {
        if (message == MSG_OPENDSM) {
            if (m.Open) return Fail(m, TWCC_SEQERROR);
            SANE_Int version = 0;
            if (sane_init(&version, nullptr) != SANE_STATUS_GOOD) return Fail(m, TWCC_BUMMER);
            m.Open = true;
            origin->Id = m.NextAppId++;
            return TWRC_SUCCESS;
        }
        if (message == MSG_CLOSEDSM) {
            if (!m.Open) return Fail(m, TWCC_SEQERROR);
            CloseAll(m);
            m.Devices.clear();
            sane_exit();
            m.Open = false;
            return TWRC_SUCCESS;
        }
        return Fail(m, TWCC_BADPROTOCOL);
    }
    if (dat == DAT_STATUS && message == MSG_GET) {
        *static_cast<TW_STATUS*>(data) = {m.Condition, 0};
        m.Condition = TWCC_SUCCESS;
        return TWRC_SUCCESS;
    }
    if (dat != DAT_IDENTITY || !m.Open) return Fail(m, m.Open ? TWCC_BADPROTOCOL : TWCC_SEQERROR);
    auto* identity = static_cast<TW_IDENTITY*>(data);
    switch (message) {
    case MSG_GETFIRST:
        ListDevices(m);
        m.NextDevice = 0;
        [[fallthrough]];
    case MSG_GETNEXT:
        if (m.NextDevice >= m.Devices.size()) return TWRC_ENDOFLIST;
        *identity = m.Devices[m.NextDevice++].Identity;
        return TWRC_SUCCESS;
    case MSG_GETDEFAULT:
        if (m.Devices.empty()) ListDevices(m);
        if (m.Devices.empty()) return Fail(m, TWCC_NODS);
        *identity = m.Devices.front().Identity;
        return TWRC_SUCCESS;
    case MSG_OPENDS: {
        const TDevice* device = FindDevice(m, *identity);
        if (!device) return Fail(m, TWCC_NODS);
        if (m.Sources.count(identity->Id)) return Fail(m, TWCC_SEQERROR);
        SANE_Handle handle = nullptr;
        if (sane_open(device->Name.c_str(), &handle) != SANE_STATUS_GOOD) return Fail(m, TWCC_OPERATIONERROR);
        m.Sources[identity->Id] = std::make_unique<TDataSource>(identity->Id, handle);
        return TWRC_SUCCESS;
    }
    case MSG_CLOSEDS:
        if (!m.Sources.erase(identity->Id)) return Fail(m, TWCC_NODS);
        return TWRC_SUCCESS;
    default: return Fail(m, TWCC_BADPROTOCOL);
    }
}

} // namespace

extern "C" __attribute__((visibility("default"))) TW_UINT16 DSM_Entry(TW_IDENTITY* origin, TW_IDENTITY* dest,
                                                                      TW_UINT32 group, TW_UINT16 dat, TW_UINT16 message,
                                                                      TW_MEMREF data) {
    TManager& m = Manager();
    std::lock_guard guard(m.Lock);
    if (!origin) return Fail(m, TWCC_BADVALUE);
    if (dest) {
        auto source = m.Sources.find(dest->Id);
        if (source == m.Sources.end()) return Fail(m, TWCC_BADDEST);
        return source->second->Entry(group, dat, message, data);
    }
    if (group != DG_CONTROL || (!data && dat != DAT_STATUS)) return Fail(m, TWCC_BADVALUE);
    if (dat == DAT_STATUS && !data) return Fail(m, TWCC_BADVALUE);
    return ControlEntry(m, origin, dat, message, data);
}
