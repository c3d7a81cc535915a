#pragma once

#include <string>

// Process-wide state shared by the subsystems. Paths are joined with "/".

extern std::string AppDir;         // where every file of the system lives, no trailing "/"
extern std::string TempImagePath;  // AppDir + "/tmp0.bmp": the picture last prepared for sending
extern std::string TempTextPath;   // AppDir + "/tmp0.txt": the text last prepared for sending
extern std::string SendFilePath;   // the file SubmitSendFile hands to the fax service
extern std::string DestName;       // the current destination, set by SelectDestination
extern std::string DestNumber;
extern bool BookChanged;           // the destination book was written since start-up

extern const std::string DefaultDestName;  // "名無し", the name given to a typed number

std::string BookPath();      // AppDir + "/faxnum"
std::string BookTempPath();  // AppDir + "/faxnum1"
std::string SettingsPath();  // AppDir + "/Pelmor.txt"

// The folder the system keeps its files in: the executable's folder when this
// user owns it, may write to it and nobody else may, and it is not an
// installed program folder (/usr/..., /bin, the install prefix's bin), else
// dataHome + "/pelmor" (created). dataHome is $XDG_DATA_HOME or
// ~/.local/share when empty. Returns empty when neither can be used.
std::string ResolveAppDir(const std::string& executableDir, const std::string& dataHome = {});

// The user's data folder: $XDG_DATA_HOME when it is an absolute path, else
// $HOME + "/.local/share" when HOME is set; empty when neither is.
std::string UserDataHome();

// Sets AppDir and the two temporary paths.
void InitAppPaths(const std::string& appDir);

// Puts the state above back as at start-up: no paths, no destination, no file
// to send, the book unchanged. The grid and dialog pointers follow their
// widgets' lives and are left alone.
void ResetAppState();
