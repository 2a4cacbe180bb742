#include "core/sites/sites.h"

#include "core/store/query.h"
#include "core/store/trailwriter.h"

namespace Sites {

namespace {

QString& currentSite()
{
    static QString site;
    return site;
}

// The rows of one site, the site of none included.
const QString kOfThisSite = QStringLiteral(" WHERE site IS NOT DISTINCT FROM ?");

} // namespace

QString current()
{
    return currentSite();
}

void setCurrent(const QString& site)
{
    currentSite() = site.trimmed();
    TrailWriter::setSite(currentSite());
}

QVariant stored()
{
    return currentSite().isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(currentSite());
}

std::optional<QString> readName(const QString& text, QString* why)
{
    const QString name = text.trimmed();
    const auto refuse = [&](const QString& reason) -> std::optional<QString> {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    if (name.isEmpty())
        return refuse(QStringLiteral("a site needs a name"));
    if (name.size() > 40)
        return refuse(QStringLiteral("the site name \"%1\" is longer than 40 characters").arg(name));
    for (const QChar c : name) {
        if (!c.isPrint())
            return refuse(QStringLiteral("the site name \"%1\" holds a character that cannot be shown").arg(name));
    }
    return name;
}

QCommandLineOption option()
{
    return QCommandLineOption(QStringLiteral("site"),
                              QStringLiteral("The site this program punches for, recorded with each day's first "
                                             "punch and each terminal it serves."),
                              QStringLiteral("NAME"));
}

std::optional<QString> fromArguments(const QCommandLineParser& parser, const QCommandLineOption& option, QString* why)
{
    if (!parser.isSet(option))
        return QString();
    std::optional<QString> name = readName(parser.value(option), why);
    if (!name && why)
        *why = QStringLiteral("--site: ") + *why;
    return name;
}

QStringList known(QString* error)
{
    QStringList sites;
    Query query;
    if (!query.exec(QStringLiteral("SELECT DISTINCT site FROM timesheet WHERE site IS NOT NULL UNION "
                                   "SELECT DISTINCT site FROM Terminal WHERE site IS NOT NULL ORDER BY 1"))) {
        if (error)
            *error = query.error();
        return {};
    }
    while (query.next())
        sites << query.text(0);
    if (!query.error().isEmpty() && error)
        *error = query.error();
    return sites;
}

bool publishTerminals(const QList<Terminal>& terminals, QString* error)
{
    Transaction transaction;
    if (!transaction.isActive()) {
        *error = transaction.error();
        return false;
    }
    Query write;
    if (!write.exec(QStringLiteral("DELETE FROM Terminal") + kOfThisSite, {stored()})) {
        *error = write.error();
        return false;
    }
    for (const Terminal& terminal : terminals) {
        if (!write.exec(QStringLiteral("INSERT INTO Terminal (ip, encrypted, allowed, site) VALUES (?, ?, ?, ?)"),
                        {terminal.address, int(terminal.encrypted), int(terminal.allowed), stored()})) {
            *error = write.error();
            return false;
        }
    }
    if (!transaction.commit()) {
        *error = transaction.error();
        return false;
    }
    return true;
}

} // namespace Sites
