#include "records/recordpagemodel.h"

#include "records/recordqueries.h"

RecordPageModel::RecordPageModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void RecordPageModel::setTexts(const QStringList &headers, const std::function<QString(const UnitRecord &)> &verdict)
{
    m_headers = headers;
    m_verdict = verdict;
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
    if (!m_rows.isEmpty())
        Q_EMIT dataChanged(index(0, 0), index(int(m_rows.size()) - 1, ColumnCount - 1));
}

bool RecordPageModel::show(RecordQueries *queries, const RecordFilter &filter)
{
    beginResetModel();
    m_queries = queries;
    m_filter = filter;
    m_rows.clear();
    m_more = false;
    m_why.clear();
    const std::optional<QList<UnitRecord>> page = queries->page(filter, PageSize);
    if (page) {
        m_rows = *page;
        m_more = page->size() == PageSize;
    } else {
        m_why = queries->why();
    }
    endResetModel();
    return page.has_value();
}

const UnitRecord *RecordPageModel::record(int row) const
{
    return row >= 0 && row < m_rows.size() ? &m_rows[row] : nullptr;
}

int RecordPageModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int RecordPageModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant RecordPageModel::data(const QModelIndex &index, int role) const
{
    const UnitRecord *r = record(index.row());
    if (!r || role != Qt::DisplayRole)
        return QVariant();
    switch (index.column()) {
    case StartColumn:
        return r->start.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case SerialColumn:
        return r->serialNumber;
    case ModelColumn:
        return r->model;
    case StationColumn:
        return r->station;
    case OperatorColumn:
        return r->operatorName;
    case VerdictColumn:
        return m_verdict ? m_verdict(*r) : UnitRecord::verdictText(r->verdict);
    }
    return QVariant();
}

QVariant RecordPageModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_headers.size())
        return m_headers[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool RecordPageModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_more && m_queries;
}

void RecordPageModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent) || m_rows.isEmpty())
        return;
    const std::optional<QList<UnitRecord>> page = m_queries->page(m_filter, PageSize, &m_rows.constLast());
    if (!page) {
        // Stop asking: a store that went away would be asked again at every scroll.
        m_more = false;
        m_why = m_queries->why();
        return;
    }
    m_more = page->size() == PageSize;
    if (page->isEmpty())
        return;
    beginInsertRows(QModelIndex(), int(m_rows.size()), int(m_rows.size() + page->size() - 1));
    m_rows += *page;
    endInsertRows();
}
