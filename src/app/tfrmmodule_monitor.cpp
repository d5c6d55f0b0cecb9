// The traffic monitor window of the Tools menu.
#include "app/tfrmmodule.h"

#include "app/trafficmonitorwindow.h"
#include "settings/monitorsettings.h"

void TfrmModule::mnuMonitorClick()
{
    startTrafficMonitor();
    m_monitor->showBeside(this);
}

void TfrmModule::startTrafficMonitor()
{
    if (m_monitor)
        return;
    // From now on until the window goes, hidden or not, the monitor sees every exchange.
    m_monitor = new TrafficMonitorWindow;
    m_monitor->retranslate(m_languageIndex);
    connect(this, &TfrmModule::languageApplied, m_monitor, [this] { m_monitor->retranslate(m_languageIndex); });
    addExchangeObserver(m_monitor->observer());
}

void TfrmModule::restoreTrafficMonitor()
{
    // A log file that keeps running keeps running across a restart, window open or not.
    if (MonitorSettings::read().logFile)
        startTrafficMonitor();
}

void TfrmModule::endTrafficMonitor()
{
    if (!m_monitor)
        return;
    removeExchangeObserver(m_monitor->observer());
    delete m_monitor;
    m_monitor = nullptr;
}
