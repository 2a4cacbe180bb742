#pragma once

#include "core/net/terminallistener.h"
#include "widgets/formwindow.h"

#include <QList>

class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;

// The terminals connected at the last refresh of the terminal list, read once from the Terminal table: each
// one's address, whether its connection is encrypted, whether it is an allowed terminal and its site. On a
// database shared by several sites, the list shows one site or all of them.
class TerminalsWindow : public FormWindow
{
    Q_OBJECT
public:
    explicit TerminalsWindow(QWidget* parent = nullptr);

    enum class Shown { Yes, NotWritten, DatabaseNotOpen };
    // The Terminals command: rewrites the Terminal table from the connected terminals, in connection order,
    // and opens the window. Without a database it says so; the server then ends.
    static Shown showConnected(const QList<TerminalListener::ConnectedTerminal>& terminals);

    bool load() override;
    void activated() override;

private:
    bool fill();

    QComboBox* m_site;
    QLabel* m_siteLabel;
    QTreeWidget* m_list;
    QPushButton* m_done;
};
