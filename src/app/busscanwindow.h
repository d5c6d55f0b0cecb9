#pragma once

#include "controller/busscan.h"

#include <QWidget>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;

// The bus scan's window (frmBusScan): a range of IDs, a progress bar, Cancel, and the IDs that
// answered. It only shows: the main window runs the scan inside its operation bracket when asked
// and reports back here. A top-level window of its own beside the main one, which it leaves as it is.
class BusScanWindow : public QWidget
{
    Q_OBJECT

public:
    // text gives a message of the text table in the language in force.
    BusScanWindow(QWidget *parent, std::function<QString(int)> text);

    void retranslate();

    void scanStarted(int first, int last);
    void showProgress(int done, int total, const BusScan::Found *found);
    void scanEnded(const BusScan::Result &result);
    // The link did not open: the reason, in the main window's words.
    void scanFailed(const QString &why);
    bool cancelRequested() const { return m_cancelRequested; }

Q_SIGNALS:
    void scanRequested(int first, int last);
    // A double-click on an answering ID.
    void idChosen(const QString &id);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void setScanning(bool on);

    std::function<QString(int)> m_text;
    QLabel *m_fromLabel = nullptr;
    QLabel *m_toLabel = nullptr;
    QSpinBox *m_from = nullptr;
    QSpinBox *m_to = nullptr;
    QPushButton *m_scan = nullptr;
    QPushButton *m_cancel = nullptr;
    QProgressBar *m_progress = nullptr;
    QTableWidget *m_table = nullptr;
    QLabel *m_status = nullptr;
    QLabel *m_hint = nullptr;
    bool m_scanning = false;
    bool m_cancelRequested = false;
    int m_first = 0;
};
