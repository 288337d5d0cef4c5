// Opening data files on POSIX. O_NONBLOCK keeps open() from waiting for a
// FIFO's writer or a device; the type is then read from the open descriptor,
// so nothing can swap the file between the test and the use. On a regular
// file O_NONBLOCK changes nothing.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/streams.h"

FILE *file_open_regular(const char *path) {
  if (!path) {
    return nullptr;
  }
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    return nullptr;
  }
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return nullptr;
  }
  FILE *file = fdopen(fd, "rb");
  if (!file) {
    close(fd);
  }
  return file;
}
