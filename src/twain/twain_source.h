#pragma once

#include "platform/dib_section.h"
#include "platform/window_handle.h"
#include "twain/twain_host.h"
#include "twain/twain_identity.h"

#include <set>
#include <string>
#include <vector>

using TGetCapabilityList = std::vector<std::string>;

enum TCapabilityRequest { cqGet, cqGetCurrent, cqGetDefault, cqReset };
enum TCapabilityOutcome { coSuccess, coUnsupported, coBadOperation, coDependency, coLowMemory, coWrongState, coWrongContainer };
enum TScanUnits { suInches, suCentimeters, suPicas, suPoints, suTwips, suPixels, suUnknown };
enum TScanPixelFlavor { sfChocolate, sfVanilla, sfUnknown };

struct TCapabilityContainer {
    TW_HANDLE Handle = nullptr;
    TW_UINT16 Type = 0;
};

struct TEnumerationRead {
    TW_UINT16 ItemType = 0;
    TGetCapabilityList Items;
    int CurrentIndex = 0;
    int DefaultIndex = 0;
};

// One data source of the manager: opened, enabled and closed through the
// manager, answering its notifications and running its image transfers, whose
// results go to the owner's events.
class TTwainSource : public TTwainIdentity {
public:
    explicit TTwainSource(TTwainHost* owner);
    ~TTwainSource() override;

    int Index = 0;
    TTwainTransferMode TransferMode = ttmNative;
    bool ShowInterface = true;
    bool ModalInterface = true;

    bool Opened() const { return FOpened; }
    void SetOpened(bool value);
    bool SourceEnabled() const { return FSourceEnabled; }
    void SetSourceEnabled(bool value);

    bool Open();
    bool Close();
    bool Enable(bool show, bool modal);
    bool Disable();
    bool HandleEvent(TWindowMessage& message);
    TW_UINT16 ReadStatus();

    TCapabilityOutcome QueryCapability(TW_UINT16 capability, TCapabilityRequest request, TCapabilityContainer& container);
    // Reads an enumeration; a given container is taken as one. The container
    // memory is always released here.
    TCapabilityOutcome ReadEnumeration(TW_UINT16 capability, TCapabilityRequest request, TEnumerationRead& result,
                                       TW_HANDLE container = nullptr);
    TCapabilityOutcome ReadUnits(TCapabilityRequest request, TScanUnits& current, std::set<TScanUnits>& units);
    TCapabilityOutcome ReadPixelFlavor(TCapabilityRequest request, TScanPixelFlavor& current,
                                       std::set<TScanPixelFlavor>& flavors);

    void TransferAll();
    TW_UINT16 PrepareMemoryTransfer(HBITMAP& bitmap, TW_INT16& pixelType);
    TW_UINT16 RunMemoryTransfer(HBITMAP bitmap, TW_INT16 pixelType);
    void DeliverNative(TW_HANDLE dib, bool& cancel);
    void DeliverMemory(HBITMAP bitmap, bool& cancel);
    void DeliverFile(const TW_STR255& fileName, TW_UINT16 format, bool& cancel);

    static int ItemSize(TW_UINT16 itemType);
    static std::string ItemText(TW_UINT16 itemType, const TW_UINT8* item);

private:
    TW_UINT16 CallSource(TW_UINT32 group, TW_UINT16 dat, TW_UINT16 message, void* data);
    template <class TValue>
    TCapabilityOutcome ReadValues(TW_UINT16 capability, TCapabilityRequest request, TValue (*map)(int), TValue& current,
                                  std::set<TValue>& values);

    // Set when the source answered a capability read with an enumeration whose
    // index lies outside its items; a transfer then ends with an error.
    bool MalformedReply = false;
    bool FOpened = false;
    bool FSourceEnabled = false;
};

// A whole-and-fraction number of the protocol as a real number.
double FixedToReal(TW_FIX32 value);
// Pixels per metre of a resolution in the given units; 0 for other units.
int32_t PixelsPerMeter(double resolution, TScanUnits units);
