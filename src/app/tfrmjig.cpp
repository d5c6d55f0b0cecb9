#include "app/tfrmjig.h"

#include "app/jigstepmodel.h"
#include "app/tfrmmodule.h"
#include "i18n/languagefont.h"
#include "i18n/texttable.h"
#include "records/recordexport.h"
#include "settings/jigsettings.h"

#include <QAbstractSpinBox>
#include <QCloseEvent>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTimer>

namespace {

const QColor NoteGreen(0x10, 0x80, 0x30);
const QColor NoteOrange(0xc0, 0x60, 0x00);
const QColor NoteRed(0xd0, 0x14, 0x14);

QLabel *namedLabel(const char *name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

void setTextColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    for (const QPalette::ColorGroup group : { QPalette::Active, QPalette::Inactive, QPalette::Disabled })
        palette.setColor(group, QPalette::WindowText, color);
    widget->setPalette(palette);
}

void setPointSize(QWidget *widget, int points, bool bold)
{
    QFont font = widget->font();
    font.setPointSize(points);
    font.setBold(bold);
    widget->setFont(font);
}

} // namespace

TfrmJig::TfrmJig(TfrmModule &main)
    : QWidget(nullptr, Qt::Window)
    , m_main(main)
{
    setObjectName(QStringLiteral("frmJig"));
    // The main window's close ends the program; this window goes with it.
    setAttribute(Qt::WA_QuitOnClose, false);
    buildForm();
    connect(&m_main, &TfrmModule::languageApplied, this, &TfrmJig::applyLanguage);
    loadSettings();
    applyLanguage();
    (edOperator->text().isEmpty() ? static_cast<QWidget *>(edOperator) : btnStart)->setFocus();
}

TfrmJig::~TfrmJig()
{
    // The base class hides and deletes the children after this window has stopped being one:
    // the focused field's editingFinished and the table's questions to its model (whose step
    // names this window translates) must not reach it then.
    for (QLineEdit *field : { edStation, edOperator, edJigMap, edRecordStore })
        disconnect(field, nullptr, this, nullptr);
    tblSteps->setModel(nullptr);
}

void TfrmJig::buildForm()
{
    resize(920, 760);
    setMinimumSize(760, 640);

    lblStation = namedLabel("lblStation", this);
    edStation = new QLineEdit(this);
    edStation->setObjectName(QStringLiteral("edStation"));
    lblOperator = namedLabel("lblOperator", this);
    edOperator = new QLineEdit(this);
    edOperator->setObjectName(QStringLiteral("edOperator"));
    lblJigMap = namedLabel("lblJigMap", this);
    edJigMap = new QLineEdit(this);
    edJigMap->setObjectName(QStringLiteral("edJigMap"));
    btnJigMap = new QPushButton(this);
    btnJigMap->setObjectName(QStringLiteral("btnJigMap"));
    lblMapName = namedLabel("lblMapName", this);
    lblRecordStore = namedLabel("lblRecordStore", this);
    edRecordStore = new QLineEdit(this);
    edRecordStore->setObjectName(QStringLiteral("edRecordStore"));
    for (QLineEdit *field : { edStation, edOperator })
        field->setMaxLength(UnitRecord::MaxTextLength / 16);

    auto *fields = new QGridLayout;
    fields->addWidget(lblStation, 0, 0);
    fields->addWidget(edStation, 0, 1);
    fields->addWidget(lblOperator, 0, 2);
    fields->addWidget(edOperator, 0, 3, 1, 2);
    fields->addWidget(lblJigMap, 1, 0);
    fields->addWidget(edJigMap, 1, 1, 1, 3);
    fields->addWidget(btnJigMap, 1, 4);
    fields->addWidget(lblMapName, 2, 1, 1, 4);
    fields->addWidget(lblRecordStore, 3, 0);
    fields->addWidget(edRecordStore, 3, 1, 1, 4);
    fields->setColumnStretch(1, 1);
    fields->setColumnStretch(3, 1);

    btnStart = new QPushButton(this);
    btnStart->setObjectName(QStringLiteral("btnStart"));
    btnStart->setMinimumSize(240, 150);
    btnStart->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    setPointSize(btnStart, 26, true);
    pnVerdict = new VerdictPanel(this);
    pnVerdict->setObjectName(QStringLiteral("pnVerdict"));
    auto *verdictRow = new QHBoxLayout;
    verdictRow->addWidget(btnStart);
    verdictRow->addWidget(pnVerdict, 1);

    lblNote = namedLabel("lblNote", this);
    lblNote->setWordWrap(true);
    setPointSize(lblNote, 11, true);

    m_steps = new JigStepModel(this);
    tblSteps = new QTableView(this);
    tblSteps->setObjectName(QStringLiteral("tblSteps"));
    tblSteps->setModel(m_steps);
    // The keys of the line (Enter, space) belong to the Start button, never to the table.
    tblSteps->setFocusPolicy(Qt::NoFocus);
    tblSteps->setSelectionMode(QAbstractItemView::NoSelection);
    tblSteps->setEditTriggers(QAbstractItemView::NoEditTriggers);
    setPointSize(tblSteps, 13, false);
    tblSteps->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    QHeaderView *columns = tblSteps->horizontalHeader();
    columns->setSectionResizeMode(JigStepModel::StepColumn, QHeaderView::ResizeToContents);
    columns->setSectionResizeMode(JigStepModel::ExpectedColumn, QHeaderView::Stretch);
    columns->setSectionResizeMode(JigStepModel::MeasuredColumn, QHeaderView::Stretch);
    columns->setSectionResizeMode(JigStepModel::ResultColumn, QHeaderView::Fixed);
    columns->resizeSection(JigStepModel::ResultColumn, 110);

    gbToday = new QGroupBox(this);
    gbToday->setObjectName(QStringLiteral("gbToday"));
    auto *today = new QGridLayout(gbToday);
    const std::pair<QLabel **, const char *> counters[] = {
        { &lblUnitsCaption, "lblUnitsCaption" }, { &lblUnits, "lblUnits" },
        { &lblPassedCaption, "lblPassedCaption" }, { &lblPassed, "lblPassed" },
        { &lblFailedCaption, "lblFailedCaption" }, { &lblFailed, "lblFailed" },
        { &lblYieldCaption, "lblYieldCaption" }, { &lblYield, "lblYield" },
    };
    for (int i = 0; i < 8; ++i) {
        *counters[i].first = namedLabel(counters[i].second, gbToday);
        if (i % 2 == 1) {
            setPointSize(*counters[i].first, 14, true);
            (*counters[i].first)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
        today->addWidget(*counters[i].first, i / 2, i % 2);
    }

    gbRecords = new QGroupBox(this);
    gbRecords->setObjectName(QStringLiteral("gbRecords"));
    lblStore = namedLabel("lblStore", gbRecords);
    lblStore->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblPending = namedLabel("lblPending", gbRecords);
    lblExportFrom = namedLabel("lblExportFrom", gbRecords);
    lblExportTo = namedLabel("lblExportTo", gbRecords);
    dtExportFrom = new QDateEdit(QDate::currentDate(), gbRecords);
    dtExportFrom->setObjectName(QStringLiteral("dtExportFrom"));
    dtExportTo = new QDateEdit(QDate::currentDate(), gbRecords);
    dtExportTo->setObjectName(QStringLiteral("dtExportTo"));
    for (QDateEdit *day : { dtExportFrom, dtExportTo }) {
        day->setCalendarPopup(true);
        day->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    }
    btnExportCsv = new QPushButton(gbRecords);
    btnExportCsv->setObjectName(QStringLiteral("btnExportCsv"));
    btnExportJson = new QPushButton(gbRecords);
    btnExportJson->setObjectName(QStringLiteral("btnExportJson"));
    auto *records = new QGridLayout(gbRecords);
    records->addWidget(lblStore, 0, 0, 1, 6);
    records->addWidget(lblPending, 1, 0, 1, 6);
    records->addWidget(lblExportFrom, 2, 0);
    records->addWidget(dtExportFrom, 2, 1);
    records->addWidget(lblExportTo, 2, 2);
    records->addWidget(dtExportTo, 2, 3);
    records->addWidget(btnExportCsv, 2, 4);
    records->addWidget(btnExportJson, 2, 5);
    records->setColumnStretch(6, 1);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(gbToday);
    bottom->addWidget(gbRecords, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(verdictRow);
    layout->addWidget(lblNote);
    layout->addWidget(tblSteps, 1);
    layout->addLayout(bottom);

    connect(btnStart, &QPushButton::clicked, this, &TfrmJig::btnStartClick);
    connect(btnJigMap, &QPushButton::clicked, this, &TfrmJig::btnJigMapClick);
    connect(btnExportCsv, &QPushButton::clicked, this, &TfrmJig::btnExportCsvClick);
    connect(btnExportJson, &QPushButton::clicked, this, &TfrmJig::btnExportJsonClick);
    // A field left while a unit is on test (the fields are locked then) changes nothing.
    connect(edJigMap, &QLineEdit::editingFinished, this, [this] {
        if (!m_running) {
            useMap();
            saveSettings();
        }
    });
    connect(edRecordStore, &QLineEdit::editingFinished, this, [this] {
        if (!m_running) {
            useStore();
            saveSettings();
        }
    });
    connect(edStation, &QLineEdit::editingFinished, this, [this] {
        if (!m_running && m_station) {
            m_counters = m_station->counters(edStation->text());
            showCounters();
        }
    });
}

QString TfrmJig::localText(int id) const
{
    return TextTable::text(id, m_main.languageIndex());
}

QString TfrmJig::stepName(const QString &name) const
{
    static const QRegularExpression alone(QStringLiteral("^(DO\\d) alone$"));
    const std::pair<const char *, int> fixed[] = {
        { "Identify", TextTable::JigStepIdentify }, { "Set clock", TextTable::JigStepSetClock },
        { "Clock kept", TextTable::JigStepClockKept }, { "All off", TextTable::JigStepAllOff },
        { "End", TextTable::JigStepEnd },
    };
    for (const auto &[english, id] : fixed)
        if (name == QLatin1String(english))
            return localText(id);
    if (const QRegularExpressionMatch match = alone.match(name); match.hasMatch())
        return localText(TextTable::JigStepOutputAlone).arg(match.captured(1));
    return name;
}

void TfrmJig::loadSettings()
{
    const JigSettings settings = JigSettings::read();
    edStation->setText(settings.station);
    edOperator->setText(settings.operatorName);
    edJigMap->setText(settings.jigMapPath);
    edRecordStore->setText(settings.recordStore);
    useMap();
    // Opening the store delivers what waited on this PC since the last time.
    useStore();
}

void TfrmJig::saveSettings() const
{
    JigSettings settings;
    settings.station = edStation->text().trimmed();
    settings.operatorName = edOperator->text().trimmed();
    settings.jigMapPath = edJigMap->text().trimmed();
    settings.recordStore = edRecordStore->text().trimmed();
    settings.save();
}

std::optional<JigMap> TfrmJig::useMap()
{
    std::optional<JigMap> map = JigMap::fromSetting(edJigMap->text(), &m_mapError);
    if (map)
        m_mapError.clear();
    lblMapName->setText(map ? map->name() : localText(TextTable::JigMapDamaged) + QLatin1Char(' ') + m_mapError);
    setTextColor(lblMapName, map ? palette().color(QPalette::WindowText) : NoteRed);
    return map;
}

void TfrmJig::useStore()
{
    const QString text = edRecordStore->text().trimmed();
    if (m_station && text == m_storeText)
        return;
    m_storeText = text;
    m_counters.reset();
    const std::optional<RecordStoreSettings> settings = RecordStoreSettings::fromSetting(text, &m_storeError);
    if (!settings) {
        m_station.reset();
        lblStore->setText(localText(TextTable::JigStoreInvalid) + QLatin1Char(' ') + m_storeError);
        setTextColor(lblStore, NoteRed);
        showWaiting(-1);
        showCounters();
        return;
    }
    m_storeError.clear();
    m_station = std::make_unique<JigStation>(*settings);
    lblStore->setText(settings->displayString());
    setTextColor(lblStore, palette().color(QPalette::WindowText));
    const PendingRecords::Delivery delivery = m_station->deliverPending();
    lblStore->setToolTip(delivery.error);
    showWaiting(delivery.remaining);
    // A store that could not take what waited would only make the operator wait again here.
    if (delivery.storeReached)
        m_counters = m_station->counters(edStation->text());
    showCounters();
}

void TfrmJig::btnStartClick()
{
    if (m_running)
        return;
    JigStation::Setup setup;
    setup.station = edStation->text().trimmed();
    setup.operatorName = edOperator->text().trimmed();
    switch (JigStation::setupProblem(setup)) {
    case JigStation::SetupProblem::NoStation:
        refuse(TextTable::JigNoStation, QString(), edStation);
        return;
    case JigStation::SetupProblem::NoOperator:
        refuse(TextTable::JigNoOperator, QString(), edOperator);
        return;
    case JigStation::SetupProblem::None:
        break;
    }
    // The store field may still be in the middle of an edit.
    useStore();
    if (!m_station) {
        refuse(TextTable::JigStoreInvalid, m_storeError, edRecordStore);
        return;
    }
    // Read again at every unit: a map corrected on the disk counts from the next unit on.
    const std::optional<JigMap> map = useMap();
    if (!map) {
        refuse(TextTable::JigMapDamaged, m_mapError, edJigMap);
        return;
    }
    if (m_main.operationRunning()) {
        refuse(TextTable::JigBusy);
        return;
    }
    setup.map = *map;
    setup.options.settleMs = m_settleMs;
    saveSettings();
    runUnit(setup);
}

void TfrmJig::runUnit(JigStation::Setup setup)
{
    m_running = true;
    setFieldsLocked(true);
    m_verdict = VerdictPanel::State::Testing;
    m_failedStep.reset();
    m_passDetail.clear();
    m_verdictReason = Note();
    showVerdict();
    showNote(Note());
    m_steps->start(JigTest::stepNames());

    std::optional<JigTest::Result> result;
    QString linkWhy;
    const TfrmModule::BracketRun run = m_main.runInBracket(
        [&](ControllerSession &session, const QString &scanId) {
            setup.options.scanId = scanId;
            result = JigStation::test(session, setup, [this](const JigTest::Step &step) { m_steps->stepDone(step); });
            if (result->passed())
                return QString();
            const JigTest::Step *failed = result->firstFailure();
            return failed ? QStringLiteral("%1: %2").arg(failed->name, failed->reason.isEmpty() ? failed->measured : failed->reason)
                          : QStringLiteral("no step ran");
        },
        &linkWhy);
    m_steps->finish();

    switch (run) {
    case TfrmModule::BracketRun::Busy:
        m_verdict = VerdictPanel::State::NotTested;
        m_verdictReason = { TextTable::JigBusy, {}, QString(), NoteRed };
        break;
    case TfrmModule::BracketRun::NoLink:
        m_verdict = VerdictPanel::State::NotTested;
        m_verdictReason = { TextTable::ConnectDeviceError, {}, linkWhy, NoteRed };
        break;
    case TfrmModule::BracketRun::Ran: {
        m_verdict = result->passed() ? VerdictPanel::State::Pass : VerdictPanel::State::Fail;
        if (const JigTest::Step *failed = result->firstFailure())
            m_failedStep = *failed;
        else if (!result->steps.isEmpty())
            m_passDetail = result->steps.constFirst().measured;
        const JigStation::Unit unit = m_station->keep(*result, setup);
        switch (unit.kept.place) {
        case RecordKeeper::Place::Store:
            m_note = { TextTable::JigStoredNote, {}, QString(), NoteGreen };
            break;
        case RecordKeeper::Place::Pending:
            m_note = { TextTable::JigPendingNote, {}, QString(), NoteOrange };
            break;
        case RecordKeeper::Place::Nowhere:
            m_note = { unit.record ? TextTable::JigNotKeptNote : TextTable::JigNoUnitNote, {}, QString(), NoteRed };
            break;
        }
        lblNote->setToolTip(unit.kept.message);
        showWaiting(unit.kept.waiting);
        if (unit.kept.place == RecordKeeper::Place::Store)
            m_counters = m_station->counters(setup.station);
        showCounters();
        break;
    }
    }
    showVerdict();
    showNote(m_note);
    setFieldsLocked(false);
    m_running = false;
    btnStart->setFocus();
    if (m_closePending)
        QTimer::singleShot(0, this, &QWidget::close);
}

void TfrmJig::refuse(int id, const QString &extra, QWidget *focus)
{
    m_verdict = VerdictPanel::State::NotTested;
    m_failedStep.reset();
    m_verdictReason = { id, {}, extra, NoteRed };
    showVerdict();
    if (focus)
        focus->setFocus();
}

void TfrmJig::setFieldsLocked(bool locked)
{
    for (QWidget *w : std::initializer_list<QWidget *> { edStation, edOperator, edJigMap, btnJigMap, edRecordStore, dtExportFrom,
                                                         dtExportTo, btnExportCsv, btnExportJson })
        w->setEnabled(!locked);
}

void TfrmJig::showVerdict()
{
    switch (m_verdict) {
    case VerdictPanel::State::Ready:
        pnVerdict->setVerdict(m_verdict, localText(TextTable::JigReady));
        return;
    case VerdictPanel::State::Testing:
        pnVerdict->setVerdict(m_verdict, localText(TextTable::JigTesting));
        return;
    case VerdictPanel::State::Pass:
        pnVerdict->setVerdict(m_verdict, localText(TextTable::JigPass), m_passDetail);
        return;
    case VerdictPanel::State::Fail: {
        QString detail;
        if (m_failedStep) {
            detail = localText(TextTable::JigFailedStep).arg(stepName(m_failedStep->name), m_failedStep->measured, m_failedStep->expected);
            if (!m_failedStep->reason.isEmpty())
                detail += QLatin1Char('\n') + m_failedStep->reason;
        }
        pnVerdict->setVerdict(m_verdict, localText(TextTable::JigFail), detail);
        return;
    }
    case VerdictPanel::State::NotTested:
        pnVerdict->setVerdict(m_verdict, localText(TextTable::JigNotTested), noteText(m_verdictReason));
        return;
    }
}

QString TfrmJig::noteText(const Note &note) const
{
    if (note.id < 0)
        return note.extra;
    QString text = localText(note.id);
    for (const QString &arg : note.args)
        text = text.arg(arg);
    if (!note.extra.isEmpty())
        text += QLatin1Char('\n') + note.extra;
    return text;
}

void TfrmJig::showNote(const Note &note)
{
    m_note = note;
    lblNote->setText(noteText(note));
    if (note.id < 0)
        lblNote->setToolTip(QString());
    setTextColor(lblNote, note.color.isValid() ? note.color : palette().color(QPalette::WindowText));
}

void TfrmJig::showCounters()
{
    const QString none = QStringLiteral("-");
    const bool known = m_counters.has_value();
    lblUnits->setText(known ? QString::number(m_counters->units) : none);
    lblPassed->setText(known ? QString::number(m_counters->passed) : none);
    lblFailed->setText(known ? QString::number(m_counters->failed) : none);
    lblYield->setText(known && m_counters->firstTimeUnits > 0
                          ? QStringLiteral("%1 % (%2/%3)")
                                .arg(QString::number(100.0 * m_counters->firstPassYield(), 'f', 1))
                                .arg(m_counters->firstTimePassed)
                                .arg(m_counters->firstTimeUnits)
                          : none);
    const QString why = known || !m_station ? QString() : localText(TextTable::JigCountersUnread) + QLatin1Char('\n') + m_station->lastError();
    gbToday->setToolTip(why);
}

void TfrmJig::showWaiting(int waiting)
{
    m_waiting = waiting;
    lblPending->setText(localText(TextTable::JigWaitingText).arg(waiting < 0 ? QStringLiteral("-") : QString::number(waiting)));
    setTextColor(lblPending, waiting > 0 ? NoteOrange : palette().color(QPalette::WindowText));
}

void TfrmJig::applyLanguage()
{
    const LanguageFont row = LanguageFont::forLanguage(m_main.languageIndex());
    setFont(row.font());
    QPalette palette = this->palette();
    for (const QPalette::ColorGroup group : { QPalette::Active, QPalette::Inactive })
        for (const QPalette::ColorRole role : { QPalette::WindowText, QPalette::ButtonText, QPalette::Text })
            palette.setColor(group, role, row.textColor());
    setPalette(palette);

    setWindowTitle(localText(TextTable::JigWindowTitle));
    lblStation->setText(localText(TextTable::JigStationLabel));
    lblOperator->setText(localText(TextTable::JigOperatorLabel));
    lblJigMap->setText(localText(TextTable::JigMapLabel));
    btnJigMap->setText(localText(TextTable::JigMapBrowseButton));
    edJigMap->setPlaceholderText(localText(TextTable::JigMapDefault).arg(JigMap::defaultMap().name()));
    lblRecordStore->setText(localText(TextTable::JigStoreLabel));
    edRecordStore->setPlaceholderText(localText(TextTable::JigStoreDefault).arg(RecordStoreSettings::defaultSqlitePath()));
    btnStart->setText(localText(TextTable::JigStartButton));
    gbToday->setTitle(localText(TextTable::JigTodayGroup));
    lblUnitsCaption->setText(localText(TextTable::JigUnitsLabel));
    lblPassedCaption->setText(localText(TextTable::JigPassedLabel));
    lblFailedCaption->setText(localText(TextTable::JigFailedLabel));
    lblYieldCaption->setText(localText(TextTable::JigYieldLabel));
    gbRecords->setTitle(localText(TextTable::JigRecordsGroup));
    lblExportFrom->setText(localText(TextTable::JigExportFromLabel));
    lblExportTo->setText(localText(TextTable::JigExportToLabel));
    btnExportCsv->setText(localText(TextTable::JigExportCsvButton));
    btnExportJson->setText(localText(TextTable::JigExportJsonButton));

    JigStepModel::Texts texts;
    texts.headers = QStringList { localText(TextTable::JigStepColumn), localText(TextTable::JigExpectedColumn),
                                  localText(TextTable::JigMeasuredColumn), localText(TextTable::JigResultColumn) };
    texts.passed = localText(TextTable::JigPass);
    texts.failed = localText(TextTable::JigFail);
    texts.notRun = localText(TextTable::JigNotRun);
    texts.stepName = [this](const QString &name) { return stepName(name); };
    m_steps->setTexts(texts);

    // Colours that stand for a state keep it; the rest follow the language's text colour.
    useMap();
    if (m_station)
        setTextColor(lblStore, row.textColor());
    else if (!m_storeError.isEmpty())
        lblStore->setText(localText(TextTable::JigStoreInvalid) + QLatin1Char(' ') + m_storeError);
    showVerdict();
    showNote(m_note);
    showCounters();
    showWaiting(m_waiting);
}

void TfrmJig::keyPressEvent(QKeyEvent *event)
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
    const bool ownUse = qobject_cast<QAbstractSpinBox *>(focus) || focus == edJigMap || focus == edRecordStore
        || (qobject_cast<QPushButton *>(focus) && focus != btnStart);
    if (ownUse) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    // A foot switch held down repeats its key; one press is one unit.
    if (!event->isAutoRepeat())
        btnStartClick();
}

void TfrmJig::closeEvent(QCloseEvent *event)
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

void TfrmJig::btnJigMapClick()
{
    const QString start = edJigMap->text().isEmpty() ? QDir::homePath() : QFileInfo(edJigMap->text()).absolutePath();
    const QString path = QFileDialog::getOpenFileName(this, localText(TextTable::JigMapLabel), start);
    if (path.isEmpty())
        return;
    edJigMap->setText(QDir::toNativeSeparators(path));
    useMap();
    saveSettings();
}

void TfrmJig::btnExportCsvClick()
{
    const QString name = QStringLiteral("records-%1-%2.csv")
                             .arg(dtExportFrom->date().toString(QStringLiteral("yyyyMMdd")), dtExportTo->date().toString(QStringLiteral("yyyyMMdd")));
    const QString path = QFileDialog::getSaveFileName(this, localText(TextTable::JigExportCsvButton), QDir::home().filePath(name),
                                                      QStringLiteral("CSV (*.csv)"));
    if (!path.isEmpty())
        exportCsv(path);
}

void TfrmJig::btnExportJsonClick()
{
    const QString folder = QFileDialog::getExistingDirectory(this, localText(TextTable::JigExportJsonButton), QDir::homePath());
    if (!folder.isEmpty())
        exportJson(folder);
}

bool TfrmJig::exportCsv(const QString &path)
{
    return exportRange(path, QString());
}

bool TfrmJig::exportJson(const QString &folder)
{
    return exportRange(QString(), folder);
}

bool TfrmJig::exportRange(const QString &csvPath, const QString &jsonFolder)
{
    auto fail = [this](const QString &why) {
        showNote({ TextTable::JigExportFailed, {}, why, NoteRed });
        return false;
    };
    if (!m_station)
        return fail(m_storeError);
    const QDate first = dtExportFrom->date();
    const QDate last = dtExportTo->date();
    if (last < first)
        return fail(QStringLiteral("%1 > %2").arg(first.toString(Qt::ISODate), last.toString(Qt::ISODate)));
    // Whole local days, the last one included.
    const std::optional<QList<UnitRecord>> records =
        m_station->store().unitsBetween(QDateTime(first, QTime(0, 0)), QDateTime(last.addDays(1), QTime(0, 0)));
    if (!records)
        return fail(m_station->lastError());
    QString error;
    const bool written = csvPath.isEmpty() ? RecordExport::writeJsonFiles(*records, jsonFolder, &error)
                                           : RecordExport::writeCsv(*records, csvPath, &error);
    if (!written)
        return fail(error);
    showNote({ TextTable::JigExported,
               { QString::number(records->size()), QDir::toNativeSeparators(csvPath.isEmpty() ? jsonFolder : csvPath) },
               QString(), NoteGreen });
    return true;
}
