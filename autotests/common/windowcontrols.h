#pragma once

// Setting and reading the window's controls by name, and watching the banner while a handler
// runs: what the parameter and identity tests share.

#include "i18n/texttable.h"
#include "windowharness.h"

#include <QCheckBox>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

// A text of the text table in English, the language a test's window starts in.
// The rows of a table run once in each language, chosen from the window's menu: "menu" names
// the menu entry, "language" the column of the text table.
inline void addLanguageRows()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<int>("language");
    QTest::newRow("English") << "mnuEnglish" << int(TextTable::English);
    QTest::newRow("Simplified Chinese") << "mnuSimplified" << int(TextTable::SimplifiedChinese);
    QTest::newRow("Traditional Chinese") << "mnuTraditional" << int(TextTable::TraditionalChinese);
}

inline QString inEnglish(int id)
{
    return TextTable::text(id, TextTable::English);
}

// The entries of a list, or what they carry in another role (their tool tips).
inline QStringList itemsOf(const QComboBox *box, int role = Qt::DisplayRole)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items.append(box->itemData(i, role).toString());
    return items;
}

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

// Presses button with the controls left as given, in a window connected through wiring: the
// value is refused in the window, before any link opens, with the failure's banner, tip, lamp
// and tone, and the window stays usable.
inline void checkRefusedBeforeSending(Simulator::Wiring wiring, const QString &button, const QStringList &controls)
{
    Simulator sim({}, wiring);
    QVERIFY(sim.start());
    WindowHarness h;
    QVERIFY(connectWithId(h, sim));
    setControls(h, controls);
    const int opens = h.traffic.opens();
    const qsizetype tones = h.tone->played.size();

    h.click(button.toLatin1().constData());

    QCOMPARE(h.traffic.opens(), opens);
    QCOMPARE(h.banner(), inEnglish(TextTable::InvalidValue));
    QVERIFY(!h.find("pnMsg")->toolTip().isEmpty());
    QCOMPARE(h.lamp("shComm"), QColor(255, 0, 0));
    QCOMPARE(h.tone->played.size(), tones + 1);
    QCOMPARE(h.tone->played.last().frequencyHz, 300);
    QVERIFY(h.window->isEnabled());
    QVERIFY(h.find("pcMain")->isEnabled());
    // Give a stray exchange time to show in the log.
    QTest::qWait(50);
    QVERIFY(sim.requests().isEmpty());
}

// Presses button with the controls left as given, in a window connected to controller 001
// through wiring: exactly the expected requests go out, the banner shows bannerId on the way, and
// the operation ends well with the link closed; the tool's own controller ID stays.
inline void checkSentAndEndedOk(Simulator::Wiring wiring, const QString &button, const QStringList &controls,
                                const QList<QByteArray> &expected, int bannerId)
{
    Simulator sim({ "--id", "001" }, wiring);
    QVERIFY(sim.start());
    WindowHarness h;
    QVERIFY(connectWithId(h, sim, "001"));
    setControls(h, controls);

    BannerRecorder banners(h);
    h.click(button.toLatin1().constData());

    QCOMPARE(sim.requests(), expected);
    QVERIFY2(banners.seen.contains(inEnglish(bannerId)), qPrintable(banners.seen.join(u'|')));
    QCOMPARE(h.banner(), inEnglish(TextTable::CommandOk));
    QCOMPARE(h.lamp("shComm"), QColor(255, 255, 0));
    QCOMPARE(h.tone->played.last().frequencyHz, 1000);
    QVERIFY(!h.window->session().link().isOpen());
    QVERIFY(h.window->isEnabled());
    QCOMPARE(h.window->session().deviceId(), QByteArray("001"));
}
