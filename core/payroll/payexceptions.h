#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <vector>

// The pay-period check: time records that would be paid wrong without a word (a forgotten punch, a pair
// typed backwards, a slot that is not a time, a pair too long to be true, the editor's old blank boxes),
// listed per employee and day so they are corrected before the period is paid and closed.
namespace PayExceptions {

enum class Kind {
    MissingPunch, // an in without an out on a day that is over, or an out without an in
    OutBeforeIn,  // an out earlier than its in that is not a shift across midnight
    NotATime,     // a slot whose stored text is not a time of day
    LongPair,     // a pair longer than the long-pair limit
    EditorBlanks, // 00:00:00 where the editor stored a blank box: a 00:00:00 pair, or an out of 00:00:00 after a
                  // daytime in (never a shift across midnight)
};

// The kind in words, as the window, the CSV and the text list show it.
QString kindText(Kind kind);

struct Exception
{
    QString empId;
    QString name; // empty when no employee has the ID
    QDate day;
    int pair = 0; // 1, 2 or 3; 0 for the day as a whole
    Kind kind = Kind::MissingPunch;
    QString detail;
};

// What the check needs of the pay rules.
struct Limits
{
    double nightShiftHours = 0; // 0: shifts never cross midnight
    double longPairHours = 12;
};

// One time record as stored.
struct Sheet
{
    QString empId;
    QDate day;
    std::array<QVariant, 6> slots; // in1, out1, in2, out2, in3, out3
};

// The exceptions of one record at the moment `now`, appended in pair order.
void check(const Sheet& sheet, const Limits& limits, const QDateTime& now, std::vector<Exception>* found);

struct Request
{
    QDate from;
    QDate to;
    QStringList empIds; // exactly these employees, in this order; every employee when empty
    QString site = {};  // only the days whose first punch was at this site; empty for every site
};

// The limits of the pay rules in force.
bool readLimits(Limits* limits, QString* error);

// The exceptions of the days and employees, by employee, day and pair, under the pay rules in force and now.
bool find(const Request& request, std::vector<Exception>* found, QString* error);

// With night shifts on, the pairs of the days up to `through` that are open and began within the night-shift
// hours before now: their out punch still belongs to that day. None with night shifts off.
bool openShifts(const QDate& through, std::vector<Exception>* open, QString* error);

// The list for payroll software (ISO dates) and as aligned text for people.
QString csv(const std::vector<Exception>& found);
QString text(const Request& request, const std::vector<Exception>& found);

} // namespace PayExceptions
