#pragma once

#include <QIcon>
#include <QPixmap>

namespace nerimo {

// The program's own icon: a green trace with one signal peak over a grey grid, on black.
QPixmap ProgramPixmap(int size);

// The 16 and 32 pixel images together, for the window and the application.
QIcon ProgramIcon();

}  // namespace nerimo
