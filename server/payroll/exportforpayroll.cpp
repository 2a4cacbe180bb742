#include "server/payroll/exportforpayroll.h"

#include "core/store/database.h"
#include "core/valueforms.h"
#include "report/reportcommand.h"
#include "widgets/dialogs.h"

#include <QCoreApplication>
#include <QDir>

namespace ExportForPayroll {

namespace {

QString title()
{
    return QCoreApplication::translate("ExportForPayroll", "Export for Payroll");
}

QString suggestedName(const PayrollExport::Layout& layout, const PayrollExport::Settings& settings)
{
    return layout.fileName.contains(QLatin1String("%1")) ? layout.fileName.arg(settings.value(layout.required.value(0)))
                                                         : layout.fileName;
}

} // namespace

QString run(const PayrollExport::Request& request)
{
    QString error;
    PayrollExport::Settings settings;
    if (!PayrollExport::loadSettings(&settings, &error)) {
        showReadFailed(QCoreApplication::translate("ExportForPayroll", "The payroll export settings"), error);
        return QString();
    }
    const PayrollExport::Layout* layout = PayrollExport::layout(settings.layout);
    if (!layout) {
        dialogs().ok(
            QCoreApplication::translate("ExportForPayroll",
                                        "Choose your payroll service's layout, and set the payroll IDs and codes it "
                                        "needs, in Administrator > Payroll Export first."),
            title(), Dialogs::Icon::Information);
        return QString();
    }
    if (request.from > request.to) {
        dialogs().ok(QCoreApplication::translate("ExportForPayroll", "The From date is after the To date."), title(),
                     Dialogs::Icon::Exclamation);
        return QString();
    }

    PayrollExport::Warnings warnings;
    if (!PayrollExport::warnings(request, &warnings, &error)) {
        showReadFailed(QCoreApplication::translate("ExportForPayroll", "The days"), error);
        return QString();
    }
    if (warnings.exceptions > 0 &&
        !dialogs().yesNo(
            QCoreApplication::translate("ExportForPayroll",
                                        "The days chosen hold %1 exception(s): time records that would be paid wrong "
                                        "(see Exceptions). Export them as they are?")
                .arg(warnings.exceptions),
            title(), Dialogs::Icon::Exclamation))
        return QString();
    QStringList notes;
    if (warnings.openFrom.isValid())
        notes << QStringLiteral("The days from %1 on are not in a closed pay period and may still change.")
                     .arg(ValueForms::showDate(warnings.openFrom));
    for (const PayrollExport::Record& before : std::as_const(warnings.previous))
        notes << QCoreApplication::translate("ExportForPayroll",
                                             "Days of this range were exported before: %1 to %2 as %3 to %4.")
                     .arg(ValueForms::showDate(before.from), ValueForms::showDate(before.to), before.layout,
                          before.file);
    const QString who =
        request.empIds.isEmpty()
            ? QCoreApplication::translate("ExportForPayroll", "every employee with hours")
            : QCoreApplication::translate("ExportForPayroll", "%1 employee(s)").arg(request.empIds.size());
    if (!notes.isEmpty() &&
        !dialogs().yesNo(
            notes.join(QLatin1Char('\n')) +
                QCoreApplication::translate("ExportForPayroll", "\n\nExport the hours of %1 all the same?").arg(who),
            title(), Dialogs::Icon::Question))
        return QString();

    QString path = dialogs().saveFileName(title(), QDir::home().filePath(suggestedName(*layout, settings)),
                                                QStringLiteral("%1 (*.%2)").arg(layout->title, layout->extension));
    if (path.isEmpty())
        return QString();
    if (ReportCommand::isDatabaseFile(path, gConn.databaseName())) {
        dialogs().ok(QCoreApplication::translate("ExportForPayroll",
                                                 "%1 is the database or one of its files; choose another file.")
                         .arg(path),
                     title(), Dialogs::Icon::Exclamation);
        return QString();
    }
    PayrollExport::Outcome outcome;
    switch (PayrollExport::exportTo(request, *layout, path, &outcome, &error)) {
    case PayrollExport::Result::Done:
        break;
    case PayrollExport::Result::Refused:
        dialogs().ok(QCoreApplication::translate("ExportForPayroll", "Nothing was written. ") + error, title(),
                     Dialogs::Icon::Exclamation);
        return QString();
    case PayrollExport::Result::Failed:
        dialogs().ok(QCoreApplication::translate("ExportForPayroll", "The hours could not be exported: ") + error,
                     title(), Dialogs::Icon::Exclamation);
        return QString();
    }
    QString done =
        QCoreApplication::translate("ExportForPayroll", "%1 row(s) of hours of %2 employee(s) were written to %3 (%4).")
            .arg(outcome.written.rows)
            .arg(outcome.employees)
            .arg(path, layout->title);
    if (!outcome.written.warnings.isEmpty())
        done += QStringLiteral("\n\n") + outcome.written.warnings.join(QStringLiteral("\n"));
    dialogs().ok(done, title(),
                 outcome.written.warnings.isEmpty() ? Dialogs::Icon::Information : Dialogs::Icon::Exclamation);
    return path;
}

} // namespace ExportForPayroll
