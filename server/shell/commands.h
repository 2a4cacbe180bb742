#pragma once

#include <QList>
#include <QString>
#include <optional>

// The main window's commands and their numeric identifiers.
namespace Commands {

enum Id : int {
    Help = 1020,
    LogIn = 1022,
    TimeSheets = 1023,
    NewEmployee = 1024,
    Clock = 1026,
    Lock = 1027,
    HelpMenu = 1028,
    About = 1029,
    Manual = 1030,
    AdministratorMenu = 1031,
    ChangeAdminPassword = 1033,
    Exit = 1034,
    PayrollReports = 1035,
    EmployeeTable = 1036,
    ChangeEmployeeId = 1037,
    Terminals = 1038,
    AuditTrail = 1039,
    ClosePayPeriod = 1040,
    ReopenPayPeriod = 1041,
    AllowedTerminals = 1042,
    TerminalKey = 1043,
    PayRules = 1044,
    Exceptions = 1047,
    PayrollExport = 1048,
    ShowHours = 1050,
    WindowList = 35000,
    Copy = 57634,
    Cut = 57635,
    Paste = 57637,
    Undo = 57643,
    ArrangeIcons = 57649,
    Cascade = 57650,
    Tile = 57651,
    Toolbars = 59392,
    StatusBar = 59393,
};

// How a command looks in the menus and on the toolbar.
struct Design
{
    int id;
    QString caption; // with '&' before the access key
    QString toolTip;
    QString description; // shown in the status bar
    QString shortcut;    // shortcut text, portable form ("Ctrl+Z")
    QString themeIcon;   // icon name in the desktop's icon theme
};

// Every command that appears as a menu item or toolbar button.
const QList<Design>& designs();
const Design* design(int id);

// The enabled state a command must have for the given lock, or nothing when the lock does not decide it.
std::optional<bool> enabledState(int id, bool locked);

} // namespace Commands
