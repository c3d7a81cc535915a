#pragma once

#include "body_type.h"
#include "render_confinement.h"

#include <atomic>
#include <string>

// Renders a body in a child process (`pelmor-faxd --render TYPE`), so that a
// file that makes a decoder crash or run away costs its own job and nothing
// else. The child reads the body from descriptor 3 and writes the fax to
// descriptor 4, both opened here (never through a symbolic link), and gets no
// other file of the service; the parent reads its verdict from a pipe. stop
// (when set) ends the wait early, killing the child.
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

// The descriptors a render child reads the body from and writes the fax to.
constexpr int RenderBodyFd = 3;
constexpr int RenderOutFd = 4;
// How long a child may go on after it gave its verdict.
constexpr int RenderExitGraceSeconds = 5;
