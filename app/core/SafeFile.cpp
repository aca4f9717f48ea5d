#include "app/core/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "formula/Checks.h"

namespace SafeFile {

namespace {

[[noreturn]] void Fail(const std::string& path, int error) {
  throw WendrixError("Cannot write \"" + path + "\": " + std::strerror(error));
}

// Every byte, or the errno of the write that stopped short.
int WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : EIO;
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

// The mode of the file being replaced, or the default mode of a new file.
mode_t TargetMode(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) return info.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

void Write(const std::string& path, const std::string& bytes) {
  std::vector<char> temporary(path.begin(), path.end());
  for (const char c : std::string(".XXXXXX")) temporary.push_back(c);
  temporary.push_back('\0');
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) Fail(path, errno);
  int error = WriteAll(fd, bytes);
  if (error == 0 && ::fchmod(fd, TargetMode(path)) != 0) error = errno;
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && std::rename(temporary.data(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.data());
    Fail(path, error);
  }
}

}  // namespace SafeFile
