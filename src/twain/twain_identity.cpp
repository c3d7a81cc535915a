#include "twain/twain_identity.h"

#include <algorithm>
#include <cstring>

TTwainIdentity::TTwainIdentity(TTwainHost* owner) : FOwner(owner) {
    SetLanguage(tlUserLocale);
    SetCountryCode(1);
    SetMajorVersion(1);
    SetVersionInfo("Application name");
    Record.ProtocolMajor = 1;
    Record.ProtocolMinor = 9;
    SetGroups(GroupBit(tgControl) | GroupBit(tgImage));
    SetManufacturer("Application manufacturer");
    SetProductFamily("App product family");
    SetProductName("App product name");
}

TTwainLanguage TTwainIdentity::Language() const {
    return static_cast<TTwainLanguage>(static_cast<TW_UINT16>(Record.Version.Language + 1));
}

void TTwainIdentity::SetLanguage(TTwainLanguage value) {
    Record.Version.Language = static_cast<TW_UINT16>(static_cast<int>(value) - 1);
}

TTwainGroups TTwainIdentity::Groups() const {
    TTwainGroups groups = GroupBit(tgControl);
    if (Record.SupportedGroups & DG_IMAGE) groups |= GroupBit(tgImage);
    if (Record.SupportedGroups & DG_AUDIO) groups |= GroupBit(tgAudio);
    return groups;
}

void TTwainIdentity::SetGroups(TTwainGroups groups) {
    Record.SupportedGroups = DG_CONTROL;
    if (groups & GroupBit(tgImage)) Record.SupportedGroups |= DG_IMAGE;
    if (groups & GroupBit(tgAudio)) Record.SupportedGroups |= DG_AUDIO;
}

std::string TTwainIdentity::ReadText(const TW_STR32& field) {
    return std::string(field, strnlen(field, sizeof(TW_STR32)));
}

void TTwainIdentity::WriteText(TW_STR32& field, const std::string& text) {
    std::memset(field, 0, sizeof(TW_STR32));
    std::memcpy(field, text.data(), std::min(text.size(), sizeof(TW_STR32)));
}
