#pragma once

#include "records/recordfilter.h"
#include "records/unitrecord.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <functional>

class RecordQueries;

// The tests of a filter as a table, newest first, fetched a page at a time as the view scrolls
// down to the end of what it holds: a year of a line is never read at once. The texts of the
// headers and verdicts come from the window in its language.
class RecordPageModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { StartColumn, SerialColumn, ModelColumn, StationColumn, OperatorColumn, VerdictColumn, ColumnCount };
    static constexpr int PageSize = 200;

    explicit RecordPageModel(QObject *parent = nullptr);

    void setTexts(const QStringList &headers, const std::function<QString(const UnitRecord &)> &verdict);
    // The first page of the filter; false, with why(), when the store could not be read.
    bool show(RecordQueries *queries, const RecordFilter &filter);
    const UnitRecord *record(int row) const;
    QString why() const { return m_why; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

private:
    RecordQueries *m_queries = nullptr;
    RecordFilter m_filter;
    QList<UnitRecord> m_rows;
    bool m_more = false;
    QString m_why;
    QStringList m_headers;
    std::function<QString(const UnitRecord &)> m_verdict;
};
