#pragma once

#include <QTableView>

// The monitor's table. Rows that arrive at the end are laid out without a repaint of the whole
// table: what the view shows already moves as pixels when it follows the end (the base view
// scrolls that way), and only the new rows are painted. The base view repaints everything
// after any change of its rows, a few milliseconds of text drawing several times a second
// while the automatic test runs. Every other change (rows removed, the model reset or sorted,
// the filter changed) repaints as the base view does.
class TrafficTableView : public QTableView
{
    Q_OBJECT

public:
    explicit TrafficTableView(QWidget *parent = nullptr);

    void setModel(QAbstractItemModel *model) override;
    void doItemsLayout() override;

protected:
    void rowsInserted(const QModelIndex &parent, int start, int end) override;
    void rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end) override;

private:
    void wholeViewChanged() { m_wholeView = true; }

    int m_firstAppended = -1; // the first row appended since the last layout
    bool m_wholeView = false; // something else changed since the last layout
};
