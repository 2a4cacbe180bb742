#include "server/shell/passwordfield.h"

#include <QLineEdit>

QLineEdit* makePasswordField(const QString& name, QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setEchoMode(QLineEdit::Password);
    field->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    field->setMinimumWidth(180);
    return field;
}
