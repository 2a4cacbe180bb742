#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <QVariant>
#include <optional>

// Text forms of dates, times and numbers: what people see and type, and what the store keeps.
namespace ValueForms {

// Shown to people.
QString showDate(const QDate& date);         // MM/dd/yyyy
QString showTime(const QTime& time);         // HH:mm:ss
QString showDateTime(const QDateTime& when); // MM/dd/yyyy HH:mm:ss
QString showDuration(qint64 minutes);        // h:mm, hours without a bound ("31:10"); 0:00 below zero

// The placeholder of an empty date box and the text of a blank time slot.
inline const QString kDatePlaceholder = QStringLiteral("MM/DD/YYYY");
// The form dates are shown in (date pickers take it as their display format).
inline const QString kDateForm = QStringLiteral("MM/dd/yyyy");
inline const QString kBlankTime = QStringLiteral("00:00:00");

// Typed by people: dates as M/d/yyyy, MM/dd/yyyy or yyyy-MM-dd; times as H:mm:ss; numbers as plain decimals.
std::optional<QDate> readDate(const QString& text);
std::optional<QTime> readTime(const QString& text);
std::optional<double> readNumber(const QString& text);

// Kept in the store: dates yyyy-MM-dd, times HH:mm:ss.
QString storeDate(const QDate& date);
QString storeTime(const QTime& time);

// A time of day as the store holds it: the stored form, or any form a person may have typed ("8:00:00").
// Invalid when the text is neither. Every reader of stored times goes through this one, so a window and
// both reports always agree on what a slot says.
QTime storedTime(const QString& text);
// The same for the stored text's UTF-8 bytes, as the reports read them straight from the store.
QTime storedTime(QByteArrayView utf8);

// Shows any stored value as text for a box or a list cell: Null as empty, dates and times in their shown forms.
QString showValue(const QVariant& value);

} // namespace ValueForms
