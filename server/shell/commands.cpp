#include "server/shell/commands.h"

#include "widgets/language.h"

#include <QCoreApplication>

#include <algorithm>

namespace Commands {

const QList<Design>& designs()
{
    // Descriptions of the server's own commands are ours; the standard items keep their usual wording.
    // Built again when the language changes, so menus made later show the language in use.
    static QString language;
    static QList<Design> list;
    if (!list.isEmpty() && language == Language::current())
        return list;
    language = Language::current();
    list = {
        {Help,
         QCoreApplication::translate("Commands", "Help"),
         QCoreApplication::translate("Commands", "Help"),
         QCoreApplication::translate("Commands", "Open the help document"),
         {},
         QStringLiteral("help-contents")},
        {LogIn,
         QCoreApplication::translate("Commands", "Log-In"),
         QCoreApplication::translate("Commands", "Log-In"),
         QCoreApplication::translate("Commands", "Log in as administrator to open the administrative commands"),
         {},
         QStringLiteral("dialog-password")},
        {TimeSheets,
         QCoreApplication::translate("Commands", "Time Sheets"),
         QCoreApplication::translate("Commands", "Time Sheets"),
         QCoreApplication::translate("Commands", "Browse and correct an employee's time records"),
         {},
         QStringLiteral("x-office-spreadsheet")},
        {NewEmployee,
         QCoreApplication::translate("Commands", "New Employee"),
         QCoreApplication::translate("Commands", "New Employee"),
         QCoreApplication::translate("Commands", "Add, change or delete employee records"),
         {},
         QStringLiteral("contact-new")},
        {Clock,
         QCoreApplication::translate("Commands", "Clock"),
         QCoreApplication::translate("Commands", "Clock"),
         QCoreApplication::translate("Commands", "Open the punch clock"),
         {},
         QStringLiteral("appointment-soon")},
        {Lock,
         QCoreApplication::translate("Commands", "Lock"),
         QCoreApplication::translate("Commands", "Lock"),
         QCoreApplication::translate("Commands", "Close the administrative commands"),
         {},
         QStringLiteral("system-lock-screen")},
        {About,
         QCoreApplication::translate("Commands", "About Qorvil Clock"),
         QCoreApplication::translate("Commands", "About Qorvil Clock"),
         QCoreApplication::translate("Commands", "Show the name and version of the program"),
         {},
         QStringLiteral("help-about")},
        {Manual,
         QCoreApplication::translate("Commands", "Manual"),
         QCoreApplication::translate("Commands", "Manual"),
         QCoreApplication::translate("Commands", "Open the user manual"),
         {},
         QStringLiteral("help-browser")},
        {ChangeAdminPassword,
         QCoreApplication::translate("Commands", "Change Admin Password"),
         QCoreApplication::translate("Commands", "Change Admin Password"),
         QCoreApplication::translate("Commands", "Change the administrator password"),
         {},
         QStringLiteral("dialog-password")},
        {Exit,
         QCoreApplication::translate("Commands", "Exit"),
         QCoreApplication::translate("Commands", "Exit"),
         QCoreApplication::translate("Commands", "End the Qorvil server"),
         {},
         QStringLiteral("application-exit")},
        {PayrollReports,
         QCoreApplication::translate("Commands", "Payroll Reports"),
         QCoreApplication::translate("Commands", "Payroll Reports"),
         QCoreApplication::translate("Commands", "Produce the detail or summary payroll report"),
         {},
         QStringLiteral("document-print-preview")},
        {EmployeeTable,
         QCoreApplication::translate("Commands", "Employee Table"),
         QCoreApplication::translate("Commands", "Employee Table"),
         QCoreApplication::translate("Commands", "List every employee record"),
         {},
         QStringLiteral("x-office-address-book")},
        {ChangeEmployeeId,
         QCoreApplication::translate("Commands", "Change Employee ID"),
         QCoreApplication::translate("Commands", "Change Employee ID"),
         QCoreApplication::translate("Commands", "Find an employee to change the record"),
         {},
         QStringLiteral("edit-find")},
        {Terminals,
         QCoreApplication::translate("Commands", "Terminals"),
         QCoreApplication::translate("Commands", "Terminals"),
         QCoreApplication::translate("Commands", "List the terminals connected to the server"),
         {},
         QStringLiteral("network-workgroup")},
        {AuditTrail,
         QCoreApplication::translate("Commands", "Audit Trail"),
         QCoreApplication::translate("Commands", "Audit Trail"),
         QCoreApplication::translate("Commands",
                                     "Show who changed time and employee records, with the old and the new values"),
         {},
         QStringLiteral("document-open-recent")},
        {Exceptions,
         QCoreApplication::translate("Commands", "Exceptions"),
         QCoreApplication::translate("Commands", "Exceptions"),
         QCoreApplication::translate(
             "Commands",
             "List the time records that would be paid wrong: missing punches, impossible or overlong pairs"),
         {},
         QStringLiteral("dialog-warning")},
        {ClosePayPeriod,
         QCoreApplication::translate("Commands", "Close Pay Period..."),
         QCoreApplication::translate("Commands", "Close Pay Period"),
         QCoreApplication::translate("Commands",
                                     "Close every day up to a date, so that its time records can no longer change"),
         {},
         QStringLiteral("changes-prevent")},
        {ReopenPayPeriod,
         QCoreApplication::translate("Commands", "Reopen Pay Period..."),
         QCoreApplication::translate("Commands", "Reopen Pay Period"),
         QCoreApplication::translate("Commands", "Open again the days of the latest closed pay period"),
         {},
         QStringLiteral("changes-allow")},
        {PayRules,
         QCoreApplication::translate("Commands", "Pay Rules..."),
         QCoreApplication::translate("Commands", "Pay Rules"),
         QCoreApplication::translate(
             "Commands", "Set how hours are paid: overtime, double time, rounding, meals, holidays, paid time off"),
         {},
         QStringLiteral("accessories-calculator")},
        {AllowedTerminals,
         QCoreApplication::translate("Commands", "Allowed Terminals"),
         QCoreApplication::translate("Commands", "Allowed Terminals"),
         QCoreApplication::translate("Commands",
                                     "Choose which terminals may connect and whether they must be encrypted"),
         {},
         QStringLiteral("network-server")},
        {TerminalKey,
         QCoreApplication::translate("Commands", "Terminal Key"),
         QCoreApplication::translate("Commands", "Terminal Key"),
         QCoreApplication::translate("Commands",
                                     "Show the site key that encrypts the terminals' connections, or make a new one"),
         {},
         QStringLiteral("dialog-password")},
        {PayrollExport,
         QCoreApplication::translate("Commands", "Payroll Export..."),
         QCoreApplication::translate("Commands", "Payroll Export"),
         QCoreApplication::translate(
             "Commands", "Set the payroll IDs and the codes the payroll services need for the exported hours"),
         {},
         QStringLiteral("document-export")},
        {ShowHours,
         QCoreApplication::translate("Commands", "Show hours after a punch"),
         QCoreApplication::translate("Commands", "Show hours after a punch"),
         QCoreApplication::translate(
             "Commands", "Show the employee's worked time today and this week in the clock window after a punch"),
         {},
         {}},
        {Undo, QCoreApplication::translate("Commands", "&Undo"), QCoreApplication::translate("Commands", "Undo"),
         QCoreApplication::translate("Commands", "Undo the last action"), QStringLiteral("Ctrl+Z"),
         QStringLiteral("edit-undo")},
        {Cut, QCoreApplication::translate("Commands", "Cu&t"), QCoreApplication::translate("Commands", "Cut"),
         QCoreApplication::translate("Commands", "Cut the selection and put it on the Clipboard"),
         QStringLiteral("Ctrl+X"), QStringLiteral("edit-cut")},
        {Copy, QCoreApplication::translate("Commands", "&Copy"), QCoreApplication::translate("Commands", "Copy"),
         QCoreApplication::translate("Commands", "Copy the selection and put it on the Clipboard"),
         QStringLiteral("Ctrl+C"), QStringLiteral("edit-copy")},
        {Paste, QCoreApplication::translate("Commands", "&Paste"), QCoreApplication::translate("Commands", "Paste"),
         QCoreApplication::translate("Commands", "Insert Clipboard contents"), QStringLiteral("Ctrl+V"),
         QStringLiteral("edit-paste")},
        {Toolbars,
         QCoreApplication::translate("Commands", "&Toolbars"),
         QCoreApplication::translate("Commands", "Toggle ToolBar"),
         QCoreApplication::translate("Commands", "Show or hide the toolbar"),
         {},
         {}},
        {StatusBar,
         QCoreApplication::translate("Commands", "&Status Bar"),
         QCoreApplication::translate("Commands", "Toggle StatusBar"),
         QCoreApplication::translate("Commands", "Show or hide the status bar"),
         {},
         {}},
        {Cascade,
         QCoreApplication::translate("Commands", "&Cascade"),
         QCoreApplication::translate("Commands", "Cascade Windows"),
         QCoreApplication::translate("Commands", "Arrange windows so they overlap"),
         {},
         QStringLiteral("window-duplicate")},
        {Tile,
         QCoreApplication::translate("Commands", "&Tile"),
         QCoreApplication::translate("Commands", "Tile Windows"),
         QCoreApplication::translate("Commands", "Arrange windows as non-overlapping tiles"),
         {},
         QStringLiteral("view-grid")},
        {ArrangeIcons,
         QCoreApplication::translate("Commands", "&Arrange Icons"),
         QCoreApplication::translate("Commands", "Arrange Icons"),
         QCoreApplication::translate("Commands", "Arrange icons at the bottom of the window"),
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
