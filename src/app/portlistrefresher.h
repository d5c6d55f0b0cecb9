#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class QComboBox;

// Builds the port box's items again each time the operator opens its list, because a USB
// adapter is often plugged in after the tool has started. The text in the box stays what it
// was: it is what the next operation opens, whether or not the list holds it.
class PortListRefresher : public QObject
{
    Q_OBJECT

public:
    using Source = std::function<QStringList()>;

    // Watches box and lives as long as it does.
    PortListRefresher(QComboBox *box, Source source);

    // Replaces the items of box with names and selects the first; the text follows the
    // selection.
    static void fill(QComboBox *box, const QStringList &names);
    // Replaces the items and keeps the text.
    static void refill(QComboBox *box, const QStringList &names);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QComboBox *m_box;
    Source m_source;
};
