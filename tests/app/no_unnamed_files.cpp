// Loaded into twk-csv with LD_PRELOAD: a file system without unnamed files (as FAT or many
// network file systems are), whose open() refuses O_TMPFILE, so that -o takes its hidden named
// temporary file instead.
#include <dlfcn.h>
#include <fcntl.h>

#include <cerrno>
#include <cstdarg>

namespace {

int openFile(const char* name, const char* path, int flags, mode_t mode) {
  if ((flags & O_TMPFILE) == O_TMPFILE) {
    errno = EOPNOTSUPP;
    return -1;
  }
  using Open = int (*)(const char*, int, ...);
  return reinterpret_cast<Open>(::dlsym(RTLD_NEXT, name))(path, flags, mode);
}

mode_t modeOf(int flags, va_list args) {
  return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(args, mode_t) : 0;
}

}  // namespace

extern "C" int open(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const mode_t mode = modeOf(flags, args);
  va_end(args);
  return openFile("open", path, flags, mode);
}

extern "C" int open64(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const mode_t mode = modeOf(flags, args);
  va_end(args);
  return openFile("open64", path, flags, mode);
}
