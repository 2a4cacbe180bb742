#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

// Sites: the shops of one business whose services punch into one shared database. Each service (and each
// desktop server) may be given the name of its site; the day's time record keeps the site of its first
// punch, each terminal row the site of the program serving it, and the office limits the Terminals window and
// the reports to one site or takes them all.
namespace Sites {

// The site this program punches for; empty when none was given (a single-site business).
QString current();
void setCurrent(const QString& site);
// The current site as the store keeps it: Null for none.
QVariant stored();

// A site name as given on the command line, trimmed; nullopt with the reason when it cannot be one.
std::optional<QString> readName(const QString& text, QString* why);

// The --site NAME option of the programs that punch, and its value read from parsed arguments: the name
// (empty when not given), or nullopt with the reason, which names the option.
QCommandLineOption option();
std::optional<QString> fromArguments(const QCommandLineParser& parser, const QCommandLineOption& option, QString* why);

// The sites the database has seen, in order of name; empty with the reason on failure.
QStringList known(QString* error = nullptr);

// A terminal this program serves now.
struct Terminal
{
    QString address;
    bool encrypted = false;
    bool allowed = false;
};

// Replaces the rows of this program's site in the Terminal table with the terminals given, in one
// transaction, leaving the other sites' rows alone.
bool publishTerminals(const QList<Terminal>& terminals, QString* error);

} // namespace Sites
