#include "app/core/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "formula/Checks.h"

namespace SafeFile {

namespace {

[[noreturn]] void Fail(const std::string& path, const std::string& reason) {
  throw WendrixError("Cannot write \"" + path + "\": " + reason);
}

[[noreturn]] void Fail(const std::string& path, int error) { Fail(path, std::strerror(error)); }

// Every byte, from the file's start, or the errno of the write that stopped short.
int WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : EIO;
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

// The folder part of `path` with its final '/', or "" for a name in the current folder.
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file a write to `path` must change: `path` itself unless it is a symbolic link,
// else the end of the chain of links (which need not exist yet).
std::string FollowLinks(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop < 40; ++hop) {
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
    char target[PATH_MAX];
    const ssize_t length = ::readlink(current.c_str(), target, sizeof target);
    if (length < 0) Fail(path, errno);
    if (static_cast<std::size_t>(length) >= sizeof target) Fail(path, ENAMETOOLONG);
    const std::string link(target, static_cast<std::size_t>(length));
    current = link.starts_with('/') ? link : FolderOf(current) + link;
  }
  Fail(path, ELOOP);
}

// A target and the complete temporary copy of its new contents beside it.
struct TStaged {
  const TFile* File = nullptr;
  std::string Target, Temporary;
  bool InPlace = false;  // hard links or an owner that a rename would lose
};

// The temporary copy of `file`, on the disk with the target's owner and mode (or the
// umask's mode for a new file). Throws, with nothing left behind, when it cannot be.
TStaged Stage(const TFile& file) {
  TStaged staged;
  staged.File = &file;
  staged.Target = FollowLinks(file.Path);
  struct stat old {};
  const bool exists = ::stat(staged.Target.c_str(), &old) == 0;
  if (!exists && errno != ENOENT) Fail(file.Path, errno);
  if (exists && !S_ISREG(old.st_mode)) Fail(file.Path, std::string("it is ") + KindName(old.st_mode) + ", not a regular file");
  if (exists && ::access(staged.Target.c_str(), W_OK) != 0) Fail(file.Path, errno);

  // A short name of its own, so that a target name of the longest legal length works.
  std::string temporary = FolderOf(staged.Target) + ".wendrix-XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) Fail(file.Path, errno);
  int error = WriteAll(fd, file.Bytes);
  mode_t mode = 0;
  if (exists) {
    mode = old.st_mode & 07777;
    struct stat fresh {};
    if (error == 0 && ::fstat(fd, &fresh) != 0) error = errno;
    const bool otherOwner = fresh.st_uid != old.st_uid || fresh.st_gid != old.st_gid;
    // Only the owner (or root) may give a file away; anyone else rewrites it in place.
    if (error == 0 && otherOwner && ::fchown(fd, old.st_uid, old.st_gid) != 0) staged.InPlace = true;
    if (old.st_nlink > 1) staged.InPlace = true;
  } else {
    mode = ::umask(0);
    ::umask(mode);
    mode = 0666 & ~mode;
  }
  // After the owner, which clears set-id bits.
  if (error == 0 && ::fchmod(fd, mode) != 0) error = errno;
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    Fail(file.Path, error);
  }
  staged.Temporary = temporary;
  return staged;
}

// Overwrites the target itself with the new bytes; its room is reserved first, so a
// full disk leaves it untouched. 0 or the errno of the step that failed.
int RewriteInPlace(const TStaged& staged, bool& touched) {
  touched = false;
  const int fd = ::open(staged.Target.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return errno;
  const std::string& bytes = staged.File->Bytes;
  struct stat info {};
  int error = ::fstat(fd, &info) != 0 ? errno : S_ISREG(info.st_mode) ? 0 : EINVAL;
  if (error == 0 && !bytes.empty() &&
      ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(bytes.size())) != 0 && errno != EOPNOTSUPP)
    error = errno;
  if (error == 0) {
    touched = true;
    error = WriteAll(fd, bytes);
  }
  if (error == 0 && ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0) error = errno;
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  return error;
}

// Puts the staged copy in the target's place and removes it.
void Commit(const TStaged& staged) {
  if (!staged.InPlace) {
    if (std::rename(staged.Temporary.c_str(), staged.Target.c_str()) == 0) return;
    const int error = errno;
    ::unlink(staged.Temporary.c_str());
    Fail(staged.File->Path, error);
  }
  bool touched = false;
  const int error = RewriteInPlace(staged, touched);
  if (error == 0 || !touched) ::unlink(staged.Temporary.c_str());
  if (error == 0) return;
  // The old contents are gone; the new ones are not lost.
  if (touched)
    Fail(staged.File->Path, std::string(std::strerror(error)) + " (its new contents are kept in \"" +
                                staged.Temporary + "\")");
  Fail(staged.File->Path, error);
}

}  // namespace

const char* KindName(mode_t mode) {
  if (S_ISREG(mode)) return "a regular file";
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  return "a special file";
}

void Write(const std::string& path, const std::string& bytes) { WriteAll({TFile{path, bytes}}); }

void WriteAll(const std::vector<TFile>& files) {
  std::vector<TStaged> staged;
  try {
    for (const TFile& file : files) staged.push_back(Stage(file));
  } catch (...) {
    for (const TStaged& s : staged) ::unlink(s.Temporary.c_str());
    throw;
  }
  for (std::size_t i = 0; i < staged.size(); ++i) {
    try {
      Commit(staged[i]);
    } catch (...) {
      for (std::size_t k = i + 1; k < staged.size(); ++k) ::unlink(staged[k].Temporary.c_str());
      throw;
    }
  }
}

}  // namespace SafeFile
