#include "app/StandardDescriptors.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

void openClosedStandardDescriptors() {
    for (int descriptor = STDIN_FILENO; descriptor <= STDERR_FILENO; ++descriptor) {
        if (::fcntl(descriptor, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lowest free number is this one; it stays open for the life of the process.
        const int opened = ::open("/dev/null", O_RDWR | O_NOCTTY);
        if (opened > STDERR_FILENO)
            ::close(opened); // the number was taken meanwhile: nothing left to fill
    }
}
