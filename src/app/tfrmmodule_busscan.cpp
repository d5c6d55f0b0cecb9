// The bus scan: which IDs answer on the line at the link page's settings.
#include "app/tfrmmodule.h"

#include "app/busscanwindow.h"
#include "app/operationbracket.h"
#include "controller/busscan.h"
#include "ui_tfrmmodule.h"

void TfrmModule::connectBusScanHandlers()
{
    connect(ui->mnuBusScan, &QAction::triggered, this, &TfrmModule::mnuBusScanClick);
}

void TfrmModule::mnuBusScanClick()
{
    if (!m_busScan) {
        m_busScan = new BusScanWindow(this, m_languageIndex);
        connect(this, &TfrmModule::languageApplied, m_busScan, [this] { m_busScan->retranslate(m_languageIndex); });
        connect(m_busScan, &BusScanWindow::scanRequested, this, [this](int first, int last, BusScan::Speed speed) {
            if (!m_bracket->active())
                runBusScan(first, last, speed);
        });
        // The chosen ID goes where the operator would type it, the scroll bar follows, and the
        // connect runs as if its button were pressed.
        connect(m_busScan, &BusScanWindow::idChosen, this, [this](const QString &id) {
            if (m_bracket->active())
                return;
            {
                const QSignalBlocker quiet(ui->sbScanId);
                ui->sbScanId->setValue(id.toInt());
                ui->edScanId->setText(id);
            }
            btnConnectClick();
        });
    }
    m_busScan->show();
    m_busScan->raise();
    m_busScan->activateWindow();
}

void TfrmModule::runBusScan(int first, int last, BusScan::Speed speed)
{
    m_busScan->scanStarted(first, last);
    if (!m_bracket->begin([this] { return captureLinkSettings(); })) {
        m_bracket->endNoLink();
        m_busScan->scanFailed(m_session.link().openFailureText());
        return;
    }
    // The bracket holds the main window off; the scan's own window stays usable for Cancel.
    m_busScan->setEnabled(true);
    m_bracket->setBanner(localText(TextTable::BusScanTitle));

    BusScan scan(m_session.link());
    scan.setRange(first, last);
    scan.setSpeed(speed);
    scan.setConflictSeen([this](const BusScan::Conflict &conflict) { m_busScan->showConflict(conflict); });
    scan.setProgress([this](int done, int total, const BusScan::Found *found) {
        m_busScan->showProgress(done, total, found);
        m_bracket->processMessages();
    });
    // Closing the main window also ends the scan, at the next ID.
    scan.setCancelled([this] { return m_busScan->cancelRequested() || m_closePending; });
    const BusScan::Result result = scan.run();
    m_busScan->scanEnded(result);
    m_bracket->endOk();
}
