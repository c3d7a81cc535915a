#pragma once

#include <string>
#include <vector>

// What a render child may use: bounded processor time, memory, file size and
// open descriptors, and no network. Called first thing in the child, while it
// has one thread. False (with error) only when a limit could not be set;
// without a way to drop the network the child still renders.
bool ConfineRenderChild(std::string& error);

// The environment a render child gets: a search path, a UTF-8 locale, the
// home folder (for the font cache) and the sanitizers' options; nothing else
// of the user's.
std::vector<std::string> RenderChildEnvironment();

// How long a child may render one body.
constexpr int RenderTimeLimitSeconds = 300;
// Files the child may have open at once.
constexpr long RenderDescriptorLimit = 256;
// The largest file the child may write.
constexpr long long RenderFileSizeLimit = 1LL << 30;
