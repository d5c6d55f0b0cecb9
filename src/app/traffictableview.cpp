#include "app/traffictableview.h"

#include "app/trafficscrollbar.h"

#include <QHeaderView>

TrafficTableView::TrafficTableView(QWidget *parent)
    : QTableView(parent)
{
    // The item view tells its base of the bar's actions and moves; a bar set afterwards is
    // connected to the view here.
    auto *bar = new TrafficScrollBar(this);
    setVerticalScrollBar(bar);
    connect(bar, &QScrollBar::actionTriggered, this, &TrafficTableView::verticalScrollbarAction);
    connect(bar, &QScrollBar::valueChanged, this, &TrafficTableView::verticalScrollbarValueChanged);
    // Moved by whole pixels, what is on the screen moves exactly as far as the rows do.
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
}

void TrafficTableView::setModel(QAbstractItemModel *model)
{
    if (QAbstractItemModel *old = this->model())
        disconnect(old, nullptr, this, nullptr);
    QTableView::setModel(model);
    wholeViewChanged();
    if (!model)
        return;
    connect(model, &QAbstractItemModel::modelReset, this, &TrafficTableView::wholeViewChanged);
    connect(model, &QAbstractItemModel::layoutChanged, this, &TrafficTableView::wholeViewChanged);
    connect(model, &QAbstractItemModel::rowsMoved, this, &TrafficTableView::wholeViewChanged);
    connect(model, &QAbstractItemModel::columnsInserted, this, &TrafficTableView::wholeViewChanged);
    connect(model, &QAbstractItemModel::columnsRemoved, this, &TrafficTableView::wholeViewChanged);
}

void TrafficTableView::rowsInserted(const QModelIndex &parent, int start, int end)
{
    if (!parent.isValid() && model() && end == model()->rowCount() - 1) {
        if (m_firstAppended < 0)
            m_firstAppended = start;
    } else {
        wholeViewChanged();
    }
    QTableView::rowsInserted(parent, start, end);
}

void TrafficTableView::rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end)
{
    wholeViewChanged();
    QTableView::rowsAboutToBeRemoved(parent, start, end);
}

void TrafficTableView::doItemsLayout()
{
    const int first = m_firstAppended;
    const bool whole = m_wholeView || first < 0;
    m_firstAppended = -1;
    m_wholeView = false;
    if (whole) {
        QTableView::doItemsLayout();
        return;
    }
    // What the base layout does but its repaint of everything: the scroll bars and headers
    // take the new rows, and only the part of the view from the first new row down is painted.
    // A view that follows the end scrolls afterwards, which moves the rest as pixels.
    updateGeometries();
    const int top = rowViewportPosition(first);
    if (top < viewport()->height())
        viewport()->update(0, std::max(0, top), viewport()->width(), viewport()->height() - std::max(0, top));
}
