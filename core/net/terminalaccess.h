#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>
#include <optional>

// Which terminals the server takes: the allowed terminals (addresses and ranges kept in the table
// allowed_terminals), whether others are taken too, whether a terminal may connect without encryption, and
// the site key encrypted terminals use.
namespace TerminalAccess {

struct Allowed
{
    QString address; // the stored form: "192.168.1.20", "192.168.1.0/24", "2001:db8::/32"
    QString description;
};

// The stored form of a typed address or range, or nothing with a message saying what is wrong. A range's
// address is cut to its network ("192.168.1.7/24" is 192.168.1.0/24); an IPv4 address written as IPv6
// (::ffff:192.0.2.7) is stored as IPv4. A number with a leading zero ("010.1.2.3") is refused: some programs
// read it as octal, so it would not mean the same address everywhere.
std::optional<QString> normalize(const QString& text, QString* error);
// What the operator should confirm before an entry in the stored form is added, empty when nothing: a range
// that takes in every address.
QString warning(const QString& stored);

class AllowedList
{
public:
    AllowedList() = default;
    // Entries as stored. One that does not read as an address or range (written by another program) allows
    // nobody, and still counts as an entry: the list is not empty because of it.
    explicit AllowedList(const QStringList& entries);
    bool isEmpty() const { return m_ranges.isEmpty() && m_unreadable.isEmpty(); }
    // The entries that could not be read, as stored.
    QStringList unreadable() const { return m_unreadable; }
    // An IPv4 peer on an IPv6 socket (::ffff:192.0.2.7) counts as its IPv4 address.
    bool contains(const QHostAddress& address) const;
    bool operator==(const AllowedList&) const = default;

private:
    QList<QPair<QHostAddress, int>> m_ranges;
    QStringList m_unreadable;
};

// The list on gConn, in the order the entries were added.
bool read(QList<Allowed>* entries, QString* error);
// Adds an entry (normalised first); refused with a message when it is not an address or range, or already
// listed.
bool add(const Allowed& entry, QString* error);
bool remove(const QString& address, QString* error);
// The site key as stored (empty when none was made); false, with the reason, when it cannot be read.
bool readSiteKey(QString* key, QString* error);
// Stores the site key (SiteKey's written form); terminals connected with another key are closed.
bool setSiteKey(const QString& key, QString* error);

// An on/off setting (Settings::kAcceptUnknownTerminals, kAcceptPlainTerminals): on unless set off.
bool isOn(const QString& setting);
bool setOn(const QString& setting, bool on, QString* error);

struct Rules
{
    AllowedList allowed;
    bool acceptUnknown = true; // a terminal not in the list is taken (after the operator is told)
    bool acceptPlain = true;   // a terminal without encryption is taken
    QByteArray siteKey;        // empty until one is made: encrypted terminals are then refused
    bool operator==(const Rules&) const = default;
};

// Who is there to accept an unknown terminal. Without an operator (the service) unknown terminals are taken
// only while the allowed list is empty.
enum class Operator { Present, Absent };

// The rules as stored on gConn; nothing, with the reason, when they cannot be read (a setting that cannot be
// read is not taken as its default).
std::optional<Rules> readRules(Operator who, QString* error);

// Tells the terminal listener of this program at once when the rules were changed here; changes made by other
// programs are found by reading the rules again.
class Changes : public QObject
{
    Q_OBJECT
Q_SIGNALS:
    void changed();
};
Changes& changes();

} // namespace TerminalAccess
