#include "core/store/recordset.h"

#include "core/store/query.h"
#include "core/store/storedriver.h"
#include "core/valueforms.h"

#include <QCoreApplication>
#include <QSqlError>
#include <algorithm>

namespace {

const QString kReadOnly =
    QCoreApplication::translate("RecordSet", "These records were opened for reading only, so nothing was written.");

enum class Kind { Text, Date, Time, Real, Integer, Other };

Kind kindOf(const QString& declaredType)
{
    const QString t = declaredType.trimmed().toUpper();
    if (t.startsWith(QLatin1String("DATE")))
        return Kind::Date;
    if (t.startsWith(QLatin1String("TIME")))
        return Kind::Time;
    if (t == QLatin1String("REAL") || t == QLatin1String("DOUBLE") || t == QLatin1String("FLOAT") ||
        t.startsWith(QLatin1String("NUMERIC")))
        return Kind::Real;
    if (t.startsWith(QLatin1String("INT")))
        return Kind::Integer;
    if (t.startsWith(QLatin1String("TEXT")) || t.contains(QLatin1String("CHAR")))
        return Kind::Text;
    return Kind::Other;
}

// The store's own forms, read without the general parser: every open reads many of them.
int digits(const QString& text, int at, int count)
{
    int value = 0;
    for (int i = at; i < at + count; ++i) {
        const int digit = text.at(i).unicode() - '0';
        if (digit < 0 || digit > 9)
            return -1;
        value = value * 10 + digit;
    }
    return value;
}

QDate storedDate(const QString& text)
{
    if (text.size() == 10 && text.at(4) == QLatin1Char('-') && text.at(7) == QLatin1Char('-'))
        return QDate(digits(text, 0, 4), digits(text, 5, 2), digits(text, 8, 2));
    return ValueForms::readDate(text).value_or(QDate());
}

// A table name is written into the SQL text, so it must be a plain name.
bool isPlainName(const QString& name)
{
    if (name.isEmpty() || name.at(0).isDigit())
        return false;
    return std::all_of(name.cbegin(), name.cend(), [](QChar c) {
        return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
               (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('_');
    });
}

} // namespace

RecordSet::RecordSet(const QSqlDatabase& db) : m_db(db) {}

bool RecordSet::fail(const QString& error)
{
    m_error = error;
    return false;
}

void RecordSet::close()
{
    m_open = false;
    m_rows.clear();
    m_columns.clear();
    m_types.clear();
    m_index.clear();
    m_live = 0;
    m_pos = 0;
    m_adding = false;
    m_pending.clear();
    m_setError.clear();
    m_table.clear();
}

bool RecordSet::openWritable(const QString& table, const QString& sql, const QVariantList& binds)
{
    if (!isPlainName(table)) {
        close();
        return fail(QCoreApplication::translate("RecordSet", "\"%1\" is not a table name.").arg(table));
    }
    if (!open(sql, binds))
        return false;
    m_table = table;
    return true;
}

bool RecordSet::open(const QString& sql, const QVariantList& binds)
{
    close();
    m_error.clear();
    // Reads follow a database file that was put back at its path; reads from a deleted one still see its rows,
    // and the writes that follow are refused.
    (void)Database::fileInPlace(m_db);
    if (!m_db.isValid() || !m_db.isOpen())
        return fail(QCoreApplication::translate("RecordSet", "The database is not open."));
    QString why;
    const auto statement = Database::prepareStep(m_db, sql, &why);
    if (!statement)
        return fail(why);
    for (int i = 0; i < binds.size(); ++i) {
        if (!statement->bind(i, binds.at(i))) {
            const QString bindError = statement->error();
            statement->reset();
            return fail(bindError);
        }
    }
    const int count = statement->columnCount();
    for (int i = 0; i < count; ++i) {
        m_columns << statement->columnName(i);
        m_index.insert(m_columns.last().toLower(), i);
        m_types << statement->declaredType(i);
    }
    StepStatement::Step step;
    while ((step = statement->step()) == StepStatement::Step::Row) {
        Row row;
        row.values.reserve(count);
        for (int i = 0; i < count; ++i)
            row.values << fromStored(m_types.at(i), statement->value(i));
        m_rows.push_back(std::move(row));
    }
    const QString readError = step == StepStatement::Step::Failed
                                  ? (statement->busy() ? Database::busyText() : statement->error())
                                  : QString();
    statement->reset();
    if (step == StepStatement::Step::Failed) {
        m_rows.clear();
        m_columns.clear();
        m_index.clear();
        m_types.clear();
        return fail(readError);
    }
    m_live = int(m_rows.size());
    m_pos = 0;
    m_open = true;
    return true;
}

bool RecordSet::bof() const
{
    return m_live == 0 || m_pos < 0;
}

bool RecordSet::eof() const
{
    return m_live == 0 || m_pos >= int(m_rows.size());
}

bool RecordSet::onRow() const
{
    return m_pos >= 0 && m_pos < int(m_rows.size()) && !m_rows[m_pos].deleted;
}

void RecordSet::moveFirst()
{
    cancelUpdate();
    m_pos = 0;
    while (m_pos < int(m_rows.size()) && m_rows[m_pos].deleted)
        ++m_pos;
}

void RecordSet::moveLast()
{
    cancelUpdate();
    m_pos = int(m_rows.size()) - 1;
    while (m_pos >= 0 && m_rows[m_pos].deleted)
        --m_pos;
    if (m_live == 0)
        m_pos = int(m_rows.size());
}

void RecordSet::moveNext()
{
    cancelUpdate();
    if (m_pos >= int(m_rows.size()))
        return;
    do
        ++m_pos;
    while (m_pos < int(m_rows.size()) && m_rows[m_pos].deleted);
}

void RecordSet::movePrevious()
{
    cancelUpdate();
    if (m_pos < 0)
        return;
    do
        --m_pos;
    while (m_pos >= 0 && m_rows[m_pos].deleted);
}

int RecordSet::liveIndexOf(int rowIndex) const
{
    int live = 0;
    for (int i = 0; i < rowIndex && i < int(m_rows.size()); ++i)
        live += m_rows[i].deleted ? 0 : 1;
    return live;
}

int RecordSet::absolutePosition() const
{
    if (m_pos < 0)
        return -1;
    if (m_pos >= int(m_rows.size()))
        return m_live;
    return liveIndexOf(m_pos);
}

void RecordSet::setAbsolutePosition(int position)
{
    cancelUpdate();
    if (position < 0) {
        m_pos = -1;
        return;
    }
    int live = 0;
    for (int i = 0; i < int(m_rows.size()); ++i) {
        if (m_rows[i].deleted)
            continue;
        if (live == position) {
            m_pos = i;
            return;
        }
        ++live;
    }
    m_pos = int(m_rows.size());
}

int RecordSet::columnIndex(const QString& column) const
{
    // Most callers already write the name in lower case; only the others pay for the conversion.
    const auto found = m_index.constFind(column);
    return found != m_index.cend() ? *found : m_index.value(column.toLower(), -1);
}

QVariant RecordSet::value(const QString& column) const
{
    const int c = columnIndex(column);
    if (c < 0)
        return {};
    if (m_pending.contains(c))
        return m_pending.value(c);
    if (m_adding || !onRow())
        return {};
    return m_rows[m_pos].values.at(c);
}

QVariant RecordSet::valueAt(int position, const QString& column) const
{
    const int c = columnIndex(column);
    if (c < 0 || position < 0)
        return {};
    int live = 0;
    for (const Row& row : m_rows) {
        if (row.deleted)
            continue;
        if (live++ == position)
            return row.values.at(c);
    }
    return {};
}

bool RecordSet::setValue(const QString& column, const QVariant& value)
{
    const int c = columnIndex(column);
    if (c < 0)
        m_setError = QCoreApplication::translate("RecordSet", "There is no column %1.").arg(column);
    else if (!m_adding && !onRow())
        m_setError = QCoreApplication::translate("RecordSet", "There is no current record.");
    else {
        m_pending.insert(c, value);
        return true;
    }
    return fail(m_setError);
}

void RecordSet::addNew()
{
    m_pending.clear();
    m_setError.clear();
    m_adding = true;
}

void RecordSet::cancelUpdate()
{
    m_pending.clear();
    m_setError.clear();
    m_adding = false;
}

bool RecordSet::toStored(const QString& declaredType, const QVariant& value, QVariant* stored, QString* error,
                         const QString& column)
{
    const QString name = column.isEmpty() ? QCoreApplication::translate("RecordSet", "this field") : column;
    auto refuse = [&](const QString& what, const QString& form) {
        if (error)
            *error = QCoreApplication::translate("RecordSet", "\"%1\" is not a valid %2 for %3. Type it as %4.")
                         .arg(value.toString(), what, name, form);
        return false;
    };
    const bool isText = value.typeId() == QMetaType::QString;
    if (value.isNull() || (isText && value.toString().trimmed().isEmpty() && kindOf(declaredType) != Kind::Text &&
                           kindOf(declaredType) != Kind::Other)) {
        *stored = QVariant();
        return true;
    }
    switch (kindOf(declaredType)) {
    case Kind::Date: {
        QDate date;
        if (value.typeId() == QMetaType::QDate)
            date = value.toDate();
        else if (value.typeId() == QMetaType::QDateTime)
            date = value.toDateTime().date();
        else if (const auto read = ValueForms::readDate(value.toString()))
            date = *read;
        if (!date.isValid())
            return refuse(QCoreApplication::translate("RecordSet", "date"), ValueForms::kDatePlaceholder);
        *stored = ValueForms::storeDate(date);
        return true;
    }
    case Kind::Time: {
        QTime time;
        if (value.typeId() == QMetaType::QTime)
            time = value.toTime();
        else if (value.typeId() == QMetaType::QDateTime)
            time = value.toDateTime().time();
        else if (const auto read = ValueForms::readTime(value.toString()))
            time = *read;
        if (!time.isValid())
            return refuse(QCoreApplication::translate("RecordSet", "time"), QStringLiteral("HH:MM:SS"));
        *stored = ValueForms::storeTime(time);
        return true;
    }
    case Kind::Real: {
        if (!isText) {
            bool ok = false;
            const double number = value.toDouble(&ok);
            if (ok) {
                *stored = number;
                return true;
            }
        } else if (const auto read = ValueForms::readNumber(value.toString())) {
            *stored = *read;
            return true;
        }
        return refuse(QCoreApplication::translate("RecordSet", "number"),
                      QCoreApplication::translate("RecordSet", "a plain decimal number such as 12.50"));
    }
    case Kind::Integer: {
        bool ok = false;
        const qlonglong number = isText ? value.toString().trimmed().toLongLong(&ok) : value.toLongLong(&ok);
        if (!ok)
            return refuse(QCoreApplication::translate("RecordSet", "whole number"),
                          QCoreApplication::translate("RecordSet", "a whole number"));
        *stored = number;
        return true;
    }
    case Kind::Text:
    case Kind::Other:
        break;
    }
    *stored = value.toString();
    return true;
}

QVariant RecordSet::fromStored(const QString& declaredType, const QVariant& stored)
{
    if (stored.isNull())
        return {};
    switch (kindOf(declaredType)) {
    case Kind::Date:
        if (const QDate date = storedDate(stored.toString()); date.isValid())
            return date;
        return stored;
    case Kind::Time:
        if (const QTime time = ValueForms::storedTime(stored.toString()); time.isValid())
            return time;
        return stored;
    case Kind::Real:
        return stored.toDouble();
    case Kind::Integer:
        return stored.toLongLong();
    case Kind::Text:
        return stored.toString();
    case Kind::Other:
        break;
    }
    return stored;
}

bool RecordSet::update()
{
    m_error.clear();
    if (!m_open)
        return fail(QCoreApplication::translate("RecordSet", "The record set is not open."));
    if (!m_adding && !onRow())
        return fail(QCoreApplication::translate("RecordSet", "There is no current record to update."));
    if (!m_setError.isEmpty())
        return fail(m_setError);
    if (m_table.isEmpty())
        return fail(kReadOnly);
    if (m_pending.isEmpty() && !m_adding)
        return true;
    const int idColumn = columnIndex(QStringLiteral("id"));
    if (idColumn < 0)
        return fail(QCoreApplication::translate("RecordSet", "These records cannot be changed."));
    if (QString why; !Database::fileInPlace(m_db, &why))
        return fail(why);

    QStringList names;
    QVariantList values;
    QHash<int, QVariant> stored;
    for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it) {
        if (it.key() == idColumn)
            continue;
        QVariant value;
        QString why;
        if (!toStored(m_types.at(it.key()), it.value(), &value, &why, m_columns.at(it.key())))
            return fail(why);
        names << m_columns.at(it.key());
        values << value;
        stored.insert(it.key(), value);
    }

    QString sql;
    if (m_adding) {
        QStringList marks;
        for (int i = 0; i < names.size(); ++i)
            marks << QStringLiteral("?");
        sql = names.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(m_table)
                              : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                    .arg(m_table, names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    } else {
        QStringList sets;
        for (const QString& name : names)
            sets << name + QStringLiteral(" = ?");
        sql = QStringLiteral("UPDATE %1 SET %2 WHERE id = ?").arg(m_table, sets.join(QLatin1Char(',')));
        values << m_rows[m_pos].values.at(idColumn);
    }
    // A new row's id comes back from the insert itself.
    if (m_adding)
        sql += QStringLiteral(" RETURNING id");
    Query write(m_db);
    const bool written = write.exec(sql, values);
    const QString writeError = write.error();
    const int affected = write.rowsAffected();
    const qlonglong newId = m_adding && written && write.next() ? write.value(0).toLongLong() : 0;
    if (!written)
        return fail(writeError);
    if (!m_adding && affected != 1)
        return fail(
            QCoreApplication::translate("RecordSet", "The record was removed by someone else; nothing was changed."));

    if (m_adding) {
        Row row;
        for (int i = 0; i < m_columns.size(); ++i)
            row.values << QVariant();
        row.values[idColumn] = newId;
        for (auto it = stored.cbegin(); it != stored.cend(); ++it)
            row.values[it.key()] = fromStored(m_types.at(it.key()), it.value());
        m_rows.push_back(std::move(row));
        m_pos = int(m_rows.size()) - 1;
        ++m_live;
    } else {
        for (auto it = stored.cbegin(); it != stored.cend(); ++it)
            m_rows[m_pos].values[it.key()] = fromStored(m_types.at(it.key()), it.value());
    }
    m_pending.clear();
    m_adding = false;
    return true;
}

bool RecordSet::deleteCurrent()
{
    m_error.clear();
    cancelUpdate();
    if (!m_open || !onRow())
        return fail(QCoreApplication::translate("RecordSet", "There is no current record to delete."));
    if (m_table.isEmpty())
        return fail(kReadOnly);
    const int idColumn = columnIndex(QStringLiteral("id"));
    if (idColumn < 0)
        return fail(QCoreApplication::translate("RecordSet", "These records cannot be deleted."));
    if (QString why; !Database::fileInPlace(m_db, &why))
        return fail(why);
    Query remove(m_db);
    const bool deleted =
        remove.exec(QStringLiteral("DELETE FROM %1 WHERE id = ?").arg(m_table), {m_rows[m_pos].values.at(idColumn)});
    const QString deleteError = remove.error();
    if (!deleted)
        return fail(deleteError);
    m_rows[m_pos].deleted = true;
    --m_live;
    return true;
}

bool RecordSet::find(const QString& column, const QVariant& value)
{
    cancelUpdate();
    const int c = columnIndex(column);
    if (m_pos < 0)
        m_pos = 0;
    if (c < 0) {
        m_pos = int(m_rows.size());
        return fail(QCoreApplication::translate("RecordSet", "There is no column %1.").arg(column));
    }
    QVariant wanted;
    QString why;
    if (!toStored(m_types.at(c), value, &wanted, &why, column)) {
        m_pos = int(m_rows.size());
        return fail(why);
    }
    wanted = fromStored(m_types.at(c), wanted);
    const bool text = wanted.typeId() == QMetaType::QString;
    for (; m_pos < int(m_rows.size()); ++m_pos) {
        const Row& row = m_rows[m_pos];
        if (row.deleted)
            continue;
        const QVariant& have = row.values.at(c);
        if (have.isNull() || wanted.isNull())
            continue;
        if (text ? QString::compare(have.toString(), wanted.toString(), Qt::CaseInsensitive) == 0 : have == wanted)
            return true;
    }
    return false;
}
