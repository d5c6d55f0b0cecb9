// Start-up, settings, languages and shutdown of the window.
#include "app/tfrmmodule.h"

#include "app/operationbracket.h"
#include "i18n/language.h"
#include "i18n/languagefont.h"
#include "app/portlistrefresher.h"
#include "app/porttooltip.h"
#include "app/windowcaption.h"
#include "link/serialportlist.h"
#include "settings/storedsettings.h"
#include "i18n/texttable.h"
#include "ui_tfrmmodule.h"

#include <QMenuBar>

QString TfrmModule::localText(int id) const
{
    return TextTable::text(id, m_languageIndex);
}

QString TfrmModule::languageFlag() const
{
    return m_languageFlag;
}

void TfrmModule::chooseLanguage(int index)
{
    m_languageIndex = index;
    m_languageFlag = Language::flagOf(index);
    saveLanguageSetting();
    applyLanguage();
}

void TfrmModule::applyLanguageFont(QWidget *target)
{
    const LanguageFont row = LanguageFont::forLanguage(m_languageIndex);
    // The character set has no place in a Qt font: the face that row.font() substitutes
    // covers the row's script, which is what the character set chose.
    target->setFont(row.font());
    QPalette palette = target->palette();
    // Only the active and inactive groups: disabled controls keep their greyed text, or a
    // button that cannot be pressed would look as if it could.
    for (const QPalette::ColorGroup group : { QPalette::Active, QPalette::Inactive })
        for (const QPalette::ColorRole role : { QPalette::WindowText, QPalette::ButtonText, QPalette::Text })
            palette.setColor(group, role, row.textColor());
    target->setPalette(palette);

    // The menu bar follows the window font; the client area below it keeps its size.
    if (target == this)
        setFixedSize(centralWidget()->width(), centralWidget()->height() + menuBar()->sizeHint().height());
}

void TfrmModule::loadStoredSettings()
{
    const StoredSettings stored = StoredSettings::read();
    m_linkSettings.portName = stored.comPortName;
    m_linkSettings.lineMode = stored.comBaudRate;
    m_linkSettings.hostAddress = stored.netIp;
    m_linkSettings.hostPort = stored.netPort;
    m_languageFlag = stored.languageFlag;
    m_languageIndex = stored.languageIndex;
    m_rememberedAdapter = { stored.comPortStablePath, stored.comPortSerialNumber };
    m_rememberedPort = stored.comPortName;

    const auto describe = [this](const SerialPortEntry &port) { return PortToolTip::text(port, m_languageIndex); };
    const QList<SerialPortEntry> present = SerialPortList::entries();
    m_portList = new PortListRefresher(ui->cmbPort, &SerialPortList::entries, describe);
    PortListRefresher::fill(ui->cmbPort, present, describe);
    ui->cmbPort->setEditText(m_linkSettings.portName);
    ui->pnMsg->setToolTip(followRememberedAdapter(present));
    m_linkSettings.portName = ui->cmbPort->currentText();
    ui->cmbBaudrate->setEditText(m_linkSettings.lineMode);
    ui->edIP->setText(m_linkSettings.hostAddress);
    ui->edPort->setText(m_linkSettings.hostPort);

    if (stored.linkMode() == LinkSettings::Com) {
        ui->pcPort->setCurrentWidget(ui->tsCom);
        m_linkSettings.mode = LinkSettings::Com;
    } else {
        ui->pcPort->setCurrentWidget(ui->tsNet);
        m_linkSettings.mode = LinkSettings::Net;
    }

    ui->pcMain->setEnabled(false);
}

// Only the fields of the page in front are taken; the other page's stay as they were.
LinkSettings TfrmModule::captureLinkSettings()
{
    if (ui->pcPort->currentWidget() == ui->tsCom) {
        m_linkSettings.mode = LinkSettings::Com;
        if (m_bracket && ui->cmbPort->currentText() == m_rememberedPort && !m_rememberedAdapter.isEmpty())
            if (const QString moved = followRememberedAdapter(m_portList->entries()); !moved.isEmpty())
                m_bracket->noteLink(moved);
        m_linkSettings.portName = ui->cmbPort->currentText();
        m_linkSettings.lineMode = ui->cmbBaudrate->currentText();
    } else {
        m_linkSettings.mode = LinkSettings::Net;
        m_linkSettings.hostAddress = ui->edIP->text();
        m_linkSettings.hostPort = ui->edPort->text();
    }
    return m_linkSettings;
}

QString TfrmModule::followRememberedAdapter(const QList<SerialPortEntry> &present)
{
    const QString written = ui->cmbPort->currentText();
    if (written != m_rememberedPort)
        return QString();
    const AdapterIdentity::Choice choice = m_rememberedAdapter.portFor(written, present);
    if (!choice.moved)
        return QString();
    ui->cmbPort->setEditText(choice.portName);
    m_rememberedPort = choice.portName;
    const SerialPortEntry adapter = *m_rememberedAdapter.findIn(present);
    return localText(TextTable::AdapterMovedTip).arg(PortToolTip::adapter(adapter), choice.portName, written);
}

void TfrmModule::applyLanguage()
{
    applyLanguageFont(this);

    ui->mnuEnglish->setChecked(m_languageIndex == TextTable::English);
    ui->mnuSimplified->setChecked(m_languageIndex == TextTable::SimplifiedChinese);
    ui->mnuTraditional->setChecked(m_languageIndex == TextTable::TraditionalChinese);

    WindowCaption::set(this, localText(TextTable::WindowTitle));

    // Each language is offered under its own name, whatever the language in force.
    ui->mnuLanguage->setTitle(localText(TextTable::LanguageMenu));
    ui->mnuEnglish->setText(TextTable::text(TextTable::LanguageEntries, TextTable::English));
    ui->mnuSimplified->setText(TextTable::text(TextTable::LanguageEntries, TextTable::SimplifiedChinese));
    ui->mnuTraditional->setText(TextTable::text(TextTable::LanguageEntries, TextTable::TraditionalChinese));
    ui->mnuFile->setTitle(localText(TextTable::FileMenu));
    ui->mnuExit->setText(localText(TextTable::ExitMenuEntry));
    ui->mnuTools->setTitle(localText(TextTable::ToolsMenu));
    ui->mnuMonitor->setText(localText(TextTable::TrafficMonitorEntry));
    ui->mnuJig->setText(localText(TextTable::JigTestEntry));
    if (m_mnuRecords)
        m_mnuRecords->setText(localText(TextTable::RecordsEntry));
    ui->mnuBusScan->setText(localText(TextTable::BusScanEntry));
    m_mnuSite->setText(localText(TextTable::SiteEntry));
    ui->mnuProfileSave->setText(localText(TextTable::SaveProfileEntry));
    ui->mnuProfileLoad->setText(localText(TextTable::LoadProfileEntry));
    ui->mnuProfileCompare->setText(localText(TextTable::CompareProfileEntry));
    ui->mnuProfileApply->setText(localText(TextTable::ApplyProfileEntry));

    ui->pcPort->setTabText(ui->pcPort->indexOf(ui->tsNet), localText(TextTable::NetTab));
    ui->pcPort->setTabText(ui->pcPort->indexOf(ui->tsCom), localText(TextTable::ComTab));
    ui->lblPort->setText(localText(TextTable::PortLabel));
    ui->lblNetPort->setText(localText(TextTable::PortLabel));
    ui->lblSpeed->setText(localText(TextTable::SpeedLabel));

    ui->pcMain->setTabText(ui->pcMain->indexOf(ui->tsFactory), localText(TextTable::FunctionTestTab));
    ui->pcMain->setTabText(ui->pcMain->indexOf(ui->tsCommand), localText(TextTable::CommandTestTab));
    ui->pcMain->setTabText(ui->pcMain->indexOf(ui->tsSet), localText(TextTable::SetZo425Tab));
    ui->pcMain->setTabText(ui->pcMain->indexOf(ui->tsSet120), localText(TextTable::SetRo420Tab));

    ui->btnConnect->setText(localText(TextTable::ConnectDeviceButton));
    // "Cancel auto test" while a run is on, so that a change of language keeps the way out.
    ui->btnAuto->setText(autoTestCaption());
    ui->btnInitial->setText(localText(TextTable::SetFactoryButton));
    ui->btnReboot->setText(localText(TextTable::SetRebootButton));
    ui->btnReboot2->setText(localText(TextTable::SetRebootButton));
    ui->btnLanguage->setText(localText(TextTable::SetLanguage));
    ui->btnSetBaud->setText(localText(TextTable::SetBaudrate));
    ui->btnSetMaster->setText(localText(TextTable::SetMaster));
    ui->btnSetID->setText(localText(TextTable::SetId));
    ui->btnSetTitle->setText(localText(TextTable::SetTitle));
    ui->btnSetShow->setText(localText(TextTable::SetShowStatus));
    ui->chkUseStatus->setText(localText(TextTable::UseStatusCheck));
    ui->chkShowStatus->setText(localText(TextTable::ShowStatusCheck));

    ui->pnMsg->setText(localText(TextTable::StartConnectDevice));

    ui->lblCommandSend->setText(localText(TextTable::SendCommandLabel));
    ui->lblCommandRecv->setText(localText(TextTable::ReceiveDataLabel));
    ui->btnCommand->setText(localText(TextTable::CommandTestButton));
    ui->gbController->setTitle(localText(TextTable::ControllerCommandTestGroup));

    ui->btnCardByte120->setText(localText(TextTable::SetCardBitsButton));
    ui->btnCardByte->setText(localText(TextTable::SetCardBitsButton));
    ui->btnSameCard->setText(localText(TextTable::SetSameCardDelayButton));
    ui->btnCardType->setText(localText(TextTable::SetCardTypeButton));
    ui->btnDateType->setText(localText(TextTable::SetDateTypeButton));
    ui->btnHourType->setText(localText(TextTable::SetHourTypeButton));
    ui->btnSetExtReader->setText(localText(TextTable::SetExtReaderButton));
    ui->btnSetReaderType->setText(localText(TextTable::SetReaderTypeButton));
    ui->btnDoorLog->setText(localText(TextTable::SetDoorLogButton));
    ui->btnDoorForce->setText(localText(TextTable::SetDoorForceButton));
    ui->btnDoorTimeout->setText(localText(TextTable::SetDoorTimeoutButton));
    ui->btnDoorTimeoutTime->setText(localText(TextTable::SetTimeoutTimeButton));
    ui->btnGetParameter->setText(localText(TextTable::GetParameterButton));
    ui->pnReboot->setText(localText(TextTable::RebootAfterChangeWarning));
    ui->btnDI_3_4Mode->setText(localText(TextTable::SetDiModeButton));

    ui->pcMain->setCurrentWidget(ui->tsFactory);

    Q_EMIT languageApplied();
}

void TfrmModule::saveLinkSettings()
{
    const LinkSettings s = captureLinkSettings();
    // The page not in front is stored from the window's copy, so working over one kind of
    // link never loses what was stored for the other.
    StoredSettings::saveLink(s.isNet() ? 1 : 0, s.hostPort, s.hostAddress, s.lineMode, s.portName);
    if (s.isNet())
        return;
    // The adapter behind the port now; a port not listed keeps what was remembered of it, as
    // long as it is the same name (the adapter may just be out for a moment).
    std::optional<SerialPortEntry> listed;
    for (const SerialPortEntry &port : m_portList->entries())
        if (port.name == s.portName)
            listed = port;
    if (listed)
        m_rememberedAdapter = AdapterIdentity::of(*listed);
    else if (s.portName != m_rememberedPort)
        m_rememberedAdapter = {};
    m_rememberedPort = s.portName;
    StoredSettings::saveAdapter(m_rememberedAdapter.stablePath, m_rememberedAdapter.serialNumber);
}

void TfrmModule::saveLanguageSetting()
{
    StoredSettings::saveLanguage(m_languageFlag);
}

void TfrmModule::mnuEnglishClick()
{
    chooseLanguage(Language::English);
}

void TfrmModule::mnuSimplifiedClick()
{
    chooseLanguage(Language::SimplifiedChinese);
}

void TfrmModule::mnuTraditionalClick()
{
    chooseLanguage(Language::TraditionalChinese);
}

void TfrmModule::mnuExitClick()
{
    close();
}
