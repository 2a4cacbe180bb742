#include "widgets/childwindows.h"

#include "widgets/formwindow.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

namespace ChildWindows {

namespace {

QPointer<QMdiArea> g_area;

} // namespace

void setArea(QMdiArea* area)
{
    g_area = area;
    if (!area)
        return;
    // Child windows inside the area never receive a window activation of their own. A window becomes active
    // only when it takes over from another window: the main frame losing and regaining the focus (a message
    // box, another program) hands the same window back and does not count.
    QObject::connect(area, &QMdiArea::subWindowActivated, area, [](QMdiSubWindow* sub) {
        static QPointer<FormWindow> lastActive;
        auto* window = sub ? qobject_cast<FormWindow*>(sub->widget()) : nullptr;
        if (!window || window == lastActive)
            return;
        lastActive = window;
        window->activated();
    });
}

QMdiArea* area()
{
    return g_area;
}

FormWindow* find(const QString& name)
{
    if (g_area) {
        for (QMdiSubWindow* sub : g_area->subWindowList()) {
            auto* window = qobject_cast<FormWindow*>(sub->widget());
            if (window && window->objectName() == name)
                return window;
        }
        return nullptr;
    }
    for (QWidget* top : QApplication::topLevelWidgets()) {
        auto* window = qobject_cast<FormWindow*>(top);
        if (window && window->objectName() == name && window->isVisible())
            return window;
    }
    return nullptr;
}

FormWindow* open(const QString& name, const std::function<FormWindow*()>& create)
{
    if (FormWindow* existing = find(name)) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(existing->parentWidget())) {
            sub->showNormal();
            g_area->setActiveSubWindow(sub);
        } else {
            existing->raise();
            existing->activateWindow();
        }
        return existing;
    }
    FormWindow* window = create();
    window->setObjectName(name);
    if (!window->load()) {
        delete window;
        return nullptr;
    }
    if (g_area) {
        QMdiSubWindow* sub = g_area->addSubWindow(window);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->setWindowIcon(window->windowIcon());
        sub->adjustSize();
        sub->show();
        g_area->setActiveSubWindow(sub);
    } else {
        window->show();
        window->activateWindow();
    }
    return window;
}

} // namespace ChildWindows
