#include "scripted_manager.h"

#include "platform/global_memory.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>

namespace {

TScriptedManager* Current = nullptr;

TW_UINT16 ScriptedEntry(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 group, TW_UINT16 dat, TW_UINT16 message,
                        TW_MEMREF data) {
    (void)origin;
    return Current->Answer(dest, group, dat, message, data);
}

std::string Name(TW_UINT16 dat, TW_UINT16 message) {
    static const std::map<TW_UINT16, std::string> Dats = {
        {DAT_CAPABILITY, "CAPABILITY"}, {DAT_EVENT, "EVENT"}, {DAT_IDENTITY, "IDENTITY"}, {DAT_PARENT, "PARENT"},
        {DAT_PENDINGXFERS, "PENDINGXFERS"}, {DAT_SETUPMEMXFER, "SETUPMEMXFER"}, {DAT_STATUS, "STATUS"},
        {DAT_USERINTERFACE, "USERINTERFACE"}, {DAT_IMAGEINFO, "IMAGEINFO"}, {DAT_IMAGEMEMXFER, "IMAGEMEMXFER"},
        {DAT_PALETTE8, "PALETTE8"}};
    static const std::map<TW_UINT16, std::string> Messages = {
        {MSG_GET, "GET"}, {MSG_GETDEFAULT, "GETDEFAULT"}, {MSG_GETFIRST, "GETFIRST"}, {MSG_GETNEXT, "GETNEXT"},
        {MSG_RESET, "RESET"}, {MSG_OPENDSM, "OPENDSM"}, {MSG_CLOSEDSM, "CLOSEDSM"}, {MSG_OPENDS, "OPENDS"},
        {MSG_CLOSEDS, "CLOSEDS"}, {MSG_DISABLEDS, "DISABLEDS"}, {MSG_ENABLEDS, "ENABLEDS"},
        {MSG_PROCESSEVENT, "PROCESSEVENT"}, {MSG_ENDXFER, "ENDXFER"}};
    return Dats.at(dat) + "/" + Messages.at(message);
}

// The whole record of the n-th source, the same each time it is asked for.
TW_IDENTITY SourceIdentity(int n) {
    TW_IDENTITY identity{};
    identity.Id = TW_UINT32(n);
    identity.ProtocolMajor = 1;
    identity.ProtocolMinor = 9;
    identity.SupportedGroups = DG_CONTROL | DG_IMAGE;
    std::snprintf(identity.ProductName, sizeof identity.ProductName, "Scanner %d", n);
    return identity;
}

} // namespace

TScriptedManager::TScriptedManager()
    : Library(LibraryCallsSeam, [] {
          return TLibraryCalls{[](const std::string&) { return std::string("/scripted/"); },
                               [](const std::string&) -> void* { return Current; },
                               [](void*, const char*) { return reinterpret_cast<void*>(&ScriptedEntry); },
                               [](void*) { return true; }};
      }) {
    Current = this;
}

TScriptedManager::~TScriptedManager() { Current = nullptr; }

void TScriptedManager::SetPage(int width, int height, int bitsPerPixel, TW_INT16 pixelType, TW_UINT32 preferred) {
    Info = {};
    Info.XResolution = {200, 0};
    Info.YResolution = {200, 0};
    Info.ImageWidth = width;
    Info.ImageLength = height;
    Info.BitsPerPixel = static_cast<TW_INT16>(bitsPerPixel);
    Info.PixelType = pixelType;
    Preferred = preferred;
    Page.resize(size_t((bitsPerPixel * width + 31) / 32 * 4 * height));
    for (size_t i = 0; i < Page.size(); ++i) Page[i] = uint8_t(i);
}

std::vector<std::string> TScriptedManager::CallsOf(const std::string& text) const {
    std::vector<std::string> found;
    std::copy_if(Calls.begin(), Calls.end(), std::back_inserter(found),
                 [&](const std::string& call) { return call.find(text) != std::string::npos; });
    return found;
}

TW_UINT16 TScriptedManager::Answer(TW_IDENTITY*, TW_UINT32, TW_UINT16 dat, TW_UINT16 message, TW_MEMREF data) {
    Calls.push_back(Name(dat, message));
    switch (dat) {
    case DAT_IDENTITY: {
        auto* identity = static_cast<TW_IDENTITY*>(data);
        if (message == MSG_GETFIRST) Listed = 0;
        if (message == MSG_GETFIRST || message == MSG_GETNEXT) {
            if (Listed >= Sources) return TWRC_ENDOFLIST;
            *identity = SourceIdentity(++Listed);
            return TWRC_SUCCESS;
        }
        if (message == MSG_GETDEFAULT) {
            if (DefaultSource < 0) return TWRC_FAILURE;
            *identity = SourceIdentity(DefaultSource + 1);
            return TWRC_SUCCESS;
        }
        if (message == MSG_OPENDS) {
            Sent = 0;
            PagesLeft = PendingAfterPage + 1;
        }
        return TWRC_SUCCESS;
    }
    case DAT_USERINTERFACE: return message == MSG_ENABLEDS ? EnableCode : TWRC_SUCCESS;
    case DAT_EVENT: {
        auto* event = static_cast<TW_EVENT*>(data);
        auto* window = static_cast<const TWindowMessage*>(event->pEvent);
        if (window->Message != WINDOW_APP_MESSAGE) return TWRC_NOTDSEVENT;
        event->TWMessage = TW_UINT16(window->WParam);
        return TWRC_DSEVENT;
    }
    case DAT_STATUS: static_cast<TW_STATUS*>(data)->ConditionCode = ConditionCode; return TWRC_SUCCESS;
    case DAT_IMAGEINFO: *static_cast<TW_IMAGEINFO*>(data) = Info; return TWRC_SUCCESS;
    case DAT_SETUPMEMXFER: *static_cast<TW_SETUPMEMXFER*>(data) = {Preferred, Preferred, Preferred}; return TWRC_SUCCESS;
    case DAT_CAPABILITY: {
        auto* capability = static_cast<TW_CAPABILITY*>(data);
        if (!CapabilitiesAnswered || (capability->Cap != ICAP_UNITS && capability->Cap != ICAP_PIXELFLAVOR)) {
            ConditionCode = TWCC_CAPUNSUPPORTED;
            return TWRC_FAILURE;
        }
        auto* enumeration = static_cast<TW_ENUMERATION*>(GlobalAlloc(GMEM_ZEROINIT, sizeof(TW_ENUMERATION) + 2));
        enumeration->ItemType = TWTY_UINT16;
        enumeration->NumItems = 1;
        enumeration->CurrentIndex = EnumerationIndex;
        TW_UINT16 value = capability->Cap == ICAP_UNITS ? Units : Flavor;
        std::memcpy(enumeration->ItemList, &value, 2);
        capability->ConType = TWON_ENUMERATION;
        capability->hContainer = enumeration;
        return TWRC_SUCCESS;
    }
    case DAT_IMAGEMEMXFER: {
        auto* strip = static_cast<TW_IMAGEMEMXFER*>(data);
        size_t n = std::min<size_t>(strip->Memory.Length, Page.size() - Sent);
        std::memcpy(strip->Memory.TheMem, Page.data() + Sent, n);
        Sent += n;
        strip->BytesWritten = TW_UINT32(n);
        return Sent == Page.size() ? TWRC_XFERDONE : TWRC_SUCCESS;
    }
    case DAT_PENDINGXFERS: {
        auto* pending = static_cast<TW_PENDINGXFERS*>(data);
        PagesLeft = message == MSG_RESET ? 0 : PagesLeft - 1;
        Sent = 0;
        pending->Count = TW_UINT16(PagesLeft);
        return TWRC_SUCCESS;
    }
    default: return TWRC_SUCCESS;
    }
}
