#include "app/Glob.h"

#include <new>

#include "render/Palette.h"

bool GlobInitialize() {
  try {
    Palette::ShadePalette();  // built here rather than inside the first drawing
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}
