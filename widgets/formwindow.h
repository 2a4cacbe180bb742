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
    // The window's pointer becomes its own image when the mouse passes over one of `custom`, and the
    // default arrow again when it passes over one of `arrow`; in between it stays as it was.
    void switchPointerOver(const QList<QWidget*>& custom, const QList<QWidget*>& arrow);

    // Closes the window, or its frame when it is a child window of the main window.
    void closeWindow();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    // Closing this window gives the keyboard focus to the main window.
    void giveFocusBackOnClose() { m_focusBackOnClose = true; }

    // A push button of this window, named and captioned. Enter on the focused button presses it, as Space
    // does; Enter in a box never does (these windows have no default button).
    QPushButton* makeButton(const char* name, const QString& caption, int minimumWidth = 90);

    // True when gConn is open; otherwise shows the "Could not open database ..." message.
    static bool requireDatabase();

private:
    bool m_focusBackOnClose = false;
    QList<QObject*> m_customPointerOver;
    QList<QObject*> m_arrowPointerOver;
};

// The custom pointer image that windows show over their close buttons.
QCursor customPointer();
