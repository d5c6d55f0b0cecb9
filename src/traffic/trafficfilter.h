#pragma once

#include "traffic/trafficrow.h"

#include <QByteArrayList>
#include <QSortFilterProxyModel>

// Which rows of a TrafficModel the monitor shows: by outcome (a set of them) and by command.
// The command filter is a list of command letters separated by blanks or commas ("AS IE"); a
// row is shown when its command letters (after the controller's ID) begin with one of them,
// in either case. With a command filter set, rows without a command (link opened and closed)
// are not shown. Rows keep the model's order: nothing is sorted.
class TrafficFilter : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    static constexpr quint32 bit(TrafficRow::Outcome outcome) { return 1u << unsigned(outcome); }
    static constexpr quint32 AllOutcomes = (1u << TrafficRow::OutcomeCount) - 1;
    // Every exchange that did not get its answer: all but answered, link opened and closed.
    static constexpr quint32 Problems = AllOutcomes & ~((1u << unsigned(TrafficRow::Outcome::Answered))
                                                        | (1u << unsigned(TrafficRow::Outcome::LinkOpened))
                                                        | (1u << unsigned(TrafficRow::Outcome::LinkClosed)));

    explicit TrafficFilter(QObject *parent = nullptr);

    quint32 outcomes() const { return m_outcomes; }
    void setOutcomes(quint32 outcomes);
    QString commands() const { return m_commandText; }
    void setCommands(const QString &commands);

    // Whether a row with this outcome and request passes both filters.
    bool accepts(TrafficRow::Outcome outcome, QByteArrayView request) const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    quint32 m_outcomes = AllOutcomes;
    QString m_commandText;
    QByteArrayList m_commands; // upper case
};
