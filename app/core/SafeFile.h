// Replacing a file without ever leaving it half-written.
#pragma once

#include <string>

namespace SafeFile {

// Writes `bytes` into a new temporary file beside `path`, flushes it to the disk and
// renames it over `path`. Any failure (no such folder, no permission, a full disk, a
// write cut short) removes the temporary file, leaves a previous file at `path`
// untouched, and throws WendrixError("Cannot write \"path\": reason"). A new file gets
// the permissions the user's umask allows; a replaced one keeps its own.
void Write(const std::string& path, const std::string& bytes);

}  // namespace SafeFile
