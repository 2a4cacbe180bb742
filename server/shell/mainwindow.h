#pragma once

#include "core/protocol.h"

#include <QHash>
#include <QMainWindow>

class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class QToolBar;
class TerminalListener;
class TerminalNoticeBoxes;

// The main window `Qorvil`: the frame that holds every other window of the server, the menus and the
// "Standard" toolbar, and the administrator lock's effect on the commands.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    // The terminal listener takes the port; the server passes Protocol::kPort, tests and benchmarks their own.
    explicit MainWindow(quint16 listenPort = Protocol::kPort, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Performs a command by its identifier; an identifier without an action, or a command the lock
    // keeps closed, does nothing.
    void executeCommand(int id);

    // The menu item or toolbar button of a command (one action serves both), or nullptr.
    QAction* action(int id) const { return m_actions.value(id); }
    QMdiArea* area() const { return m_area; }
    QToolBar* standardToolBar() const { return m_toolBar; }
    TerminalListener* listener() const { return m_listener; }

    // Puts minimized child windows in a row along the bottom of the area.
    void arrangeIcons();
    // Opens a help document of the program's folder; says so when the desktop has nothing to show it with.
    void openHelpDocument(const QString& name);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QAction* makeAction(int id);
    void buildMenus();
    void buildToolBar();
    void fillWindowList(QMenu* menu);
    void applyCommandStates();

    QMdiArea* m_area;
    QToolBar* m_toolBar = nullptr;
    QLabel* m_lockIndicator = nullptr;
    QLabel* m_refusedIndicator = nullptr;
    TerminalNoticeBoxes* m_terminalNotices = nullptr;
    TerminalListener* m_listener = nullptr;
    QHash<int, QAction*> m_actions;
    QList<QAction*> m_windowList;
};
