#pragma once

#include "core/audit/audittrail.h"

#include <QAbstractTableModel>
#include <optional>

// The audit trail as lines for a list: a page of changes at a time, newest first, the next page read only
// when the list is scrolled to its end.
class AuditTrailModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit AuditTrailModel(QObject* parent = nullptr);

    // Reads the first page of the filter's changes; false with the reason when it cannot.
    bool show(const AuditTrail::Filter& filter, QString* error);
    const AuditTrail::Filter& filter() const { return m_filter; }
    int changeCount() const { return m_changes; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

Q_SIGNALS:
    // A later page could not be read.
    void readFailed(const QString& error);

private:
    bool readPage(std::vector<AuditTrail::Change>* page, QString* error);
    void append(const std::vector<AuditTrail::Change>& page);

    QStringList m_headings;
    AuditTrail::Filter m_filter;
    std::vector<QStringList> m_lines;
    std::optional<AuditTrail::Change> m_last;
    int m_changes = 0;
    bool m_more = false;
};
