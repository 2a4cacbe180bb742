#pragma once

#include <QPixmap>

// The Qorvil logo: a clock face whose tail turns it into a Q. Drawn in code, at any size.
QPixmap qorvilLogo(int size);
