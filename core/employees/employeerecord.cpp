#include "core/employees/employeerecord.h"

#include "core/store/recordset.h"
#include "core/valueforms.h"

#include <QCoreApplication>
#include <tuple>

namespace EmployeeRecord {

namespace {

// An empty optional box is written as one blank, as the records have always held it.
QVariant blankIfEmpty(const QString& text)
{
    return text.isEmpty() ? QStringLiteral(" ") : text;
}

QVariant dateOrToday(const QString& text, const QDate& today)
{
    if (text == ValueForms::kDatePlaceholder)
        return today;
    return text;
}

QString shownDate(const QVariant& value)
{
    return value.isNull() ? ValueForms::kDatePlaceholder : ValueForms::showValue(value);
}

QString shownWage(const QVariant& value)
{
    return value.isNull() ? QStringLiteral("0") : ValueForms::showValue(value);
}

// The store names the column it refused; people know the box by its caption.
QString inCaptions(QString error)
{
    static const std::pair<const char*, const char*> captions[] = {
        {"emp_dob", "Date of Birth"}, {"date_hired", "Date Hired"}, {"reg_wage", "Regular Wage"},
        {"ot_wage", "Overtime Wage"}, {"status", "Current Status"},
    };
    for (const auto& [column, caption] : captions)
        error.replace(QStringLiteral(" for %1.").arg(QLatin1String(column)),
                      QCoreApplication::translate("EmployeeRecord", " for %1.").arg(QLatin1String(caption)));
    return error;
}

// The store keeps an empty date or wage box as no value at all, and a wage without a value pays 0: an
// empty box is refused like any other text the store cannot read. The untouched placeholder still means
// today's date.
QString emptyNumberOrDate(const Fields& f)
{
    const QString date = QCoreApplication::translate(
                             "EmployeeRecord", "a date such as 01/31/1990, or leave %1 in the box for today's date")
                             .arg(ValueForms::kDatePlaceholder);
    const QString wage =
        QCoreApplication::translate("EmployeeRecord", "a plain decimal number such as 12.50, or 0 for no wage");
    const std::tuple<const QString&, const char*, const QString&> boxes[] = {
        {f.birthDate, "Date of Birth", date},
        {f.regularWage, "Regular Wage", wage},
        {f.overtimeWage, "Overtime Wage", wage},
        {f.dateHired, "Date Hired", date},
    };
    for (const auto& [text, caption, form] : boxes) {
        if (text.trimmed().isEmpty())
            return QCoreApplication::translate("EmployeeRecord", "%1 is empty. Type it as %2.")
                .arg(QLatin1String(caption), form);
    }
    return QString();
}

} // namespace

ColumnValues columnValues(const Fields& f, Write write, const QDate& today)
{
    const QString middle = f.middleName.trimmed();
    return {
        {QStringLiteral("emp_id"), f.empId.trimmed()},
        {QStringLiteral("emp_lname"), f.lastName.trimmed()},
        {QStringLiteral("emp_fname"), f.firstName.trimmed()},
        {QStringLiteral("emp_mname"), write == Write::Update ? blankIfEmpty(middle) : QVariant(middle)},
        {QStringLiteral("emp_sex"), blankIfEmpty(f.sex)},
        {QStringLiteral("emp_dob"), dateOrToday(f.birthDate, today)},
        {QStringLiteral("emp_apt"), blankIfEmpty(f.apartment)},
        {QStringLiteral("emp_address"), blankIfEmpty(f.address)},
        {QStringLiteral("city"), blankIfEmpty(f.city)},
        {QStringLiteral("emp_state"), blankIfEmpty(f.state)},
        {QStringLiteral("zip"), blankIfEmpty(f.zip)},
        {QStringLiteral("emp_home_phone"), blankIfEmpty(f.homePhone)},
        {QStringLiteral("emp_work_phone"), blankIfEmpty(f.workPhone)},
        {QStringLiteral("emp_cp"), blankIfEmpty(f.mobilePhone)},
        {QStringLiteral("sss"), blankIfEmpty(f.socialSecurity)},
        {QStringLiteral("Job_Description"), blankIfEmpty(f.jobDescription)},
        {QStringLiteral("reg_wage"), f.regularWage},
        {QStringLiteral("ot_wage"), f.overtimeWage},
        {QStringLiteral("date_hired"), dateOrToday(f.dateHired, today)},
        {QStringLiteral("status"), qint32(f.active ? 1 : 0)},
        {QStringLiteral("Notes"), blankIfEmpty(f.notes)},
    };
}

QString missingRequired(const Fields& fields)
{
    // Only a box with no text at all counts as empty; blanks pass.
    if (fields.empId.isEmpty())
        return QCoreApplication::translate("EmployeeRecord", "Employee ID Empty");
    if (fields.lastName.isEmpty())
        return QCoreApplication::translate("EmployeeRecord", "Employee Last Name Empty");
    if (fields.firstName.isEmpty())
        return QCoreApplication::translate("EmployeeRecord", "Employee First Name Empty");
    return QString();
}

Fields fromRow(const RecordSet& rs)
{
    auto text = [&rs](const char* column) { return ValueForms::showValue(rs.value(QLatin1String(column))); };
    Fields f;
    f.empId = text("emp_id");
    f.lastName = text("emp_lname");
    f.firstName = text("emp_fname");
    f.middleName = text("emp_mname");
    f.sex = text("emp_sex");
    f.birthDate = shownDate(rs.value(QStringLiteral("emp_dob")));
    f.apartment = text("emp_apt");
    f.address = text("emp_address");
    f.city = text("city");
    f.state = text("emp_state");
    f.zip = text("zip");
    f.homePhone = text("emp_home_phone");
    f.workPhone = text("emp_work_phone");
    f.mobilePhone = text("emp_cp");
    f.socialSecurity = text("sss");
    f.jobDescription = text("Job_Description");
    f.regularWage = shownWage(rs.value(QStringLiteral("reg_wage")));
    f.overtimeWage = shownWage(rs.value(QStringLiteral("ot_wage")));
    f.dateHired = shownDate(rs.value(QStringLiteral("date_hired")));
    f.active = rs.value(QStringLiteral("status")).toLongLong() != 0;
    f.notes = text("Notes");
    return f;
}

bool findExact(RecordSet& rs, const QString& id)
{
    // The program's own comparison is exact, unlike SQL's case-blind one; a Null ID matches nothing.
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
        const QVariant have = rs.value(QStringLiteral("emp_id"));
        if (!have.isNull() && have.toString() == id)
            return true;
    }
    return false;
}

bool write(RecordSet& rs, const Fields& fields, Write mode, const QDate& today, QString* error)
{
    if (mode == Write::Update && (rs.bof() || rs.eof())) {
        if (error)
            *error =
                QCoreApplication::translate("EmployeeRecord", "No employee is loaded, so there is nothing to update. "
                                                              "Find the employee with Search first.");
        return false;
    }
    if (const QString empty = emptyNumberOrDate(fields); !empty.isEmpty()) {
        if (error)
            *error = empty;
        return false;
    }
    if (mode == Write::Save)
        rs.addNew();
    for (const auto& [column, value] : columnValues(fields, mode, today)) {
        if (!rs.setValue(column, value)) {
            if (error)
                *error = rs.lastError();
            rs.cancelUpdate();
            return false;
        }
    }
    if (!rs.update()) {
        if (error)
            *error = inCaptions(rs.lastError());
        rs.cancelUpdate();
        return false;
    }
    return true;
}

bool deleteExact(RecordSet& rs, const QString& key, QString* error)
{
    for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
        const QVariant have = rs.value(QStringLiteral("emp_id"));
        if (have.isNull() || have.toString() != key)
            continue;
        if (!rs.deleteCurrent()) {
            if (error)
                *error = rs.lastError();
            return false;
        }
    }
    return true;
}

QString displayName(const QVariant& first, const QVariant& last)
{
    return first.toString() + QLatin1Char(' ') + last.toString();
}

} // namespace EmployeeRecord
