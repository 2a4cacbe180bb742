#pragma once

#include <QStringList>

class QTextStream;

// qorvil-report export: the hours of a pay period in a payroll service's import layout.
//   qorvil-report export --format generic|iif|qbo|gusto|adp|paychex --from MM/DD/YYYY --to MM/DD/YYYY
//                 [--employee ID ...] [--site NAME] --output FILE [--allow-exceptions] [--database FILE]
namespace ExportCommand {

// The arguments after "export"; returns the exit status: 0 written, 1 refused or failed, 2 bad arguments,
// 3 the days hold exceptions (nothing written).
int run(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace ExportCommand
