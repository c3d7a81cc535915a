#pragma once

#include <string>
#include <vector>

// The scanner source manager as the main window sees it: the library is
// loaded on demand and its data sources are listed by product name. Until a
// source manager library is installed beside the application, OpenLibrary
// fails and no source is listed.
class TTwainSource {
public:
    explicit TTwainSource(std::string productName) : Name(std::move(productName)) {}
    const std::string& ProductName() const { return Name; }
    bool SourceEnabled = false;
    bool Opened = false;

private:
    std::string Name;
};

class TTwainHost {
public:
    TTwainHost() = default;
    ~TTwainHost();
    TTwainHost(const TTwainHost&) = delete;
    TTwainHost& operator=(const TTwainHost&) = delete;

    // Loads the source manager library; false when it cannot be found.
    bool OpenLibrary();

    bool LibraryLoaded() const { return LibraryHandle != nullptr; }
    void SetLibraryLoaded(bool loaded);
    bool SourceManagerLoaded() const { return ManagerOpen; }
    void SetSourceManagerLoaded(bool loaded);

    int SourceCount() const { return static_cast<int>(Sources.size()); }
    TTwainSource* SourceAt(int index);

private:
    void* LibraryHandle = nullptr;
    bool ManagerOpen = false;
    std::vector<TTwainSource> Sources;
};
