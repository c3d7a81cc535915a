#pragma once

#include "twain/twain_language.h"
#include "twain/twain_protocol.h"

#include <string>

class TTwainHost;

enum TTwainGroup { tgControl, tgImage, tgAudio };
// A set of groups, one bit per TTwainGroup value.
using TTwainGroups = unsigned;
constexpr TTwainGroups GroupBit(TTwainGroup group) { return 1u << group; }

// An application or source identity: the protocol's identity record, which
// is what goes to the source manager, and properties over its fields.
class TTwainIdentity {
public:
    explicit TTwainIdentity(TTwainHost* owner);
    virtual ~TTwainIdentity() = default;
    TTwainIdentity(const TTwainIdentity&) = delete;
    TTwainIdentity& operator=(const TTwainIdentity&) = delete;

    // Copies the whole identity record of the other.
    void Assign(const TTwainIdentity& other) { Record = other.Record; }

    TW_IDENTITY& Identity() { return Record; }
    const TW_IDENTITY& Identity() const { return Record; }
    TTwainHost* Owner() const { return FOwner; }

    TW_UINT16 MajorVersion() const { return Record.Version.MajorNum; }
    void SetMajorVersion(TW_UINT16 value) { Record.Version.MajorNum = value; }
    TW_UINT16 MinorVersion() const { return Record.Version.MinorNum; }
    void SetMinorVersion(TW_UINT16 value) { Record.Version.MinorNum = value; }
    TTwainLanguage Language() const;
    void SetLanguage(TTwainLanguage value);
    TW_UINT16 CountryCode() const { return Record.Version.Country; }
    void SetCountryCode(TW_UINT16 value) { Record.Version.Country = value; }
    TTwainGroups Groups() const;
    void SetGroups(TTwainGroups groups);

    std::string VersionInfo() const { return ReadText(Record.Version.Info); }
    void SetVersionInfo(const std::string& text) { WriteText(Record.Version.Info, text); }
    std::string Manufacturer() const { return ReadText(Record.Manufacturer); }
    void SetManufacturer(const std::string& text) { WriteText(Record.Manufacturer, text); }
    std::string ProductFamily() const { return ReadText(Record.ProductFamily); }
    void SetProductFamily(const std::string& text) { WriteText(Record.ProductFamily, text); }
    std::string ProductName() const { return ReadText(Record.ProductName); }
    void SetProductName(const std::string& text) { WriteText(Record.ProductName, text); }

    // A text field holds at most 34 bytes; a text that long has no terminating zero.
    static std::string ReadText(const TW_STR32& field);
    static void WriteText(TW_STR32& field, const std::string& text);

private:
    TW_IDENTITY Record{};
    TTwainHost* FOwner;
};
