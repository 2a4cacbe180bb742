#pragma once

#include "common/formwindow.h"

class QPushButton;
class QTreeWidget;

// The terminals connected at the last refresh of the terminal list, read once from the Terminal table.
class TerminalsWindow : public FormWindow
{
    Q_OBJECT
public:
    explicit TerminalsWindow(QWidget* parent = nullptr);

    bool load() override;
    void activated() override;

private:
    QTreeWidget* m_list;
    QPushButton* m_done;
};
