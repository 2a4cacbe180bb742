#include "core/csv.h"

#include <algorithm>

namespace Csv {

QString field(const QString& text)
{
    static const QString special = QStringLiteral(",\"\r\n");
    if (std::none_of(text.cbegin(), text.cend(), [](QChar c) { return special.contains(c); }))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

QString line(const QStringList& fields)
{
    QStringList out;
    for (const QString& text : fields)
        out << field(text);
    return out.join(QLatin1Char(',')) + QStringLiteral("\r\n");
}

} // namespace Csv
