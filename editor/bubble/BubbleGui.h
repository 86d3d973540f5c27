// Bubbles are measured and drawn with Qt's font engine, which needs a GUI application object.
// Programs without a window get one on Qt's offscreen platform.
#pragma once

// Creates the application object on the offscreen platform when the program has none yet.
// False when a non-GUI application object already exists, so fonts cannot be used.
bool EnsureBubbleGui();
