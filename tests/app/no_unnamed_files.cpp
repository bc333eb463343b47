// Loaded into twk-csv with LD_PRELOAD: a file system without unnamed files (as FAT or many
// network file systems are), whose open() refuses O_TMPFILE, so that -o takes its hidden named
// temporary file instead.
#include <dlfcn.h>
#include <fcntl.h>

#include <cerrno>
#include <cstdarg>

extern "C" int open(const char* path, int flags, ...) {
  mode_t mode = 0;
  if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) {
    va_list args;
    va_start(args, flags);
    mode = va_arg(args, mode_t);
    va_end(args);
  }
  if ((flags & O_TMPFILE) == O_TMPFILE) {
    errno = EOPNOTSUPP;
    return -1;
  }
  using Open = int (*)(const char*, int, ...);
  return reinterpret_cast<Open>(::dlsym(RTLD_NEXT, "open"))(path, flags, mode);
}

// On 64-bit systems open64 is the same call.
extern "C" int open64(const char* path, int flags, ...) __attribute__((alias("open")));
