#pragma once

#include <QString>

class QApplication;

namespace Desktop {

// Asks the desktop to open a file with its default application. A missing file or a failing viewer
// is not reported: the caller asked only for the attempt.
void openDocument(const QString& path);

// The programs' look: the Fusion style, plus the style sheet "qorvil.qss" beside the program when it exists.
void applySkin(QApplication& app);

// --help and --version print their text and end the program, so they need no display: before the
// application is made, they switch to the offscreen platform when no other was chosen.
void allowHelpWithoutDisplay(int argc, char** argv);

// A file beside the program.
QString besideProgram(const QString& fileName);

} // namespace Desktop
