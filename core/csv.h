#pragma once

#include <QString>
#include <QStringList>

// CSV as every export writes it: fields quoted only when they hold a comma, a quote or a line break, quotes
// doubled, lines ended by CR LF.
namespace Csv {

QString field(const QString& text);
QString line(const QStringList& fields);

} // namespace Csv
