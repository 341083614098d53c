#pragma once

#include <QIcon>
#include <QPixmap>

// The program's icon with its 32, 64 and 256 pixel images, for window icons. The images live
// in the resources under ":/icons/" (kalumbrixtor.svg, kalumbrixtor.png = 256 pixels,
// kalumbrixtor-32.png, -64.png, -256.png).
QIcon programIcon();

// The 32 x 32 image the about box shows.
QPixmap programIconPixmap32();
