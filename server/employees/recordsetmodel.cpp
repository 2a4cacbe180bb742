#include "server/employees/recordsetmodel.h"

#include "core/store/recordset.h"
#include "core/valueforms.h"

RecordSetModel::RecordSetModel(const RecordSet& records, QObject* parent)
    : QAbstractTableModel(parent), m_records(records)
{
}

int RecordSetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_records.recordCount();
}

int RecordSetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_records.columns().size());
}

QVariant RecordSetModel::data(const QModelIndex& index, int role) const
{
    // The tool tip carries the whole text where a narrow column cuts it.
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    return ValueForms::showValue(m_records.valueAt(index.row(), m_records.columns().at(index.column())));
}

QVariant RecordSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < m_records.columns().size()
                   ? tr(m_records.columns().at(section).toUtf8().constData())
                   : QVariant();
    return QVariant();
}

void RecordSetModel::refresh()
{
    beginResetModel();
    endResetModel();
}
