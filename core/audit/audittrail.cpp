#include "core/audit/audittrail.h"

#include "core/clock.h"
#include "core/csv.h"
#include "core/store/database.h"
#include "core/store/query.h"
#include "core/store/storedriver.h"
#include "core/store/trailchain.h"
#include "core/valueforms.h"

#include <QCoreApplication>
#include <QHash>
#include <QSaveFile>
#include <map>

namespace AuditTrail {

namespace {

QString utcText(const QDateTime& at)
{
    return at.toUTC().toString(TrailWriter::kTimeForm);
}

bool isDateColumn(const QString& column)
{
    static const QStringList dates = {QStringLiteral("rsdate"),     QStringLiteral("emp_dob"),
                                      QStringLiteral("date_hired"), QStringLiteral("closed_through"),
                                      QStringLiteral("day"),        QStringLiteral("period_start"),
                                      QStringLiteral("from_date"),  QStringLiteral("to_date")};
    return dates.contains(column, Qt::CaseInsensitive);
}

QString storedText(const QVariant& value)
{
    return value.isNull() ? QString() : value.toString();
}

} // namespace

bool read(const Filter& filter, const Change* after, int count, std::vector<Change>* changes, QString* error)
{
    changes->clear();
    // The page of changes first, then their columns: a page never ends inside a change.
    // A later page ends where the one before did, so the index starts there rather than at the range's end;
    // the pair of time and number decides among changes of one moment.
    QString where = after ? QStringLiteral("changed_at >= ? AND changed_at <= ? AND (changed_at, id) < (?, ?)")
                          : QStringLiteral("changed_at >= ? AND changed_at < ?");
    QVariantList binds = {utcText(QDateTime(filter.from, QTime(0, 0)))};
    if (after)
        binds << after->stamp << after->stamp << after->id;
    else
        binds << utcText(QDateTime(filter.to.addDays(1), QTime(0, 0)));
    if (filter.empId) {
        where += QStringLiteral(" AND emp_id = ?");
        binds << *filter.empId;
    }
    binds << count;
    const QString sql =
        QStringLiteral("SELECT c.id, c.changed_at, c.table_name, c.action, c.row_id, c.emp_id, c.rsdate, "
                       "c.administrator, c.os_user, c.host, c.program, v.column_name, v.old_value, v.new_value "
                       "FROM (SELECT * FROM audit_change WHERE ") +
        where +
        QStringLiteral(" ORDER BY changed_at DESC, id DESC LIMIT ?) AS c "
                       "LEFT JOIN audit_value AS v ON v.change_id = c.id "
                       "ORDER BY c.changed_at DESC, c.id DESC, v.id");
    Query query;
    if (!query.exec(sql, binds)) {
        *error = query.error();
        return false;
    }
    while (query.next()) {
        const qint64 id = query.value(0).toLongLong();
        if (changes->empty() || changes->back().id != id) {
            Change change;
            change.id = id;
            change.stamp = query.text(1);
            change.at = QDateTime::fromString(change.stamp, Qt::ISODateWithMs).toUTC();
            change.table = query.text(2);
            change.action = query.text(3);
            change.rowId = query.value(4);
            change.empId = query.value(5);
            change.day = query.value(6);
            change.administrator = query.text(7);
            change.osUser = query.text(8);
            change.host = query.text(9);
            change.program = query.text(10);
            changes->push_back(std::move(change));
        }
        if (!query.isNull(11))
            changes->back().values.push_back({query.text(11), query.value(12), query.value(13)});
    }
    if (!query.error().isEmpty()) {
        *error = query.error();
        return false;
    }
    return true;
}

bool readAll(const Filter& filter, const std::function<bool(const Change&)>& take, QString* error)
{
    std::vector<Change> page;
    std::optional<Change> last;
    do {
        if (!read(filter, last ? &*last : nullptr, kPageSize, &page, error))
            return false;
        for (const Change& change : page) {
            if (!take(change))
                return true;
        }
        if (!page.empty())
            last = page.back();
    } while (int(page.size()) == kPageSize);
    return true;
}

QString describe(const Change& change)
{
    // Whole phrases, so that each language words them its own way; an unknown table is named as stored.
    static const QHash<QString, std::array<const char*, 3>> things = {
        {QStringLiteral("timesheet"),
         {QT_TRANSLATE_NOOP("AuditTrail", "Time record added"), QT_TRANSLATE_NOOP("AuditTrail", "Time record deleted"),
          QT_TRANSLATE_NOOP("AuditTrail", "Time record changed")}},
        {QStringLiteral("employee"),
         {QT_TRANSLATE_NOOP("AuditTrail", "Employee record added"),
          QT_TRANSLATE_NOOP("AuditTrail", "Employee record deleted"),
          QT_TRANSLATE_NOOP("AuditTrail", "Employee record changed")}},
        {QStringLiteral("holiday"),
         {QT_TRANSLATE_NOOP("AuditTrail", "Holiday added"), QT_TRANSLATE_NOOP("AuditTrail", "Holiday deleted"),
          QT_TRANSLATE_NOOP("AuditTrail", "Holiday changed")}},
        {QStringLiteral("paid_time_off"),
         {QT_TRANSLATE_NOOP("AuditTrail", "Paid time off added"),
          QT_TRANSLATE_NOOP("AuditTrail", "Paid time off deleted"),
          QT_TRANSLATE_NOOP("AuditTrail", "Paid time off changed")}},
    };
    const QString table = change.table.toLower();
    if (table == QLatin1String("admin"))
        return change.action == QLatin1String("update")
                   ? QCoreApplication::translate("AuditTrail", "Administrator password changed")
               : change.action == QLatin1String("insert")
                   ? QCoreApplication::translate("AuditTrail", "Administrator password set")
                   : QCoreApplication::translate("AuditTrail", "Administrator password removed");
    if (table == QLatin1String("audit_trigger"))
        return QCoreApplication::translate("AuditTrail", "Audit trail triggers restored");
    if (table == QLatin1String("pay_rules"))
        return QCoreApplication::translate("AuditTrail", "Pay rules changed");
    if (table == QLatin1String("payroll_export") && change.action == QLatin1String("insert"))
        return QCoreApplication::translate("AuditTrail", "Hours exported for payroll");
    if (table == QLatin1String("pay_exempt"))
        return change.action == QLatin1String("delete")
                   ? QCoreApplication::translate("AuditTrail", "Overtime paid again")
                   : QCoreApplication::translate("AuditTrail", "Exempt from overtime");
    if (table == QLatin1String("closed_period"))
        return change.action == QLatin1String("insert") ? QCoreApplication::translate("AuditTrail", "Pay period closed")
               : change.action == QLatin1String("delete")
                   ? QCoreApplication::translate("AuditTrail", "Pay period reopened")
                   : QCoreApplication::translate("AuditTrail", "Closed pay period changed");
    const int action = change.action == QLatin1String("insert") ? 0 : change.action == QLatin1String("delete") ? 1 : 2;
    if (const auto found = things.constFind(table); found != things.constEnd())
        return QCoreApplication::translate("AuditTrail", (*found)[std::size_t(action)]);
    return change.table + (action == 0   ? QStringLiteral(" added")
                           : action == 1 ? QStringLiteral(" deleted")
                                         : QStringLiteral(" changed"));
}

QString who(const Change& change)
{
    if (change.program == kOutside)
        return kOutside;
    QStringList parts;
    if (!change.administrator.isEmpty())
        parts << change.administrator;
    const QString user = change.host.isEmpty() ? change.osUser : change.osUser + QLatin1Char('@') + change.host;
    if (!user.isEmpty())
        parts << user;
    parts << change.program;
    return parts.join(QStringLiteral(", "));
}

QString caption(const Change& change, const QString& column)
{
    static const QHash<QString, QString> captions = {
        {QStringLiteral("in1"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "In 1"))},
        {QStringLiteral("out1"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Out 1"))},
        {QStringLiteral("in2"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "In 2"))},
        {QStringLiteral("out2"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Out 2"))},
        {QStringLiteral("in3"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "In 3"))},
        {QStringLiteral("out3"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Out 3"))},
        {QStringLiteral("emp_id"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Employee ID"))},
        {QStringLiteral("emp_lname"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Last Name"))},
        {QStringLiteral("emp_fname"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "First Name"))},
        {QStringLiteral("emp_mname"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Middle Name"))},
        {QStringLiteral("emp_sex"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Sex"))},
        {QStringLiteral("emp_dob"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Date of Birth"))},
        {QStringLiteral("emp_apt"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Appartment"))},
        {QStringLiteral("emp_address"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Address"))},
        {QStringLiteral("city"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "City"))},
        {QStringLiteral("emp_state"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "State"))},
        {QStringLiteral("zip"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Zip"))},
        {QStringLiteral("emp_home_phone"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Home Phone"))},
        {QStringLiteral("emp_work_phone"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Work Phone"))},
        {QStringLiteral("emp_cp"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Mobile Phone"))},
        {QStringLiteral("sss"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Social Security"))},
        {QStringLiteral("job_description"),
         QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Job Definition & Responsibilities"))},
        {QStringLiteral("reg_wage"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Regular Wage"))},
        {QStringLiteral("ot_wage"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Overtime Wage"))},
        {QStringLiteral("date_hired"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Date Hired"))},
        {QStringLiteral("status"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Current Status"))},
        {QStringLiteral("notes"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Notes"))},
        {QStringLiteral("closed_through"), QStringLiteral(QT_TRANSLATE_NOOP("AuditTrail", "Closed Through"))},
    };
    const QString key = column.toLower();
    // The time record's date is its day; elsewhere the column is named as its window names it.
    if (key == QLatin1String("rsdate"))
        return change.table.compare(QLatin1String("timesheet"), Qt::CaseInsensitive) == 0
                   ? QCoreApplication::translate("AuditTrail", "Date")
                   : column;
    const auto found = captions.constFind(key);
    return found == captions.constEnd() ? column
                                        : QCoreApplication::translate("AuditTrail", found->toUtf8().constData());
}

QString shownValue(const QString& column, const QVariant& stored)
{
    if (stored.isNull())
        return QString();
    if (isDateColumn(column)) {
        const QString text = stored.toString();
        const QDate date = QDate::fromString(text, Qt::ISODate);
        return date.isValid() && text.size() == 10 ? ValueForms::showDate(date) : text;
    }
    return ValueForms::showValue(stored);
}

QStringList lineHeadings()
{
    return {QCoreApplication::translate("AuditTrail", "When"),
            QCoreApplication::translate("AuditTrail", "Who"),
            QCoreApplication::translate("AuditTrail", "Employee ID"),
            QCoreApplication::translate("AuditTrail", "Day"),
            QCoreApplication::translate("AuditTrail", "Change"),
            QCoreApplication::translate("AuditTrail", "Field"),
            QCoreApplication::translate("AuditTrail", "Old Value"),
            QCoreApplication::translate("AuditTrail", "New Value")};
}

std::vector<QStringList> shownLines(const Change& change)
{
    const QStringList head = {ValueForms::showDateTime(change.at.toLocalTime()), who(change), storedText(change.empId),
                              shownValue(QStringLiteral("rsdate"), change.day), describe(change)};
    std::vector<QStringList> lines;
    for (const Value& value : change.values) {
        QStringList line = lines.empty() ? head : QStringList(head.size(), QString());
        line << caption(change, value.column) << shownValue(value.column, value.oldValue)
             << shownValue(value.column, value.newValue);
        lines.push_back(line);
    }
    if (lines.empty())
        lines.push_back(head + QStringList(3, QString()));
    return lines;
}

QString csvHeader()
{
    return Csv::line({QStringLiteral("Change"), QStringLiteral("When"), QStringLiteral("When (UTC)"),
                      QStringLiteral("Administrator"), QStringLiteral("OS User"), QStringLiteral("Host"),
                      QStringLiteral("Program"), QStringLiteral("Employee ID"), QStringLiteral("Day"),
                      QStringLiteral("Action"), QStringLiteral("Field"), QStringLiteral("Old Value"),
                      QStringLiteral("New Value")});
}

QString csvLines(const Change& change)
{
    const QStringList head = {QString::number(change.id),
                              change.at.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                              utcText(change.at),
                              change.administrator,
                              change.osUser,
                              change.host,
                              change.program,
                              storedText(change.empId),
                              storedText(change.day),
                              describe(change)};
    QString csv;
    for (const Value& value : change.values)
        csv += Csv::line(
            head + QStringList{caption(change, value.column), storedText(value.oldValue), storedText(value.newValue)});
    return change.values.empty() ? Csv::line(head + QStringList(3, QString())) : csv;
}

bool exportCsv(const Filter& filter, const QString& path, int* written, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    int count = 0;
    bool wrote = file.write(csvHeader().toUtf8()) >= 0;
    QString why;
    const bool done = wrote && readAll(
                                   filter,
                                   [&](const Change& change) {
                                       ++count;
                                       wrote = file.write(csvLines(change).toUtf8()) >= 0;
                                       return wrote;
                                   },
                                   &why);
    if (!done || !wrote || !file.commit()) {
        *error = why.isEmpty() ? file.errorString() : why;
        return false;
    }
    if (written)
        *written = count;
    return true;
}

bool verifyChain(ChainCheck* check, QString* error)
{
    *check = ChainCheck{};
    if (!TrailChain::kept(gConn))
        return true;
    // The heads kept with the closed periods, by entry.
    std::map<qint64, std::pair<QString, QString>> heads;
    {
        Query query;
        if (!query.exec(QStringLiteral("SELECT trail_head_id, trail_head, closed_through FROM closed_period "
                                       "WHERE trail_head_id > 0"))) {
            *error = query.error();
            return false;
        }
        while (query.next())
            heads[query.value(0).toLongLong()] = {query.text(1), query.text(2)};
        if (!query.error().isEmpty()) {
            *error = query.error();
            return false;
        }
    }
    const auto found = [&](qint64 entry, const QString& problem) {
        if (!check->intact && check->entry <= entry)
            return;
        check->intact = false;
        check->entry = entry;
        check->problem = problem.arg(entry);
    };
    const auto headProblem = [&](qint64 entry, const QString& day, bool removed) {
        const QString shown = shownValue(QStringLiteral("closed_through"), day);
        found(entry, (removed ? QCoreApplication::translate("AuditTrail", "Entry %1 of the audit trail, the newest when the pay period through %2 "
                                          "was closed, was removed.")
                              : QCoreApplication::translate("AuditTrail", "Entry %1 of the audit trail, the newest when the pay period through %2 "
                                          "was closed, was changed."))
                         .arg(QStringLiteral("%1"), shown));
    };

    Query query;
    if (!query.exec(QStringLiteral("SELECT id, chain_prev, chain_hash, %1 FROM audit_change ORDER BY id")
                        .arg(StoreDrivers::of(gConn).trailChainText(QStringLiteral("audit_change"))))) {
        *error = query.error();
        return false;
    }
    QString expected; // the hash of the entry before, as the next one must name it
    qint64 before = 0;
    qint64 firstUnchained = 0;
    auto head = heads.cbegin();
    while (check->intact && query.next()) {
        const qint64 id = query.value(0).toLongLong();
        for (; head != heads.cend() && head->first < id; ++head)
            headProblem(head->first, head->second.second, true);
        if (query.isNull(2)) {
            firstUnchained = firstUnchained ? firstUnchained : id;
            ++check->unchained;
            continue;
        }
        // A chained entry after one without a hash: that one's hash was taken away.
        if (firstUnchained) {
            found(firstUnchained, QCoreApplication::translate("AuditTrail", "Entry %1 of the audit trail was changed."));
            break;
        }
        const QString hash = query.text(2);
        const QString previous = query.text(1);
        ++check->checked;
        check->last = id;
        if (TrailChain::link(previous, query.text(3)) != hash)
            found(id, QCoreApplication::translate("AuditTrail", "Entry %1 of the audit trail was changed."));
        else if (previous != expected) {
            if (id - before == 2)
                found(before + 1, QCoreApplication::translate("AuditTrail", "Entry %1 of the audit trail was removed."));
            else if (id - before > 2)
                found(before + 1,
                      QCoreApplication::translate("AuditTrail", "Entries %1 to %2 of the audit trail were removed.")
                          .arg(QStringLiteral("%1"), QString::number(id - 1)));
            else
                found(id, QCoreApplication::translate("AuditTrail", "An entry just before entry %1 of the audit trail was removed."));
        }
        if (head != heads.cend() && head->first == id) {
            if (head->second.first != hash)
                headProblem(id, head->second.second, false);
            ++head;
        }
        expected = hash;
        before = id;
    }
    if (!query.error().isEmpty()) {
        *error = query.error();
        return false;
    }
    if (check->intact) {
        for (; head != heads.cend(); ++head)
            headProblem(head->first, head->second.second, true);
    }
    return true;
}

QString chainLine(const ChainCheck& check)
{
    if (!check.intact)
        return check.problem;
    QString line = check.last == 0
                       ? QCoreApplication::translate("AuditTrail", "Audit trail chain intact (no entries chained yet).")
                       : QCoreApplication::translate("AuditTrail", "Audit trail chain intact (checked through entry %1).")
                             .arg(check.last);
    if (check.unchained > 0)
        line += QLatin1Char(' ') + QCoreApplication::translate("AuditTrail",
                                                               "Newer entries made with other tools (%1) are chained "
                                                               "when the server or the service next starts.")
                                       .arg(check.unchained);
    return line;
}

} // namespace AuditTrail
