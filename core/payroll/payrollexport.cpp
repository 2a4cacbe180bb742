#include "core/payroll/payrollexport.h"

#include "core/audit/closedperiods.h"
#include "core/clock.h"
#include "core/csv.h"
#include "core/payroll/payexceptions.h"
#include "core/store/query.h"
#include "core/store/storedriver.h"
#include "core/valueforms.h"

#include <QCoreApplication>
#include <QMap>
#include <QSaveFile>
#include <algorithm>
#include <map>

namespace PayrollExport {

namespace {

const QString kPrefix = QStringLiteral("payroll_export.");
const QString kLayoutSetting = QStringLiteral("layout");
const QString kCrLf = QStringLiteral("\r\n");

Cell text(const QString& value = QString())
{
    return {Value::Text, value};
}

Cell of(Value value, const QString& argument = QString())
{
    return {value, argument};
}

// The names HoursOf and CodeOf take.
const QStringList& typeNames()
{
    static const QStringList names = {QStringLiteral("regular"), QStringLiteral("overtime"),
                                      QStringLiteral("double_time"), QStringLiteral("holiday")};
    return names;
}

// The owner's settings as the messages name them.
QString settingText(const QString& name)
{
    static const QHash<QString, QString> texts = {
        {kCompanyName, QStringLiteral(QT_TRANSLATE_NOOP("PayrollExport", "the company name as QuickBooks shows it"))},
        {kCompanyCreateTime, QStringLiteral(QT_TRANSLATE_NOOP("PayrollExport", "the company file's creation time"))},
        {kServiceItem, QStringLiteral(QT_TRANSLATE_NOOP("PayrollExport", "the service item"))},
        {kAdpCompany,
         QStringLiteral(QT_TRANSLATE_NOOP("PayrollExport", "the ADP company code (Co Code, 3 characters)"))},
        {kAdpBatch, QStringLiteral(QT_TRANSLATE_NOOP("PayrollExport", "the ADP batch ID"))},
        {kPaychexClient, QStringLiteral(QT_TRANSLATE_NOOP("PayrollExport", "the Paychex client ID"))},
    };
    const auto found = texts.constFind(name);
    return found == texts.constEnd() ? name : QCoreApplication::translate("PayrollExport", found->toUtf8().constData());
}

// Hundredths of an hour, half up, from whole minutes; "8.50".
QString decimalHours(qint64 minutes)
{
    const qint64 hundredths = (minutes * 100 + 30) / 60;
    return QStringLiteral("%1.%2").arg(hundredths / 100).arg(hundredths % 100, 2, 10, QLatin1Char('0'));
}

// An hour type and, for paid time off, its kind: what a row of hours is of.
struct TypeKey
{
    HourType type = HourType::Regular;
    QString kind;

    bool operator<(const TypeKey& other) const { return type != other.type ? type < other.type : kind < other.kind; }
};

using Totals = std::map<TypeKey, qint64>;

Totals totalsOf(const std::vector<Hours>& hours, Totals totals = {})
{
    for (const Hours& entry : hours) {
        if (entry.minutes > 0)
            totals[{entry.type, entry.type == HourType::PaidTimeOff ? entry.kind : QString()}] += entry.minutes;
    }
    return totals;
}

QString listName(const Worker& worker)
{
    return worker.lastName + QStringLiteral(", ") + worker.firstName;
}

// How people are named in messages: "Ann Lee (17)".
QString named(const Worker& worker)
{
    const QString name = QString(worker.firstName + QLatin1Char(' ') + worker.lastName).trimmed();
    return name.isEmpty() ? worker.empId : name + QStringLiteral(" (") + worker.empId + QLatin1Char(')');
}

// The key a service finds the employee by, or empty when the employee has none.
QString keyOf(Value key, const Worker& worker)
{
    switch (key) {
    case Value::EmployeeId:
        return worker.empId;
    case Value::PayrollId:
        return worker.payrollId.isEmpty() ? worker.empId : worker.payrollId;
    case Value::FileNumber:
        return worker.payrollId;
    case Value::ServiceName:
        return worker.payrollId.isEmpty() ? listName(worker) : worker.payrollId;
    default:
        return listName(worker);
    }
}

bool byName(Value key)
{
    return key == Value::ServiceName || key == Value::LastName || key == Value::FirstName;
}

// One line of a file being written.
class Writer
{
public:
    Writer(const Layout& layout, const Settings& settings, const Period& period)
        : m_layout(layout), m_settings(settings), m_period(period)
    {
    }

    bool line(const QStringList& fields, QString* refusal)
    {
        QStringList out;
        for (const QString& field : fields) {
            if (!m_layout.tabs) {
                out << Csv::field(field);
            } else if (field.contains(QLatin1Char('\t')) || field.contains(QLatin1Char('\n')) ||
                       field.contains(QLatin1Char('\r'))) {
                *refusal = QCoreApplication::translate("PayrollExport",
                                                       "The %1 layout cannot hold a tab or a line break, as in \"%2\".")
                               .arg(m_layout.title, QString(field).replace(QLatin1Char('\t'), QLatin1Char(' ')));
                return false;
            } else {
                out << field;
            }
        }
        m_text += out.join(m_layout.tabs ? QLatin1Char('\t') : QLatin1Char(',')) + kCrLf;
        return true;
    }

    // A row of hours of one worker: on one day or over the period, of one hour type or of all.
    QString cell(const Cell& cell, const Worker& worker, const QDate& day, const TypeKey* type,
                 const Totals& totals) const
    {
        switch (cell.value) {
        case Value::Text:
            return cell.text;
        case Value::EmployeeId:
        case Value::PayrollId:
        case Value::FileNumber:
        case Value::ServiceName:
            return keyOf(cell.value, worker);
        case Value::LastName:
            return worker.lastName;
        case Value::FirstName:
            return worker.firstName;
        case Value::PeriodStart:
            return m_period.from.toString(m_layout.dateForm);
        case Value::PeriodEnd:
            return m_period.to.toString(m_layout.dateForm);
        case Value::Day:
            return day.toString(m_layout.dateForm);
        case Value::Code:
            return type ? codeOf(m_layout, m_settings, type->type, type->kind) : QString();
        case Value::Hours:
            return type ? hours(totals.at(*type)) : QString();
        case Value::Setting:
            return m_settings.value(cell.text);
        case Value::HoursOf:
        case Value::CodeOf: {
            const TypeKey key{HourType(typeNames().indexOf(cell.text)), QString()};
            const auto found = totals.find(key);
            if (found == totals.end())
                return QString(); // a zero figure inside a row is left empty
            return cell.value == Value::HoursOf ? hours(found->second) : codeOf(m_layout, m_settings, key.type);
        }
        }
        return QString();
    }

    QString hours(qint64 minutes) const
    {
        return m_layout.clockDuration ? ValueForms::showDuration(minutes) : decimalHours(minutes);
    }

    bool row(const Worker& worker, const QDate& day, const TypeKey* type, const Totals& totals, QString* refusal)
    {
        QStringList fields;
        if (!m_layout.headerMark.isEmpty())
            fields << m_layout.headerMark.mid(1);
        for (const Column& column : m_layout.columns)
            fields << cell(column.cell, worker, day, type, totals);
        ++m_rows;
        return line(fields, refusal);
    }

    QString text() const { return m_text; }
    int rows() const { return m_rows; }

private:
    const Layout& m_layout;
    const Settings& m_settings;
    const Period& m_period;
    QString m_text;
    int m_rows = 0;
};

// What a layout with a column per hour type can carry.
bool carried(const Layout& layout, const TypeKey& type)
{
    for (const Column& column : layout.columns) {
        if (column.cell.value == Value::HoursOf && typeNames().indexOf(column.cell.text) == int(type.type))
            return true;
    }
    return false;
}

} // namespace

const QList<Layout>& layouts()
{
    static const QList<Layout> all = [] {
        QList<Layout> list;

        Layout generic;
        generic.name = QStringLiteral("generic");
        generic.title = QStringLiteral(QT_TRANSLATE_NOOP("PayrollExport", "Generic hours by code (CSV)"));
        generic.extension = QStringLiteral("csv");
        generic.grain = Grain::EmployeeAndType;
        generic.columns = {
            {QStringLiteral("Employee ID"), of(Value::EmployeeId)},
            {QStringLiteral("Payroll ID"), of(Value::PayrollId)},
            {QStringLiteral("Last Name"), of(Value::LastName)},
            {QStringLiteral("First Name"), of(Value::FirstName)},
            {QStringLiteral("Period Start"), of(Value::PeriodStart)},
            {QStringLiteral("Period End"), of(Value::PeriodEnd)},
            {QStringLiteral("Hour Type"), of(Value::Code)},
            {QStringLiteral("Hours"), of(Value::Hours)},
        };
        generic.key = Value::PayrollId;
        generic.codeGroup = QStringLiteral("generic");
        generic.defaultCodes = {QStringLiteral("REG"), QStringLiteral("OT"), QStringLiteral("DT"),
                                QStringLiteral("HOL")};
        generic.kindIsCode = true;
        generic.fileName = QStringLiteral("payroll-hours.csv");
        list << generic;

        const QStringList quickBooksItems = {QStringLiteral("Hourly Rate"), QStringLiteral("Overtime Rate"),
                                             QStringLiteral("Double Time Rate"), QStringLiteral("Holiday Rate")};
        Layout iif;
        iif.name = QStringLiteral("iif");
        iif.title = QStringLiteral(QT_TRANSLATE_NOOP("PayrollExport", "QuickBooks Desktop timer activities (IIF)"));
        iif.extension = QStringLiteral("iif");
        iif.grain = Grain::DayAndType;
        iif.tabs = true;
        iif.preamble = {
            {text(QStringLiteral("!TIMERHDR")), text(QStringLiteral("VER")), text(QStringLiteral("REL")),
             text(QStringLiteral("COMPANYNAME")), text(QStringLiteral("IMPORTEDBEFORE")),
             text(QStringLiteral("FROMTIMER")), text(QStringLiteral("COMPANYCREATETIME"))},
            {text(QStringLiteral("TIMERHDR")), text(QStringLiteral("8")), text(QStringLiteral("0")),
             of(Value::Setting, kCompanyName), text(QStringLiteral("N")), text(QStringLiteral("Y")),
             of(Value::Setting, kCompanyCreateTime)},
        };
        iif.headerMark = QStringLiteral("!TIMEACT");
        iif.columns = {
            {QStringLiteral("DATE"), of(Value::Day)},
            {QStringLiteral("JOB"), text()},
            {QStringLiteral("EMP"), of(Value::ServiceName)},
            {QStringLiteral("ITEM"), of(Value::Setting, kServiceItem)},
            {QStringLiteral("PITEM"), of(Value::Code)},
            {QStringLiteral("DURATION"), of(Value::Hours)},
            {QStringLiteral("PROJ"), text()},
            {QStringLiteral("NOTE"), text()},
            {QStringLiteral("XFERTOPAYROLL"), text(QStringLiteral("Y"))},
            {QStringLiteral("BILLINGSTATUS"), text(QStringLiteral("0"))},
        };
        iif.dateForm = QStringLiteral("MM/dd/yy");
        iif.clockDuration = true;
        iif.key = Value::ServiceName;
        iif.codeGroup = QStringLiteral("quickbooks");
        iif.defaultCodes = quickBooksItems;
        iif.required = {kCompanyName};
        iif.fileName = QStringLiteral("timer-activities.iif");
        list << iif;

        Layout qbo;
        qbo.name = QStringLiteral("qbo");
        qbo.title = QStringLiteral(QT_TRANSLATE_NOOP("PayrollExport", "QuickBooks Online timesheets (CSV)"));
        qbo.extension = QStringLiteral("csv");
        qbo.grain = Grain::DayAndType;
        qbo.columns = {
            {QStringLiteral("Name"), of(Value::ServiceName)},
            {QStringLiteral("Transaction Date"), of(Value::Day)},
            {QStringLiteral("Customer"), text()},
            {QStringLiteral("Service Item"), text()},
            {QStringLiteral("Payroll item"), of(Value::Code)},
            {QStringLiteral("Duration"), of(Value::Hours)},
            {QStringLiteral("Class"), text()},
            {QStringLiteral("Billable"), text(QStringLiteral("No"))},
            {QStringLiteral("Notes"), text()},
        };
        qbo.dateForm = QStringLiteral("MM/dd/yyyy");
        qbo.clockDuration = true;
        qbo.key = Value::ServiceName;
        qbo.codeGroup = QStringLiteral("quickbooks");
        qbo.defaultCodes = quickBooksItems;
        qbo.fileName = QStringLiteral("timesheets.csv");
        list << qbo;

        Layout gusto;
        gusto.name = QStringLiteral("gusto");
        gusto.title = QStringLiteral(QT_TRANSLATE_NOOP("PayrollExport", "Gusto hours (CSV)"));
        gusto.extension = QStringLiteral("csv");
        gusto.grain = Grain::Employee;
        gusto.columns = {
            {QStringLiteral("last_name"), of(Value::LastName)},
            {QStringLiteral("first_name"), of(Value::FirstName)},
            {QStringLiteral("title"), text()},
            {QStringLiteral("regular_hours"), of(Value::HoursOf, QStringLiteral("regular"))},
            {QStringLiteral("overtime_hours"), of(Value::HoursOf, QStringLiteral("overtime"))},
            {QStringLiteral("double_overtime_hours"), of(Value::HoursOf, QStringLiteral("double_time"))},
            {QStringLiteral("holiday_hours"), of(Value::HoursOf, QStringLiteral("holiday"))},
        };
        gusto.key = Value::LastName;
        gusto.fileName = QStringLiteral("gusto-hours.csv");
        list << gusto;

        Layout adp;
        adp.name = QStringLiteral("adp");
        adp.title = QStringLiteral(QT_TRANSLATE_NOOP("PayrollExport", "ADP Workforce Now paydata (CSV)"));
        adp.extension = QStringLiteral("csv");
        adp.grain = Grain::Employee;
        adp.columns = {
            {QStringLiteral("Co Code"), of(Value::Setting, kAdpCompany)},
            {QStringLiteral("Batch ID"), of(Value::Setting, kAdpBatch)},
            {QStringLiteral("File #"), of(Value::FileNumber)},
            {QStringLiteral("Reg Hours"), of(Value::HoursOf, QStringLiteral("regular"))},
            {QStringLiteral("O/T Hours"), of(Value::HoursOf, QStringLiteral("overtime"))},
            {QStringLiteral("Hours 3 Code"), of(Value::CodeOf, QStringLiteral("double_time"))},
            {QStringLiteral("Hours 3 Amount"), of(Value::HoursOf, QStringLiteral("double_time"))},
            {QStringLiteral("Hours 4 Code"), of(Value::CodeOf, QStringLiteral("holiday"))},
            {QStringLiteral("Hours 4 Amount"), of(Value::HoursOf, QStringLiteral("holiday"))},
        };
        adp.key = Value::FileNumber;
        adp.codeGroup = QStringLiteral("adp");
        adp.defaultCodes = {QString(), QString(), QStringLiteral("D"), QStringLiteral("H")};
        adp.required = {kAdpCompany, kAdpBatch};
        adp.requiredLength = 3;
        adp.fileName = QStringLiteral("PR%1EPI.csv");
        list << adp;

        Layout paychex;
        paychex.name = QStringLiteral("paychex");
        paychex.title = QStringLiteral(QT_TRANSLATE_NOOP("PayrollExport", "Paychex Flex time import (CSV)"));
        paychex.extension = QStringLiteral("csv");
        paychex.grain = Grain::EmployeeAndType;
        paychex.columns = {
            {QStringLiteral("Client ID"), of(Value::Setting, kPaychexClient)},
            {QStringLiteral("Worker ID"), of(Value::PayrollId)},
            {QStringLiteral("Org"), text()},
            {QStringLiteral("Job Number"), text()},
            {QStringLiteral("Pay Component"), of(Value::Code)},
            {QStringLiteral("Rate"), text()},
            {QStringLiteral("Rate #"), text()},
            {QStringLiteral("Hours"), of(Value::Hours)},
            {QStringLiteral("Units"), text()},
            {QStringLiteral("Line Date"), text()},
            {QStringLiteral("Amount"), text()},
            {QStringLiteral("Check Seq Number"), text()},
            {QStringLiteral("Override State"), text()},
            {QStringLiteral("Override Local"), text()},
            {QStringLiteral("Override Local Jurisdiction"), text()},
            {QStringLiteral("Labor Assignment"), text()},
        };
        paychex.key = Value::PayrollId;
        paychex.codeGroup = QStringLiteral("paychex");
        paychex.defaultCodes = {QStringLiteral("Hourly"), QStringLiteral("Overtime"), QStringLiteral("Double Time"),
                                QStringLiteral("Holiday")};
        paychex.required = {kPaychexClient};
        paychex.fileName = QStringLiteral("paychex-hours.csv");
        list << paychex;
        return list;
    }();
    return all;
}

const Layout* layout(const QString& name)
{
    for (const Layout& each : layouts()) {
        if (each.name == name)
            return &each;
    }
    return nullptr;
}

QStringList layoutNames()
{
    QStringList names;
    for (const Layout& each : layouts())
        names << each.name;
    return names;
}

QString codeName(const QString& group, HourType type, const QString& kind)
{
    const QString what =
        type == HourType::PaidTimeOff ? QStringLiteral("pto.") + kind.toLower() : typeNames().at(int(type));
    return group + QStringLiteral(".code.") + what;
}

QString codeOf(const Layout& layout, const Settings& settings, HourType type, const QString& kind)
{
    if (layout.codeGroup.isEmpty())
        return QString();
    QString set = settings.value(codeName(layout.codeGroup, type, kind));
    if (!set.isEmpty())
        return set;
    if (type == HourType::PaidTimeOff)
        return layout.kindIsCode ? kind : QString();
    return layout.defaultCodes.value(int(type));
}

QString typeText(HourType type, const QString& kind)
{
    static const QStringList texts = {QStringLiteral("Regular"), QStringLiteral("Overtime"),
                                      QStringLiteral("Double time"), QStringLiteral("Holiday")};
    return type == HourType::PaidTimeOff ? QStringLiteral("Paid time off: ") + kind : texts.at(int(type));
}

bool write(const Layout& layout, const Settings& settings, const Period& period, Written* written, QString* refusal)
{
    *written = Written();
    const QString where = QCoreApplication::translate("PayrollExport", " in Administrator > Payroll Export");
    for (const QString& name : layout.required) {
        if (settings.value(name).trimmed().isEmpty()) {
            *refusal = QCoreApplication::translate("PayrollExport", "The %1 layout needs %2: set it%3.")
                           .arg(layout.title, settingText(name), where);
            return false;
        }
    }
    if (layout.requiredLength > 0 && settings.value(layout.required.value(0)).size() != layout.requiredLength) {
        *refusal =
            QCoreApplication::translate("PayrollExport",
                                        "The %1 layout needs %2; \"%3\" is not %4 characters: set it%5.")
                .arg(layout.title, settingText(layout.required.value(0)), settings.value(layout.required.value(0)))
                .arg(layout.requiredLength)
                .arg(where);
        return false;
    }

    // Each worker's totals; those without hours are left out of the file and of its checks.
    std::vector<std::pair<const Worker*, Totals>> workers;
    for (const Worker& worker : period.workers) {
        Totals totals;
        for (const Day& day : worker.days)
            totals = totalsOf(day.hours, std::move(totals));
        if (!totals.empty())
            workers.emplace_back(&worker, std::move(totals));
    }

    // The service must find each employee, and find each one once.
    QStringList missing;
    QMap<QString, QStringList> keys;
    for (const auto& [worker, totals] : workers) {
        if (byName(layout.key) && !worker->found) {
            *refusal = QCoreApplication::translate(
                           "PayrollExport", "No employee record has the ID %1, so its hours cannot be named for %2.")
                           .arg(worker->empId, layout.title);
            return false;
        }
        const QString key = keyOf(layout.key, *worker).trimmed();
        if (key.isEmpty())
            missing << named(*worker);
        else
            keys[key.toCaseFolded()] << named(*worker);
    }
    if (!missing.isEmpty()) {
        *refusal = QCoreApplication::translate(
                       "PayrollExport", "%1 needs each employee's file number as the payroll ID; set it%2 for: %3.")
                       .arg(layout.title, where, missing.join(QStringLiteral(", ")));
        return false;
    }
    QStringList alike;
    for (const QStringList& group : std::as_const(keys)) {
        if (group.size() > 1)
            alike << group.join(QStringLiteral(" and "));
    }
    if (!alike.isEmpty()) {
        *refusal = QStringLiteral("%1 could not tell these employees apart: %2. Give them payroll IDs of their "
                                  "own%3.")
                       .arg(layout.title, alike.join(QStringLiteral("; ")), where);
        if (layout.key == Value::LastName)
            *refusal += QStringLiteral(" Gusto matches hours by name: where two employees share one, import their "
                                       "hours with Gusto's own template.");
        return false;
    }

    Writer writer(layout, settings, period);
    for (const QList<Cell>& cells : layout.preamble) {
        QStringList fields;
        for (const Cell& cell : cells)
            fields << writer.cell(cell, Worker(), QDate(), nullptr, {});
        if (!writer.line(fields, refusal))
            return false;
    }
    QStringList header;
    if (!layout.headerMark.isEmpty())
        header << layout.headerMark;
    for (const Column& column : layout.columns)
        header << column.header;
    if (!writer.line(header, refusal))
        return false;

    for (const auto& [worker, totals] : workers) {
        for (const auto& [type, minutes] : totals) {
            if (layout.grain == Grain::Employee && !carried(layout, type)) {
                written->warnings << QStringLiteral("%1 has no column for %2: %3 h of %4 are not in the file; enter "
                                                    "them by hand.")
                                         .arg(layout.title, typeText(type.type, type.kind).toLower(),
                                              decimalHours(minutes), named(*worker));
            } else if (layout.grain != Grain::Employee && codeOf(layout, settings, type.type, type.kind).isEmpty()) {
                *refusal = QCoreApplication::translate("PayrollExport", "Set the code of %1 for %2%3.")
                               .arg(typeText(type.type, type.kind).toLower(), layout.title, where);
                return false;
            }
        }
        switch (layout.grain) {
        case Grain::Employee:
            if (std::any_of(totals.begin(), totals.end(),
                            [&](const auto& each) { return carried(layout, each.first); }) &&
                !writer.row(*worker, QDate(), nullptr, totals, refusal))
                return false;
            break;
        case Grain::EmployeeAndType:
            for (const auto& [type, minutes] : totals) {
                if (!writer.row(*worker, QDate(), &type, totals, refusal))
                    return false;
            }
            break;
        case Grain::DayAndType:
            for (const Day& day : worker->days) {
                const Totals ofDay = totalsOf(day.hours);
                for (const auto& [type, minutes] : ofDay) {
                    if (layout.clockDuration && minutes >= qint64(24) * 60) {
                        *refusal =
                            QCoreApplication::translate(
                                "PayrollExport", "%1 holds at most 23:59 of one hour type a day; %2 has %3 on %4.")
                                .arg(layout.title, named(*worker), ValueForms::showDuration(minutes),
                                     ValueForms::showDate(day.day));
                        return false;
                    }
                    if (!writer.row(*worker, day.day, &type, ofDay, refusal))
                        return false;
                }
            }
            break;
        }
    }
    for (const QList<Cell>& cells : layout.preamble) {
        for (const Cell& cell : cells) {
            if (cell.value == Value::Setting && cell.text == kCompanyCreateTime && settings.value(cell.text).isEmpty())
                written->warnings
                    << QStringLiteral("The company file's creation time is not set, so QuickBooks may ask which "
                                      "company the file belongs to. Export any timer activity from QuickBooks (File > "
                                      "Utilities > Export > Timer Lists) and copy the COMPANYCREATETIME of its "
                                      "TIMERHDR line%1.")
                           .arg(where);
        }
    }
    written->text = writer.text();
    written->rows = writer.rows();
    return true;
}

// ---- The store --------------------------------------------------------------------------------------------

bool loadSettings(Settings* settings, QString* error)
{
    *settings = Settings();
    Query query;
    if (!query.exec(QStringLiteral("SELECT name, value FROM settings WHERE name LIKE ?"),
                    {QString(kPrefix + QLatin1Char('%'))})) {
        *error = query.error();
        return false;
    }
    while (query.next()) {
        if (!query.text(0).startsWith(kPrefix)) // '_' matches any character in LIKE
            continue;
        const QString name = query.text(0).mid(kPrefix.size());
        if (name == kLayoutSetting)
            settings->layout = query.text(1);
        else
            settings->values.insert(name, query.text(1));
    }
    if (!query.error().isEmpty()) {
        *error = query.error();
        return false;
    }
    return true;
}

bool saveSettings(const Settings& settings, QString* error)
{
    Transaction transaction;
    if (!transaction.isActive()) {
        *error = transaction.error();
        return false;
    }
    QHash<QString, QString> values = settings.values;
    values.insert(kLayoutSetting, settings.layout);
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        Query query;
        if (!query.exec(QStringLiteral("INSERT INTO settings (name, value) VALUES (?, ?) "
                                       "ON CONFLICT(name) DO UPDATE SET value = excluded.value"),
                        {QString(kPrefix + it.key()), it.value().trimmed()})) {
            *error = query.error();
            return false;
        }
    }
    if (transaction.commit())
        return true;
    *error = transaction.error();
    return false;
}

bool setPayrollId(const QString& empId, const QString& payrollId, QString* error)
{
    if (!Database::fileInPlace(gConn, error))
        return false;
    const QString trimmed = payrollId.trimmed();
    // IDs are compared exactly in the program, as everywhere.
    Query find;
    if (!find.exec(QStringLiteral("SELECT id, emp_id FROM Employee WHERE emp_id = ?"), {empId})) {
        *error = find.error();
        return false;
    }
    QVariantList rows;
    while (find.next()) {
        if (find.text(1) == empId)
            rows << find.value(0);
    }
    for (const QVariant& row : rows) {
        Query update;
        const QVariant value = trimmed.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(trimmed);
        if (!update.exec(QStringLiteral("UPDATE Employee SET payroll_id = ? WHERE id = ?"), {value, row})) {
            *error = update.error();
            return false;
        }
    }
    return true;
}

namespace {

struct Named
{
    bool found = false;
    QString first;
    QString last;
    QString payrollId;
};

bool readWorker(const QString& empId, Named* named, QString* error)
{
    Query query;
    if (!query.exec(QStringLiteral("SELECT emp_id, emp_fname, emp_lname, payroll_id FROM Employee WHERE emp_id = ?"),
                    {empId})) {
        *error = query.error();
        return false;
    }
    while (query.next()) {
        if (query.text(0) != empId)
            continue;
        named->found = true;
        named->first = query.text(1).trimmed();
        named->last = query.text(2).trimmed();
        named->payrollId = query.text(3).trimmed();
        break;
    }
    if (!query.error().isEmpty()) {
        *error = query.error();
        return false;
    }
    return true;
}

// Every employee with a time record or paid time off in the range, as stored (exactly, whether still on the list
// or not).
bool employeesWithHours(const Request& request, QStringList* ids, QString* error)
{
    const QVariantList range = {ValueForms::storeDate(request.from), ValueForms::storeDate(request.to)};
    QList<std::pair<QString, QVariantList>> queries = {
        {QStringLiteral("SELECT DISTINCT emp_id FROM timesheet WHERE rsdate >= ? AND rsdate <= ?") +
             (request.site.isEmpty() ? QString() : QStringLiteral(" AND site = ?")),
         request.site.isEmpty() ? range : range + QVariantList{request.site}}};
    if (gConn.tables().contains(QStringLiteral("paid_time_off"), Qt::CaseInsensitive))
        queries.append(
            {QStringLiteral("SELECT DISTINCT emp_id FROM paid_time_off WHERE rsdate >= ? AND rsdate <= ?"), range});
    for (const auto& [sql, binds] : queries) {
        Query query;
        if (!query.exec(sql, binds)) {
            *error = query.error();
            return false;
        }
        while (query.next()) {
            if (!ids->contains(query.text(0)))
                ids->append(query.text(0));
        }
        if (!query.error().isEmpty()) {
            *error = query.error();
            return false;
        }
    }
    return true;
}

// The days of one employee as the pay computation splits them, in minutes per hour type.
std::vector<Day> daysOf(const Pay::Result& result)
{
    std::vector<Day> days;
    for (const Pay::DayResult& computed : result.days) {
        Day day{computed.day, {}};
        for (int type = 0; type < kWorkedTypes; ++type)
            day.hours.push_back({HourType(type), QString(), computed.minutes[HourType(type)]});
        for (const Pay::PaidTimeOff& off : computed.paidTimeOff)
            day.hours.push_back({HourType::PaidTimeOff, off.kind, off.minutes});
        days.push_back(std::move(day));
    }
    return days;
}

} // namespace

bool gather(const Request& request, Period* period, QString* error)
{
    *period = Period();
    period->from = request.from;
    period->to = request.to;
    QStringList ids = request.empIds;
    if (ids.isEmpty() && !employeesWithHours(request, &ids, error))
        return false;
    // The reports' computation: the rules in force, or those kept with a closed period.
    Pay::Calculator calculator;
    if (!calculator.load(error))
        return false;
    Pay::Calculator::Options options;
    options.site = request.site;
    for (const QString& id : std::as_const(ids)) {
        Named named;
        if (!readWorker(id, &named, error))
            return false;
        Pay::Result result;
        if (!calculator.compute(id, request.from, request.to, &result, error, options))
            return false;
        period->workers.push_back({id, named.payrollId, named.first, named.last, named.found, daysOf(result)});
    }
    if (request.empIds.isEmpty()) {
        // Everyone: in the order a payroll clerk reads a list, by name.
        std::stable_sort(period->workers.begin(), period->workers.end(), [](const Worker& a, const Worker& b) {
            const int last = a.lastName.compare(b.lastName, Qt::CaseInsensitive);
            if (last != 0)
                return last < 0;
            const int first = a.firstName.compare(b.firstName, Qt::CaseInsensitive);
            return first != 0 ? first < 0 : a.empId < b.empId;
        });
    }
    return true;
}

bool exportedBefore(const QDate& from, const QDate& to, QList<Record>* records, QString* error)
{
    records->clear();
    Query query;
    if (!query.exec(QStringLiteral("SELECT exported_at, from_date, to_date, layout, file FROM payroll_export "
                                   "WHERE from_date <= ? AND to_date >= ? ORDER BY exported_at DESC, id DESC"),
                    {ValueForms::storeDate(to), ValueForms::storeDate(from)})) {
        *error = query.error();
        return false;
    }
    while (query.next()) {
        records->append({query.text(0), QDate::fromString(query.text(1), Qt::ISODate),
                         QDate::fromString(query.text(2), Qt::ISODate), query.text(3), query.text(4)});
    }
    if (!query.error().isEmpty()) {
        *error = query.error();
        return false;
    }
    return true;
}

bool record(const Record& record, int rows, QString* error)
{
    if (!Database::fileInPlace(gConn, error))
        return false;
    Query query;
    if (query.exec(
            QStringLiteral("INSERT INTO payroll_export (exported_at, from_date, to_date, layout, file, hour_rows) "
                           "VALUES (?, ?, ?, ?, ?, ?)"),
            {record.exportedAt, ValueForms::storeDate(record.from), ValueForms::storeDate(record.to), record.layout,
             record.file, QVariant(rows)}))
        return true;
    *error = query.error();
    return false;
}

bool warnings(const Request& request, Warnings* found, QString* error)
{
    *found = Warnings();
    QDate through;
    if (!ClosedPeriods::closedThrough(&through, error))
        return false;
    if (!through.isValid() || through < request.to)
        found->openFrom = through.isValid() ? std::max(request.from, through.addDays(1)) : request.from;
    std::vector<PayExceptions::Exception> exceptions;
    if (!PayExceptions::find({request.from, request.to, request.empIds, request.site}, &exceptions, error))
        return false;
    found->exceptions = int(exceptions.size());
    return exportedBefore(request.from, request.to, &found->previous, error);
}

Result exportTo(const Request& request, const Layout& layout, const QString& path, Outcome* outcome, QString* why)
{
    *outcome = Outcome();
    Settings settings;
    Period period;
    if (!loadSettings(&settings, why) || !gather(request, &period, why))
        return Result::Failed;
    if (!write(layout, settings, period, &outcome->written, why))
        return Result::Refused;
    for (const Worker& worker : period.workers) {
        if (std::any_of(worker.days.begin(), worker.days.end(), [](const Day& day) {
                return std::any_of(day.hours.begin(), day.hours.end(), [](const Hours& h) { return h.minutes > 0; });
            }))
            ++outcome->employees;
    }
    // The record and the file stand or fall together: the file is written whole beside the target and renamed
    // into place inside the transaction that records it, so a failed export leaves the old file as it was.
    Transaction transaction;
    if (!transaction.isActive()) {
        *why = transaction.error();
        return Result::Failed;
    }
    const Record made{now().toUTC().toString(Qt::ISODateWithMs), request.from, request.to, layout.name, path};
    if (!record(made, outcome->written.rows, why))
        return Result::Failed;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(outcome->written.text.toUtf8()) < 0 || !file.commit()) {
        *why = QCoreApplication::translate("PayrollExport", "could not write %1: %2").arg(path, file.errorString());
        return Result::Failed;
    }
    if (!transaction.commit()) {
        *why = QCoreApplication::translate("PayrollExport", "%1 was written, but the export could not be recorded: %2")
                   .arg(path, transaction.error());
        return Result::Failed;
    }
    return Result::Done;
}

} // namespace PayrollExport
