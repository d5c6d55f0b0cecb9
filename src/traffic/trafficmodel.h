#pragma once

#include "link/exchangeevent.h"
#include "traffic/trafficring.h"
#include "traffic/trafficrow.h"

#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QStringList>
#include <QTimer>
#include <deque>

// The monitor's rows as a table: one row per event of the link, oldest first, at most the
// ring's capacity of them.
//
// New rows arrive at once but are published (inserted, with the removal of as many of the
// oldest) in batches, at most once per publish interval: a view lays out and repaints itself
// after every insert, which costs milliseconds, and the automatic test makes some thirty
// exchanges a second. A row after a quiet spell is published at once. With an interval of 0
// (the default) every row is published as it arrives.
//
// While paused nothing is published: new rows wait (as many as the ring holds) and come in
// together when the pause ends, so a pause hides nothing. The words of the verdict column and
// the headers are given by the window, in its language; until then they are the fixed English
// ones.
class TrafficModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column {
        NumberColumn,
        TimeColumn,
        LinkColumn,
        CommandColumn,
        ReplyColumn,
        RoundTripColumn,
        VerdictColumn,
        DetailColumn,
        ColumnCount
    };
    // The row's TrafficRow::Outcome as an int, in every column.
    static constexpr int OutcomeRole = Qt::UserRole;

    explicit TrafficModel(QObject *parent = nullptr);

    void append(const ExchangeEvent &event);

    int publishInterval() const { return m_publishInterval; }
    void setPublishInterval(int milliseconds);
    // Publishes the rows that have arrived, now, unless paused.
    void publish();

    bool isPaused() const { return m_paused; }
    void setPaused(bool paused);
    // Rows that have arrived and are not published yet.
    int waiting() const { return int(m_waiting.size()); }

    // Drops every row, the waiting ones too; the numbers go on.
    void clear();
    int capacity() const { return m_ring.capacity(); }
    // Keeps the newest rows that fit (see TrafficRing::setCapacity for the bounds).
    void setCapacity(int capacity);

    bool hexadecimal() const { return m_hex; }
    // Command and reply as hexadecimal bytes instead of characters and control pictures.
    void setHexadecimal(bool hex);

    // ColumnCount texts; fewer leave the rest as they were.
    void setHeaderTexts(const QStringList &texts);
    // TrafficRow::OutcomeCount words, in the order of TrafficRow::Outcome.
    void setOutcomeWords(const QStringList &words);
    QString outcomeWord(TrafficRow::Outcome outcome) const;

    const TrafficRow &row(int i) const { return m_ring.at(i); }
    // What the view shows in the cell.
    QString text(const TrafficRow &row, int column) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

Q_SIGNALS:
    void waitingChanged(int waiting);

private:
    void insert(std::deque<TrafficRow> &rows);

    TrafficRing m_ring;
    std::deque<TrafficRow> m_waiting;
    quint64 m_lastNumber = 0;
    int m_publishInterval = 0;
    QTimer m_publishTimer;
    QElapsedTimer m_sincePublish; // invalid until the first publish
    bool m_paused = false;
    bool m_hex = false;
    QStringList m_headers;
    QStringList m_outcomeWords;
};
