#include "core/audit/closedperiods.h"

#include "core/admin/adminpassword.h"
#include "core/clock.h"
#include "core/store/query.h"
#include "core/store/storedriver.h"
#include "core/store/trailchain.h"
#include "core/valueforms.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>

namespace ClosedPeriods {

QString title()
{
    return QCoreApplication::translate("ClosedPeriods", "Pay Period Closed");
}

namespace {

Outcome failed(QString* message, const QString& why)
{
    *message = why;
    return Outcome::Failed;
}

Outcome refused(QString* message, const QString& why)
{
    *message = why;
    return Outcome::Refused;
}

QDate dayOf(const QVariant& value)
{
    if (value.typeId() == QMetaType::QDate)
        return value.toDate();
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().date();
    return ValueForms::readDate(value.toString().trimmed()).value_or(QDate());
}

} // namespace

bool closedThrough(QDate* through, QString* error, const QSqlDatabase& db)
{
    Query query(db);
    if (!query.exec(QStringLiteral("SELECT max(closed_through) FROM closed_period")) || !query.next()) {
        *error = query.error();
        return false;
    }
    *through = query.isNull(0) ? QDate() : dayOf(query.value(0));
    return true;
}

bool isClosed(const QDate& day, QDate* through)
{
    QString error;
    return day.isValid() && closedThrough(through, &error) && through->isValid() && day <= *through;
}

QString refusal(const QDate& through)
{
    return QCoreApplication::translate(
               "ClosedPeriods", "The pay period through %1 is closed: time records of that day and the days before it "
                                "cannot be added, changed or deleted.")
        .arg(ValueForms::showDate(through));
}

Outcome close(const QDate& through, const QString& payRules, QString* message)
{
    if (!through.isValid())
        return refused(message,
                       QCoreApplication::translate("ClosedPeriods", "Choose the last day of the pay period to close."));
    // Punches write today's row whatever happens, so today is never closed.
    if (through >= today())
        return refused(message,
                       QCoreApplication::translate("ClosedPeriods",
                                                   "Only days before today can be closed; punches still write today's "
                                                   "time records. Choose %1 or an earlier day.")
                           .arg(ValueForms::showDate(today().addDays(-1))));
    Transaction transaction;
    if (!transaction.isActive())
        return failed(message, transaction.error());
    QDate current;
    QString why;
    if (!closedThrough(&current, &why))
        return failed(message, why);
    if (current.isValid() && through <= current)
        return refused(
            message, QCoreApplication::translate("ClosedPeriods", "Every day up to and including %1 is closed already.")
                         .arg(ValueForms::showDate(current)));
    // The close keeps the rules and every employee's wages in force, so a reprint shows what was paid, and the
    // audit trail's chain head, so that a chain recomputed later by another tool still disagrees with it.
    std::optional<TrailChain::Head> head = TrailChain::Head{};
    if (TrailChain::kept(gConn) && !(TrailChain::seal(gConn, &why) && (head = TrailChain::head(gConn, &why))))
        return failed(message, why);
    Query insert;
    const QString day = ValueForms::storeDate(through);
    const bool kept = TrailChain::kept(gConn);
    if (!insert.exec(kept ? QStringLiteral("INSERT INTO closed_period (closed_through, pay_rules, trail_head_id, "
                                           "trail_head) VALUES (?, ?, ?, ?)")
                          : QStringLiteral("INSERT INTO closed_period (closed_through, pay_rules) VALUES (?, ?)"),
                     kept ? QVariantList{day, payRules, head->id ? QVariant(head->id) : QVariant(),
                                         head->id ? QVariant(head->hash) : QVariant()}
                          : QVariantList{day, payRules}) ||
        !insert.exec(QStringLiteral("INSERT INTO closed_period_wage (closed_through, emp_id, reg_wage, ot_wage) "
                                    "SELECT c.closed_through, e.emp_id, e.reg_wage, e.ot_wage FROM closed_period AS c, "
                                    "Employee AS e WHERE c.closed_through = ?"),
                     {day}))
        return failed(message, insert.error());
    if (!transaction.commit())
        return failed(message, transaction.error());
    *message = QCoreApplication::translate("ClosedPeriods", "Every day up to and including %1 is closed.")
                   .arg(ValueForms::showDate(through));
    return Outcome::Done;
}

Outcome reopen(const QString& password, QDate* through, QString* message)
{
    Query admin;
    if (!admin.exec(QStringLiteral("SELECT password FROM admin ORDER BY id LIMIT 1")))
        return failed(message, admin.error());
    const QVariant stored = admin.next() ? admin.value(0) : QVariant();
    if (!AdminPassword::matches(stored, password))
        return refused(message, QCoreApplication::translate(
                                    "ClosedPeriods", "Incorrect administrator password. The pay period stays closed."));

    Transaction transaction;
    if (!transaction.isActive())
        return failed(message, transaction.error());
    Query latest;
    if (!latest.exec(QStringLiteral("SELECT id, closed_through FROM closed_period "
                                    "ORDER BY closed_through DESC, id DESC LIMIT 1")))
        return failed(message, latest.error());
    if (!latest.next())
        return latest.error().isEmpty()
                   ? refused(message, QCoreApplication::translate("ClosedPeriods", "No pay period is closed."))
                   : failed(message, latest.error());
    const QVariant id = latest.value(0);
    const QDate reopened = dayOf(latest.value(1));
    Query remove;
    QString why;
    if (!remove.exec(QStringLiteral("DELETE FROM closed_period WHERE id = ?"), {id}) ||
        !remove.exec(QStringLiteral("DELETE FROM closed_period_wage WHERE closed_through = ?"),
                     {ValueForms::storeDate(reopened)}) ||
        !closedThrough(through, &why))
        return failed(message, why.isEmpty() ? remove.error() : why);
    if (!transaction.commit())
        return failed(message, transaction.error());
    *message =
        through->isValid()
            ? QCoreApplication::translate("ClosedPeriods",
                                          "The pay period through %1 is open again; every day up to and "
                                          "including %2 stays closed.")
                  .arg(ValueForms::showDate(reopened), ValueForms::showDate(*through))
            : QCoreApplication::translate("ClosedPeriods", "The pay period through %1 is open again; no day is closed.")
                  .arg(ValueForms::showDate(reopened));
    return Outcome::Done;
}

Outcome changeTimeRecords(const QVariantList& days, const std::function<bool(QString* error)>& write, QString* message)
{
    // The check and the change in one transaction: a period closed in between cannot slip through.
    Transaction transaction;
    if (!transaction.isActive())
        return failed(message, transaction.error());
    QDate through;
    QString why;
    if (!closedThrough(&through, &why))
        return failed(message, why);
    for (const QVariant& value : days) {
        const QDate day = dayOf(value);
        if (through.isValid() && day.isValid() && day <= through)
            return refused(message, refusal(through));
    }
    if (!write(&why))
        return failed(message, why);
    if (!transaction.commit())
        return failed(message, transaction.error());
    return Outcome::Done;
}

} // namespace ClosedPeriods
