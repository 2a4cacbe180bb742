#include "core/valueforms.h"

#include <algorithm>

#include <QLocale>
#include <cmath>

namespace ValueForms {

QString showDate(const QDate& date)
{
    return date.toString(kDateForm);
}

QString showTime(const QTime& time)
{
    return time.toString(QStringLiteral("HH:mm:ss"));
}

QString showDateTime(const QDateTime& when)
{
    return when.toString(kDateForm + QStringLiteral(" HH:mm:ss"));
}

QString showDuration(qint64 minutes)
{
    minutes = std::max<qint64>(0, minutes);
    return QStringLiteral("%1:%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

std::optional<QDate> readDate(const QString& text)
{
    const QString t = text.trimmed();
    for (const auto* format : {"M/d/yyyy", "MM/dd/yyyy", "yyyy-MM-dd"}) {
        const QDate date = QDate::fromString(t, QLatin1String(format));
        if (date.isValid())
            return date;
    }
    return std::nullopt;
}

std::optional<QTime> readTime(const QString& text)
{
    const QString t = text.trimmed();
    for (const auto* format : {"H:mm:ss", "HH:mm:ss"}) {
        const QTime time = QTime::fromString(t, QLatin1String(format));
        if (time.isValid())
            return time;
    }
    return std::nullopt;
}

std::optional<double> readNumber(const QString& text)
{
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = c.toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

namespace {

// Writes a number as fixed-width decimal digits; the store's forms are written at every punch.
void putDigits(QChar* at, int value, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        at[i] = QChar(u'0' + value % 10);
        value /= 10;
    }
}

} // namespace

QString storeDate(const QDate& date)
{
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        return date.toString(Qt::ISODate);
    QString text(10, u'-');
    putDigits(text.data(), date.year(), 4);
    putDigits(text.data() + 5, date.month(), 2);
    putDigits(text.data() + 8, date.day(), 2);
    return text;
}

QString storeTime(const QTime& time)
{
    if (!time.isValid())
        return QString();
    QString text(8, u':');
    putDigits(text.data(), time.hour(), 2);
    putDigits(text.data() + 3, time.minute(), 2);
    putDigits(text.data() + 6, time.second(), 2);
    return text;
}

namespace {

// The stored form "HH:mm:ss", read directly: a year of a large staff is millions of slots. Invalid when the
// text is not in that form.
int codeAt(QStringView text, int at)
{
    return text[at].unicode();
}

int codeAt(QByteArrayView text, int at)
{
    return uchar(text[at]);
}

template <typename Text> QTime storedForm(Text text)
{
    if (text.size() != 8 || codeAt(text, 2) != ':' || codeAt(text, 5) != ':')
        return QTime();
    auto two = [&](int at) {
        const int high = codeAt(text, at) - '0';
        const int low = codeAt(text, at + 1) - '0';
        return high >= 0 && high <= 9 && low >= 0 && low <= 9 ? high * 10 + low : -1;
    };
    return QTime(two(0), two(3), two(6));
}

} // namespace

QTime storedTime(const QString& text)
{
    if (const QTime time = storedForm(QStringView(text)); time.isValid())
        return time;
    return readTime(text).value_or(QTime());
}

QTime storedTime(QByteArrayView utf8)
{
    if (const QTime time = storedForm(utf8); time.isValid())
        return time;
    return readTime(QString::fromUtf8(utf8)).value_or(QTime());
}

QString showValue(const QVariant& value)
{
    if (value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::QDate:
        return showDate(value.toDate());
    case QMetaType::QTime:
        return showTime(value.toTime());
    case QMetaType::QDateTime:
        return showDateTime(value.toDateTime());
    case QMetaType::Double:
        return QString::number(value.toDouble(), 'g', 15);
    default:
        return value.toString();
    }
}

} // namespace ValueForms
