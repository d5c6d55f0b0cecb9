#pragma once

#include "traffic/trafficlog.h"
#include "traffic/trafficrecorder.h"

#include <QList>
#include <QWidget>
#include <memory>

namespace Ui {
class TrafficMonitorWindow;
}
class TrafficFilter;
class TrafficRowDelegate;

// The traffic monitor (frmMonitor): every exchange of the main window's link as a row, live,
// also while an operation runs. A window of its own, without a parent: the main window
// disables itself (and would disable any child window) while it talks to the controller, and
// the monitor must stay usable then. The main window owns it and ends it.
//
// Closing it only hides it: the rows and the log file go on. The view follows the newest row
// unless the operator has scrolled away from the end; scrolling back to the end follows again.
class TrafficMonitorWindow : public QWidget
{
    Q_OBJECT

public:
    // New rows reach the view at most this often (TrafficModel::setPublishInterval): a
    // repaint costs milliseconds and the automatic test makes some thirty exchanges a second,
    // but a row must be on the screen within 250 ms of its exchange; the test handles the
    // window's messages at least every 20 ms or so, inside its waits.
    static constexpr int PublishIntervalMs = 200;

    // logFolder and clock for the log file; empty, the user's data folder and the real clock.
    explicit TrafficMonitorWindow(const QString &logFolder = QString(), TrafficLog::Clock clock = {});
    ~TrafficMonitorWindow() override;

    // What the main window hands to its link.
    ExchangeObserver *observer() { return &m_recorder; }
    TrafficRecorder &recorder() { return m_recorder; }
    TrafficFilter *filter() const { return m_filter; }

    // Captions, font and title in the language; the columns whose text has one width (the time)
    // grow to hold it in the language's font.
    void retranslate(int languageIndex);
    // Shows, raises and activates the window; the first time, beside `mainWindow` unless a
    // place was stored.
    void showBeside(const QWidget *mainWindow);

    // The rows the filter lets through, in the view's order.
    QList<TrafficRow> shownRows() const;
    bool saveCsv(const QString &path);
    bool saveText(const QString &path);
    // The selected rows, as shown (with a header line), one line each, cells separated by
    // tabs: pasted into a spreadsheet they fill its columns.
    void copySelection();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    void connectControls();
    void restoreSettings();
    void saveLayout();
    QString text(int id) const;
    void showLogState();
    void showPauseState();
    void setStatus(const QString &text, bool failure);
    void askSavePath(bool csv);
    void scheduleScrollToEnd();
    QList<int> columnWidths() const;
    void fitColumns();

    std::unique_ptr<Ui::TrafficMonitorWindow> ui;
    TrafficRecorder m_recorder;
    TrafficFilter *m_filter = nullptr;
    TrafficRowDelegate *m_delegate = nullptr;
    int m_languageIndex = 0;
    bool m_placed = false;
    bool m_widthsChosen = false; // stored, or resized by the operator
    bool m_followEnd = true;
    bool m_scrollPending = false;
};
