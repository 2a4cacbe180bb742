#pragma once

#include "widgets/formwindow.h"

class QGroupBox;
class QPushButton;

// "Database: <file>", or that none is open: which file this server works on.
QString databaseDescription();

// "About Qorvil Clock System": name, version, logo and the database in use.
class AboutWindow : public FormWindow
{
    Q_OBJECT
public:
    explicit AboutWindow(QWidget* parent = nullptr);

private:
    QPushButton* m_close;
    QGroupBox* m_frame;
};
