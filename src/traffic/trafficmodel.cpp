#include "traffic/trafficmodel.h"

#include "traffic/traffictext.h"

#include <algorithm>

TrafficModel::TrafficModel(QObject *parent)
    : QAbstractTableModel(parent)
    , m_headers { QStringLiteral("#"),     QStringLiteral("Time"),           QStringLiteral("Link"),
                  QStringLiteral("Command"), QStringLiteral("Reply"),        QStringLiteral("Round trip (ms)"),
                  QStringLiteral("Verdict"), QStringLiteral("Detail") }
{
    m_publishTimer.setSingleShot(true);
    connect(&m_publishTimer, &QTimer::timeout, this, &TrafficModel::publish);
    for (int i = 0; i < TrafficRow::OutcomeCount; ++i)
        m_outcomeWords.append(TrafficRow::outcomeName(TrafficRow::Outcome(i)));
}

void TrafficModel::append(const ExchangeEvent &event)
{
    m_waiting.push_back({ ++m_lastNumber, event });
    // Waiting rows past the ring's capacity could never be shown together with it.
    if (int(m_waiting.size()) > m_ring.capacity())
        m_waiting.pop_front();
    if (m_paused) {
        Q_EMIT waitingChanged(int(m_waiting.size()));
        return;
    }
    const qint64 since = m_sincePublish.isValid() ? m_sincePublish.elapsed() : m_publishInterval;
    if (since >= m_publishInterval)
        publish();
    else if (!m_publishTimer.isActive())
        m_publishTimer.start(int(m_publishInterval - since));
}

void TrafficModel::setPublishInterval(int milliseconds)
{
    m_publishInterval = std::max(0, milliseconds);
}

void TrafficModel::publish()
{
    m_publishTimer.stop();
    if (m_paused || m_waiting.empty())
        return;
    insert(m_waiting);
    m_waiting.clear();
    m_sincePublish.start();
}

// Moves the rows (the newest that fit) into the ring; the caller drops what is left of them.
void TrafficModel::insert(std::deque<TrafficRow> &rows)
{
    const int count = int(std::min<std::size_t>(rows.size(), std::size_t(m_ring.capacity())));
    const int drop = std::max(0, m_ring.size() + count - m_ring.capacity());
    if (drop > 0) {
        beginRemoveRows(QModelIndex(), 0, drop - 1);
        m_ring.dropOldest(drop);
        endRemoveRows();
    }
    if (count == 0)
        return;
    beginInsertRows(QModelIndex(), m_ring.size(), m_ring.size() + count - 1);
    for (auto it = rows.end() - count; it != rows.end(); ++it)
        m_ring.push(std::move(*it));
    endInsertRows();
}

void TrafficModel::setPaused(bool paused)
{
    if (paused == m_paused)
        return;
    m_paused = paused;
    if (!paused) {
        const bool held = !m_waiting.empty();
        publish();
        if (held)
            Q_EMIT waitingChanged(0);
    }
}

void TrafficModel::clear()
{
    beginResetModel();
    m_ring.clear();
    m_waiting.clear();
    endResetModel();
    Q_EMIT waitingChanged(0);
}

void TrafficModel::setCapacity(int capacity)
{
    const int bounded = TrafficRing::boundedCapacity(capacity);
    const int drop = std::max(0, m_ring.size() - bounded);
    if (drop > 0)
        beginRemoveRows(QModelIndex(), 0, drop - 1);
    m_ring.setCapacity(bounded);
    if (drop > 0)
        endRemoveRows();
    if (int(m_waiting.size()) > bounded) {
        m_waiting.erase(m_waiting.begin(), m_waiting.end() - bounded);
        Q_EMIT waitingChanged(int(m_waiting.size()));
    }
}

void TrafficModel::setHexadecimal(bool hex)
{
    if (hex == m_hex)
        return;
    m_hex = hex;
    if (m_ring.size() > 0)
        Q_EMIT dataChanged(index(0, CommandColumn), index(m_ring.size() - 1, ReplyColumn));
}

void TrafficModel::setHeaderTexts(const QStringList &texts)
{
    for (int i = 0; i < std::min<int>(ColumnCount, int(texts.size())); ++i)
        m_headers[i] = texts[i];
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}

void TrafficModel::setOutcomeWords(const QStringList &words)
{
    for (int i = 0; i < std::min<int>(TrafficRow::OutcomeCount, int(words.size())); ++i)
        m_outcomeWords[i] = words[i];
    if (m_ring.size() > 0)
        Q_EMIT dataChanged(index(0, VerdictColumn), index(m_ring.size() - 1, VerdictColumn));
}

QString TrafficModel::outcomeWord(TrafficRow::Outcome outcome) const
{
    return m_outcomeWords.value(int(outcome));
}

QString TrafficModel::text(const TrafficRow &row, int column) const
{
    const ExchangeEvent &e = row.event;
    switch (Column(column)) {
    case NumberColumn: return QString::number(row.number);
    case TimeColumn: return TrafficText::clockTime(e.time);
    case LinkColumn: return TrafficText::oneLine(e.link);
    case CommandColumn: return m_hex ? TrafficText::hex(e.request) : TrafficText::pictures(e.request);
    case ReplyColumn: return m_hex ? TrafficText::hex(e.reply) : TrafficText::pictures(e.reply);
    case RoundTripColumn: return TrafficText::roundTripMs(e.roundTripUs);
    case VerdictColumn: return outcomeWord(row.outcome());
    case DetailColumn: return TrafficText::oneLine(e.detail);
    case ColumnCount: break;
    }
    return QString();
}

int TrafficModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_ring.size();
}

int TrafficModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TrafficModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_ring.size())
        return QVariant();
    const TrafficRow &r = m_ring.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return text(r, index.column());
    case Qt::ToolTipRole:
        // The other form of the bytes, and why, where the cell is too narrow for either.
        if (index.column() == CommandColumn)
            return m_hex ? TrafficText::pictures(r.event.request) : TrafficText::hex(r.event.request);
        if (index.column() == ReplyColumn)
            return m_hex ? TrafficText::pictures(r.event.reply) : TrafficText::hex(r.event.reply);
        if (index.column() == VerdictColumn || index.column() == DetailColumn)
            return r.event.detail.isEmpty() ? QVariant() : QVariant(r.event.detail);
        return QVariant();
    case Qt::TextAlignmentRole:
        if (index.column() == NumberColumn || index.column() == RoundTripColumn)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        return QVariant();
    case OutcomeRole:
        return int(r.outcome());
    default:
        return QVariant();
    }
}

QVariant TrafficModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
        return m_headers[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}
