#pragma once

#include "core/store/database.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTime>
#include <optional>
#include <vector>

class RecordSet;

// What a punch came to.
struct PunchResult
{
    enum class Outcome {
        NotFound,    // no employee has the ID
        SignedIn,    // an in slot was filled
        SignedOut,   // an out slot was filled
        NoFreeSlot,  // the day's six slots are used; nothing written
        CaseOnly,    // the lookup matched only without regard to case; nothing written, nothing answered
        StoreFailed, // the store refused the write; nothing was recorded
    };

    Outcome outcome = Outcome::NotFound;
    QString name;  // first name, a blank, last name (when the employee was found)
    QTime time;    // the punch time (signed in or out)
    QString error; // why the store failed
};

namespace Punch {

// The employee looked up, exactly, among rows read earlier (a snapshot the caller holds).
PunchResult recordFromLoadedEmployees(RecordSet& employees, const QString& id);

// The clock window's way: the ID looked up in the store when it is typed, so an employee added while the
// window is open can punch at once; the punch counts now.
PunchResult recordFromClock(const QString& id);

// A terminal's way: a fresh lookup of the employee in the store, then the exact comparison. The punch counts
// at the given time (now when none is given).
PunchResult recordFromTerminal(const QString& id, const QDateTime& at = QDateTime());

// A punch as it arrived from a terminal: the ID and when it came.
struct TerminalPunch
{
    QString id;
    QDateTime at;
};

// Terminal punches that arrived together, in order, stored in one transaction and so with one wait for the
// disk. Should any of them fail, the group is undone and every punch is recorded on its own, so one failure
// costs no other punch. Nothing waits for another program's lock: the results cover the punches handled, in
// the same order, and stop at the first one that lock holds up (nothing of it and the rest was written).
// A statement that meets another session's lock holds the punch up in the same way. On the connection given
// (the punches' own, on a thread of their own, or gConn).
std::vector<PunchResult> recordBatchFromTerminals(const std::vector<TerminalPunch>& punches,
                                                  const QSqlDatabase& db = gConn);

// What a terminal's punch comes to when it would write nothing (an unknown ID, a case-only match, a full
// day), read without taking the write lock; nothing when it would write or the store could not tell.
std::optional<PunchResult> resultWithoutWriting(const TerminalPunch& punch, const QSqlDatabase& db = gConn);

// The employee's name as punches show it.
QString employeeName(const RecordSet& employee);

} // namespace Punch
