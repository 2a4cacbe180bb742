#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QString>
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
// (::ffff:192.0.2.7) is stored as IPv4.
std::optional<QString> normalize(const QString& text, QString* error);

class AllowedList
{
public:
    AllowedList() = default;
    // Entries in the stored form; any other text allows nothing.
    explicit AllowedList(const QStringList& entries);
    bool isEmpty() const { return m_ranges.isEmpty(); }
    // An IPv4 peer on an IPv6 socket (::ffff:192.0.2.7) counts as its IPv4 address.
    bool contains(const QHostAddress& address) const;

private:
    QList<QPair<QHostAddress, int>> m_ranges;
};

// The list on gConn, in the order the entries were added.
bool read(QList<Allowed>* entries, QString* error);
// Adds an entry (normalised first); refused with a message when it is not an address or range, or already
// listed.
bool add(const Allowed& entry, QString* error);
bool remove(const QString& address, QString* error);

// An on/off setting (Settings::kAcceptUnknownTerminals, kAcceptPlainTerminals): on unless set off.
bool isOn(const QString& setting);
bool setOn(const QString& setting, bool on, QString* error);

struct Rules
{
    AllowedList allowed;
    bool acceptUnknown = true; // a terminal not in the list is taken (after the operator is told)
    bool acceptPlain = true;   // a terminal without encryption is taken
    QByteArray siteKey;        // empty until one is made: encrypted terminals are then refused
};

// Who is there to accept an unknown terminal. Without an operator (the service) unknown terminals are taken
// only while the allowed list is empty.
enum class Operator { Present, Absent };

// The rules as stored on gConn; nothing, with the reason, when they cannot be read.
std::optional<Rules> readRules(Operator who, QString* error);

} // namespace TerminalAccess
