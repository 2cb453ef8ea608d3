// The 16 by 16 icons of the window's buttons, drawn by the program itself.
#pragma once

#include <QIcon>

namespace morvane {

QIcon TickIcon();   // red tick: select all
QIcon CrossIcon();  // red cross: select none
QIcon PlayIcon();   // green play triangle: run

}  // namespace morvane
