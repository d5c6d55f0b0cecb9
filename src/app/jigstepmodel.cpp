#include "app/jigstepmodel.h"

#include "app/toollook.h"

#include <QFont>

JigStepModel::JigStepModel(QObject *parent)
    : QAbstractTableModel(parent)
{
    m_texts.headers = QStringList { QStringLiteral("Step"), QStringLiteral("Expected"), QStringLiteral("Measured"), QStringLiteral("Result") };
    m_texts.passed = QStringLiteral("PASS");
    m_texts.failed = QStringLiteral("FAIL");
    m_texts.notRun = QStringLiteral("not run");
    m_texts.error = QStringLiteral("ERROR");
}

void JigStepModel::setTexts(const Texts &texts)
{
    m_texts = texts;
    if (m_texts.headers.size() < ColumnCount)
        m_texts.headers.resize(ColumnCount);
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
    if (!m_rows.isEmpty())
        Q_EMIT dataChanged(index(0, 0), index(int(m_rows.size()) - 1, ColumnCount - 1));
}

void JigStepModel::start(const QList<JigPhrase> &steps)
{
    beginResetModel();
    m_rows.clear();
    for (const JigPhrase &name : steps)
        m_rows.append({ name, std::nullopt });
    m_running = true;
    m_finished = false;
    endResetModel();
}

void JigStepModel::clear(const QList<JigPhrase> &steps)
{
    beginResetModel();
    m_rows.clear();
    for (const JigPhrase &name : steps)
        m_rows.append({ name, std::nullopt });
    m_running = false;
    m_finished = false;
    endResetModel();
}

void JigStepModel::stepDone(const JigTest::Step &step)
{
    const int before = runningRow();
    int row = -1;
    for (int i = 0; i < m_rows.size(); ++i) {
        if (!m_rows[i].step && m_rows[i].name.english() == step.name) {
            row = i;
            break;
        }
    }
    if (row < 0) {
        row = int(m_rows.size());
        beginInsertRows(QModelIndex(), row, row);
        m_rows.append({ step.namePhrase.isEmpty() ? JigPhrase::text(step.name) : step.namePhrase, step });
        endInsertRows();
    } else {
        m_rows[row].step = step;
        Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1));
    }
    // The mark of the running row moves on.
    for (const int marked : { before, runningRow() })
        if (marked >= 0)
            Q_EMIT dataChanged(index(marked, 0), index(marked, ColumnCount - 1));
}

void JigStepModel::finish()
{
    m_running = false;
    m_finished = true;
    // The rows not reached now say so.
    if (!m_rows.isEmpty())
        Q_EMIT dataChanged(index(0, 0), index(int(m_rows.size()) - 1, ColumnCount - 1));
}

std::optional<JigTest::Step> JigStepModel::step(int row) const
{
    if (row < 0 || row >= m_rows.size())
        return std::nullopt;
    return m_rows[row].step;
}

int JigStepModel::runningRow() const
{
    if (!m_running)
        return -1;
    for (int i = 0; i < m_rows.size(); ++i)
        if (!m_rows[i].step)
            return i;
    return -1;
}

int JigStepModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int JigStepModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant JigStepModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return QVariant();
    const Row &row = m_rows[index.row()];
    const bool running = index.row() == runningRow();

    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case StepColumn:
            return say(row.name, row.name.english());
        case ExpectedColumn:
            return row.step ? say(row.step->expectedPhrase, row.step->expected) : QVariant();
        case MeasuredColumn:
            return row.step ? say(row.step->measuredPhrase, row.step->measured) : QVariant();
        case ResultColumn:
            if (running)
                return QStringLiteral("...");
            if (!row.step)
                return m_finished ? QVariant(m_texts.notRun) : QVariant();
            return row.step->passed ? m_texts.passed : row.step->linkLost ? m_texts.error : m_texts.failed;
        }
        break;
    case Qt::ToolTipRole:
        // Why an exchange failed: too long for the table, wanted when a step is looked into.
        return row.step && !row.step->why.isEmpty() ? row.step->why : QVariant();
    case Qt::BackgroundRole:
        // The result cells on the verdict panel's grounds, so that a step reads as the unit does.
        if (running)
            return ToolLook::colour(ToolLook::VerdictTesting);
        if (row.step && index.column() == ResultColumn)
            return ToolLook::colour(row.step->passed ? ToolLook::VerdictPass
                                    : row.step->linkLost ? ToolLook::VerdictError : ToolLook::VerdictFail);
        if (row.step && !row.step->passed)
            return ToolLook::colour(ToolLook::FailedStepRow);
        break;
    case Qt::ForegroundRole:
        if (row.step && index.column() == ResultColumn && !running)
            return ToolLook::colour(ToolLook::VerdictInk);
        if (!row.step && m_finished)
            return ToolLook::colour(ToolLook::StepNotRun);
        break;
    case Qt::FontRole:
        if ((index.column() == ResultColumn && row.step) || (row.step && !row.step->passed)) {
            // Only the weight: the face and size stay the view's, which are the window's look.
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        break;
    case Qt::TextAlignmentRole:
        if (index.column() == ResultColumn)
            return int(Qt::AlignCenter);
        break;
    default:
        break;
    }
    return QVariant();
}

QString JigStepModel::say(const JigPhrase &phrase, const QString &english) const
{
    return m_texts.phrase ? m_texts.phrase(phrase, english) : english;
}

QVariant JigStepModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return section + 1;
    return section >= 0 && section < m_texts.headers.size() ? m_texts.headers[section] : QVariant();
}
