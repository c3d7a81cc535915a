#include "durable/unique_fd.h"

#include <unistd.h>

void TUniqueFd::Reset(int fd) {
    if (Fd >= 0) ::close(Fd);
    Fd = fd;
}

bool TUniqueFd::Close() {
    if (Fd < 0) return true;
    return ::close(Release()) == 0;
}
