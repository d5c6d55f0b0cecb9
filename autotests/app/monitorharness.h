#pragma once

// The traffic monitor as the operator reaches it: through the Tools menu of the real window,
// with the user's data folder (where the log file goes) in a temporary folder of the test.

#include "app/trafficmonitorwindow.h"
#include "i18n/texttable.h"
#include "traffic/trafficmodel.h"
#include "windowharness.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QTableView>

namespace MonitorHarness {

// The words of the verdict column, in the order of TrafficRow::Outcome.
inline const int outcomeTextIds[TrafficRow::OutcomeCount] = {
    TextTable::VerdictAnswered,   TextTable::VerdictNoReply,    TextTable::VerdictBadCheckDigits,
    TextTable::VerdictCutOff,     TextTable::VerdictHungUp,     TextTable::VerdictRefused,
    TextTable::VerdictLinkFailed, TextTable::VerdictLinkOpened, TextTable::VerdictLinkClosed,
};

inline QString word(const ExchangeEvent &event, int language = TextTable::English)
{
    return TextTable::text(outcomeTextIds[int(TrafficRow::outcomeOf(event))], language);
}

inline TrafficMonitorWindow *open(WindowHarness &h)
{
    h.find<QAction>("mnuMonitor")->trigger();
    return h.window->trafficMonitor();
}

template<typename T = QWidget>
T *control(TrafficMonitorWindow *monitor, const char *name)
{
    T *w = monitor->findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qWarning("the monitor has no control named %s of the asked kind", name);
    return w;
}

// What the table shows once the rows that have arrived are published, as the monitor's timer
// does a moment later.
inline QAbstractItemModel *table(TrafficMonitorWindow *monitor)
{
    monitor->recorder().model().publish();
    return control<QTableView>(monitor, "tblTraffic")->model();
}

inline QString cell(TrafficMonitorWindow *monitor, int row, int column)
{
    return table(monitor)->index(row, column).data().toString();
}

// One column of every row the table shows.
inline QStringList column(TrafficMonitorWindow *monitor, int column)
{
    QStringList out;
    for (int row = 0; row < table(monitor)->rowCount(); ++row)
        out.append(cell(monitor, row, column));
    return out;
}

// The text a message shows before its first argument ("Cannot write the log file: ").
inline QString prefixOf(int id, int language = TextTable::English)
{
    const QString text = TextTable::text(id, language);
    return text.left(text.indexOf(QLatin1String("%1")));
}

} // namespace MonitorHarness
