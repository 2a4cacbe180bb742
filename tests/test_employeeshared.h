#pragma once

// What the employee window tests share: closing every window between tests and reading a control's state.

#include "widgets/formwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

inline void closeAllWindows()
{
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<FormWindow*>(top); window && window->isVisible())
            window->closeWindow();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

template <class T> T* control(QWidget* window, const char* name)
{
    T* found = window->findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

inline QString boxText(QWidget* window, const char* name)
{
    if (auto* line = window->findChild<QLineEdit*>(QLatin1String(name));
        line && !qobject_cast<QComboBox*>(line->parent()))
        return line->text();
    if (auto* text = window->findChild<QPlainTextEdit*>(QLatin1String(name)))
        return text->toPlainText();
    if (auto* combo = window->findChild<QComboBox*>(QLatin1String(name)))
        return combo->currentText();
    qFatal("no box %s", name);
    return {};
}

inline void typeInto(QWidget* window, const char* name, const QString& text)
{
    QWidget* box = window->findChild<QLineEdit*>(QLatin1String(name));
    if (!box)
        box = window->findChild<QPlainTextEdit*>(QLatin1String(name));
    if (!box)
        qFatal("no box %s", name);
    if (auto* line = qobject_cast<QLineEdit*>(box))
        line->clear();
    else
        static_cast<QPlainTextEdit*>(box)->clear();
    QTest::keyClicks(box, text);
}

inline void click(QWidget* window, const char* button)
{
    QTest::mouseClick(control<QPushButton>(window, button), Qt::LeftButton);
}
