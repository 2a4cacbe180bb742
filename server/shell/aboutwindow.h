#pragma once

#include "widgets/formwindow.h"

class QGroupBox;
class QPushButton;

// "About Qorvil Clock System": name, version and logo.
class AboutWindow : public FormWindow
{
    Q_OBJECT
public:
    explicit AboutWindow(QWidget* parent = nullptr);

private:
    QPushButton* m_close;
    QGroupBox* m_frame;
};
