#include "app/portlistrefresher.h"

#include "app/portitemdelegate.h"
#include "app/porttooltip.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

namespace {

// The keys with which QComboBox opens its list.
bool opensList(const QKeyEvent *key)
{
    if (key->key() == Qt::Key_F4 && key->modifiers() == Qt::NoModifier)
        return true;
    return (key->key() == Qt::Key_Down || key->key() == Qt::Key_Up)
        && key->modifiers().testFlag(Qt::AltModifier);
}

} // namespace

PortListRefresher::PortListRefresher(QComboBox *box, Source source, Describe describe)
    : QObject(box)
    , m_box(box)
    , m_source(std::move(source))
    , m_describe(std::move(describe))
{
    box->setItemDelegate(new PortItemDelegate(box));
    box->installEventFilter(this);
}

QList<SerialPortEntry> PortListRefresher::entries() const
{
    return m_source ? m_source() : QList<SerialPortEntry>();
}

void PortListRefresher::setSource(Source source)
{
    m_source = std::move(source);
}

void PortListRefresher::fill(QComboBox *box, const QList<SerialPortEntry> &ports, const Describe &describe)
{
    box->clear();
    for (const SerialPortEntry &port : ports) {
        box->addItem(port.name);
        const QString tip = describe ? describe(port) : QString();
        if (!tip.isEmpty())
            box->setItemData(box->count() - 1, tip, Qt::ToolTipRole);
        const QString beside = PortToolTip::beside(port);
        if (!beside.isEmpty())
            box->setItemData(box->count() - 1, beside, PortItemDelegate::BesideRole);
    }
    box->setCurrentIndex(ports.isEmpty() ? -1 : 0);

    // QComboBox makes its list as wide as the names; the words beside them need more.
    QAbstractItemView *view = box->view();
    if (auto *delegate = qobject_cast<PortItemDelegate *>(box->itemDelegate())) {
        int nameWidth = 0;
        for (const SerialPortEntry &port : ports)
            nameWidth = qMax(nameWidth, view->fontMetrics().horizontalAdvance(port.name));
        delegate->setNameWidth(nameWidth);
        const int wanted = view->sizeHintForColumn(0) + view->verticalScrollBar()->sizeHint().width() + 2 * view->frameWidth();
        view->setMinimumWidth(wanted > box->width() ? wanted : 0);
    }
}

void PortListRefresher::refill(QComboBox *box, const QList<SerialPortEntry> &ports, const Describe &describe)
{
    const QString text = box->currentText();
    fill(box, ports, describe);
    box->setEditText(text);
}

bool PortListRefresher::eventFilter(QObject *watched, QEvent *event)
{
    // The list opens from a press on the box (an editable box's text field takes the presses
    // over the text itself) or from the keyboard. The items are rebuilt before QComboBox
    // sizes the list for them.
    // While the box is being destroyed it is a QComboBox no more (focus events still come):
    // qobject_cast says so, where touching m_box as a combo box would be undefined.
    const bool press = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress;
    auto *box = press ? qobject_cast<QComboBox *>(watched) : nullptr;
    if (box && box == m_box && box->isEnabled() && !box->view()->isVisible()) {
        const bool opening = event->type() == QEvent::MouseButtonPress
            ? static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton
            : opensList(static_cast<QKeyEvent *>(event));
        if (opening && m_source)
            refill(box, m_source(), m_describe);
    }
    return QObject::eventFilter(watched, event);
}
