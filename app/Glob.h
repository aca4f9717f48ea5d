// Start-up and shut-down of the shared state and of every unit that owns resources.
#pragma once

// Sets the defaults, creates the growable arrays, builds the shade palette, starts the
// formula compiler, the sampler and the analysis tables. Returns false when memory
// lacks; the application must then terminate. The pictures are each caller's own
// (render/Pictures.h).
bool GlobInitialize();

// Releases everything GlobInitialize created.
void GlobFinalize();
