#pragma once

#include <QStringList>

class QTextStream;

// qorvil-report exceptions: the time records that would be paid wrong, for a nightly job that mails them.
//   qorvil-report exceptions --from MM/DD/YYYY --to MM/DD/YYYY [--employee ID ...] [--site NAME] [--csv FILE]
//                 [--database FILE]
// Every employee unless --employee names some. Printed as text, or written as CSV. It changes nothing.
namespace ExceptionsCommand {

// The arguments after "exceptions"; returns the exit status: 0 none found, 3 some found (listed), 1 database or
// output failed, 2 bad arguments.
int run(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace ExceptionsCommand
