// Parameter writes and the read-back.
#include "tfrmmodule.h"

#include "parametersetcommands.h"
#include "readback.h"
#include "texttable.h"
#include "ui_tfrmmodule.h"

#include <QComboBox>

namespace {

const QString ChooseFromList = QStringLiteral("Choose a value in the list first");

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

} // namespace

// A value that cannot go out is refused before the link is opened, so a wrong entry never
// costs an exchange nor reaches the controller.
void TfrmModule::runCommandSteps(int bannerId, const QList<CommandStep> &steps)
{
    for (const CommandStep &step : steps) {
        QString refusal;
        if (!step(&refusal)) {
            RefuseInput(refusal);
            return;
        }
    }

    if (!BeginOperation()) {
        EndOperationNoLink();
        return;
    }
    setBanner(LocalText(bannerId));
    for (qsizetype i = 0; i < steps.size(); ++i) {
        processMessages();
        wait(100);
        // Built again now: each field is read when its own command goes out.
        QString refusal;
        const std::optional<QByteArray> command = steps[i](&refusal);
        if (!command || !sendCommand(*command)) {
            EndOperationFailed();
            return;
        }
    }
    EndOperationOk();
}

void TfrmModule::runParameterWrite(const std::optional<QByteArray> &command, const QString &refusal)
{
    runCommandSteps(TextTable::SetBanner, { [command, refusal](QString *why) {
                        *why = refusal;
                        return command;
                    } });
}

void TfrmModule::btnCardByteClick()
{
    runParameterWrite(ParameterSetCommands::cardBits(ui->cmbCardByte->currentIndex()), ChooseFromList);
}

void TfrmModule::btnCardByte120Click()
{
    runParameterWrite(ParameterSetCommands::cardBits120(ui->cmbCardByte120->currentIndex()), ChooseFromList);
}

void TfrmModule::btnCardTypeClick()
{
    runParameterWrite(ParameterSetCommands::cardType(ui->cmbCardType->currentIndex()), ChooseFromList);
}

void TfrmModule::btnSameCardClick()
{
    runParameterWrite(ParameterSetCommands::sameCard(ui->edSameCard->text()),
                      QStringLiteral("Same card delay must be an integer from 0 to 255"));
}

void TfrmModule::btnDateTypeClick()
{
    runParameterWrite(ParameterSetCommands::dateType(ui->cmbDateType->currentIndex()), ChooseFromList);
}

void TfrmModule::btnHourTypeClick()
{
    runParameterWrite(ParameterSetCommands::hourType(ui->cmbHourType->currentIndex()), ChooseFromList);
}

void TfrmModule::btnSetExtReaderClick()
{
    runParameterWrite(ParameterSetCommands::extReader(ui->cmbExtReader->currentIndex()), ChooseFromList);
}

void TfrmModule::btnDoorLogClick()
{
    runParameterWrite(ParameterSetCommands::doorLog(ui->cmbDoorLog->currentIndex()), ChooseFromList);
}

void TfrmModule::btnDoorForceClick()
{
    runParameterWrite(ParameterSetCommands::doorForce(ui->cmbDoorForce->currentIndex()), ChooseFromList);
}

void TfrmModule::btnDoorTimeoutClick()
{
    runParameterWrite(ParameterSetCommands::doorTimeout(ui->cmbDoorTimeout->currentIndex()), ChooseFromList);
}

void TfrmModule::btnDoorTimeoutTimeClick()
{
    runParameterWrite(ParameterSetCommands::doorTimeoutTime(ui->edDoorTimeout->text()),
                      QStringLiteral("Door timeout time must be an integer from 0 to 255"));
}

void TfrmModule::btnDI_3_4ModeClick()
{
    runParameterWrite(ParameterSetCommands::diMode(ui->cmbDI_3_4Mode->currentIndex()), ChooseFromList);
}

void TfrmModule::btnSetReaderTypeClick()
{
    runParameterWrite(ParameterSetCommands::readerType(ui->cmbReaderType->currentIndex()), ChooseFromList);
}

// The two ranges are read independently: one that answers is worth showing even when the
// other does not. A read is applied whole or not at all.
void TfrmModule::btnGetParameterClick()
{
    if (!BeginOperation()) {
        EndOperationNoLink();
        return;
    }
    setBanner(LocalText(TextTable::GetBanner));
    processMessages();
    wait(100);

    bool anyApplied = false;
    if (sendCommand(ReadBack::firstCommand())) {
        if (const auto first = ReadBack::parseFirst(link.LastReply, link.ReplyLength)) {
            applyFirst(*ui, *first);
            anyApplied = true;
        }
    }

    processMessages();
    wait(100);
    if (sendCommand(ReadBack::secondCommand())) {
        if (const auto second = ReadBack::parseSecond(link.LastReply, link.ReplyLength)) {
            applySecond(*ui, *second);
            anyApplied = true;
        }
    }

    if (anyApplied)
        EndOperationOk();
    else
        EndOperationFailed();
}
