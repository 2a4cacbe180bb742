#pragma once

#include <QString>
#include <functional>

class FormWindow;
class QMdiArea;

namespace ChildWindows {

// The area of the main window that holds the child windows. Without one (tests, or before the
// main window exists) windows open as windows of their own.
void setArea(QMdiArea* area);
QMdiArea* area();

// The one way to bring up a window of a kind: an open window of that name is brought forward;
// otherwise the window is created, loaded (a window that refuses to load is discarded and nullptr
// returned) and shown inside the main window.
FormWindow* open(const QString& name, const std::function<FormWindow*()>& create);

template <class W> W* open(const QString& name)
{
    return static_cast<W*>(open(name, [] { return new W; }));
}

// The open window of that name, or nullptr.
FormWindow* find(const QString& name);

} // namespace ChildWindows
