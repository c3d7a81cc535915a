#pragma once

#include "body_type.h"

#include <atomic>
#include <string>

// Renders a body in a child process (`pelmor-faxd --render TYPE BODY OUT`),
// so that a file that makes a decoder crash or run away costs its own job
// and nothing else. The child writes and fsyncs OUT; the parent reads its
// verdict from a pipe. stop (when set) ends the wait early, killing the child.
// temporary (when given) tells a failure that may pass, such as a full disk,
// from one that rendering again will not mend.
bool RenderInChildProcess(const std::string& program, TBodyType type, const std::string& bodyPath,
                          const std::string& outPath, int& pages, std::string& error,
                          const std::atomic<bool>* stop = nullptr, bool* temporary = nullptr);

// The child's side: renders, fsyncs, prints "pages N", "error TEXT" or, when
// the disk refused the fax, "retry TEXT" on stdout. Returns the process exit code.
int RunRenderChild(const std::string& typeName, const std::string& bodyPath, const std::string& outPath);

// Whether a failed call's errno says the disk refused (full, over quota,
// failing) rather than the content being at fault.
bool IsDiskTrouble(int error);

// How long a child may render one body.
constexpr int RenderTimeLimitSeconds = 300;
