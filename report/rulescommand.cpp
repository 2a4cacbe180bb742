#include "report/rulescommand.h"

#include "core/audit/closedperiods.h"
#include "core/datapaths.h"
#include "core/exitstatus.h"
#include "core/payroll/payrules.h"
#include "core/store/database.h"
#include "core/valueforms.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QTextStream>

namespace RulesCommand {

namespace {

using namespace ExitStatus;

void describe(QCommandLineParser* parser)
{
    parser->setApplicationDescription(QStringLiteral(
        "qorvil-report rules: prints the pay rules in force, after the changes given. Settings: "
        "overtime=pair|daily|weekly|daily-weekly, daily_after=HOURS, weekly_after=HOURS, week_start=sunday..saturday, "
        "double_after=0|HOURS, double_rate=RATE, round_minutes=0|5|6|10|15, meal_minutes=0|MINUTES, meal_after=HOURS, "
        "holiday_rate=0|ot|RATE, exempt=ID,ID..., period=none|weekly|biweekly|semimonthly|monthly, "
        "period_start=YYYY-MM-DD, night_shift_hours=0|HOURS, long_pair_hours=HOURS. A bad name or value changes "
        "nothing."));
    parser->addOptions({
        {QStringLiteral("set"), QStringLiteral("Change a setting."), QStringLiteral("NAME=VALUE")},
        {QStringLiteral("holiday"), QStringLiteral("Add or rename a holiday."), QStringLiteral("YYYY-MM-DD=NAME")},
        {QStringLiteral("no-holiday"), QStringLiteral("Remove a holiday."), QStringLiteral("YYYY-MM-DD")},
        {QStringLiteral("pto"), QStringLiteral("Enter paid time off."), QStringLiteral("ID,YYYY-MM-DD,HOURS,KIND")},
        {QStringLiteral("no-pto"), QStringLiteral("Remove an employee's paid time off of a day."),
         QStringLiteral("ID,YYYY-MM-DD")},
        {QStringLiteral("database"), QStringLiteral("The database to change."), QStringLiteral("FILE")},
    });
    parser->addHelpOption();
}

std::optional<QDate> isoDate(const QString& text)
{
    const QDate date = QDate::fromString(text.trimmed(), Qt::ISODate);
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

struct Changes
{
    Pay::Rules rules;
    std::vector<Pay::PaidTimeOff> paid;
    std::vector<Pay::PaidTimeOff> unpaid; // minutes unused
    bool any = false;
};

// Reads every change onto the rules in force; an empty text means they are all good.
QString parse(const QCommandLineParser& parser, Changes* changes)
{
    if (!parser.positionalArguments().isEmpty())
        return QStringLiteral("unknown argument \"%1\"").arg(parser.positionalArguments().constFirst());
    QString why;
    for (const QString& setting : parser.values(QStringLiteral("set"))) {
        const int equals = setting.indexOf(QLatin1Char('='));
        if (equals <= 0)
            return QStringLiteral("--set %1: give NAME=VALUE").arg(setting);
        if (!Pay::set(&changes->rules, setting.left(equals), setting.mid(equals + 1), &why))
            return why;
        changes->any = true;
    }
    for (const QString& holiday : parser.values(QStringLiteral("holiday"))) {
        const std::optional<QDate> day = isoDate(holiday.section(QLatin1Char('='), 0, 0));
        const QString name = holiday.section(QLatin1Char('='), 1).trimmed();
        if (!day || name.isEmpty())
            return QStringLiteral("--holiday %1: give YYYY-MM-DD=NAME").arg(holiday);
        changes->rules.holidays.insert(*day, name);
        changes->any = true;
    }
    for (const QString& text : parser.values(QStringLiteral("no-holiday"))) {
        const std::optional<QDate> day = isoDate(text);
        if (!day)
            return QStringLiteral("--no-holiday %1: give YYYY-MM-DD").arg(text);
        if (changes->rules.holidays.remove(*day) == 0)
            return QStringLiteral("--no-holiday %1: no holiday on that day").arg(text);
        changes->any = true;
    }
    for (const QString& text : parser.values(QStringLiteral("pto"))) {
        const QStringList parts = text.split(QLatin1Char(','));
        bool ok = false;
        const double hours = parts.value(2).trimmed().toDouble(&ok);
        const std::optional<QDate> day = isoDate(parts.value(1));
        if (parts.size() != 4 || parts.at(0).trimmed().isEmpty() || !day || !ok || hours <= 0 || hours > 24 ||
            parts.at(3).trimmed().isEmpty())
            return QStringLiteral("--pto %1: give ID,YYYY-MM-DD,HOURS,KIND (hours more than 0, up to 24)").arg(text);
        changes->paid.push_back({parts.at(0).trimmed(), *day, int(std::llround(hours * 60)), parts.at(3).trimmed()});
    }
    for (const QString& text : parser.values(QStringLiteral("no-pto"))) {
        const QStringList parts = text.split(QLatin1Char(','));
        const std::optional<QDate> day = isoDate(parts.value(1));
        if (parts.size() != 2 || parts.at(0).trimmed().isEmpty() || !day)
            return QStringLiteral("--no-pto %1: give ID,YYYY-MM-DD").arg(text);
        changes->unpaid.push_back({parts.at(0).trimmed(), *day, 0, QString()});
    }
    if (QString wrong = Pay::problem(changes->rules); changes->any && !wrong.isEmpty())
        return wrong;
    return QString();
}

void print(const Pay::Rules& rules, QTextStream& out)
{
    for (const auto& [name, value] : Pay::settings(rules))
        out << name << "=" << value << "\n";
    for (auto it = rules.holidays.cbegin(); it != rules.holidays.cend(); ++it)
        out << "holiday " << ValueForms::storeDate(it.key()) << "=" << it.value() << "\n";
}

} // namespace

int run(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QCommandLineParser parser;
    describe(&parser);
    if (!parser.parse(QStringList{QStringLiteral("qorvil-report rules")} + arguments)) {
        err << "qorvil-report rules: " << parser.errorText() << "\n" << parser.helpText();
        return BadArguments;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        out << parser.helpText();
        return Done;
    }
    const QString path = DataPaths::locate(Database::Kind::Server, parser.value(QStringLiteral("database")));
    QString error;
    if (!Database::openExisting(path, &error)) {
        err << "qorvil-report rules: " << error << "\n";
        return Failed;
    }
    Changes changes;
    if (!Pay::load(&changes.rules, &error)) {
        err << "qorvil-report rules: the pay rules could not be read: " << error << "\n";
        return Failed;
    }
    if (const QString problem = parse(parser, &changes); !problem.isEmpty()) {
        err << "qorvil-report rules: " << problem << "\n";
        return BadArguments;
    }
    // Paid time off of a closed day is refused before anything is changed.
    QDate through;
    if (!ClosedPeriods::closedThrough(&through, &error)) {
        err << "qorvil-report rules: " << error << "\n";
        return Failed;
    }
    for (const auto* list : {&changes.paid, &changes.unpaid})
        for (const Pay::PaidTimeOff& entry : *list)
            if (through.isValid() && entry.day <= through) {
                err << "qorvil-report rules: " << ClosedPeriods::refusal(through) << "\n";
                return BadArguments;
            }
    if (changes.any && !Pay::save(changes.rules, &error)) {
        err << "qorvil-report rules: the pay rules could not be stored: " << error << "\n";
        return Failed;
    }
    for (const Pay::PaidTimeOff& entry : changes.paid)
        if (!Pay::setPaidTimeOff(entry, &error)) {
            err << "qorvil-report rules: " << error << "\n";
            return Failed;
        }
    for (const Pay::PaidTimeOff& entry : changes.unpaid)
        if (!Pay::removePaidTimeOff(entry.empId, entry.day, QString(), &error)) {
            err << "qorvil-report rules: " << error << "\n";
            return Failed;
        }
    print(changes.rules, out);
    return Done;
}

} // namespace RulesCommand
