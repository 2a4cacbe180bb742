#include "core/net/terminalaccess.h"

#include "core/net/sitekey.h"
#include "core/settings.h"
#include "core/store/database.h"
#include "core/store/query.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace TerminalAccess {

namespace {

const QString kExamples = QCoreApplication::translate(
    "TerminalAccess", "Type an address such as 192.168.1.20 or 2001:db8::20, or a range such as 192.168.1.0/24.");

QHostAddress plainIPv4(const QHostAddress& address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4) : address;
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
    static const QRegularExpression fullIPv4(QStringLiteral("^\\d{1,3}(\\.\\d{1,3}){3}$"));
    QHostAddress address;
    if (addressPart.contains(QLatin1Char('%')) ||
        (!addressPart.contains(QLatin1Char(':')) && !fullIPv4.match(addressPart).hasMatch()) ||
        !address.setAddress(addressPart))
        return refuse(
            QCoreApplication::translate("TerminalAccess", "\"%1\" is not an IP address.").arg(addressPart.left(64)));
    address = plainIPv4(address);
    if (slash < 0)
        return address.toString();

    const QString maskPart = typed.mid(slash + 1);
    const int bits = address.protocol() == QAbstractSocket::IPv4Protocol ? 32 : 128;
    const auto range = QHostAddress::parseSubnet(address.toString() + QLatin1Char('/') + maskPart);
    if (range.second < 0)
        return refuse(QCoreApplication::translate("TerminalAccess",
                                                  "\"/%1\" is not a range: write the number of leading bits, 0 to %2.")
                          .arg(maskPart.left(64))
                          .arg(bits));
    return range.first.toString() + QLatin1Char('/') + QString::number(range.second);
}

AllowedList::AllowedList(const QStringList& entries)
{
    for (const QString& entry : entries) {
        const auto range = QHostAddress::parseSubnet(entry);
        if (range.second >= 0)
            m_ranges.append(range);
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
    return true;
}

bool isOn(const QString& setting)
{
    return Settings::value(setting).value_or(QStringLiteral("1")) != QLatin1String("0");
}

bool setOn(const QString& setting, bool on, QString* error)
{
    return Settings::setValue(setting, on ? QStringLiteral("1") : QStringLiteral("0"), error);
}

std::optional<Rules> readRules(Operator who, QString* error)
{
    QList<Allowed> entries;
    if (!read(&entries, error))
        return std::nullopt;
    QStringList addresses;
    for (const Allowed& entry : entries)
        addresses << entry.address;
    Rules rules;
    rules.allowed = AllowedList(addresses);
    rules.acceptUnknown = who == Operator::Present ? isOn(Settings::kAcceptUnknownTerminals) : rules.allowed.isEmpty();
    rules.acceptPlain = isOn(Settings::kAcceptPlainTerminals);
    rules.siteKey =
        SiteKey::parse(Settings::value(Settings::kTerminalSiteKey).value_or(QString())).value_or(QByteArray());
    return rules;
}

} // namespace TerminalAccess
