// The site window's work: scan, actions over units, addressing and replacement, each inside the
// operation bracket on the site's own line.
#include "app/tfrmmodule.h"

#include "app/operationbracket.h"
#include "app/sitewindow.h"
#include "controller/busscan.h"
#include "site/siteaddressing.h"
#include "ui_tfrmmodule.h"

#include <QElapsedTimer>
#include <QMenu>
#include <QThread>

namespace {

// Undoes something at the end of a scope, on every way out.
struct AtExit
{
    std::function<void()> undo;
    ~AtExit() { undo(); }
};

} // namespace

// A site's work lasts minutes: the window repaints and takes the operator's Cancel throughout.
// The fixed waits are slept in slices of at most 20 ms, blocking in the system, and end at
// Cancel; an exchange's wait for its reply is sliced the same way by the link and cut at Cancel
// (after a short grace for a reply on its way), and nothing is sent after it. The unit in hand
// is left where Cancel found it, and said to be so; the other operations keep their plain waits.
bool TfrmModule::siteCancelled() const
{
    return m_siteWindow->cancelRequested() || m_closePending;
}

void TfrmModule::siteWait(int milliseconds)
{
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        m_bracket->processMessages();
        const qint64 left = milliseconds - waited.elapsed();
        if (left <= 0 || siteCancelled())
            return;
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(left, 20)));
    }
}

std::function<void()> TfrmModule::siteWaitsTakeCancel()
{
    m_session.setPause([this](int milliseconds) { siteWait(milliseconds); });
    m_session.link().setInterrupt([this] {
        m_bracket->processMessages();
        return siteCancelled();
    });
    return [this] {
        m_session.link().setInterrupt({});
        m_session.setPause([](int milliseconds) { QThread::msleep(static_cast<unsigned long>(milliseconds)); });
    };
}

void TfrmModule::connectSiteHandlers()
{
    // Beside the bus scan in the Tools menu; the menu bar itself looks as it did.
    m_mnuSite = new QAction(this);
    m_mnuSite->setObjectName(QStringLiteral("mnuSite"));
    const QList<QAction *> entries = ui->mnuTools->actions();
    const qsizetype scan = entries.indexOf(ui->mnuBusScan);
    ui->mnuTools->insertAction(scan >= 0 && scan + 1 < entries.size() ? entries.at(scan + 1) : nullptr, m_mnuSite);
    connect(m_mnuSite, &QAction::triggered, this, &TfrmModule::mnuSiteClick);
}

void TfrmModule::mnuSiteClick()
{
    if (!m_siteWindow) {
        m_siteWindow = new SiteWindow(this, m_languageIndex);
        connect(this, &TfrmModule::languageApplied, m_siteWindow, [this] { m_siteWindow->retranslate(m_languageIndex); });
        connect(m_siteWindow, &SiteWindow::actionRequested, this, [this](SiteActions::Action action, const QList<QByteArray> &ids) {
            if (!m_bracket->active())
                runSiteAction(action, ids);
        });
        connect(m_siteWindow, &SiteWindow::scanRequested, this, [this] {
            if (!m_bracket->active())
                runSiteScan();
        });
        connect(m_siteWindow, &SiteWindow::addressRequested, this, [this](int from) {
            if (!m_bracket->active())
                runSiteAddressing(QByteArray(), from);
        });
        connect(m_siteWindow, &SiteWindow::replaceRequested, this, [this](const QByteArray &id) {
            if (!m_bracket->active())
                runSiteAddressing(id, 0);
        });
    }
    m_siteWindow->show();
    m_siteWindow->raise();
    m_siteWindow->activateWindow();
}

// A new site is on the line the main window's link page names; an opened one on its own.
bool TfrmModule::beginSiteWork()
{
    Site &site = m_siteWindow->site();
    if (site.link.portName.isEmpty() && site.link.hostAddress.isEmpty())
        site.link = captureLinkSettings();
    const LinkSettings link = site.link;
    if (!m_bracket->begin([link] { return link; })) {
        m_bracket->endNoLink();
        m_siteWindow->showStatus(localText(TextTable::ConnectDeviceError) + QLatin1Char(' ') + m_session.link().openFailureText(), true);
        return false;
    }
    // The bracket holds the main window off; the site's own window stays usable for Cancel.
    m_siteWindow->setEnabled(true);
    m_bracket->setBanner(localText(TextTable::SiteTitle));
    return true;
}

void TfrmModule::runSiteAction(SiteActions::Action action, const QList<QByteArray> &ids)
{
    if (!beginSiteWork())
        return;
    const AtExit plainWaits { siteWaitsTakeCancel() };
    m_siteWindow->workStarted(int(ids.size()));
    SiteActions actions(m_session, m_siteWindow->site());
    actions.setProgress([this](int done, int total, const QByteArray &id) {
        m_siteWindow->showProgress(done, total, id);
        m_bracket->processMessages();
    });
    actions.setCancelled([this] { return siteCancelled(); });
    const SiteActions::Result result = actions.run(action, ids);
    m_siteWindow->workEnded(result);
    if (result.ok())
        m_bracket->endOk();
    else
        m_bracket->endFailed(localText(TextTable::SiteDone).arg(result.units.size()).arg(result.failedIds().size()));
}

void TfrmModule::runSiteScan()
{
    if (!beginSiteWork())
        return;
    const AtExit plainWaits { siteWaitsTakeCancel() };
    m_siteWindow->workStarted(BusScan::HighestId + 1);
    BusScan scan(m_session.link());
    scan.setPause([this](int milliseconds) { siteWait(milliseconds); });
    scan.setSpeed(BusScan::Speed::Quick);
    scan.setProgress([this](int done, int total, const BusScan::Found *found) {
        if (found && found->id.toInt() != SiteAddressing::NewUnitId && m_siteWindow->site().indexOf(found->id) < 0) {
            SiteUnit unit;
            unit.id = found->id;
            unit.model = found->model;
            unit.version = found->versionText;
            unit.serialNumber = found->serialNumber;
            m_siteWindow->site().add(unit);
        }
        m_siteWindow->showProgress(done, total, done < total ? QByteArray::number(done).rightJustified(3, '0') : QByteArray());
        m_bracket->processMessages();
    });
    scan.setCancelled([this] { return siteCancelled(); });
    const BusScan::Result found = scan.run();
    SiteActions::Result result;
    result.cancelled = found.cancelled;
    for (const BusScan::Found &f : found.found)
        result.units.append({ f.id, true, QString() });
    for (const BusScan::Conflict &c : found.conflicts)
        result.units.append({ c.id, false, c.why });
    m_siteWindow->workEnded(result);
    m_bracket->endOk();
}

void TfrmModule::runSiteAddressing(const QByteArray &replacing, int from)
{
    if (!beginSiteWork())
        return;
    const AtExit plainWaits { siteWaitsTakeCancel() };
    m_siteWindow->workStarted(1);
    SiteAddressing addressing(m_session, m_siteWindow->site());
    const SiteAddressing::Outcome outcome = replacing.isEmpty() ? addressing.addressNext(from) : addressing.replace(replacing);
    m_siteWindow->workEnded({});
    if (!outcome.ok()) {
        m_siteWindow->showStatus(outcome.why, true);
        m_bracket->endFailed(outcome.why);
        return;
    }
    const Site &site = m_siteWindow->site();
    m_siteWindow->showStatus(replacing.isEmpty()
                                 ? localText(TextTable::SiteAddressed).arg(QString::fromLatin1(outcome.id), QString::fromLatin1(outcome.serialNumber))
                                 : localText(TextTable::SiteReplaced)
                                       .arg(QString::fromLatin1(outcome.id), QString::fromLatin1(outcome.serialNumber),
                                            QString::fromLatin1(site.units[site.indexOf(outcome.id)].replaced.last().serialNumber)),
                             false);
    m_bracket->endOk();
}
