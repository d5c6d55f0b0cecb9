#pragma once

#include "controller/busscan.h"

#include <QElapsedTimer>
#include <QWidget>
#include <memory>

namespace Ui {
class BusScanWindow;
}

// The bus scan's window (frmBusScan): a range of IDs, a progress bar, Cancel, and the IDs that
// answered. It only shows: the main window runs the scan inside its operation bracket when asked
// and reports back here. A top-level window of its own beside the main one, which it leaves as it is.
class BusScanWindow : public QWidget
{
    Q_OBJECT

public:
    BusScanWindow(QWidget *parent, int languageIndex);
    ~BusScanWindow() override;

    // Captions, font and title in the language; a status already shown keeps its words until
    // the next one.
    void retranslate(int languageIndex);

    void scanStarted(int first, int last);
    void showProgress(int done, int total, const BusScan::Found *found);
    // Two controllers answer one ID: a row of its own that says so.
    void showConflict(const BusScan::Conflict &conflict);
    void scanEnded(const BusScan::Result &result);
    // The link did not open: the reason, in the main window's words.
    void scanFailed(const QString &why);
    bool cancelRequested() const { return m_cancelRequested; }

Q_SIGNALS:
    void scanRequested(int first, int last, BusScan::Speed speed);
    // A double-click on an answering ID: connect to it.
    void idChosen(const QString &id);

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QString text(int id) const;
    void setScanning(bool on);
    void setStatus(const QString &status, bool failure);
    void showTime(int done, int total);
    void addRow(const QStringList &cells, bool conflict);

    std::unique_ptr<Ui::BusScanWindow> ui;
    int m_languageIndex = 0;
    bool m_scanning = false;
    bool m_cancelRequested = false;
    int m_first = 0;
    QElapsedTimer m_clock;
};
