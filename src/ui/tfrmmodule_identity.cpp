// Identity and display commands.
#include "tfrmmodule.h"

#include "commandtextencoder.h"
#include "identitycommands.h"
#include "texttable.h"
#include "ui_tfrmmodule.h"

namespace {

// The same type as TfrmModule::CommandStep.
using Step = std::function<std::optional<QByteArray>(QString *refusal)>;

// A command whose only source is a list: it cannot go out while the list shows no selection.
Step fromList(std::function<std::optional<QByteArray>()> build)
{
    return [build = std::move(build)](QString *refusal) {
        std::optional<QByteArray> command = build();
        if (!command)
            *refusal = QStringLiteral("Choose a value in the list first");
        return command;
    };
}

Step restart()
{
    return [](QString *) { return std::optional<QByteArray>(IdentityCommands::restart()); };
}

// An operator's text as the controller will read it: in the encoding the encoding list names.
std::optional<QByteArray> encoded(const QLineEdit *field, const QComboBox *encoding, const QString &what,
                                  QString *refusal)
{
    const int index = encoding->currentIndex();
    std::optional<QByteArray> bytes = CommandTextEncoder::encode(field->text(), index);
    if (!bytes)
        *refusal = index < 0 ? QStringLiteral("%1 is not plain ASCII: choose a text encoding first").arg(what)
                             : QStringLiteral("%1 holds a character that %2 cannot carry, or a control character")
                                   .arg(what, encoding->currentText());
    return bytes;
}

} // namespace

// The parameter write takes effect only after a restart, so the plain restart follows it.
void TfrmModule::btnLanguageClick()
{
    runCommandSteps(TextTable::SetLanguage,
                    { fromList([this] {
                          return IdentityCommands::language(ui->cmdLanguage->currentIndex(),
                                                            ui->cmbEncode->currentIndex());
                      }),
                      restart() });
}

void TfrmModule::btnSetBaudClick()
{
    runCommandSteps(TextTable::SetBaudrate,
                    { fromList([this] { return IdentityCommands::baud(ui->cmbSelBaud->currentIndex()); }) });
}

void TfrmModule::btnSetMasterClick()
{
    const QLineEdit *uids[] = { ui->edMasterUID1, ui->edMasterUID2, ui->edMasterUID3 };
    const QLineEdit *pins[] = { ui->edMasterPIN1, ui->edMasterPIN2, ui->edMasterPIN3 };
    QList<CommandStep> steps;
    for (int pair = 1; pair <= IdentityCommands::MasterPairs; ++pair) {
        const QLineEdit *uidField = uids[pair - 1];
        const QLineEdit *pinField = pins[pair - 1];
        steps.append([this, pair, uidField, pinField](QString *refusal) -> std::optional<QByteArray> {
            const auto uid = encoded(uidField, ui->cmbEncode, QStringLiteral("Master UID %1").arg(pair), refusal);
            const auto pin = encoded(pinField, ui->cmbEncode, QStringLiteral("Master PIN %1").arg(pair), refusal);
            if (!uid || !pin)
                return std::nullopt;
            return IdentityCommands::master(pair, *uid, *pin);
        });
    }
    runCommandSteps(TextTable::SetMaster, steps);
}

void TfrmModule::btnSetIDClick()
{
    runCommandSteps(TextTable::SetId, { [this](QString *refusal) -> std::optional<QByteArray> {
                        const auto id = encoded(ui->edSetID, ui->cmbEncode, QStringLiteral("The ID"), refusal);
                        return id ? IdentityCommands::setId(*id) : std::nullopt;
                    } });
}

// "None" still sends both lines, as the controller has always been set up.
void TfrmModule::btnSetTitleClick()
{
    const auto line = [this](int n, const QLineEdit *field) -> CommandStep {
        return [this, n, field](QString *refusal) -> std::optional<QByteArray> {
            const auto text = encoded(field, ui->cmbEncode, QStringLiteral("Title line %1").arg(n), refusal);
            return text ? IdentityCommands::titleLine(n, *text) : std::nullopt;
        };
    };
    runCommandSteps(TextTable::SetTitle,
                    { fromList([this] { return IdentityCommands::title(ui->cmbTitle->currentIndex()); }),
                      line(1, ui->edTitle1), line(2, ui->edTitle2) });
}

void TfrmModule::btnSetShowClick()
{
    runCommandSteps(TextTable::SetShowStatus,
                    { fromList([this] {
                          return IdentityCommands::show(ui->cmbCardShow->currentIndex(), ui->chkShowStatus->isChecked(),
                                                        ui->chkUseStatus->isChecked());
                      }),
                      restart() });
}

void TfrmModule::sbSetIDChange(int position)
{
    ui->edSetID->setText(QString::asprintf("%03d", position));
}
