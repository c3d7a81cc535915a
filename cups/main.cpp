// The fax printer's CUPS backend, installed as <ServerBin>/backend/pelmor.
#include "backend_job.h"

#include <unistd.h>

int main(int argc, char** argv) { return RunBackend(argc, argv, STDIN_FILENO, stdout, stderr); }
