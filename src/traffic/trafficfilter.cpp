#include "traffic/trafficfilter.h"

#include "traffic/trafficmodel.h"
#include "traffic/traffictext.h"

#include <QRegularExpression>

TrafficFilter::TrafficFilter(QObject *parent)
    : QSortFilterProxyModel(parent)
{
}

void TrafficFilter::setOutcomes(quint32 outcomes)
{
    if (outcomes == m_outcomes)
        return;
    m_outcomes = outcomes;
    invalidateFilter();
}

void TrafficFilter::setCommands(const QString &commands)
{
    if (commands == m_commandText)
        return;
    m_commandText = commands;
    m_commands.clear();
    static const QRegularExpression separators(QStringLiteral("[\\s,;]+"));
    for (const QString &word : commands.split(separators, Qt::SkipEmptyParts))
        m_commands.append(word.toUpper().toLatin1());
    invalidateFilter();
}

bool TrafficFilter::accepts(TrafficRow::Outcome outcome, QByteArrayView request) const
{
    if (!(m_outcomes & bit(outcome)))
        return false;
    if (m_commands.isEmpty())
        return true;
    const QByteArray letters = TrafficText::commandLetters(request).toUpper();
    if (letters.isEmpty())
        return false;
    for (const QByteArray &command : m_commands)
        if (letters.startsWith(command))
            return true;
    return false;
}

bool TrafficFilter::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    const auto *model = qobject_cast<const TrafficModel *>(sourceModel());
    if (!model || sourceParent.isValid() || sourceRow >= model->rowCount())
        return false;
    const TrafficRow &row = model->row(sourceRow);
    return accepts(row.outcome(), row.event.request);
}
