#pragma once

// Everything pelmor-faxd does, behind its thin main: serving (detached or in
// the foreground), `jobs`, and the internal `--render` child.
int FaxdMain(int argc, char** argv);
