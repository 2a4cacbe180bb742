#pragma once

#include <QDate>
#include <QStringList>

class QCommandLineParser;
class QTextStream;

// qorvil-report: the payroll reports from the command line, for accountants' scripts.
//   qorvil-report summary|detail --from MM/DD/YYYY --to MM/DD/YYYY (--employee ID ... | --all)
//                 [--database FILE] [--csv FILE | --pdf FILE]
// Without a file the report is printed as aligned text. It changes nothing but the report work tables.
namespace ReportCommand {

// The arguments after the program name; returns the exit status (0 done, 1 database or output failed,
// 2 bad arguments, an output file that is the database among them). PDF output needs a running QGuiApplication.
int run(const QStringList& arguments, QTextStream& out, QTextStream& err);

QString usage();

// The days of a command's --from and --to, both needed, from not after to; empty when they are right, else what
// is wrong with them.
QString readDays(const QCommandLineParser& parser, QDate* from, QDate* to);

// Whether writing an output file would replace the database or a file the engine keeps beside it.
bool isDatabaseFile(const QString& output, const QString& database);

} // namespace ReportCommand
