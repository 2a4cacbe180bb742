#pragma once

#include <QStringList>

class QTextStream;

// qorvil-report audit: the audit trail from the command line, as the Audit Trail window shows it.
//   qorvil-report audit --from MM/DD/YYYY --to MM/DD/YYYY [--employee ID] [--csv FILE] [--database FILE]
// Changes made on the days from --from to --to (local time), newest first; of one employee with --employee.
// Printed as text, or written as CSV. It changes nothing.
namespace AuditCommand {

// The arguments after "audit"; returns the exit status (0 done, 1 database or output failed, 2 bad arguments).
int run(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace AuditCommand
