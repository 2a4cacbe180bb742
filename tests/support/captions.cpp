#include "tests/support/captions.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>

namespace {

QString pathOf(const QObject* object, const QObject* top)
{
    QString path;
    for (; object && object != top; object = object->parent())
        path.prepend(QLatin1Char('/') + QLatin1String(object->metaObject()->className()) + QLatin1Char(':') +
                     object->objectName());
    return path;
}

} // namespace

QList<Caption> captionsOf(QWidget* window)
{
    QList<Caption> found;
    const auto add = [&found, window](const QObject* object, const char* what, const QString& text) {
        if (!text.trimmed().isEmpty())
            found.append({pathOf(object, window) + QLatin1Char('.') + QLatin1String(what), text});
    };
    QList<QWidget*> widgets{window};
    widgets << window->findChildren<QWidget*>();
    for (QWidget* widget : widgets) {
        if (widget->isWindow())
            add(widget, "windowTitle", widget->windowTitle());
        add(widget, "toolTip", widget->toolTip());
        if (auto* label = qobject_cast<QLabel*>(widget))
            add(label, "text", label->text());
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            add(button, "text", button->text());
        if (auto* group = qobject_cast<QGroupBox*>(widget))
            add(group, "title", group->title());
        if (auto* line = qobject_cast<QLineEdit*>(widget))
            add(line, "placeholderText", line->placeholderText());
        if (auto* spin = qobject_cast<QAbstractSpinBox*>(widget))
            add(spin, "specialValueText", spin->specialValueText());
        if (auto* spin = qobject_cast<QDoubleSpinBox*>(widget))
            add(spin, "suffix", spin->suffix());
        if (auto* spin = qobject_cast<QSpinBox*>(widget))
            add(spin, "suffix", spin->suffix());
        if (auto* tabs = qobject_cast<QTabWidget*>(widget))
            for (int i = 0; i < tabs->count(); ++i)
                add(tabs, "tab", tabs->tabText(i));
        if (auto* combo = qobject_cast<QComboBox*>(widget); combo && !combo->isEditable())
            for (int i = 0; i < combo->count(); ++i)
                add(combo, "item", combo->itemText(i));
        if (auto* menu = qobject_cast<QMenu*>(widget))
            add(menu, "title", menu->title());
        if (auto* view = qobject_cast<QAbstractItemView*>(widget); view && view->model()) {
            const QAbstractItemModel* model = view->model();
            for (int column = 0; column < model->columnCount(); ++column)
                add(view, "heading", model->headerData(column, Qt::Horizontal).toString());
        }
        for (const QAction* action : widget->actions()) {
            add(widget, "action", action->text());
            add(widget, "actionStatusTip", action->statusTip());
        }
    }
    return found;
}
