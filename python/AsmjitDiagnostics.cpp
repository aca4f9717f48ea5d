// asmjit's three diagnostic hooks, defined here for the module. Debian ships asmjit as
// a static library built for executables only: its own definitions of these reach
// stderr in a way a shared object cannot be linked with, and they are the only part of
// it that does. With these in the module, the linker leaves that part out and the
// formulas keep their native code, as in the window and wendrix-cli.
#include <asmjit/core.h>

#include <cstdio>
#include <cstdlib>

namespace asmjit {

const char* DebugUtils::errorAsString(Error err) noexcept {
  return err == kErrorOk ? "Ok" : "asmjit error (an asmjit::ErrorCode)";
}

void DebugUtils::debugOutput(const char* str) noexcept { std::fputs(str, stderr); }

// asmjit's own answer to a broken invariant, kept: the message, then the end of the
// process (the hook must not return, and may not throw).
void DebugUtils::assertionFailed(const char* file, int line, const char* msg) noexcept {
  std::fprintf(stderr, "[asmjit] Assertion failed at %s (line %d):\n[asmjit] %s\n", file, line, msg);
  std::abort();
}

}  // namespace asmjit
