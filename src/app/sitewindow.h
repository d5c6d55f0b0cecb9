#pragma once

#include "site/site.h"
#include "site/siteactions.h"

#include <QWidget>
#include <memory>

namespace Ui {
class SiteWindow;
}

// The site window (frmSite): a site's rows, the actions over the selected ones with a progress
// bar and Cancel, addressing and replacement, the site file and the handover report. It holds
// the site and shows it; the main window runs every exchange inside its operation bracket when
// asked, and tells the window of each unit as it goes, so the window repaints and Cancel counts.
class SiteWindow : public QWidget
{
    Q_OBJECT

public:
    SiteWindow(QWidget *parent, int languageIndex);
    ~SiteWindow() override;

    void retranslate(int languageIndex);

    Site &site() { return m_site; }
    // A site from elsewhere (a file opened, a scan), shown whole.
    void setSite(const Site &site);
    // The rows again, after the site changed.
    void refresh();
    // The IDs of the selected rows, in the order of the site.
    QList<QByteArray> selectedIds() const;
    // The IDs that failed in the last action, for "run again on the failed".
    QList<QByteArray> lastFailed() const { return m_lastFailed; }

    // Work in progress: the buttons held off, Cancel live, the bar and the status line.
    void workStarted(int total);
    void showProgress(int done, int total, const QByteArray &id);
    void workEnded(const SiteActions::Result &result);
    // One line in the status, in the error colour when `failure`.
    void showStatus(const QString &text, bool failure);
    bool cancelRequested() const { return m_cancelRequested; }

    // Saves the site (false, said in the status, when it cannot).
    bool saveTo(const QString &path);
    bool openFrom(const QString &path);
    bool writeReport(const QString &path);

Q_SIGNALS:
    void actionRequested(SiteActions::Action action, const QList<QByteArray> &ids);
    void scanRequested();
    void addressRequested(int from);
    void replaceRequested(const QByteArray &id);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QString text(int id) const;
    void setWorking(bool on);
    void requestAction(SiteActions::Action action, const QList<QByteArray> &ids);

    std::unique_ptr<Ui::SiteWindow> ui;
    Site m_site;
    int m_languageIndex = 0;
    bool m_working = false;
    bool m_cancelRequested = false;
    SiteActions::Action m_lastAction = SiteActions::Action::Read;
    QList<QByteArray> m_lastFailed;
};
