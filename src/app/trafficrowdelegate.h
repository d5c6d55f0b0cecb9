#pragma once

#include <QCache>
#include <QFont>
#include <QStaticText>
#include <QStyledItemDelegate>

// How a row of the traffic monitor is drawn: an exchange that did not get its answer in dark
// red, the link opened and closed in grey, command and reply in a fixed-width face so that
// hexadecimal bytes line up from row to row.
//
// The texts are drawn as QStaticText kept from one repaint to the next: the table repaints
// every time rows are published, and laying out each cell's text anew was most of what that
// cost. The background, selection and focus are the style's.
class TrafficRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit TrafficRowDelegate(QObject *parent = nullptr);

    void setBytesFont(const QFont &font);
    // The width a cell of `view` needs to show text in font whole, without an ellipsis.
    int cellWidth(const QString &text, const QFont &font, const QWidget *view) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    // Left and right of the text, within the style's text area.
    static int textMargin(const QStyle *style, const QWidget *widget);
    // The text as laid out in the font, cut to the width with an ellipsis where it is wider.
    QStaticText laidOut(const QString &text, const QFont &font, int width) const;

    // Where the style puts the text of a cell like option's (its text left out).
    QRect textArea(const QStyleOptionViewItem &option, const QStyle *style) const;

    // QFont::key() spells out every attribute of the face: asked once per face, not per cell.
    const QString &fontKey(const QFont &font) const;

    struct TextArea
    {
        const QStyle *style;
        QSize cell;
        QString font;
        QStyleOptionViewItem::ViewItemFeatures features;
        QStyleOptionViewItem::Position decorationPosition;
        QSize decorationSize;
        Qt::Alignment alignment;
        Qt::LayoutDirection direction;
        QRect area; // relative to the cell
        bool sameCell(const TextArea &other) const
        {
            return style == other.style && cell == other.cell && features == other.features
                && decorationPosition == other.decorationPosition && decorationSize == other.decorationSize
                && alignment == other.alignment
                && direction == other.direction && font == other.font;
        }
    };

    QFont m_bytesFont;
    mutable QList<TextArea> m_textAreas;
    mutable QList<std::pair<QFont, QString>> m_fontKeys;
    // Some screens of cells; the least recently drawn go first. Most texts of a stream are
    // new (times, clock replies), so a larger store only holds more of what is never drawn again.
    static constexpr int MaxKept = 1000;
    mutable QCache<QString, QStaticText> m_kept { MaxKept };
};
