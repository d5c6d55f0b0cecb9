#include "portlistrefresher.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QMouseEvent>

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

PortListRefresher::PortListRefresher(QComboBox *box, Source source)
    : QObject(box)
    , m_box(box)
    , m_source(std::move(source))
{
    box->installEventFilter(this);
}

void PortListRefresher::fill(QComboBox *box, const QStringList &names)
{
    box->clear();
    box->addItems(names);
    box->setCurrentIndex(names.isEmpty() ? -1 : 0);
}

void PortListRefresher::refill(QComboBox *box, const QStringList &names)
{
    const QString text = box->currentText();
    fill(box, names);
    box->setEditText(text);
}

bool PortListRefresher::eventFilter(QObject *watched, QEvent *event)
{
    // The list opens from a press on the box (an editable box's text field takes the presses
    // over the text itself) or from the keyboard. The items are rebuilt before QComboBox
    // sizes the list for them.
    if (watched == m_box && m_box->isEnabled() && !m_box->view()->isVisible()) {
        bool opening = false;
        if (event->type() == QEvent::MouseButtonPress)
            opening = static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
        else if (event->type() == QEvent::KeyPress)
            opening = opensList(static_cast<QKeyEvent *>(event));
        if (opening && m_source)
            refill(m_box, m_source());
    }
    return QObject::eventFilter(watched, event);
}
