// Replacing files without ever leaving one half-written, and refusing to write over
// anything that is not a regular file.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace SafeFile {

// Writes `bytes` as the new contents of `path`. A symbolic link is followed and the
// file it names is written; an existing target that is not a regular file (a folder,
// a device, a FIFO, a socket) or that the user may not write is refused before
// anything is written. The bytes go into a temporary file beside the target, flushed to
// the disk, which then replaces the target by a rename, with the target's owner, group
// and mode. A target with several hard links, or whose owner the process cannot give
// to a new file, is rewritten in place from the complete temporary copy instead, so
// that the links and the owner stay. Any failure (no such folder, no permission, a full
// disk) removes the temporary file, leaves a previous file whole, and throws
// WendrixError("Cannot write \"path\": reason"). A new file gets the umask's mode.
void Write(const std::string& path, const std::string& bytes);

// One file of a set written together.
struct TFile {
  std::string Path;
  std::string Bytes;
};

// Writes every file of `files` as Write does, all or nothing: every temporary copy is
// complete on the disk before the first target is replaced, so that a refused target,
// a missing permission or a full disk leaves all previous files as they were. An empty
// set writes nothing.
void WriteAll(const std::vector<TFile>& files);

// How messages name a file of type `mode` that is not a regular file: "a folder",
// "a FIFO", "a character device", ...; "a regular file" for a regular one.
const char* KindName(mode_t mode);

}  // namespace SafeFile
