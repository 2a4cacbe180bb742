#include "server/shell/commands.h"

#include <algorithm>

namespace Commands {

const QList<Design>& designs()
{
    // Descriptions of the server's own commands are ours; the standard items keep their usual wording.
    static const QList<Design> list = {
        {Help,
         QStringLiteral("Help"),
         QStringLiteral("Help"),
         QStringLiteral("Open the help document"),
         {},
         QStringLiteral("help-contents")},
        {LogIn,
         QStringLiteral("Log-In"),
         QStringLiteral("Log-In"),
         QStringLiteral("Log in as administrator to open the administrative commands"),
         {},
         QStringLiteral("dialog-password")},
        {TimeSheets,
         QStringLiteral("Time Sheets"),
         QStringLiteral("Time Sheets"),
         QStringLiteral("Browse and correct an employee's time records"),
         {},
         QStringLiteral("x-office-spreadsheet")},
        {NewEmployee,
         QStringLiteral("New Employee"),
         QStringLiteral("New Employee"),
         QStringLiteral("Add, change or delete employee records"),
         {},
         QStringLiteral("contact-new")},
        {Clock,
         QStringLiteral("Clock"),
         QStringLiteral("Clock"),
         QStringLiteral("Open the punch clock"),
         {},
         QStringLiteral("appointment-soon")},
        {Lock,
         QStringLiteral("Lock"),
         QStringLiteral("Lock"),
         QStringLiteral("Close the administrative commands"),
         {},
         QStringLiteral("system-lock-screen")},
        {About,
         QStringLiteral("About Qorvil Clock"),
         QStringLiteral("About Qorvil Clock"),
         QStringLiteral("Show the name and version of the program"),
         {},
         QStringLiteral("help-about")},
        {Manual,
         QStringLiteral("Manual"),
         QStringLiteral("Manual"),
         QStringLiteral("Open the user manual"),
         {},
         QStringLiteral("help-browser")},
        {ChangeAdminPassword,
         QStringLiteral("Change Admin Password"),
         QStringLiteral("Change Admin Password"),
         QStringLiteral("Change the administrator password"),
         {},
         QStringLiteral("dialog-password")},
        {Exit,
         QStringLiteral("Exit"),
         QStringLiteral("Exit"),
         QStringLiteral("End the Qorvil server"),
         {},
         QStringLiteral("application-exit")},
        {PayrollReports,
         QStringLiteral("Payroll Reports"),
         QStringLiteral("Payroll Reports"),
         QStringLiteral("Produce the detail or summary payroll report"),
         {},
         QStringLiteral("document-print-preview")},
        {EmployeeTable,
         QStringLiteral("Employee Table"),
         QStringLiteral("Employee Table"),
         QStringLiteral("List every employee record"),
         {},
         QStringLiteral("x-office-address-book")},
        {ChangeEmployeeId,
         QStringLiteral("Change Employee ID"),
         QStringLiteral("Change Employee ID"),
         QStringLiteral("Find an employee to change the record"),
         {},
         QStringLiteral("edit-find")},
        {Terminals,
         QStringLiteral("Terminals"),
         QStringLiteral("Terminals"),
         QStringLiteral("List the terminals connected to the server"),
         {},
         QStringLiteral("network-workgroup")},
        {AuditTrail,
         QStringLiteral("Audit Trail"),
         QStringLiteral("Audit Trail"),
         QStringLiteral("Show who changed time and employee records, with the old and the new values"),
         {},
         QStringLiteral("document-open-recent")},
        {Exceptions,
         QStringLiteral("Exceptions"),
         QStringLiteral("Exceptions"),
         QStringLiteral(
             "List the time records that would be paid wrong: missing punches, impossible or overlong pairs"),
         {},
         QStringLiteral("dialog-warning")},
        {ClosePayPeriod,
         QStringLiteral("Close Pay Period..."),
         QStringLiteral("Close Pay Period"),
         QStringLiteral("Close every day up to a date, so that its time records can no longer change"),
         {},
         QStringLiteral("changes-prevent")},
        {ReopenPayPeriod,
         QStringLiteral("Reopen Pay Period..."),
         QStringLiteral("Reopen Pay Period"),
         QStringLiteral("Open again the days of the latest closed pay period"),
         {},
         QStringLiteral("changes-allow")},
        {PayRules,
         QStringLiteral("Pay Rules..."),
         QStringLiteral("Pay Rules"),
         QStringLiteral("Set how hours are paid: overtime, double time, rounding, meals, holidays, paid time off"),
         {},
         QStringLiteral("accessories-calculator")},
        {AllowedTerminals,
         QStringLiteral("Allowed Terminals"),
         QStringLiteral("Allowed Terminals"),
         QStringLiteral("Choose which terminals may connect and whether they must be encrypted"),
         {},
         QStringLiteral("network-server")},
        {TerminalKey,
         QStringLiteral("Terminal Key"),
         QStringLiteral("Terminal Key"),
         QStringLiteral("Show the site key that encrypts the terminals' connections, or make a new one"),
         {},
         QStringLiteral("dialog-password")},
        {PayrollExport,
         QStringLiteral("Payroll Export..."),
         QStringLiteral("Payroll Export"),
         QStringLiteral("Set the payroll IDs and the codes the payroll services need for the exported hours"),
         {},
         QStringLiteral("document-export")},
        {ShowHours,
         QStringLiteral("Show hours after a punch"),
         QStringLiteral("Show hours after a punch"),
         QStringLiteral("Show the employee's worked time today and this week in the clock window after a punch"),
         {},
         {}},
        {Undo, QStringLiteral("&Undo"), QStringLiteral("Undo"), QStringLiteral("Undo the last action"),
         QStringLiteral("Ctrl+Z"), QStringLiteral("edit-undo")},
        {Cut, QStringLiteral("Cu&t"), QStringLiteral("Cut"),
         QStringLiteral("Cut the selection and put it on the Clipboard"), QStringLiteral("Ctrl+X"),
         QStringLiteral("edit-cut")},
        {Copy, QStringLiteral("&Copy"), QStringLiteral("Copy"),
         QStringLiteral("Copy the selection and put it on the Clipboard"), QStringLiteral("Ctrl+C"),
         QStringLiteral("edit-copy")},
        {Paste, QStringLiteral("&Paste"), QStringLiteral("Paste"), QStringLiteral("Insert Clipboard contents"),
         QStringLiteral("Ctrl+V"), QStringLiteral("edit-paste")},
        {Toolbars,
         QStringLiteral("&Toolbars"),
         QStringLiteral("Toggle ToolBar"),
         QStringLiteral("Show or hide the toolbar"),
         {},
         {}},
        {StatusBar,
         QStringLiteral("&Status Bar"),
         QStringLiteral("Toggle StatusBar"),
         QStringLiteral("Show or hide the status bar"),
         {},
         {}},
        {Cascade,
         QStringLiteral("&Cascade"),
         QStringLiteral("Cascade Windows"),
         QStringLiteral("Arrange windows so they overlap"),
         {},
         QStringLiteral("window-duplicate")},
        {Tile,
         QStringLiteral("&Tile"),
         QStringLiteral("Tile Windows"),
         QStringLiteral("Arrange windows as non-overlapping tiles"),
         {},
         QStringLiteral("view-grid")},
        {ArrangeIcons,
         QStringLiteral("&Arrange Icons"),
         QStringLiteral("Arrange Icons"),
         QStringLiteral("Arrange icons at the bottom of the window"),
         {},
         {}},
    };
    return list;
}

const Design* design(int id)
{
    const QList<Design>& list = designs();
    const auto found = std::find_if(list.begin(), list.end(), [id](const Design& d) { return d.id == id; });
    return found == list.end() ? nullptr : &*found;
}

std::optional<bool> enabledState(int id, bool locked)
{
    switch (id) {
    case TimeSheets:
    case NewEmployee:
    case ChangeAdminPassword:
    case PayrollReports:
    case EmployeeTable:
    case ChangeEmployeeId:
    case AuditTrail:
    case Exceptions:
    case ClosePayPeriod:
    case ReopenPayPeriod:
    case PayRules:
    case AllowedTerminals:
    case TerminalKey:
    case PayrollExport:
    case ShowHours:
        return !locked;
    case Copy:
    case Cut:
    case Paste:
    case Undo:
        return false;
    default:
        return std::nullopt;
    }
}

} // namespace Commands
