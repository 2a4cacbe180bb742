#include "widgets/childwindows.h"

#include "widgets/desktop.h"
#include "widgets/formwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLayout>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>

namespace ChildWindows {

namespace {

QPointer<QMdiArea> g_area;

// Holds a window larger than the visible area, so that it scrolls inside its frame instead of reaching
// beyond the main window. Closing the frame closes the window it holds, which may refuse.
class ScrolledWindow : public QScrollArea
{
public:
    explicit ScrolledWindow(FormWindow* window)
    {
        setObjectName(QStringLiteral("ScrolledWindow"));
        setFrameShape(QFrame::NoFrame);
        setWidgetResizable(true);
        setWidget(window);
        setWindowTitle(window->windowTitle());
        setWindowIcon(window->windowIcon());
        connect(window, &QWidget::windowTitleChanged, this, &QWidget::setWindowTitle);
    }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        if (widget() && !widget()->close())
            event->ignore();
    }
};

// What the frame adds around a window: its borders and its title bar.
QSize frameExtent()
{
    QStyle* style = g_area->style();
    const int border = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, g_area);
    const int title =
        std::max(style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, g_area), g_area->fontMetrics().height() + 8);
    return QSize(2 * border + 2, title + 2 * border + 2);
}

QSize smallestSize(QWidget* window)
{
    if (QLayout* layout = window->layout())
        layout->activate();
    return window->minimumSize().expandedTo(window->minimumSizeHint());
}

void keepFrameInside(QMdiSubWindow* sub)
{
    if (!g_area || sub->isMinimized() || sub->isMaximized())
        return;
    const QSize room = g_area->viewport()->size();
    const QSize size = sub->size().boundedTo(room).expandedTo(sub->minimumSize().expandedTo(sub->minimumSizeHint()));
    if (size != sub->size())
        sub->resize(size);
    const int x = std::clamp(sub->x(), 0, std::max(0, room.width() - sub->width()));
    const int y = std::clamp(sub->y(), 0, std::max(0, room.height() - sub->height()));
    if (QPoint(x, y) != sub->pos())
        sub->move(x, y);
}

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
        FormWindow* window = windowIn(sub);
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

FormWindow* windowIn(const QMdiSubWindow* frame)
{
    if (!frame)
        return nullptr;
    if (auto* scrolled = qobject_cast<QScrollArea*>(frame->widget()))
        return qobject_cast<FormWindow*>(scrolled->widget());
    return qobject_cast<FormWindow*>(frame->widget());
}

QMdiSubWindow* frameOf(const FormWindow* window)
{
    for (QWidget* p = window ? window->parentWidget() : nullptr; p; p = p->parentWidget()) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(p))
            return sub;
    }
    return nullptr;
}

FormWindow* find(const QString& name)
{
    if (g_area) {
        for (QMdiSubWindow* sub : g_area->subWindowList()) {
            FormWindow* window = windowIn(sub);
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
        if (QMdiSubWindow* sub = frameOf(existing)) {
            if (sub->isMinimized())
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
    if (!g_area) {
        Desktop::showOnScreen(window);
        window->activateWindow();
        return window;
    }
    const QSize room = g_area->viewport()->size();
    const QSize extent = frameExtent();
    const QSize smallest = smallestSize(window) + extent;
    const bool tooLarge = smallest.width() > room.width() || smallest.height() > room.height();
    QWidget* content = window;
    if (tooLarge)
        content = new ScrolledWindow(window);
    QMdiSubWindow* sub = g_area->addSubWindow(content);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(window->windowIcon());
    QSize size = window->sizeHint().expandedTo(smallestSize(window)) + extent;
    if (tooLarge) {
        // Room for the scroll bars the window will need.
        const int bar = g_area->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, g_area);
        size += QSize(bar, bar);
    }
    sub->resize(room.isEmpty() ? size : size.boundedTo(room));
    // Centred over the main window, where the eye is, like a dialog over its owner; never scattered.
    sub->move(std::max(0, (room.width() - sub->width()) / 2), std::max(0, (room.height() - sub->height()) / 2));
    sub->show();
    keepFrameInside(sub);
    g_area->setActiveSubWindow(sub);
    return window;
}

void keepInside()
{
    if (!g_area)
        return;
    for (QMdiSubWindow* sub : g_area->subWindowList())
        keepFrameInside(sub);
}

void focusMainWindow()
{
    if (!g_area)
        return;
    // Once the closing window is gone: the area may have handed the focus to another child window, which
    // lies inside the main window too; otherwise the main window takes it.
    QWidget* main = g_area->window();
    QTimer::singleShot(0, main, [main] {
        QWidget* focus = QApplication::focusWidget();
        if (!focus || (focus != main && !main->isAncestorOf(focus)))
            main->setFocus();
    });
}

bool showStatus(const QString& text)
{
    auto* main = g_area ? qobject_cast<QMainWindow*>(g_area->window()) : nullptr;
    if (!main)
        return false;
    main->statusBar()->showMessage(text, 30000);
    return true;
}

} // namespace ChildWindows
