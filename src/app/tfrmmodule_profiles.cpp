// Profiles: save the connected controller's values, load a profile into the controls, compare
// one with the controller, apply one to it.
#include "app/tfrmmodule.h"

#include "app/operationbracket.h"
#include "app/profilereportdialog.h"
#include "app/texttablequestion.h"
#include "i18n/texttable.h"
#include "profile/profilefile.h"
#include "profile/parametercatalog.h"
#include "profile/parametercomparison.h"
#include "profile/parameterprocedures.h"
#include "ui_tfrmmodule.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace {

using C = ParameterCatalog;

// The control that shows each value: a list at the value's code, a box ticked for "on", a field
// with the number or the text.
QList<std::pair<QString, QWidget *>> controlsOf(Ui::TfrmModule &ui)
{
    return {
        { C::Language, ui.cmdLanguage },      { C::TextEncoding, ui.cmbEncode },     { C::HourFormat, ui.cmbHourType },
        { C::TitleLines, ui.cmbTitle },       { C::DateFormat, ui.cmbDateType },     { C::CardType, ui.cmbCardType },
        { C::CardBits, ui.cmbCardByte },      { C::CardBits, ui.cmbCardByte120 },    { C::SameCardDelay, ui.edSameCard },
        { C::CardDisplay, ui.cmbCardShow },   { C::ShowStatus, ui.chkShowStatus },   { C::UseStatus, ui.chkUseStatus },
        { C::DoorForce, ui.cmbDoorForce },    { C::DoorTimeoutTime, ui.edDoorTimeout }, { C::DoorTimeout, ui.cmbDoorTimeout },
        { C::ReaderType, ui.cmbReaderType },  { C::DoorLog, ui.cmbDoorLog },         { C::ExtReader, ui.cmbExtReader },
        { C::DiMode, ui.cmbDI_3_4Mode },      { C::BaudRate, ui.cmbSelBaud },        { C::TitleLine1, ui.edTitle1 },
        { C::TitleLine2, ui.edTitle2 },
    };
}

void showValue(QWidget *control, const ParameterInfo &parameter, const QString &value)
{
    const int code = parameter.code(value).value_or(-1);
    if (auto *list = qobject_cast<QComboBox *>(control))
        list->setCurrentIndex(code >= 0 && code < list->count() ? code : -1);
    else if (auto *box = qobject_cast<QCheckBox *>(control))
        box->setChecked(code == 1);
    else if (auto *field = qobject_cast<QLineEdit *>(control))
        field->setText(value);
}

// The value a control shows; nothing when it shows none that the value may hold.
std::optional<QString> shown(QWidget *control, const ParameterInfo &parameter)
{
    if (auto *list = qobject_cast<QComboBox *>(control))
        return list->currentIndex() < 0 ? std::nullopt : parameter.parse(parameter.fromCode(list->currentIndex()));
    if (auto *field = qobject_cast<QLineEdit *>(control))
        return parameter.parse(field->text());
    return std::nullopt;
}

QString madeBy()
{
    const QString version = QCoreApplication::applicationVersion();
    return version.isEmpty() ? QCoreApplication::applicationName() : QCoreApplication::applicationName() + QLatin1Char(' ') + version;
}

} // namespace

void TfrmModule::connectProfileHandlers()
{
    const auto guarded = [this](void (TfrmModule::*handler)()) {
        return [this, handler] {
            if (!m_bracket->active())
                (this->*handler)();
        };
    };
    connect(ui->mnuProfileSave, &QAction::triggered, this, guarded(&TfrmModule::mnuProfileSaveClick));
    connect(ui->mnuProfileLoad, &QAction::triggered, this, guarded(&TfrmModule::mnuProfileLoadClick));
    connect(ui->mnuProfileCompare, &QAction::triggered, this, guarded(&TfrmModule::mnuProfileCompareClick));
    connect(ui->mnuProfileApply, &QAction::triggered, this, guarded(&TfrmModule::mnuProfileApplyClick));
}

void TfrmModule::mnuProfileSaveClick()
{
    const QString path = QFileDialog::getSaveFileName(this, localText(TextTable::ProfileReportTitle), m_profileFolder,
                                                      localText(TextTable::ProfileFilesFilter));
    if (!path.isEmpty())
        saveProfile(path.endsWith(QLatin1String(".json"), Qt::CaseInsensitive) ? path : path + QStringLiteral(".json"));
}

void TfrmModule::mnuProfileLoadClick()
{
    const QString path = QFileDialog::getOpenFileName(this, localText(TextTable::ProfileReportTitle), m_profileFolder,
                                                      localText(TextTable::ProfileFilesFilter));
    if (!path.isEmpty())
        loadProfile(path);
}

void TfrmModule::mnuProfileCompareClick()
{
    const QString path = QFileDialog::getOpenFileName(this, localText(TextTable::ProfileReportTitle), m_profileFolder,
                                                      localText(TextTable::ProfileFilesFilter));
    if (!path.isEmpty())
        compareWithProfile(path);
}

void TfrmModule::mnuProfileApplyClick()
{
    const QString path = QFileDialog::getOpenFileName(this, localText(TextTable::ProfileReportTitle), m_profileFolder,
                                                      localText(TextTable::ProfileFilesFilter));
    if (path.isEmpty())
        return;
    // A file that cannot be applied is said before the operator is asked how to apply it.
    QString why;
    if (!ProfileFile::load(path, &why)) {
        m_profileFolder = QFileInfo(path).absolutePath();
        m_bracket->refuse(why, TextTable::ProfileRefused);
        showProfileFailure(TextTable::ProfileRefused, why);
        return;
    }
    TextTableQuestion question(QStringLiteral("frmApplyProfile"), localText(TextTable::ProfileReportTitle),
                               localText(TextTable::ApplyQuestion), this);
    QPushButton *differences =
        question.addTextButton(localText(TextTable::ApplyDifferencesButton), QMessageBox::AcceptRole, QStringLiteral("btnApplyDifferences"));
    QPushButton *everything =
        question.addTextButton(localText(TextTable::ApplyEverythingButton), QMessageBox::AcceptRole, QStringLiteral("btnApplyEverything"));
    question.addTextButton(localText(TextTable::CancelButton), QMessageBox::RejectRole, QStringLiteral("btnApplyCancel"));
    const QAbstractButton *answer = question.ask();
    if (answer == differences || answer == everything)
        applyProfile(path, answer == everything);
}

void TfrmModule::showProfileReport(int titleId, const QString &fileName, const QList<ProfileReportDialog::Row> &rows,
                                   ProfileReportDialog::Summary summary)
{
    if (!m_profileReport) {
        m_profileReport = new ProfileReportDialog(this, m_languageIndex);
        connect(this, &TfrmModule::languageApplied, m_profileReport,
                [this] { m_profileReport->retranslate(m_languageIndex); });
    }
    m_profileReport->show(titleId, fileName, rows, std::move(summary));
}

void TfrmModule::showProfileFailure(int titleId, const QString &why)
{
    showProfileReport(titleId, QString(), {}, [why](int) { return why; });
}

bool TfrmModule::saveProfile(const QString &path)
{
    if (m_session.deviceId().isEmpty()) {
        m_bracket->refuse(QStringLiteral("No controller is connected"), TextTable::ConnectFirst);
        return false;
    }
    m_profileFolder = QFileInfo(path).absolutePath();
    if (!m_bracket->begin([this] { return captureLinkSettings(); })) {
        m_bracket->endNoLink();
        return false;
    }
    m_bracket->setBanner(localText(TextTable::GetBanner));
    const ParameterProcedures::Snapshot snapshot = ParameterProcedures::read(m_session);
    if (!snapshot.ok()) {
        m_bracket->endFailed(snapshot.why);
        return false;
    }
    Profile profile;
    profile.model = snapshot.model;
    profile.created = QDateTime::currentDateTime();
    profile.madeBy = madeBy();
    profile.serialNumber = m_session.serialNumber();
    for (auto it = snapshot.values.cbegin(); it != snapshot.values.cend(); ++it)
        if (C::at(it.key()).parse(*it) == *it)
            profile.values.insert(it.key(), *it);
    // What the controller cannot report comes from the window's fields.
    for (const auto &[name, control] : controlsOf(*ui)) {
        const ParameterInfo &parameter = C::at(name);
        if (profile.values.contains(name) || parameter.readable() || !parameter.appliesTo(profile.model))
            continue;
        if (const std::optional<QString> value = shown(control, parameter))
            profile.values.insert(name, *value);
    }
    QString why;
    if (!ProfileFile::save(path, profile, &why)) {
        m_bracket->endFailed(why);
        return false;
    }
    m_bracket->endOk();
    m_bracket->setBanner(localText(TextTable::ProfileSaved));
    return true;
}

bool TfrmModule::loadProfile(const QString &path)
{
    m_profileFolder = QFileInfo(path).absolutePath();
    QString why;
    const std::optional<Profile> profile = ProfileFile::load(path, &why);
    if (!profile) {
        m_bracket->refuse(why, TextTable::ProfileRefused);
        showProfileFailure(TextTable::ProfileRefused, why);
        return false;
    }
    for (const auto &[name, control] : controlsOf(*ui))
        if (profile->values.contains(name))
            showValue(control, C::at(name), profile->values.value(name));
    m_bracket->setBanner(localText(TextTable::ProfileLoaded));
    return true;
}

// The profile read and the link opened for it, or why not (said, and nothing sent).
std::optional<Profile> TfrmModule::beginWithProfile(const QString &path)
{
    m_profileFolder = QFileInfo(path).absolutePath();
    QString why;
    std::optional<Profile> profile = ProfileFile::load(path, &why);
    if (!profile || m_session.deviceId().isEmpty()) {
        m_bracket->refuse(profile ? QStringLiteral("No controller is connected") : why,
                          profile ? TextTable::ConnectFirst : TextTable::ProfileRefused);
        if (!profile)
            showProfileFailure(TextTable::ProfileRefused, why);
        return std::nullopt;
    }
    if (!m_bracket->begin([this] { return captureLinkSettings(); })) {
        m_bracket->endNoLink();
        return std::nullopt;
    }
    return profile;
}

void TfrmModule::compareWithProfile(const QString &path)
{
    const std::optional<Profile> profile = beginWithProfile(path);
    if (!profile)
        return;
    m_bracket->setBanner(localText(TextTable::GetBanner));
    const ParameterProcedures::Snapshot snapshot = ParameterProcedures::read(m_session);
    if (!snapshot.ok() || snapshot.model != profile->model) {
        const QString made = QString::fromLatin1(profile->model);
        const QString found = QString::fromLatin1(snapshot.model);
        const QString failure = snapshot.why;
        const ProfileReportDialog::Summary why = [=](int language) {
            return failure.isEmpty() ? TextTable::text(TextTable::ProfileForOtherModel, language).arg(made, found) : failure;
        };
        m_bracket->endFailed(why(m_languageIndex));
        showProfileReport(TextTable::CommandError, QString(), {}, why);
        return;
    }
    m_bracket->endOk();
    const QList<ParameterDifference> rows = ParameterComparison::compare(snapshot.values, profile->values);
    QList<ProfileReportDialog::Row> shownRows;
    int differs = 0;
    for (const ParameterDifference &row : ParameterComparison::differing(rows)) {
        const bool unknown = row.state == ParameterDifference::State::Unknown;
        differs += unknown ? 0 : 1;
        shownRows.append({ row.name, row.controllerValue, row.profileValue,
                           unknown ? TextTable::StateUnknown : TextTable::StateDiffers });
    }
    const qsizetype compared = rows.size();
    showProfileReport(TextTable::ProfileReportTitle, QFileInfo(path).fileName(), shownRows, [differs, compared](int language) {
        return TextTable::text(TextTable::CompareSummary, language).arg(differs).arg(compared);
    });
}

void TfrmModule::applyProfile(const QString &path, bool everything)
{
    const std::optional<Profile> profile = beginWithProfile(path);
    if (!profile)
        return;
    m_bracket->setBanner(localText(TextTable::SetBanner));
    ParameterProcedures::ApplyOptions options;
    options.everything = everything;
    options.model = profile->model;
    ParameterProcedures::ApplyResult result = ParameterProcedures::apply(m_session, profile->values, options);
    if (recoverLink(TextTable::ResumeProfileQuestion)) {
        m_bracket->setBanner(localText(TextTable::SetBanner));
        result = ParameterProcedures::apply(m_session, profile->values, ParameterProcedures::resumeOptions(options, result));
    }

    using Stage = ParameterProcedures::ApplyResult::Stage;
    if (result.stage == Stage::Refused || result.stage == Stage::ReadFailed) {
        m_bracket->endFailed(result.why);
        showProfileFailure(TextTable::CommandError, result.why);
        return;
    }
    QList<ProfileReportDialog::Row> rows;
    for (const ParameterDifference &row : result.rows) {
        int outcome = 0;
        QString controller = row.controllerValue;
        if (result.written.contains(row.name)) {
            outcome = result.unverified.contains(row.name) ? TextTable::StateUnverified : TextTable::StateWritten;
            for (const ParameterProcedures::NotTaken &n : result.notTaken)
                if (n.name == row.name) {
                    outcome = TextTable::StateNotTaken;
                    controller = n.got;
                }
        } else if (result.notCompared.contains(row.name)) {
            outcome = TextTable::StateNotWritten;
        } else {
            continue;
        }
        rows.append({ row.name, controller, row.profileValue, outcome });
    }
    const qsizetype written = result.written.size();
    const qsizetype notTaken = result.notTaken.size();
    const bool restarted = result.restarted;
    const QString why = result.why;
    const ProfileReportDialog::Summary summary = [=](int language) {
        QString said = written == 0 ? TextTable::text(TextTable::NothingToWrite, language)
                                    : TextTable::text(TextTable::ApplySummary, language).arg(written).arg(notTaken);
        if (restarted)
            said += QLatin1Char('\n') + TextTable::text(TextTable::ApplyRestarted, language);
        if (!why.isEmpty())
            said += QLatin1Char('\n') + why;
        return said;
    };
    if (result.ok())
        m_bracket->endOk();
    else
        m_bracket->endFailed(result.why.isEmpty() ? localText(TextTable::ApplySummary).arg(result.written.size()).arg(result.notTaken.size())
                                                  : result.why);
    showProfileReport(TextTable::ProfileReportTitle, QFileInfo(path).fileName(), rows, summary);
}
