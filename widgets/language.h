#pragma once

#include <QCommandLineOption>
#include <QLocale>
#include <QString>

// The language of the windows and messages a person reads. Wire codes, CSV headers, the command line's
// output and the database stay English whatever the language: scripts and other programs read them.
namespace Language {

// The --lang option of the desktop programs: a language code such as "es".
QCommandLineOption option();

// Installs the program's translation and the toolkit's own (standard buttons, file boxes) for `code`, or
// for the system's language when `code` is empty. English needs no translation. Dates, times and numbers
// keep the program's one form in every language (MM/DD/YYYY, a decimal point), as they are stored and
// typed. False, with the program left in English, when `code` names a language it has no translation for.
bool install(const QString& code);

// The language in use: "en", or the code of the installed translation ("es").
QString current();

// The locale whose names (months, week days) the windows show: the language in use.
QLocale namesLocale();

// A document of the program in the language in use: "es/help.hlp" beside the program when that exists,
// else the English `fileName`.
QString document(const QString& fileName);

} // namespace Language
