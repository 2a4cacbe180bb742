#pragma once

#include <QString>
#include <functional>

class FormWindow;
class QMdiArea;
class QMdiSubWindow;

namespace ChildWindows {

// The area of the main window that holds the child windows. Without one (tests, or before the
// main window exists) windows open as windows of their own.
void setArea(QMdiArea* area);
QMdiArea* area();

// The one way to bring up a window of a kind: an open window of that name is brought forward (a
// maximised one stays maximised); otherwise the window is created, loaded (a window that refuses to load
// is discarded and nullptr returned) and shown centred in the visible part of the main window. A window
// larger than that part opens at its size and scrolls inside its frame. Without an area the window opens
// on its own, inside the screen.
FormWindow* open(const QString& name, const std::function<FormWindow*()>& create);

template <class W> W* open(const QString& name)
{
    return static_cast<W*>(open(name, [] { return new W; }));
}

// The open window of that name, or nullptr.
FormWindow* find(const QString& name);

// The frame that holds a window inside the main window, or nullptr for a window of its own.
QMdiSubWindow* frameOf(const FormWindow* window);
// The window a frame holds.
FormWindow* windowIn(const QMdiSubWindow* frame);

// Moves every child window back inside the visible part of the area, shrinking it where it can (after
// the windows were tiled or cascaded, or the main window became smaller).
void keepInside();

// The main window takes the keyboard focus (windows that hand it back when they close).
void focusMainWindow();

// A line in the main window's status bar; false when there is no main window.
bool showStatus(const QString& text);

} // namespace ChildWindows
