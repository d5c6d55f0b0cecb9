#include "app/portitemdelegate.h"

#include <QPainter>

namespace {

// Room between the name and the words beside it, in widths of the letter x.
constexpr int GapInLetters = 3;

int gapOf(const QStyleOptionViewItem &option)
{
    return GapInLetters * option.fontMetrics.horizontalAdvance(QLatin1Char('x'));
}

} // namespace

PortItemDelegate::PortItemDelegate(QObject *parent)
    : QItemDelegate(parent)
{
}

void PortItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QItemDelegate::paint(painter, option, index);
    const QString beside = index.data(BesideRole).toString();
    if (beside.isEmpty())
        return;
    const int margin = option.fontMetrics.horizontalAdvance(QLatin1Char(' '));
    QRect area = option.rect;
    area.setLeft(option.rect.left() + margin + qMax(m_nameWidth, option.fontMetrics.horizontalAdvance(index.data().toString())) + gapOf(option));
    if (area.width() <= 0)
        return;
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    painter->save();
    painter->setFont(option.font);
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::PlaceholderText));
    painter->drawText(area, int(Qt::AlignLeft | Qt::AlignVCenter),
                      option.fontMetrics.elidedText(beside, Qt::ElideMiddle, area.width()));
    painter->restore();
}

QSize PortItemDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize size = QItemDelegate::sizeHint(option, index);
    const QString beside = index.data(BesideRole).toString();
    if (!beside.isEmpty()) {
        const int margin = option.fontMetrics.horizontalAdvance(QLatin1Char(' '));
        const int name = qMax(m_nameWidth, option.fontMetrics.horizontalAdvance(index.data().toString()));
        size.setWidth(qMax(size.width(), 2 * margin + name + gapOf(option) + option.fontMetrics.horizontalAdvance(beside)));
    }
    return size;
}
