#pragma once

#include <QAbstractTableModel>

class RecordSet;

// A read-only table over the live rows of a record set: one column per selected column, headed by its name
// (so aliases such as "Employee ID" become headings), values in their shown text forms.
class RecordSetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit RecordSetModel(const RecordSet& records, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Call after the record set was opened again or lost rows.
    void refresh();

private:
    const RecordSet& m_records;
};
