#include "app/jigwindow.h"

#include "app/jigruntext.h"
#include "app/jigstepmodel.h"
#include "app/programidentity.h"
#include "app/tfrmmodule.h"
#include "app/toollook.h"
#include "i18n/texttable.h"
#include "reports/certificatepdf.h"
#include "settings/jigsettings.h"
#include "ui_jigwindow.h"

#include <QAbstractSpinBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLayout>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <optional>

namespace {

// The colour a note is shown in; none for the window's own.
std::optional<ToolLook::Colour> noteColour(JigRun::Note note)
{
    switch (note) {
    case JigRun::Note::Stored:
    case JigRun::Note::Exported:
        return ToolLook::GoodNote;
    case JigRun::Note::Pending:
        return ToolLook::WarningNote;
    case JigRun::Note::Delivered:
        return ToolLook::GoodNote;
    case JigRun::Note::NotKept:
    case JigRun::Note::NoUnit:
    case JigRun::Note::ExportFailed:
    case JigRun::Note::DeliveryFailed:
        return ToolLook::BadNote;
    default:
        return std::nullopt;
    }
}

VerdictPanel::State panelState(JigRun::Verdict verdict)
{
    switch (verdict) {
    case JigRun::Verdict::Ready:
        break;
    case JigRun::Verdict::Testing:
        return VerdictPanel::State::Testing;
    case JigRun::Verdict::Pass:
        return VerdictPanel::State::Pass;
    case JigRun::Verdict::Fail:
        return VerdictPanel::State::Fail;
    case JigRun::Verdict::NotTested:
        return VerdictPanel::State::NotTested;
    case JigRun::Verdict::Error:
        return VerdictPanel::State::Error;
    }
    return VerdictPanel::State::Ready;
}

// Without a colour the label takes the window's again, which follows the language.
void setTextColour(QWidget *widget, std::optional<ToolLook::Colour> colour)
{
    if (colour)
        ToolLook::setTextColour(widget, *colour);
    else
        ToolLook::resetTextColour(widget);
}

} // namespace

JigWindow::JigWindow(TfrmModule &main, int languageIndex)
    : QWidget(nullptr, Qt::Window)
    , ui(std::make_unique<Ui::JigWindow>())
    , m_main(main)
    , m_languageIndex(languageIndex)
{
    ui->setupUi(this);
    // The main window's close ends the program; this window goes with it.
    setAttribute(Qt::WA_QuitOnClose, false);
    for (QLineEdit *field : { ui->edStation, ui->edOperator })
        field->setMaxLength(UnitRecord::MaxTextLength / 16);
    for (QDateEdit *day : { ui->dtExportFrom, ui->dtExportTo })
        day->setDate(QDate::currentDate());

    m_steps = new JigStepModel(this);
    ui->tblSteps->setModel(m_steps);
    ui->tblSteps->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    QHeaderView *columns = ui->tblSteps->horizontalHeader();
    columns->setSectionResizeMode(JigStepModel::StepColumn, QHeaderView::ResizeToContents);
    columns->setSectionResizeMode(JigStepModel::ExpectedColumn, QHeaderView::Stretch);
    columns->setSectionResizeMode(JigStepModel::MeasuredColumn, QHeaderView::Stretch);
    columns->setSectionResizeMode(JigStepModel::ResultColumn, QHeaderView::Fixed);
    columns->resizeSection(JigStepModel::ResultColumn, 110);

    connect(ui->btnStart, &QPushButton::clicked, this, &JigWindow::btnStartClick);
    connect(ui->btnJigMap, &QPushButton::clicked, this, &JigWindow::btnJigMapClick);
    connect(ui->btnExportCsv, &QPushButton::clicked, this, &JigWindow::btnExportCsvClick);
    connect(ui->btnExportJson, &QPushButton::clicked, this, &JigWindow::btnExportJsonClick);
    connect(ui->btnDeliverHere, &QPushButton::clicked, this, &JigWindow::btnDeliverHereClick);
    // Remembered at once: a station left in engineering mode must say so after a restart too.
    connect(ui->chkEngineering, &QCheckBox::toggled, this, [this] {
        showEngineering();
        saveSettings();
    });
    connect(ui->chkCertificate, &QCheckBox::toggled, this, [this] { saveSettings(); });
    // A field left while a unit is on test (the fields are locked then) changes nothing.
    connect(ui->edJigMap, &QLineEdit::editingFinished, this, [this] {
        if (!m_running) {
            useMap();
            saveSettings();
        }
    });
    connect(ui->edRecordStore, &QLineEdit::editingFinished, this, [this] {
        if (!m_running) {
            useStore();
            saveSettings();
        }
    });
    connect(ui->edStation, &QLineEdit::editingFinished, this, [this] {
        if (!m_running) {
            m_run.useStation(ui->edStation->text());
            showCounters();
        }
    });
    m_confirm = [this](const QString &question) {
        return QMessageBox::question(this, windowTitle(), question) == QMessageBox::Yes;
    };
    m_openFile = [](const QString &path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
    loadSettings();
    retranslate(languageIndex);
    (ui->edOperator->text().isEmpty() ? static_cast<QWidget *>(ui->edOperator) : ui->btnStart)->setFocus();
}

JigWindow::~JigWindow()
{
    // The base class hides and deletes the children after this window has stopped being one:
    // the focused field's editingFinished and the table's questions to its model (whose phrases
    // this window translates) must not reach it then.
    for (QLineEdit *field : { ui->edStation, ui->edOperator, ui->edJigMap, ui->edRecordStore })
        disconnect(field, nullptr, this, nullptr);
    ui->tblSteps->setModel(nullptr);
}

QString JigWindow::localText(int id) const
{
    return TextTable::text(id, m_languageIndex);
}

JigRun::Fields JigWindow::fields() const
{
    return { ui->edStation->text(), ui->edOperator->text(), ui->edJigMap->text(), ui->edRecordStore->text(),
             ui->chkCertificate->isChecked(), m_certificateFolder };
}

void JigWindow::loadSettings()
{
    const JigSettings settings = JigSettings::read();
    ui->edStation->setText(settings.station);
    ui->edOperator->setText(settings.operatorName);
    ui->edJigMap->setText(settings.jigMapPath);
    ui->edRecordStore->setText(settings.recordStore);
    ui->chkEngineering->setChecked(settings.engineering);
    m_certificateFolder = settings.certificateFolder;
    ui->chkCertificate->setChecked(settings.certificate);
    showEngineering();
    useMap();
    // Opening the store delivers what waited on this PC since the last time.
    useStore();
}

void JigWindow::saveSettings() const
{
    JigSettings settings;
    settings.station = ui->edStation->text().trimmed();
    settings.operatorName = ui->edOperator->text().trimmed();
    settings.jigMapPath = ui->edJigMap->text().trimmed();
    settings.recordStore = ui->edRecordStore->text().trimmed();
    settings.engineering = ui->chkEngineering->isChecked();
    settings.certificate = ui->chkCertificate->isChecked();
    settings.certificateFolder = m_certificateFolder;
    settings.save();
}

void JigWindow::useMap()
{
    m_run.useMap(ui->edJigMap->text());
    showMap();
}

void JigWindow::useStore()
{
    m_run.useStore(ui->edRecordStore->text(), ui->edStation->text());
    showStore();
    showWaiting();
    showCounters();
}

void JigWindow::btnStartClick()
{
    if (m_running)
        return;
    m_certificateWritten.clear();
    m_certificateWhy.clear();
    const std::optional<JigStation::Setup> setup = m_run.prepare(fields(), m_main.operationRunning(), ui->chkEngineering->isChecked());
    showMap();
    showStore();
    if (!setup) {
        // The previous unit's steps must not be read as this refusal's.
        m_steps->clear(JigTest::stepPhrases());
        showVerdict();
        showNote();
        const std::pair<JigRun::Note, QWidget *> fieldOf[] = {
            { JigRun::Note::NoStation, ui->edStation }, { JigRun::Note::NoOperator, ui->edOperator },
            { JigRun::Note::StoreInvalid, ui->edRecordStore }, { JigRun::Note::MapDamaged, ui->edJigMap },
        };
        for (const auto &[note, field] : fieldOf)
            if (m_run.whyNotTested().note == note)
                field->setFocus();
        return;
    }
    saveSettings();
    JigStation::Setup unit = *setup;
    unit.options.settleMs = m_settleMs;
    runUnit(unit);
}

void JigWindow::runUnit(JigStation::Setup setup)
{
    m_running = true;
    setFieldsLocked(true);
    m_run.begin();
    showVerdict();
    showNote();
    m_steps->start(JigTest::stepPhrases());

    std::optional<JigTest::Result> result;
    QString linkWhy;
    const TfrmModule::BracketRun run = m_main.runInBracket(
        [&](ControllerSession &session, const QString &scanId) {
            setup.options.scanId = scanId;
            const auto goOn = [this] {
                if (!m_main.recoverLink(TextTable::ResumeJigQuestion))
                    return false;
                m_steps->start(JigTest::stepPhrases());
                return true;
            };
            result = JigStation::test(session, setup, [this](const JigTest::Step &step) { m_steps->stepDone(step); }, goOn);
            if (result->passed())
                return QString();
            const JigTest::Step *failed = result->firstFailure();
            return failed ? QStringLiteral("%1: %2").arg(failed->name, failed->why.isEmpty() ? failed->measured : failed->why)
                          : QStringLiteral("no step ran");
        },
        &linkWhy);
    m_steps->finish();

    switch (run) {
    case TfrmModule::BracketRun::Busy:
        m_run.notTested(JigRun::Note::Busy);
        break;
    case TfrmModule::BracketRun::NoLink:
        m_run.notTested(JigRun::Note::NoLink, linkWhy);
        break;
    case TfrmModule::BracketRun::Ran:
        writeCertificate(m_run.finish(*result, setup));
        break;
    }
    showVerdict();
    showNote();
    showWaiting();
    showCounters();
    setFieldsLocked(false);
    m_running = false;
    ui->btnStart->setFocus();
    if (m_closePending)
        QTimer::singleShot(0, this, &QWidget::close);
}

void JigWindow::setFieldsLocked(bool locked)
{
    for (QWidget *w : std::initializer_list<QWidget *> { ui->edStation, ui->edOperator, ui->edJigMap, ui->btnJigMap, ui->edRecordStore,
                                                         ui->chkEngineering, ui->chkCertificate,
                                                         ui->dtExportFrom, ui->dtExportTo, ui->btnExportCsv, ui->btnExportJson,
                                                         ui->btnDeliverHere })
        w->setEnabled(!locked);
}

void JigWindow::showMap()
{
    ui->lblMapName->setText(JigRunText(m_languageIndex).mapName(m_run));
    setTextColour(ui->lblMapName, m_run.whyNoMap().isEmpty() ? std::nullopt : std::optional(ToolLook::BadNote));
}

void JigWindow::showStore()
{
    const bool open = m_run.station();
    // One line; what the setting or the server said goes to the tool tip.
    ui->lblStore->setText(open ? m_run.storeShown() : localText(TextTable::JigStoreInvalid) + QLatin1Char(' ') + localText(TextTable::JigDetailsInTip));
    ui->lblStore->setToolTip(open ? m_run.whyNotDelivered() : m_run.whyNoStore());
    setTextColour(ui->lblStore, open ? std::nullopt : std::optional(ToolLook::BadNote));
}

void JigWindow::showEngineering()
{
    // Large and in the warning colour while on: units tested now are kept out of the yield.
    const bool on = ui->chkEngineering->isChecked();
    ui->lblEngineering->setText(on ? localText(TextTable::JigEngineeringBanner) : QString());
    ToolLook::setTextColour(ui->lblEngineering, ToolLook::WarningNote);
}

void JigWindow::showVerdict()
{
    const JigRunText say(m_languageIndex);
    ui->pnVerdict->setVerdict(panelState(m_run.verdict()), say.verdictWord(m_run.verdict()), say.verdictDetail(m_run));
}

void JigWindow::showNote()
{
    const JigRun::Message note = m_run.note();
    // One line: a server's own words can run across the window; they are in the tool tip.
    QString text = JigRunText(m_languageIndex).headline(note);
    // Where the record went, in the record keeper's words, for whoever looks into it.
    const bool aboutRecord = note.note == JigRun::Note::Stored || note.note == JigRun::Note::Pending
        || note.note == JigRun::Note::NotKept || note.note == JigRun::Note::NoUnit;
    QStringList tip { aboutRecord ? m_run.keptWhy() : note.why };
    std::optional<ToolLook::Colour> colour = noteColour(note.note);
    // A certificate that was asked for and not written is as bad as a record kept nowhere; it
    // goes with the note on the unit's record, not with a later export's.
    if (aboutRecord && !m_certificateWhy.isEmpty()) {
        text += QLatin1Char(' ') + localText(TextTable::JigCertificateFailed) + QLatin1Char(' ') + localText(TextTable::JigDetailsInTip);
        tip << m_certificateWhy;
        colour = ToolLook::BadNote;
    } else if (aboutRecord && !m_certificateWritten.isEmpty()) {
        tip << localText(TextTable::RecordsCertificateWritten).arg(QDir::toNativeSeparators(m_certificateWritten));
    }
    tip.removeAll(QString());
    ui->lblNote->setText(text);
    ui->lblNote->setToolTip(tip.join(QLatin1Char('\n')));
    setTextColour(ui->lblNote, colour);
}

void JigWindow::writeCertificate(const JigStation::Unit &unit)
{
    const QString path = m_run.certificateFile();
    if (path.isEmpty() || !unit.record)
        return;
    // A fresh PC may have no documents folder yet.
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QString tool = QStringLiteral("%1 %2").arg(QGuiApplication::applicationDisplayName(), ProgramIdentity::version());
    if (!CertificatePdf::write(*unit.record, m_languageIndex, tool, ToolLook::font(m_languageIndex), path, &m_certificateWhy))
        return;
    m_certificateWritten = path;
    // Opened in the system's PDF viewer, from which it is printed.
    m_openFile(path);
}

void JigWindow::showCounters()
{
    const QString none = QStringLiteral("-");
    const std::optional<RecordStore::DayCounters> counters = m_run.counters();
    ui->lblUnits->setText(counters ? QString::number(counters->units) : none);
    ui->lblPassed->setText(counters ? QString::number(counters->passed) : none);
    ui->lblFailed->setText(counters ? QString::number(counters->failed) : none);
    ui->lblErrors->setText(counters ? QString::number(counters->errors) : none);
    ui->lblYield->setText(counters && counters->firstTimeUnits > 0
                              ? QStringLiteral("%1 % (%2/%3)")
                                    .arg(QString::number(100.0 * counters->firstPassYield(), 'f', 1))
                                    .arg(counters->firstTimePassed)
                                    .arg(counters->firstTimeUnits)
                              : none);
    const QString why = m_run.whyNoCounters();
    ui->gbToday->setToolTip(why.isEmpty() ? QString() : localText(TextTable::JigCountersUnread) + QLatin1Char('\n') + why);
}

void JigWindow::showWaiting()
{
    const int waiting = m_run.waiting();
    int elsewhere = 0;
    for (const PendingRecords::StoreCount &count : m_run.waitingElsewhere())
        elsewhere += count.records;
    const QString unknown = QStringLiteral("-");
    const QString here = waiting < 0 ? unknown : QString::number(waiting);
    ui->lblPending->setText(elsewhere > 0 ? localText(TextTable::JigWaitingHere).arg(here, QString::number(elsewhere))
                                          : localText(TextTable::JigWaitingText).arg(here));
    // Which stores the others wait for, whoever queued them (this window or the command line).
    ui->lblPending->setToolTip(JigRunText(m_languageIndex).waitingElsewhere(m_run.waitingElsewhere()));
    setTextColour(ui->lblPending, waiting > 0 || elsewhere > 0 ? std::optional(ToolLook::WarningNote) : std::nullopt);
    ui->btnDeliverHere->setVisible(elsewhere > 0);
}

void JigWindow::retranslate(int languageIndex)
{
    m_languageIndex = languageIndex;
    ToolLook::apply(this, languageIndex);
    const JigRunText say(languageIndex);

    setWindowTitle(localText(TextTable::JigWindowTitle));
    ui->lblStation->setText(localText(TextTable::JigStationLabel));
    ui->lblOperator->setText(localText(TextTable::JigOperatorLabel));
    ui->lblJigMap->setText(localText(TextTable::JigMapLabel));
    ui->btnJigMap->setText(localText(TextTable::JigMapBrowseButton));
    ui->edJigMap->setPlaceholderText(localText(TextTable::JigMapDefault).arg(localText(TextTable::JigBuiltInMapName)));
    ui->lblRecordStore->setText(localText(TextTable::JigStoreLabel));
    ui->edRecordStore->setPlaceholderText(localText(TextTable::JigStoreDefault).arg(RecordStoreSettings::defaultSqlitePath()));
    ui->btnStart->setText(localText(TextTable::JigStartButton));
    ui->gbToday->setTitle(localText(TextTable::JigTodayGroup));
    ui->lblUnitsCaption->setText(localText(TextTable::JigUnitsLabel));
    ui->lblPassedCaption->setText(localText(TextTable::JigPassedLabel));
    ui->lblFailedCaption->setText(localText(TextTable::JigFailedLabel));
    ui->lblErrorsCaption->setText(localText(TextTable::JigErrorsLabel));
    ui->btnDeliverHere->setText(localText(TextTable::JigDeliverHereButton));
    ui->chkEngineering->setText(localText(TextTable::JigEngineeringSwitch));
    ui->chkCertificate->setText(localText(TextTable::JigCertificateSwitch));
    ui->chkCertificate->setToolTip(localText(TextTable::JigCertificateFolderTip)
                                       .arg(QDir::toNativeSeparators(m_certificateFolder.trimmed().isEmpty()
                                                                         ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                                                                         : m_certificateFolder.trimmed())));
    showEngineering();
    ui->lblYieldCaption->setText(localText(TextTable::JigYieldLabel));
    ui->gbRecords->setTitle(localText(TextTable::JigRecordsGroup));
    ui->lblExportFrom->setText(localText(TextTable::JigExportFromLabel));
    ui->lblExportTo->setText(localText(TextTable::JigExportToLabel));
    ui->btnExportCsv->setText(localText(TextTable::JigExportCsvButton));
    ui->btnExportJson->setText(localText(TextTable::JigExportJsonButton));

    JigStepModel::Texts texts;
    texts.headers = QStringList { localText(TextTable::JigStepColumn), localText(TextTable::JigExpectedColumn),
                                  localText(TextTable::JigMeasuredColumn), localText(TextTable::JigResultColumn) };
    texts.passed = localText(TextTable::JigPass);
    texts.failed = localText(TextTable::JigFail);
    texts.notRun = localText(TextTable::JigNotRun);
    texts.error = localText(TextTable::JigError);
    texts.phrase = [say](const JigPhrase &phrase, const QString &english) { return say.phrase(phrase, english); };
    m_steps->setTexts(texts);

    showMap();
    showStore();
    showVerdict();
    showNote();
    showCounters();
    showWaiting();
    // The captions are measured anew in the language's face: the group boxes' cached sizes do
    // not follow their captions by themselves, and the smallest size of the window follows them.
    for (QWidget *group : { static_cast<QWidget *>(ui->gbToday), static_cast<QWidget *>(ui->gbRecords) })
        group->updateGeometry();
}

void JigWindow::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (!enter && key != Qt::Key_Space) {
        QWidget::keyPressEvent(event);
        return;
    }
    // Keys reach the window only when the control in focus did not take them: a field takes a
    // space as a character, a button presses itself on a space. Enter in the setting fields
    // applies them, on another button or in a date it is theirs; everywhere else, and in the
    // station and operator fields where a scanner ends with it, it starts a unit.
    QWidget *focus = focusWidget();
    const bool ownUse = qobject_cast<QAbstractSpinBox *>(focus) || focus == ui->edJigMap || focus == ui->edRecordStore
        || (qobject_cast<QPushButton *>(focus) && focus != ui->btnStart);
    if (ownUse) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    // A foot switch held down repeats its key; one press is one unit.
    if (!event->isAutoRepeat())
        btnStartClick();
}

void JigWindow::closeEvent(QCloseEvent *event)
{
    // The unit on test finishes and is recorded first; then the window closes.
    if (m_running) {
        m_closePending = true;
        event->ignore();
        return;
    }
    m_closePending = false;
    event->accept();
}

void JigWindow::btnJigMapClick()
{
    const QString start = ui->edJigMap->text().isEmpty() ? QDir::homePath() : QFileInfo(ui->edJigMap->text()).absolutePath();
    const QString path = QFileDialog::getOpenFileName(this, localText(TextTable::JigMapLabel), start);
    if (path.isEmpty())
        return;
    ui->edJigMap->setText(QDir::toNativeSeparators(path));
    useMap();
    saveSettings();
}

void JigWindow::btnExportCsvClick()
{
    const QString name = QStringLiteral("records-%1-%2.csv")
                             .arg(ui->dtExportFrom->date().toString(QStringLiteral("yyyyMMdd")),
                                  ui->dtExportTo->date().toString(QStringLiteral("yyyyMMdd")));
    const QString path = QFileDialog::getSaveFileName(this, localText(TextTable::JigExportCsvButton), QDir::home().filePath(name),
                                                      QStringLiteral("CSV (*.csv)"));
    if (!path.isEmpty())
        exportCsv(path);
}

void JigWindow::btnExportJsonClick()
{
    const QString folder = QFileDialog::getExistingDirectory(this, localText(TextTable::JigExportJsonButton), QDir::homePath());
    if (!folder.isEmpty())
        exportJson(folder);
}

void JigWindow::btnDeliverHereClick()
{
    // Each other store in turn, each asked for by name: records are never moved unasked.
    for (const PendingRecords::StoreCount &count : m_run.waitingElsewhere()) {
        const QString meantFor = count.store.isEmpty() ? localText(TextTable::JigUnnamedStore) : count.store;
        const QString question = localText(TextTable::JigDeliverHereQuestion).arg(QString::number(count.records), meantFor, m_run.storeShown());
        if (!m_confirm(question))
            continue;
        deliverHere(count.store);
    }
}

void JigWindow::deliverHere(const QString &meantFor)
{
    m_run.deliverHere(meantFor);
    showNote();
    showWaiting();
    showCounters();
}

bool JigWindow::exportCsv(const QString &path)
{
    const bool written = m_run.exportDays(ui->dtExportFrom->date(), ui->dtExportTo->date(), path, QString());
    showNote();
    return written;
}

bool JigWindow::exportJson(const QString &folder)
{
    const bool written = m_run.exportDays(ui->dtExportFrom->date(), ui->dtExportTo->date(), QString(), folder);
    showNote();
    return written;
}
