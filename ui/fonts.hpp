// The window's fonts. It asks for the faces it was designed with (Arial, MS Sans Serif and
// the Ming face 新細明體); on Linux these are missing, so free faces from Debian stand in.
#pragma once

#include <QFont>

namespace morvane {

// Maps the designed faces to the free ones: Liberation Sans has Arial's metrics, AR PL UMing
// TW is a Ming face like 新細明體, Noto Sans CJK TC is the fallback for Chinese text. Call once
// after the application object exists and before any window is built.
void InstallFontSubstitutes();

QFont WindowFont();  // MS Sans Serif 8 pt: the window itself
QFont FrameFont();   // Arial 8 pt: the frames and everything in them
QFont TreeFont();    // 新細明體 at 12 pixels: the folder tree

}  // namespace morvane
