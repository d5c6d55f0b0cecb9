// Parameter writes and the read-back.
#include "app/tfrmmodule.h"

#include "app/operationbracket.h"
#include "controller/parametersetcommands.h"
#include "controller/writeplans.h"
#include "i18n/texttable.h"
#include "ui_tfrmmodule.h"

#include <QComboBox>

namespace {

// An index outside the list (a value the controller holds but the list does not have) leaves
// it with no selection rather than showing a neighbouring item that is not true.
void select(QComboBox *list, int index)
{
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

void applyFirst(Ui::TfrmModule &ui, const ReadBack::First &f)
{
    select(ui.cmdLanguage, f.language);
    select(ui.cmbEncode, f.encoding);
    select(ui.cmbHourType, f.hourType);
    select(ui.cmbTitle, f.titleCount);
    select(ui.cmbDateType, f.dateType);
    select(ui.cmbCardType, f.cardTypeIndex);
    select(ui.cmbCardByte, f.cardBitsIndex);
    ui.edSameCard->setText(f.sameCardText);
}

void applySecond(Ui::TfrmModule &ui, const ReadBack::Second &s)
{
    select(ui.cmbDoorForce, s.doorForce);
    ui.edDoorTimeout->setText(s.timeoutTimeText);
    select(ui.cmbDoorTimeout, s.doorTimeout);
    select(ui.cmbDoorLog, s.doorLog);
    select(ui.cmbExtReader, s.extReader);
    select(ui.cmbDI_3_4Mode, s.diMode);
}

CommandPlan fromList(const std::optional<QByteArray> &command)
{
    return WritePlans::parameter(command, WritePlans::ChooseFromList);
}

} // namespace

// A value that cannot go out is refused before the link is opened, so a wrong entry never
// costs an exchange nor reaches the controller.
void TfrmModule::runPlan(int bannerId, const CommandPlan &plan)
{
    if (plan.refused()) {
        m_bracket->refuse(plan.refusal, TextTable::InvalidValue);
        return;
    }
    if (!m_bracket->begin([this] { return captureLinkSettings(); })) {
        m_bracket->endNoLink();
        return;
    }
    m_bracket->setBanner(localText(bannerId));
    const Outcome outcome = m_session.run(plan);
    if (outcome.ok)
        m_bracket->endOk();
    else
        m_bracket->endFailed(outcome.why);
}

void TfrmModule::btnCardByteClick()
{
    runPlan(TextTable::SetBanner, fromList(ParameterSetCommands::cardBits(ui->cmbCardByte->currentIndex())));
}

void TfrmModule::btnCardByte120Click()
{
    runPlan(TextTable::SetBanner, fromList(ParameterSetCommands::cardBits120(ui->cmbCardByte120->currentIndex())));
}

void TfrmModule::btnCardTypeClick()
{
    runPlan(TextTable::SetBanner, fromList(ParameterSetCommands::cardType(ui->cmbCardType->currentIndex())));
}

void TfrmModule::btnSameCardClick()
{
    runPlan(TextTable::SetBanner, WritePlans::parameter(ParameterSetCommands::sameCard(ui->edSameCard->text()),
                                                        QStringLiteral("Same card delay must be an integer from 0 to 255")));
}

void TfrmModule::btnDateTypeClick()
{
    runPlan(TextTable::SetBanner, fromList(ParameterSetCommands::dateType(ui->cmbDateType->currentIndex())));
}

void TfrmModule::btnHourTypeClick()
{
    runPlan(TextTable::SetBanner, fromList(ParameterSetCommands::hourType(ui->cmbHourType->currentIndex())));
}

void TfrmModule::btnSetExtReaderClick()
{
    runPlan(TextTable::SetBanner, fromList(ParameterSetCommands::extReader(ui->cmbExtReader->currentIndex())));
}

void TfrmModule::btnDoorLogClick()
{
    runPlan(TextTable::SetBanner, fromList(ParameterSetCommands::doorLog(ui->cmbDoorLog->currentIndex())));
}

void TfrmModule::btnDoorForceClick()
{
    runPlan(TextTable::SetBanner, fromList(ParameterSetCommands::doorForce(ui->cmbDoorForce->currentIndex())));
}

void TfrmModule::btnDoorTimeoutClick()
{
    runPlan(TextTable::SetBanner, fromList(ParameterSetCommands::doorTimeout(ui->cmbDoorTimeout->currentIndex())));
}

void TfrmModule::btnDoorTimeoutTimeClick()
{
    runPlan(TextTable::SetBanner,
            WritePlans::parameter(ParameterSetCommands::doorTimeoutTime(ui->edDoorTimeout->text()),
                                  QStringLiteral("Door timeout time must be an integer from 0 to 255")));
}

void TfrmModule::btnDI_3_4ModeClick()
{
    runPlan(TextTable::SetBanner, fromList(ParameterSetCommands::diMode(ui->cmbDI_3_4Mode->currentIndex())));
}

void TfrmModule::btnSetReaderTypeClick()
{
    runPlan(TextTable::SetBanner, fromList(ParameterSetCommands::readerType(ui->cmbReaderType->currentIndex())));
}

// A read is applied whole or not at all; the two ranges each on their own.
void TfrmModule::btnGetParameterClick()
{
    if (!m_bracket->begin([this] { return captureLinkSettings(); })) {
        m_bracket->endNoLink();
        return;
    }
    m_bracket->setBanner(localText(TextTable::GetBanner));
    const auto result = m_session.readBack([this](const ReadBack::First &first) { applyFirst(*ui, first); });
    if (result.second)
        applySecond(*ui, *result.second);
    if (result.ok())
        m_bracket->endOk();
    else
        m_bracket->endFailed(result.why);
}
