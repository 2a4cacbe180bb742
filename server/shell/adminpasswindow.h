#pragma once

#include "core/store/recordset.h"
#include "widgets/formwindow.h"

class QLineEdit;
class QPushButton;

// "Change Administrator Password". Changing the password leaves the lock as it is.
class AdminPassWindow : public FormWindow
{
    Q_OBJECT
public:
    explicit AdminPassWindow(QWidget* parent = nullptr);

    bool load() override;
    void activated() override;

private:
    void accept();

    RecordSet m_admin;
    QLineEdit* m_current;
    QLineEdit* m_new;
    QLineEdit* m_confirm;
    QPushButton* m_accept;
};
