#pragma once

#include <QString>

class QLineEdit;
class QWidget;

// A password box that shows "*" for every typed character, whatever the style's own mask character.
QLineEdit* makePasswordField(const QString& name, QWidget* parent);
