#pragma once

#include <QItemDelegate>

// Draws an entry of the port box's open list as the box always did, and beside the port's
// name, in the list's placeholder colour, what the system says of the adapter (its maker,
// model, serial number and stable path). The item's text stays the bare name, so the closed
// box, the text a choice puts in it and what the link opens are the name alone.
class PortItemDelegate : public QItemDelegate
{
    Q_OBJECT

public:
    // The item data role that holds the words beside the name.
    static constexpr int BesideRole = Qt::UserRole + 1;

    explicit PortItemDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // Where the words beside start: past the widest name of the list, so that they line up.
    void setNameWidth(int pixels) { m_nameWidth = pixels; }

private:
    int m_nameWidth = 0;
};
