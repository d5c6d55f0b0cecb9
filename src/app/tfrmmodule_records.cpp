// The records window of the tools menu.
#include "app/tfrmmodule.h"

#include "app/recordswindow.h"
#include "ui_tfrmmodule.h"

void TfrmModule::addRecordsEntry()
{
    m_mnuRecords = new QAction(this);
    m_mnuRecords->setObjectName(QStringLiteral("mnuRecords"));
    ui->mnuTools->insertAction(ui->mnuBusScan, m_mnuRecords);
    connect(m_mnuRecords, &QAction::triggered, this, &TfrmModule::mnuRecordsClick);
}

void TfrmModule::mnuRecordsClick()
{
    if (!m_recordsWindow) {
        auto *records = new RecordsWindow(m_languageIndex);
        m_recordsWindow.reset(records);
        connect(this, &TfrmModule::languageApplied, records, [this, records] { records->retranslate(m_languageIndex); });
        records->btnShowClick();
    }
    m_recordsWindow->show();
    m_recordsWindow->raise();
    m_recordsWindow->activateWindow();
}
