#pragma once

#include "widgets/formwindow.h"

class QLabel;
class QLineEdit;

// The site key the terminals encrypt their connections with: shown to be copied to each terminal, and made
// anew when it may have leaked. The first time the window opens it makes the key.
class TerminalKeyWindow : public FormWindow
{
    Q_OBJECT
public:
    explicit TerminalKeyWindow(QWidget* parent = nullptr);

    bool load() override;
    void activated() override;

private:
    bool store(const QString& key);
    void copyKey();
    void makeNewKey();

    QLineEdit* m_key;
    QLabel* m_status;
};
