#pragma once

#include "widgets/formwindow.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

// The allowed terminals: addresses and ranges whose terminals are greeted at once, and whether terminals
// outside the list, or without encryption, are taken. Every change is stored at once and counts at once: connected
// terminals it no longer allows are closed.
class AllowedTerminalsWindow : public FormWindow
{
    Q_OBJECT
public:
    explicit AllowedTerminalsWindow(QWidget* parent = nullptr);

    bool load() override;
    void activated() override;

private:
    bool readList();
    void addEntry();
    void removeEntry();
    void settingToggled(QCheckBox* box, const QString& setting, bool on);

    QTreeWidget* m_list;
    QLabel* m_unreadable;
    QLineEdit* m_address;
    QLineEdit* m_description;
    QPushButton* m_add;
    QPushButton* m_remove;
    QCheckBox* m_acceptUnknown;
    QCheckBox* m_acceptPlain;
};
