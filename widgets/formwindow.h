#pragma once

#include <QWidget>

class QPushButton;

// Base of every window of both programs: load runs once when the window is created (false means the
// window refused to open, for example because the database is not open, and it is then discarded);
// activated runs each time the window comes to the front.
class FormWindow : public QWidget
{
    Q_OBJECT
public:
    explicit FormWindow(QWidget* parent = nullptr);

    virtual bool load() { return true; }
    virtual void activated() {}

    // Shows the window's own pointer image while the mouse is over the widget, the default arrow elsewhere.
    void usePointerOver(QWidget* widget);

    // Closes the window, or its frame when it is a child window of the main window.
    void closeWindow();

protected:
    bool event(QEvent* event) override;

    // A push button of this window, named and captioned; Enter in a box never presses it.
    QPushButton* makeButton(const char* name, const QString& caption, int minimumWidth = 90);

    // True when gConn is open; otherwise shows the "Could not open database ..." message.
    static bool requireDatabase();
};

// The custom pointer image that windows show over their close buttons.
QCursor customPointer();
