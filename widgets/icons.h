#pragma once

#include <QIcon>

// Pictures for commands the desktop's icon theme may not have, drawn here with dark outlines so that they
// still read when the toolkit greys them out for a disabled command. Each takes the theme's icon first.
namespace Icons {

QIcon print();       // a printer with a sheet
QIcon exportPdf();   // a page with a red PDF band
QIcon closePeriod(); // a calendar page with a padlock
QIcon key();         // a key

} // namespace Icons
