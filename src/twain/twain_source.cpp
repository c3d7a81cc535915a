#include "twain/twain_source.h"

#include "platform/global_memory.h"

#include <cstring>
#include <string>

TTwainSource::TTwainSource(TTwainHost* owner) : TTwainIdentity(owner) {}

TTwainSource::~TTwainSource() { Close(); }

TW_UINT16 TTwainSource::CallSource(TW_UINT32 group, TW_UINT16 dat, TW_UINT16 message, void* data) {
    return Owner()->Call(&Identity(), group, dat, message, data);
}

void TTwainSource::SetOpened(bool value) {
    if (value == FOpened) return;
    if (value)
        Open();
    else
        Close();
}

void TTwainSource::SetSourceEnabled(bool value) {
    if (!FOpened || value == FSourceEnabled) return;
    if (value)
        Enable(ShowInterface, ModalInterface);
    else
        Disable();
}

bool TTwainSource::Open() {
    if (FOpened) return true;
    bool success = Owner()->Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &Identity()) == TWRC_SUCCESS;
    if (success) {
        ++Owner()->OpenSourceCount;
        FOpened = true;
    }
    return success;
}

bool TTwainSource::Close() {
    if (!FOpened) return true;
    Disable();
    bool success = Owner()->Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &Identity()) == TWRC_SUCCESS;
    if (success) --Owner()->OpenSourceCount;
    FOpened = false;
    return success;
}

bool TTwainSource::Enable(bool show, bool modal) {
    if (!FOpened || FSourceEnabled) return FSourceEnabled;
    TW_USERINTERFACE ui{};
    ui.ShowUI = show ? 65535 : 0;
    ui.ModalUI = modal ? 65535 : 0;
    ui.hParent = Owner()->HiddenWindow();
    // Notifications sent while the call runs already find the source enabled.
    FSourceEnabled = true;
    TW_UINT16 code = CallSource(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
    if (code == TWRC_SUCCESS || code == TWRC_CHECKSTATUS) return true;
    FSourceEnabled = false;
    return false;
}

bool TTwainSource::Disable() {
    if (!FOpened || !FSourceEnabled) {
        FSourceEnabled = false;
        return true;
    }
    TW_USERINTERFACE ui{};
    ui.hParent = Owner()->HiddenWindow();
    if (CallSource(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui) != TWRC_SUCCESS) return false;
    if (Owner()->OnSourceDisable) Owner()->OnSourceDisable(Owner(), Index);
    FSourceEnabled = false;
    return true;
}

bool TTwainSource::HandleEvent(TWindowMessage& message) {
    TW_EVENT event{};
    event.pEvent = &message;
    event.TWMessage = MSG_NULL;
    if (CallSource(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event) != TWRC_DSEVENT) return false;
    switch (event.TWMessage) {
    case MSG_XFERREADY: TransferAll(); break;
    case MSG_CLOSEDSREQ:
        if (Owner()->OnAcquireCancel) Owner()->OnAcquireCancel(Owner(), Index);
        Disable();
        break;
    default: break;
    }
    return true;
}

TW_UINT16 TTwainSource::ReadStatus() {
    if (!FOpened) return 0;
    TW_STATUS status{};
    CallSource(DG_CONTROL, DAT_STATUS, MSG_GET, &status);
    return status.ConditionCode;
}

TCapabilityOutcome TTwainSource::QueryCapability(TW_UINT16 capability, TCapabilityRequest request,
                                                 TCapabilityContainer& container) {
    if (!FOpened) return coWrongState;
    static constexpr TW_UINT16 Messages[] = {MSG_GET, MSG_GETCURRENT, MSG_GETDEFAULT, MSG_RESET};
    TW_CAPABILITY record{};
    record.Cap = capability;
    record.ConType = TWON_DONTCARE16;
    record.hContainer = nullptr;
    if (CallSource(DG_CONTROL, DAT_CAPABILITY, Messages[request], &record) == TWRC_SUCCESS) {
        container.Handle = record.hContainer;
        container.Type = record.ConType;
        return coSuccess;
    }
    switch (ReadStatus()) {
    case TWCC_CAPUNSUPPORTED: return coUnsupported;
    case TWCC_CAPBADOPERATION: return coBadOperation;
    case TWCC_CAPSEQERROR: return coDependency;
    case TWCC_LOWMEMORY: return coLowMemory;
    case TWCC_SEQERROR: return coWrongState;
    default: return coBadOperation;
    }
}

int TTwainSource::ItemSize(TW_UINT16 itemType) {
    static constexpr int Sizes[] = {1, 2, 4, 1, 2, 4, 2, 4, 16, 34, 66, 130, 256, 1026, 1024};
    return itemType < std::size(Sizes) ? Sizes[itemType] : 0;
}

std::string TTwainSource::ItemText(TW_UINT16 itemType, const TW_UINT8* item) {
    auto read = [item](auto value) {
        std::memcpy(&value, item, sizeof value);
        return std::to_string(value);
    };
    switch (itemType) {
    case TWTY_INT8: return read(int8_t());
    case TWTY_INT16: return read(int16_t());
    case TWTY_INT32: return read(int32_t());
    case TWTY_UINT8: return read(uint8_t());
    case TWTY_UINT16:
    case TWTY_BOOL: return read(uint16_t());
    case TWTY_UINT32: return read(uint32_t());
    case TWTY_STR32:
    case TWTY_STR64:
    case TWTY_STR128:
    case TWTY_STR255: {
        const char* text = reinterpret_cast<const char*>(item);
        return std::string(text, strnlen(text, size_t(ItemSize(itemType))));
    }
    default: return {};
    }
}

TCapabilityOutcome TTwainSource::ReadEnumeration(TW_UINT16 capability, TCapabilityRequest request,
                                                 TEnumerationRead& result, TW_HANDLE handle) {
    TCapabilityContainer container{handle, TWON_ENUMERATION};
    if (!handle) {
        TCapabilityOutcome outcome = QueryCapability(capability, request, container);
        if (outcome != coSuccess) return outcome;
    }
    if (container.Type != TWON_ENUMERATION || !container.Handle) {
        GlobalFree(container.Handle);
        return coWrongContainer;
    }
    auto* enumeration = static_cast<TW_ENUMERATION*>(GlobalLock(container.Handle));
    result.ItemType = enumeration->ItemType;
    result.CurrentIndex = static_cast<int>(enumeration->CurrentIndex);
    result.DefaultIndex = static_cast<int>(enumeration->DefaultIndex);
    result.Items.clear();
    int size = ItemSize(enumeration->ItemType);
    for (TW_UINT32 i = 0; i < enumeration->NumItems; ++i)
        result.Items.push_back(ItemText(enumeration->ItemType, enumeration->ItemList + size_t(i) * size_t(size)));
    GlobalUnlock(container.Handle);
    GlobalFree(container.Handle);
    return coSuccess;
}

template <class TValue>
TCapabilityOutcome TTwainSource::ReadValues(TW_UINT16 capability, TCapabilityRequest request, TValue (*map)(int),
                                            TValue& current, std::set<TValue>& values) {
    TEnumerationRead read;
    TCapabilityOutcome outcome = ReadEnumeration(capability, request, read);
    if (outcome != coSuccess) return outcome;
    if (read.ItemType != TWTY_UINT16) return coUnsupported;
    std::vector<TValue> mapped;
    for (const std::string& text : read.Items) {
        int number = -1;
        try {
            size_t used = 0;
            number = std::stoi(text, &used);
            if (used != text.size()) number = -1;
        } catch (const std::exception&) {
        }
        mapped.push_back(map(number));
        values.insert(mapped.back());
    }
    // An index outside the items names no value; the current value then
    // stays as it was.
    int index = request == cqGetDefault ? read.DefaultIndex : read.CurrentIndex;
    if (index < 0 || index >= int(mapped.size())) {
        MalformedReply = true;
        return coBadOperation;
    }
    current = mapped[size_t(index)];
    return coSuccess;
}

TCapabilityOutcome TTwainSource::ReadUnits(TCapabilityRequest request, TScanUnits& current, std::set<TScanUnits>& units) {
    return ReadValues<TScanUnits>(
        ICAP_UNITS, request, [](int code) { return code >= 0 && code <= 5 ? TScanUnits(code) : suUnknown; }, current,
        units);
}

TCapabilityOutcome TTwainSource::ReadPixelFlavor(TCapabilityRequest request, TScanPixelFlavor& current,
                                                 std::set<TScanPixelFlavor>& flavors) {
    return ReadValues<TScanPixelFlavor>(
        ICAP_PIXELFLAVOR, request,
        [](int code) { return code == TWPF_CHOCOLATE ? sfChocolate : code == TWPF_VANILLA ? sfVanilla : sfUnknown; },
        current, flavors);
}

double FixedToReal(TW_FIX32 value) { return value.Whole + value.Frac / 65536.0; }

int32_t PixelsPerMeter(double resolution, TScanUnits units) {
    if (units == suInches) return static_cast<int32_t>(resolution * 100 / 2.54);
    if (units == suCentimeters) return static_cast<int32_t>(resolution * 100);
    return 0;
}
