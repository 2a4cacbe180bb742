#include "widgets/storedwords.h"

#include <QCoreApplication>

namespace StoredWords {

QString shown(const char* context, Words words, const QString& stored)
{
    for (const char* word : words)
        if (stored.compare(QLatin1String(word), Qt::CaseInsensitive) == 0)
            return QCoreApplication::translate(context, word);
    return stored;
}

QString stored(const char* context, Words words, const QString& shown)
{
    for (const char* word : words)
        if (shown.compare(QCoreApplication::translate(context, word), Qt::CaseInsensitive) == 0)
            return QLatin1String(word);
    return shown;
}

} // namespace StoredWords
