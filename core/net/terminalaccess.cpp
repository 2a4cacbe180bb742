#include "core/net/terminalaccess.h"

#include "core/net/sitekey.h"
#include "core/settings.h"
#include "core/store/database.h"
#include "core/store/query.h"

#include <QCoreApplication>
#include <QHash>
#include <QRegularExpression>

namespace TerminalAccess {

namespace {

const QString kExamples = QCoreApplication::translate(
    "TerminalAccess", "Type an address such as 192.168.1.20 or 2001:db8::20, or a range such as 192.168.1.0/24.");

// An IPv4 address written as IPv6 (::ffff:192.0.2.7) as plain IPv4; every other address as it is. Only the
// mapped form counts: "::" is IPv6's every-address, not IPv4's 0.0.0.0.
QHostAddress plainIPv4(const QHostAddress& address)
{
    if (address.protocol() != QAbstractSocket::IPv6Protocol)
        return address;
    const Q_IPV6ADDR bytes = address.toIPv6Address();
    for (int i = 0; i < 12; ++i) {
        if (bytes[i] != (i < 10 ? 0 : 0xff))
            return address;
    }
    return QHostAddress(quint32(bytes[12]) << 24 | quint32(bytes[13]) << 16 | quint32(bytes[14]) << 8 | bytes[15]);
}

// A dotted number written with a leading zero ("010"), which some programs read as octal and others as decimal.
bool leadingZero(const QString& text)
{
    const QString dotted = text.mid(text.lastIndexOf(QLatin1Char(':')) + 1);
    for (const QString& number : dotted.split(QLatin1Char('.'))) {
        if (number.size() > 1 && number.startsWith(QLatin1Char('0')))
            return true;
    }
    return false;
}

} // namespace

std::optional<QString> normalize(const QString& text, QString* error)
{
    const QString typed = text.trimmed();
    const auto refuse = [&](const QString& why) -> std::optional<QString> {
        *error = why + QLatin1Char(' ') + kExamples;
        return std::nullopt;
    };
    if (typed.isEmpty())
        return refuse(QCoreApplication::translate("TerminalAccess", "No address was typed."));
    const qsizetype slash = typed.indexOf(QLatin1Char('/'));
    const QString addressPart = slash < 0 ? typed : typed.left(slash);
    // Shortened IPv4 forms ("10.1") and interface-scoped IPv6 addresses would match other hosts than the ones
    // typed seem to mean.
    static const QRegularExpression fullIPv4(QStringLiteral("^[0-9]{1,3}(\\.[0-9]{1,3}){3}$"));
    QHostAddress address;
    if (addressPart.contains(QLatin1Char('%')) ||
        (!addressPart.contains(QLatin1Char(':')) && !fullIPv4.match(addressPart).hasMatch()) ||
        !address.setAddress(addressPart))
        return refuse(
            QCoreApplication::translate("TerminalAccess", "\"%1\" is not an IP address.").arg(addressPart.left(64)));
    if (leadingZero(addressPart))
        return refuse(
            QCoreApplication::translate("TerminalAccess",
                                        "\"%1\" has a number with a leading zero, which some programs read as octal: "
                                        "write it without the zero.")
                .arg(addressPart.left(64)));
    address = plainIPv4(address);
    if (slash < 0)
        return address.toString();

    const QString maskPart = typed.mid(slash + 1);
    const int bits = address.protocol() == QAbstractSocket::IPv4Protocol ? 32 : 128;
    static const QRegularExpression prefix(QStringLiteral("^[0-9]{1,3}$"));
    const auto range = prefix.match(maskPart).hasMatch() || fullIPv4.match(maskPart).hasMatch()
                           ? QHostAddress::parseSubnet(address.toString() + QLatin1Char('/') + maskPart)
                           : qMakePair(QHostAddress(), -1);
    if (range.second < 0 || leadingZero(maskPart))
        return refuse(QCoreApplication::translate("TerminalAccess",
                                                  "\"/%1\" is not a range: write the number of leading bits, 0 to %2.")
                          .arg(maskPart.left(64))
                          .arg(bits));
    return range.first.toString() + QLatin1Char('/') + QString::number(range.second);
}

QString warning(const QString& stored)
{
    const auto range = QHostAddress::parseSubnet(stored);
    if (range.second != 0)
        return QString();
    return QCoreApplication::translate(
               "TerminalAccess", "%1 takes in every %2 address: every terminal that can reach this computer, from any "
                                 "network, would be greeted as an allowed one.")
        .arg(stored,
             range.first.protocol() == QAbstractSocket::IPv4Protocol ? QStringLiteral("IPv4") : QStringLiteral("IPv6"));
}

AllowedList::AllowedList(const QStringList& entries)
{
    // Stored entries are read as typed ones are, so a script's "010.1.2.3" means no address rather than a
    // guess at one.
    for (const QString& entry : entries) {
        QString unused;
        const std::optional<QString> normal = normalize(entry, &unused);
        const auto range = normal ? QHostAddress::parseSubnet(*normal) : qMakePair(QHostAddress(), -1);
        if (range.second >= 0)
            m_ranges.append(range);
        else
            m_unreadable.append(entry);
    }
}

bool AllowedList::contains(const QHostAddress& address) const
{
    const QHostAddress peer = plainIPv4(address);
    for (const auto& range : m_ranges) {
        if (peer.isInSubnet(range.first, range.second))
            return true;
    }
    return false;
}

bool read(QList<Allowed>* entries, QString* error)
{
    entries->clear();
    if (!Database::isOpen()) {
        *error = QCoreApplication::translate("TerminalAccess", "No database is open");
        return false;
    }
    Query query;
    if (!query.exec(QStringLiteral("SELECT address, description FROM allowed_terminals ORDER BY id"))) {
        *error = query.error();
        return false;
    }
    while (query.next())
        entries->append({query.text(0), query.text(1)});
    if (!query.error().isEmpty()) {
        *error = query.error();
        return false;
    }
    return true;
}

bool add(const Allowed& entry, QString* error)
{
    const std::optional<QString> address = normalize(entry.address, error);
    if (!address)
        return false;
    Transaction transaction;
    if (!transaction.isActive()) {
        *error = transaction.error();
        return false;
    }
    Query listed;
    if (!listed.exec(QStringLiteral("SELECT count(*) FROM allowed_terminals WHERE address = ?"), {*address}) ||
        !listed.next()) {
        *error = listed.error();
        return false;
    }
    if (listed.value(0).toLongLong() > 0) {
        *error = QCoreApplication::translate("TerminalAccess", "%1 is already in the list.").arg(*address);
        return false;
    }
    Query insert;
    if (!insert.exec(QStringLiteral("INSERT INTO allowed_terminals (address, description) VALUES (?, ?)"),
                     {*address, entry.description.trimmed()})) {
        *error = insert.error();
        return false;
    }
    if (!transaction.commit()) {
        *error = transaction.error();
        return false;
    }
    Q_EMIT changes().changed();
    return true;
}

bool remove(const QString& address, QString* error)
{
    Transaction transaction;
    if (!transaction.isActive()) {
        *error = transaction.error();
        return false;
    }
    Query query;
    if (!query.exec(QStringLiteral("DELETE FROM allowed_terminals WHERE address = ?"), {address})) {
        *error = query.error();
        return false;
    }
    if (!transaction.commit()) {
        *error = transaction.error();
        return false;
    }
    Q_EMIT changes().changed();
    return true;
}

bool isOn(const QString& setting)
{
    return Settings::value(setting).value_or(QStringLiteral("1")) != QLatin1String("0");
}

bool setOn(const QString& setting, bool on, QString* error)
{
    if (!Settings::setValue(setting, on ? QStringLiteral("1") : QStringLiteral("0"), error))
        return false;
    Q_EMIT changes().changed();
    return true;
}

bool setSiteKey(const QString& key, QString* error)
{
    if (!Settings::setValue(Settings::kTerminalSiteKey, key, error))
        return false;
    Q_EMIT changes().changed();
    return true;
}

namespace {

// The access settings as stored (lower-case names); a setting that is not set is absent.
bool readSettings(QHash<QString, QString>* values, QString* error)
{
    Query query;
    if (!query.exec(QStringLiteral("SELECT name, value FROM settings WHERE name IN (?, ?, ?)"),
                    {Settings::kAcceptUnknownTerminals, Settings::kAcceptPlainTerminals, Settings::kTerminalSiteKey})) {
        *error = query.error();
        return false;
    }
    while (query.next())
        values->insert(query.text(0).toLower(), query.text(1));
    if (!query.error().isEmpty()) {
        *error = query.error();
        return false;
    }
    return true;
}

} // namespace

bool readSiteKey(QString* key, QString* error)
{
    QHash<QString, QString> settings;
    if (!readSettings(&settings, error))
        return false;
    *key = settings.value(Settings::kTerminalSiteKey);
    return true;
}

std::optional<Rules> readRules(Operator who, QString* error)
{
    QList<Allowed> entries;
    QHash<QString, QString> settings;
    if (!read(&entries, error) || !readSettings(&settings, error))
        return std::nullopt;
    QStringList addresses;
    for (const Allowed& entry : entries)
        addresses << entry.address;
    const auto on = [&](const QString& setting) {
        return settings.value(setting, QStringLiteral("1")) != QLatin1String("0");
    };
    Rules rules;
    rules.allowed = AllowedList(addresses);
    rules.acceptUnknown = who == Operator::Present ? on(Settings::kAcceptUnknownTerminals) : rules.allowed.isEmpty();
    rules.acceptPlain = on(Settings::kAcceptPlainTerminals);
    rules.siteKey = SiteKey::parse(settings.value(Settings::kTerminalSiteKey)).value_or(QByteArray());
    return rules;
}

Changes& changes()
{
    static Changes instance;
    return instance;
}

} // namespace TerminalAccess
