#pragma once

#include "server/serverstate.h"
#include "server/shell/mainwindow.h"
#include "tests/support/scripteddialogs.h"
#include "tests/support/tempdatabase.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTest>
#include <functional>
#include <memory>

// The server's main window on a fresh temporary database, with scripted boxes, shown and exposed. Its
// listener takes a port the system chooses. A test class derives from it, calls setUp() from init() and
// tearDown() from cleanup(): the window goes first, then the boxes, then the database.
class MainWindowFixture
{
protected:
    // `prepare` runs on the new database before the window opens on it.
    [[nodiscard]] bool setUp(const std::function<void(TempDatabase&)>& prepare = {})
    {
        m_db = std::make_unique<TempDatabase>();
        if (prepare)
            prepare(*m_db);
        m_dialogs = std::make_unique<ScriptedDialogs>();
        gLocked = false; // whatever an earlier test left, the main window starts locked
        m_window = std::make_unique<MainWindow>(0);
        m_window->show();
        return QTest::qWaitForWindowExposed(m_window.get());
    }

    void tearDown()
    {
        m_window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_dialogs.reset();
        m_db.reset();
    }

    MainWindow& window() { return *m_window; }

    std::unique_ptr<TempDatabase> m_db;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<MainWindow> m_window;
};
