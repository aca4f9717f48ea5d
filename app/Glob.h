// Start-up of what the program shares between drawings.
#pragma once

// Builds the shade palette that every picture is painted with. Returns false when
// memory lacks; the application must then terminate. The data of each drawing
// (app/DrawingData.h) and its pictures (render/Pictures.h) are each caller's own.
bool GlobInitialize();
