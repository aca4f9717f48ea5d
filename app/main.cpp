// Wendrix: the convex hull of a closed space curve, in a window.
#include <new>

#include "app/Glob.h"
#include "app/window/ErrorHandler.h"
#include "app/window/WDXIntf.h"

int main(int argc, char** argv) {
  // The palette comes first; without it no window opens.
  if (!GlobInitialize()) return 1;
  int code = 0;
  TWendrixApplication application(argc, argv);
  TWendrixApplication::setOrganizationName("Wendrix");
  TWendrixApplication::setApplicationName("Wendrix");
  TWendrixApplication::setApplicationDisplayName("Wendrix");
  try {
    TWendrix form(TWendrixApplication::arguments().mid(1));
    form.show();
    code = TWendrixApplication::exec();
  } catch (const std::bad_alloc&) {
    code = 1;  // no memory for the pictures
  }
  return code;
}
