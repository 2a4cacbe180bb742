#pragma once

#include <QList>
#include <QString>

class QWidget;

// Every text a person reads on a window and its children, in a fixed order: titles, labels, buttons, group
// boxes, tabs, headings, fixed choices, tool tips, place holders, menus and their items. What a person types
// (line edits, editable drop-downs) and the rows of lists are data and are left out. Walking the same
// window built twice gives the same keys in the same order, whatever the language.
struct Caption
{
    QString where; // class and object names from the window down, and what the text is
    QString text;
};
QList<Caption> captionsOf(QWidget* window);
