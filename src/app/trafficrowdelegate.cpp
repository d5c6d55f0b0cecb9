#include "app/trafficrowdelegate.h"

#include "app/toollook.h"
#include "traffic/trafficfilter.h"
#include "traffic/trafficmodel.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPainter>

TrafficRowDelegate::TrafficRowDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
    , m_bytesFont(QFontDatabase::systemFont(QFontDatabase::FixedFont))
{
}

void TrafficRowDelegate::setBytesFont(const QFont &font)
{
    m_bytesFont = font;
    m_kept.clear();
}

void TrafficRowDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const auto outcome = TrafficRow::Outcome(index.data(TrafficModel::OutcomeRole).toInt());
    QColor text;
    if (TrafficFilter::Problems & TrafficFilter::bit(outcome))
        text = ToolLook::colour(ToolLook::ProblemRow);
    else if (outcome == TrafficRow::Outcome::LinkOpened || outcome == TrafficRow::Outcome::LinkClosed)
        text = ToolLook::colour(ToolLook::LinkEventRow);
    if (text.isValid())
        option->palette.setColor(QPalette::Text, text);
    if (index.column() == TrafficModel::CommandColumn || index.column() == TrafficModel::ReplyColumn) {
        option->font = m_bytesFont;
        option->fontMetrics = QFontMetrics(m_bytesFont);
    }
}

void TrafficRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    const QWidget *widget = opt.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    // With no text the style draws only a selection, a focus frame or a background brush: a
    // plain cell, most of any repaint, has none of them.
    if ((opt.state & (QStyle::State_Selected | QStyle::State_HasFocus)) || opt.backgroundBrush.style() != Qt::NoBrush)
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    if (text.isEmpty())
        return;

    // The text where the style would put it, with its margins.
    const int margin = textMargin(style, widget);
    const QRect area = textArea(opt, style).adjusted(margin, 0, -margin, 0);
    if (area.width() <= 0)
        return;
    const QStaticText laid = laidOut(text, opt.font, area.width());
    const QSizeF size = laid.size();
    const qreal x = (opt.displayAlignment & Qt::AlignRight) ? area.right() + 1 - size.width() : area.left();
    const qreal y = area.top() + (area.height() - size.height()) / 2;
    const bool selected = opt.state & QStyle::State_Selected;
    const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
        : (opt.state & QStyle::State_Active)                               ? QPalette::Active
                                                                            : QPalette::Inactive;
    painter->save();
    painter->setClipRect(area);
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawStaticText(QPointF(x, y), laid);
    painter->restore();
}

QRect TrafficRowDelegate::textArea(const QStyleOptionViewItem &option, const QStyle *style) const
{
    // The style lays out an empty text to find its area, the same for every cell of a column:
    // the area is kept relative to the cell, for what it depends on.
    const TextArea key { style,
                         option.rect.size(),
                         fontKey(option.font),
                         option.features,
                         option.decorationPosition,
                         option.decorationSize,
                         option.displayAlignment,
                         option.direction,
                         QRect() };
    for (const TextArea &known : std::as_const(m_textAreas))
        if (known.sameCell(key))
            return known.area.translated(option.rect.topLeft());
    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &option, option.widget);
    // The columns of one language and its faces; a resized column or a language switch brings others.
    if (m_textAreas.size() >= 32)
        m_textAreas.removeFirst();
    m_textAreas.append(key);
    m_textAreas.last().area = area.translated(-option.rect.topLeft());
    return area;
}

const QString &TrafficRowDelegate::fontKey(const QFont &font) const
{
    for (const auto &[known, key] : std::as_const(m_fontKeys))
        if (known == font)
            return key;
    // The faces of one language (rows, bytes); a language switch brings others.
    if (m_fontKeys.size() >= 8)
        m_fontKeys.removeFirst();
    m_fontKeys.append({ font, font.key() });
    return m_fontKeys.last().second;
}

int TrafficRowDelegate::textMargin(const QStyle *style, const QWidget *widget)
{
    return style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
}

int TrafficRowDelegate::cellWidth(const QString &text, const QFont &font, const QWidget *view) const
{
    // The style keeps its text margin inside the cell, paint() its own inside that.
    const QStyle *style = view ? view->style() : QApplication::style();
    return QFontMetrics(font).horizontalAdvance(text) + 4 * textMargin(style, view);
}

QStaticText TrafficRowDelegate::laidOut(const QString &text, const QFont &font, int width) const
{
    // The same text in the same face and cell width looks the same: one layout serves all.
    QString key = fontKey(font);
    key += QChar(0);
    key += QString::number(width);
    key += QChar(0);
    key += text;
    if (const QStaticText *kept = m_kept.object(key))
        return *kept;
    const QFontMetrics metrics(font);
    auto *laid = new QStaticText(metrics.horizontalAdvance(text) > width ? metrics.elidedText(text, Qt::ElideRight, width) : text);
    laid->setTextFormat(Qt::PlainText);
    laid->prepare(QTransform(), font);
    const QStaticText copy = *laid;
    m_kept.insert(key, laid);
    return copy;
}
