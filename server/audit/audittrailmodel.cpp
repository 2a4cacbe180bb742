#include "server/audit/audittrailmodel.h"

AuditTrailModel::AuditTrailModel(QObject* parent) : QAbstractTableModel(parent), m_headings(AuditTrail::lineHeadings())
{
}

bool AuditTrailModel::readPage(std::vector<AuditTrail::Change>* page, QString* error)
{
    // One more than a page tells whether another follows.
    if (!AuditTrail::read(m_filter, m_last ? &*m_last : nullptr, AuditTrail::kPageSize + 1, page, error))
        return false;
    m_more = int(page->size()) > AuditTrail::kPageSize;
    if (m_more)
        page->pop_back();
    return true;
}

void AuditTrailModel::append(const std::vector<AuditTrail::Change>& page)
{
    for (const AuditTrail::Change& change : page) {
        for (QStringList& line : AuditTrail::shownLines(change))
            m_lines.push_back(std::move(line));
    }
    m_changes += int(page.size());
    if (!page.empty())
        m_last = page.back();
}

bool AuditTrailModel::show(const AuditTrail::Filter& filter, QString* error)
{
    beginResetModel();
    m_filter = filter;
    m_lines.clear();
    m_last.reset();
    m_changes = 0;
    std::vector<AuditTrail::Change> page;
    const bool read = readPage(&page, error);
    if (read)
        append(page);
    else
        m_more = false;
    endResetModel();
    return read;
}

int AuditTrailModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

int AuditTrailModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_headings.size());
}

QVariant AuditTrailModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_lines.size()) || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    return m_lines[std::size_t(index.row())].value(index.column());
}

QVariant AuditTrailModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    return m_headings.value(section);
}

bool AuditTrailModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && m_more;
}

void AuditTrailModel::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    std::vector<AuditTrail::Change> page;
    QString error;
    if (!readPage(&page, &error)) {
        m_more = false;
        Q_EMIT readFailed(error);
        return;
    }
    std::size_t lines = 0;
    for (const AuditTrail::Change& change : page)
        lines += std::max<std::size_t>(1, change.values.size());
    if (lines == 0)
        return;
    beginInsertRows(QModelIndex(), int(m_lines.size()), int(m_lines.size() + lines) - 1);
    append(page);
    endInsertRows();
}
