// Start-up and shut-down of the shared state and of every unit that owns resources.
#pragma once

// Sets the defaults, creates the bitmaps, the growable arrays, the shade palette and
// the depth buffer, starts the formula compiler, the sampler and the analysis tables.
// Returns false when a bitmap, the palette or the depth buffer cannot be obtained;
// the application must then terminate.
bool GlobInitialize();

// Releases everything GlobInitialize created.
void GlobFinalize();
