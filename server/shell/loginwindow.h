#pragma once

#include "core/store/recordset.h"
#include "widgets/formwindow.h"

class QLineEdit;
class QPushButton;

// "Administrator Login": the one way to clear the administrator lock.
class LoginWindow : public FormWindow
{
    Q_OBJECT
public:
    explicit LoginWindow(QWidget* parent = nullptr);

    bool load() override;
    void activated() override;

private:
    void tryLogin();
    void focusPassword();

    RecordSet m_admin; // read at load: a password changed later counts from the next opening
    QLineEdit* m_password;
    QPushButton* m_ok;
};
