#pragma once

#include <string>

// A LibreOffice profile kept between runs of the application, so that
// LibreOffice does not build a new one at every first start. Several slots
// ("office-profile-0", "-1", …) under a root folder let several instances of
// the application run at once: each claims a free one with a lock file that
// it holds until it releases the slot or ends.
class TProfileSlot {
public:
    TProfileSlot() = default;
    ~TProfileSlot() { Release(); }
    TProfileSlot(const TProfileSlot&) = delete;
    TProfileSlot& operator=(const TProfileSlot&) = delete;

    // Claims a free slot under root (made if needed); false when there is none.
    bool Claim(const std::string& root);
    bool Claimed() const { return Lock >= 0; }
    const std::string& Path() const { return Folder; }
    // Empties the profile, for one that LibreOffice can no longer start with.
    void Reset();
    void Release();

private:
    int Lock = -1;
    std::string Folder;
};

// $XDG_CACHE_HOME/pelmor, else ~/.cache/pelmor; empty when neither is known.
std::string DefaultProfileRoot();

// Settings every profile of ours carries, whatever LibreOffice wrote into it
// since: macros never run, and a document may not fetch what it links to
// from elsewhere. Made before each start of LibreOffice on the profile.
bool SecureOfficeProfile(const std::string& profile);
