#pragma once

// Setting and reading the window's controls by name, and watching the banner while a handler
// runs: what the parameter and identity tests share.

#include "windowharness.h"

#include <QCheckBox>
#include <QScrollBar>
#include <QTimer>

// Leaves a control as an operator would, from "name=value": a list takes an item index (-1 for
// no selection), a field its text, a check box 0 or 1, a scroll bar its position.
inline void setControl(WindowHarness &h, const QString &assignment)
{
    const qsizetype eq = assignment.indexOf(u'=');
    const QByteArray name = assignment.left(eq).toLatin1();
    const QString value = assignment.mid(eq + 1);
    QWidget *w = h.find(name.constData());
    if (auto list = qobject_cast<QComboBox *>(w))
        list->setCurrentIndex(value.toInt());
    else if (auto field = qobject_cast<QLineEdit *>(w))
        field->setText(value);
    else if (auto box = qobject_cast<QCheckBox *>(w))
        box->setChecked(value == u"1");
    else if (auto bar = qobject_cast<QScrollBar *>(w))
        bar->setValue(value.toInt());
    else
        qWarning("cannot set %s", name.constData());
}

inline void setControls(WindowHarness &h, const QStringList &assignments)
{
    for (const QString &a : assignments)
        setControl(h, a);
}

// The state of a control in the same "name=value" form.
inline QString controlState(const WindowHarness &h, const QString &name)
{
    QWidget *w = h.find(name.toLatin1().constData());
    QString value;
    if (auto list = qobject_cast<QComboBox *>(w))
        value = QString::number(list->currentIndex());
    else if (auto field = qobject_cast<QLineEdit *>(w))
        value = field->text();
    else if (auto box = qobject_cast<QCheckBox *>(w))
        value = box->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    else if (auto bar = qobject_cast<QScrollBar *>(w))
        value = QString::number(bar->value());
    return name + u'=' + value;
}

inline QStringList controlStates(const WindowHarness &h, const QStringList &names)
{
    QStringList states;
    for (const QString &n : names)
        states << controlState(h, n);
    return states;
}

// The banner texts shown at the points where a running handler lets the window process its
// messages, each change once.
class BannerRecorder
{
public:
    explicit BannerRecorder(const WindowHarness &h)
    {
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, [this, &h] {
            const QString now = h.banner();
            if (seen.isEmpty() || seen.last() != now)
                seen << now;
        });
        m_timer.start();
    }
    QStringList seen;

private:
    QTimer m_timer;
};

// Connects the window to the simulator that answers to `id`; the requests of the connect are
// cleared, so that requests() holds only what the test's own presses sent.
template<typename Sim>
bool connectWithId(WindowHarness &h, Sim &sim, const QString &id = QStringLiteral("000"))
{
    h.find<QLineEdit>("edScanId")->setText(id);
    if (!h.connectTo(sim))
        return false;
    sim.clearRequests();
    return true;
}
