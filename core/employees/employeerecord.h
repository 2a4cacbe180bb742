#pragma once

#include <QDate>
#include <QString>
#include <QVariant>
#include <utility>
#include <vector>

class RecordSet;

// The rules by which the record window loads an employee row into its boxes and writes the boxes back.
namespace EmployeeRecord {

// What the record window's boxes hold, as typed.
struct Fields
{
    QString empId;
    QString lastName;
    QString firstName;
    QString middleName;
    QString sex;
    QString birthDate;
    QString apartment;
    QString address;
    QString city;
    QString state;
    QString zip;
    QString homePhone;
    QString workPhone;
    QString mobilePhone;
    QString socialSecurity;
    QString jobDescription;
    QString regularWage;
    QString overtimeWage;
    QString dateHired;
    bool active = false;
    QString notes;
};

// "Save" adds a new row; "Update" changes the current one. They differ only in an empty middle name.
enum class Write { Save, Update };

using ColumnValues = std::vector<std::pair<QString, QVariant>>;

// The twenty-one columns in the order they are written, each with the value the boxes give it.
ColumnValues columnValues(const Fields& fields, Write write, const QDate& today);

// The message for the first required box left empty ("Save" only), or the empty text when all are filled.
QString missingRequired(const Fields& fields);

// The boxes' contents for the current row of a record set over Employee.
Fields fromRow(const RecordSet& employees);

// Moves to the first row whose emp_id equals the ID exactly, letter case included; EOF when none does.
bool findExact(RecordSet& employees, const QString& id);

// Writes the boxes as a new row (Save) or into the current row (Update). Nothing is written when the store
// refuses a value; error then says why.
bool write(RecordSet& employees, const Fields& fields, Write mode, const QDate& today, QString* error);

// Deletes every row of the set whose emp_id equals the key exactly. Stops at the first refused delete.
bool deleteExact(RecordSet& employees, const QString& key, QString* error);

// "First Last", as punches, lists and reports show an employee; a missing part leaves its blank in place.
QString displayName(const QVariant& first, const QVariant& last);

} // namespace EmployeeRecord
