#pragma once

#include <QString>

class QApplication;
class QWidget;

namespace Desktop {

// Asks the desktop to open a file with its default application. False when the file is missing or the
// desktop has no program to open it with (a viewer that starts and then fails is not seen).
bool openDocument(const QString& path);

// Shows a window of its own centred on its screen, and keeps its frame inside the screen's work area once the
// window manager has framed it (a frame reaching below the screen's edge hides the window's buttons).
void showOnScreen(QWidget* window);

// The programs' look: the Fusion style, plus the style sheet "qorvil.qss" beside the program when it exists.
void applySkin(QApplication& app);

// --help and --version print their text and end the program, so they need no display: before the
// application is made, they switch to the offscreen platform when no other was chosen.
void allowHelpWithoutDisplay(int argc, char** argv);

// A file beside the program.
QString besideProgram(const QString& fileName);

} // namespace Desktop
