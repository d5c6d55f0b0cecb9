// Start-up, settings, languages and shutdown of the window.
#include "tfrmmodule.h"

#include "languagefont.h"
#include "portlistrefresher.h"
#include "serialportlist.h"
#include "storedsettings.h"
#include "texttable.h"
#include "ui_tfrmmodule.h"

#include <QGuiApplication>
#include <QMenuBar>

namespace {

// Qt writes the application's display name after a window's own caption on platforms that
// draw a title bar ("<caption> - ZU42vIZ-O5 Test Tools"). The operators know the tool by the
// caption alone, so it goes out with the display name blanked for that one moment.
void setExactWindowTitle(QWidget *window, const QString &title)
{
    const QString displayName = QGuiApplication::applicationDisplayName();
    const bool appended = displayName != QCoreApplication::applicationName();
    if (appended)
        QGuiApplication::setApplicationDisplayName(QString());
    // An unchanged caption would not reach the platform again.
    if (window->windowTitle() == title)
        window->setWindowTitle(QString());
    window->setWindowTitle(title);
    if (appended)
        QGuiApplication::setApplicationDisplayName(displayName);
}

void chooseLanguage(TfrmModule &window, int index, const QString &flag)
{
    window.LanguageIndex = index;
    window.LanguageFlag = flag;
    window.SaveLanguageSetting();
    window.FormShow();
}

} // namespace

QString TfrmModule::LocalText(int id) const
{
    return TextTable::text(id, LanguageIndex);
}

void TfrmModule::ApplyLanguageFont(QWidget *target)
{
    const LanguageFont row = LanguageFont::forLanguage(LanguageIndex);
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

void TfrmModule::FormCreate()
{
    const StoredSettings stored = StoredSettings::read();
    link.PortName = stored.comPortName;
    link.LineMode = stored.comBaudRate;
    link.HostAddress = stored.netIp;
    link.HostPort = stored.netPort;
    LanguageFlag = stored.languageFlag;
    LanguageIndex = stored.languageIndex;

    PortListRefresher::fill(ui->cmbPort, SerialPortList::names());
    ui->cmbPort->setEditText(link.PortName);
    new PortListRefresher(ui->cmbPort, &SerialPortList::names);
    ui->cmbBaudrate->setEditText(link.LineMode);
    ui->edIP->setText(link.HostAddress);
    ui->edPort->setText(link.HostPort);

    if (stored.linkMode() == ControllerLink::Com) {
        ui->pcPort->setCurrentWidget(ui->tsCom);
        link.LinkMode = ControllerLink::Com;
    } else {
        ui->pcPort->setCurrentWidget(ui->tsNet);
        link.LinkMode = ControllerLink::Net;
    }

    ui->pcMain->setEnabled(false);
}

void TfrmModule::FormShow()
{
    ApplyLanguageFont(this);

    ui->mnuEnglish->setChecked(LanguageIndex == TextTable::English);
    ui->mnuSimplified->setChecked(LanguageIndex == TextTable::SimplifiedChinese);
    ui->mnuTraditional->setChecked(LanguageIndex == TextTable::TraditionalChinese);

    setExactWindowTitle(this, LocalText(TextTable::WindowTitle));

    // Each language is offered under its own name, whatever the language in force.
    ui->mnuLanguage->setTitle(LocalText(TextTable::LanguageMenu));
    ui->mnuEnglish->setText(TextTable::text(TextTable::LanguageEntries, TextTable::English));
    ui->mnuSimplified->setText(TextTable::text(TextTable::LanguageEntries, TextTable::SimplifiedChinese));
    ui->mnuTraditional->setText(TextTable::text(TextTable::LanguageEntries, TextTable::TraditionalChinese));
    ui->mnuFile->setTitle(LocalText(TextTable::FileMenu));
    ui->mnuExit->setText(LocalText(TextTable::ExitMenuEntry));

    ui->pcPort->setTabText(ui->pcPort->indexOf(ui->tsNet), LocalText(TextTable::NetTab));
    ui->pcPort->setTabText(ui->pcPort->indexOf(ui->tsCom), LocalText(TextTable::ComTab));
    ui->lblPort->setText(LocalText(TextTable::PortLabel));
    ui->lblNetPort->setText(LocalText(TextTable::PortLabel));
    ui->lblSpeed->setText(LocalText(TextTable::SpeedLabel));

    ui->pcMain->setTabText(ui->pcMain->indexOf(ui->tsFactory), LocalText(TextTable::FunctionTestTab));
    ui->pcMain->setTabText(ui->pcMain->indexOf(ui->tsCommand), LocalText(TextTable::CommandTestTab));
    ui->pcMain->setTabText(ui->pcMain->indexOf(ui->tsSet), LocalText(TextTable::SetZo425Tab));
    ui->pcMain->setTabText(ui->pcMain->indexOf(ui->tsSet120), LocalText(TextTable::SetRo420Tab));

    ui->btnConnect->setText(LocalText(TextTable::ConnectDeviceButton));
    // "Cancel auto test" while a run is on, so that a change of language keeps the way out.
    ui->btnAuto->setText(autoTestCaption());
    ui->btnInitial->setText(LocalText(TextTable::SetFactoryButton));
    ui->btnReboot->setText(LocalText(TextTable::SetRebootButton));
    ui->btnReboot2->setText(LocalText(TextTable::SetRebootButton));
    ui->btnLanguage->setText(LocalText(TextTable::SetLanguage));
    ui->btnSetBaud->setText(LocalText(TextTable::SetBaudrate));
    ui->btnSetMaster->setText(LocalText(TextTable::SetMaster));
    ui->btnSetID->setText(LocalText(TextTable::SetId));
    ui->btnSetTitle->setText(LocalText(TextTable::SetTitle));
    ui->btnSetShow->setText(LocalText(TextTable::SetShowStatus));
    ui->chkUseStatus->setText(LocalText(TextTable::UseStatusCheck));
    ui->chkShowStatus->setText(LocalText(TextTable::ShowStatusCheck));

    ui->pnMsg->setText(LocalText(TextTable::StartConnectDevice));

    ui->lblCommandSend->setText(LocalText(TextTable::SendCommandLabel));
    ui->lblCommandRecv->setText(LocalText(TextTable::ReceiveDataLabel));
    ui->btnCommand->setText(LocalText(TextTable::CommandTestButton));
    ui->gbController->setTitle(LocalText(TextTable::ControllerCommandTestGroup));

    ui->btnCardByte120->setText(LocalText(TextTable::SetCardBitsButton));
    ui->btnCardByte->setText(LocalText(TextTable::SetCardBitsButton));
    ui->btnSameCard->setText(LocalText(TextTable::SetSameCardDelayButton));
    ui->btnCardType->setText(LocalText(TextTable::SetCardTypeButton));
    ui->btnDateType->setText(LocalText(TextTable::SetDateTypeButton));
    ui->btnHourType->setText(LocalText(TextTable::SetHourTypeButton));
    ui->btnSetExtReader->setText(LocalText(TextTable::SetExtReaderButton));
    ui->btnSetReaderType->setText(LocalText(TextTable::SetReaderTypeButton));
    ui->btnDoorLog->setText(LocalText(TextTable::SetDoorLogButton));
    ui->btnDoorForce->setText(LocalText(TextTable::SetDoorForceButton));
    ui->btnDoorTimeout->setText(LocalText(TextTable::SetDoorTimeoutButton));
    ui->btnDoorTimeoutTime->setText(LocalText(TextTable::SetTimeoutTimeButton));
    ui->btnGetParameter->setText(LocalText(TextTable::GetParameterButton));
    ui->pnReboot->setText(LocalText(TextTable::RebootAfterChangeWarning));
    ui->btnDI_3_4Mode->setText(LocalText(TextTable::SetDiModeButton));

    ui->pcMain->setCurrentWidget(ui->tsFactory);
}

void TfrmModule::SaveLinkSettings()
{
    captureLinkSettings();
    // The page not in front is stored from the window's copy, so working over one kind of
    // link never loses what was stored for the other.
    StoredSettings::saveLink(link.LinkMode == ControllerLink::Net ? 1 : 0, link.HostPort, link.HostAddress,
                             link.LineMode, link.PortName);
}

void TfrmModule::SaveLanguageSetting()
{
    StoredSettings::saveLanguage(LanguageFlag);
}

void TfrmModule::mnuEnglishClick()
{
    chooseLanguage(*this, TextTable::English, QStringLiteral("English"));
}

void TfrmModule::mnuSimplifiedClick()
{
    chooseLanguage(*this, TextTable::SimplifiedChinese, QStringLiteral("ChineseGB"));
}

void TfrmModule::mnuTraditionalClick()
{
    chooseLanguage(*this, TextTable::TraditionalChinese, QStringLiteral("ChineseBIG5"));
}

void TfrmModule::mnuExitClick()
{
    close();
}
