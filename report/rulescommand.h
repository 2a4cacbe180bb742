#pragma once

#include <QStringList>

class QTextStream;

// `qorvil-report rules`: prints the pay rules in force and changes them, for scripted set-ups.
namespace RulesCommand {

// Runs with the arguments after "rules"; returns the exit status (2 for bad arguments, nothing changed).
int run(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace RulesCommand
