#include "app/trafficmonitorwindow.h"

#include "app/trafficrowdelegate.h"
#include "i18n/languagefont.h"
#include "i18n/texttable.h"
#include "settings/monitorsettings.h"
#include "traffic/trafficexport.h"
#include "traffic/trafficfilter.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The words of the verdict column, in the order of TrafficRow::Outcome.
const int outcomeTextIds[TrafficRow::OutcomeCount] = {
    TextTable::VerdictAnswered,   TextTable::VerdictNoReply,  TextTable::VerdictBadCheckDigits,
    TextTable::VerdictCutOff,     TextTable::VerdictHungUp,   TextTable::VerdictRefused,
    TextTable::VerdictLinkFailed, TextTable::VerdictLinkOpened, TextTable::VerdictLinkClosed,
};

const int headerTextIds[TrafficModel::ColumnCount] = {
    TextTable::MonitorNumberHeader,  TextTable::MonitorTimeHeader,      TextTable::MonitorLinkHeader,
    TextTable::MonitorCommandHeader, TextTable::MonitorReplyHeader,     TextTable::MonitorRoundTripHeader,
    TextTable::MonitorVerdictHeader, TextTable::MonitorDetailHeader,
};

const int defaultColumnWidths[TrafficModel::ColumnCount] = { 44, 92, 120, 140, 210, 96, 150, 80 };

struct FilterEntry
{
    int textId;
    quint32 outcomes;
};

constexpr quint32 bit(TrafficRow::Outcome outcome)
{
    return TrafficFilter::bit(outcome);
}

const FilterEntry filterEntries[] = {
    { TextTable::MonitorShowAll, TrafficFilter::AllOutcomes },
    { TextTable::MonitorShowProblems, TrafficFilter::Problems },
    { TextTable::VerdictAnswered, bit(TrafficRow::Outcome::Answered) },
    { TextTable::VerdictNoReply, bit(TrafficRow::Outcome::NoReply) },
    { TextTable::VerdictBadCheckDigits, bit(TrafficRow::Outcome::BadCheckDigits) },
    { TextTable::VerdictCutOff, bit(TrafficRow::Outcome::CutOff) },
    { TextTable::VerdictHungUp, bit(TrafficRow::Outcome::HungUp) },
    { TextTable::VerdictRefused, bit(TrafficRow::Outcome::Refused) },
    { TextTable::VerdictLinkFailed, bit(TrafficRow::Outcome::LinkFailed) },
    { TextTable::MonitorShowLinkEvents, bit(TrafficRow::Outcome::LinkOpened) | bit(TrafficRow::Outcome::LinkClosed) },
};

template<typename T>
T *named(T *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

TrafficMonitorWindow::TrafficMonitorWindow(const QString &logFolder, TrafficLog::Clock clock)
    : QWidget(nullptr, Qt::Window)
    , m_recorder(logFolder, std::move(clock))
{
    setObjectName(QStringLiteral("frmMonitor"));
    // The main window alone ends the program; an open monitor must not keep it running.
    setAttribute(Qt::WA_QuitOnClose, false);
    buildControls();
    connectControls();
    restoreSettings();
    setLanguage(m_languageIndex);
}

TrafficMonitorWindow::~TrafficMonitorWindow()
{
    if (isVisible())
        saveLayout();
}

void TrafficMonitorWindow::buildControls()
{
    m_lblShow = named(new QLabel(this), "lblShow");
    m_cmbVerdictFilter = named(new QComboBox(this), "cmbVerdictFilter");
    m_cmbVerdictFilter->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_lblShow->setBuddy(m_cmbVerdictFilter);
    m_lblCommand = named(new QLabel(this), "lblCommand");
    m_edCommandFilter = named(new QLineEdit(this), "edCommandFilter");
    m_edCommandFilter->setClearButtonEnabled(true);
    m_edCommandFilter->setMinimumWidth(90);
    m_edCommandFilter->setMaximumWidth(160);
    m_lblCommand->setBuddy(m_edCommandFilter);
    m_chkHex = named(new QCheckBox(this), "chkHex");
    m_btnPause = named(new QPushButton(this), "btnPause");
    m_btnPause->setCheckable(true);
    m_btnClear = named(new QPushButton(this), "btnClear");
    m_btnCopy = named(new QPushButton(this), "btnCopy");
    m_btnSaveCsv = named(new QPushButton(this), "btnSaveCsv");
    m_btnSaveText = named(new QPushButton(this), "btnSaveText");

    m_recorder.model().setPublishInterval(PublishIntervalMs);
    m_filter = new TrafficFilter(this);
    m_filter->setSourceModel(&m_recorder.model());
    m_delegate = new TrafficRowDelegate(this);

    m_tblTraffic = named(new QTableView(this), "tblTraffic");
    m_tblTraffic->setModel(m_filter);
    m_tblTraffic->setItemDelegate(m_delegate);
    m_tblTraffic->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tblTraffic->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_tblTraffic->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tblTraffic->setWordWrap(false);
    m_tblTraffic->setAlternatingRowColors(true);
    m_tblTraffic->setSortingEnabled(false);
    m_tblTraffic->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Rows of one height, never measured one by one: ten thousand rows cost nothing to lay out.
    m_tblTraffic->verticalHeader()->hide();
    m_tblTraffic->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_tblTraffic->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_tblTraffic->horizontalHeader()->setStretchLastSection(true);
    m_tblTraffic->horizontalHeader()->setHighlightSections(false);
    for (int column = 0; column < TrafficModel::ColumnCount; ++column)
        m_tblTraffic->setColumnWidth(column, defaultColumnWidths[column]);
    auto *copy = new QAction(m_tblTraffic);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    m_tblTraffic->addAction(copy);
    connect(copy, &QAction::triggered, this, &TrafficMonitorWindow::copySelection);

    m_chkLogFile = named(new QCheckBox(this), "chkLogFile");
    m_lblLogFile = named(new QLabel(this), "lblLogFile");
    m_lblLogFile->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_lblLogFile->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_lblStatus = named(new QLabel(this), "lblStatus");
    m_lblRows = named(new QLabel(this), "lblRows");
    m_edRows = named(new QSpinBox(this), "edRows");
    m_edRows->setRange(TrafficRing::MinCapacity, TrafficRing::MaxCapacity);
    m_edRows->setSingleStep(1000);
    m_edRows->setGroupSeparatorShown(false);
    // A capacity typed digit by digit must not drop rows on the way ("1" of "10000").
    m_edRows->setKeyboardTracking(false);
    m_lblRows->setBuddy(m_edRows);

    // Above the rows what changes the view of them; below, what keeps them.
    auto *top = new QHBoxLayout;
    top->addWidget(m_lblShow);
    top->addWidget(m_cmbVerdictFilter);
    top->addSpacing(12);
    top->addWidget(m_lblCommand);
    top->addWidget(m_edCommandFilter);
    top->addSpacing(12);
    top->addWidget(m_chkHex);
    top->addStretch(1);
    top->addWidget(m_lblStatus);
    top->addWidget(m_btnPause);
    top->addWidget(m_btnClear);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_chkLogFile);
    bottom->addWidget(m_lblLogFile, 1);
    bottom->addWidget(m_lblRows);
    bottom->addWidget(m_edRows);
    bottom->addSpacing(12);
    for (QPushButton *button : { m_btnCopy, m_btnSaveCsv, m_btnSaveText })
        bottom->addWidget(button);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_tblTraffic, 1);
    layout->addLayout(bottom);
}

void TrafficMonitorWindow::connectControls()
{
    TrafficModel &model = m_recorder.model();
    TrafficLog &log = m_recorder.log();

    connect(m_cmbVerdictFilter, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0 && index < int(std::size(filterEntries)))
            m_filter->setOutcomes(filterEntries[index].outcomes);
    });
    connect(m_edCommandFilter, &QLineEdit::textChanged, m_filter, &TrafficFilter::setCommands);
    connect(m_chkHex, &QCheckBox::toggled, this, [&model](bool on) {
        model.setHexadecimal(on);
        MonitorSettings::saveHexadecimal(on);
    });
    connect(m_btnPause, &QPushButton::toggled, this, [this, &model](bool on) {
        model.setPaused(on);
        showPauseState();
    });
    connect(&model, &TrafficModel::waitingChanged, this, &TrafficMonitorWindow::showPauseState);
    connect(m_btnClear, &QPushButton::clicked, &model, &TrafficModel::clear);
    connect(m_btnCopy, &QPushButton::clicked, this, &TrafficMonitorWindow::copySelection);
    connect(m_btnSaveCsv, &QPushButton::clicked, this, [this] { askSavePath(true); });
    connect(m_btnSaveText, &QPushButton::clicked, this, [this] { askSavePath(false); });
    connect(m_chkLogFile, &QCheckBox::toggled, this, [&log](bool on) {
        log.setEnabled(on);
        MonitorSettings::saveLogFile(on);
    });
    connect(&log, &TrafficLog::stateChanged, this, &TrafficMonitorWindow::showLogState);
    connect(m_tblTraffic->horizontalHeader(), &QHeaderView::sectionResized, this, [this] { m_widthsChosen = true; });
    connect(m_edRows, &QSpinBox::valueChanged, this, [&model](int rows) {
        model.setCapacity(rows);
        MonitorSettings::saveRows(model.capacity());
    });

    // Follow the end: the operator's scrolling decides. At the end (or with everything in
    // view) new rows pull the view along; scrolled up, the rows in view stay in view.
    QScrollBar *bar = m_tblTraffic->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, [this, bar](int value) { m_followEnd = value >= bar->maximum(); });
    connect(m_filter, &QAbstractItemModel::rowsInserted, this, [this] {
        if (m_followEnd)
            scheduleScrollToEnd();
    });
    connect(m_filter, &QAbstractItemModel::rowsRemoved, this, [this, bar](const QModelIndex &, int first, int last) {
        if (!m_followEnd && first == 0)
            bar->setValue(bar->value() - (last - first + 1));
    });
    connect(m_filter, &QAbstractItemModel::modelReset, this, &TrafficMonitorWindow::scheduleScrollToEnd);
    connect(m_filter, &QAbstractItemModel::layoutChanged, this, &TrafficMonitorWindow::scheduleScrollToEnd);
}

void TrafficMonitorWindow::restoreSettings()
{
    const MonitorSettings stored = MonitorSettings::read();
    if (stored.columnWidths.size() == TrafficModel::ColumnCount) {
        for (int column = 0; column < TrafficModel::ColumnCount; ++column)
            m_tblTraffic->setColumnWidth(column, stored.columnWidths[column]);
        m_widthsChosen = true;
    }
    // Set without the controls' signals, which would store the values again.
    const QSignalBlocker rows(m_edRows), hex(m_chkHex), logFile(m_chkLogFile);
    m_recorder.model().setCapacity(stored.rows);
    m_edRows->setValue(m_recorder.model().capacity());
    m_chkHex->setChecked(stored.hexadecimal);
    m_recorder.model().setHexadecimal(stored.hexadecimal);
    m_chkLogFile->setChecked(stored.logFile);
    m_recorder.log().setEnabled(stored.logFile);
    showLogState();
}

void TrafficMonitorWindow::saveLayout()
{
    MonitorSettings::saveLayout(saveGeometry(), columnWidths());
}

QList<int> TrafficMonitorWindow::columnWidths() const
{
    QList<int> widths;
    for (int column = 0; column < TrafficModel::ColumnCount; ++column)
        widths.append(m_tblTraffic->columnWidth(column));
    return widths;
}

QString TrafficMonitorWindow::text(int id) const
{
    return TextTable::text(id, m_languageIndex);
}

void TrafficMonitorWindow::setLanguage(int languageIndex)
{
    m_languageIndex = languageIndex;
    const QFont font = LanguageFont::forLanguage(languageIndex).font();
    setFont(font);
    // The rows hold nothing that needs shaping (ASCII, control pictures, Chinese words), and
    // shaping is most of what a repaint of the table costs.
    QFont rowFont = font;
    rowFont.setStyleStrategy(QFont::PreferNoShaping);
    m_tblTraffic->setFont(rowFont);
    m_tblTraffic->horizontalHeader()->setFont(font);
    m_delegate->setBytesFont([&font] {
        QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        fixed.setPointSizeF(font.pointSizeF());
        fixed.setStyleStrategy(QFont::PreferNoShaping);
        return fixed;
    }());
    // Until the operator chooses widths, the time and a loopback address stay whole in a larger
    // face.
    if (!m_widthsChosen) {
        const QFontMetrics metrics(font);
        const QSignalBlocker blocker(m_tblTraffic->horizontalHeader());
        for (const auto &[column, sample] : { std::pair { int(TrafficModel::TimeColumn), QStringLiteral("00:00:00.000") },
                                              std::pair { int(TrafficModel::LinkColumn), QStringLiteral("127.0.0.1:5003") } })
            m_tblTraffic->setColumnWidth(column, std::max(defaultColumnWidths[column], metrics.horizontalAdvance(sample) + 16));
    }
    m_tblTraffic->verticalHeader()->setDefaultSectionSize(
        std::max(QFontMetrics(font).height(), QFontMetrics(QFontDatabase::systemFont(QFontDatabase::FixedFont)).height())
        + 6);

    setWindowTitle(text(TextTable::MonitorTitle));
    QStringList headers;
    for (const int id : headerTextIds)
        headers.append(text(id));
    m_recorder.model().setHeaderTexts(headers);
    QStringList words;
    for (const int id : outcomeTextIds)
        words.append(text(id));
    m_recorder.model().setOutcomeWords(words);

    const int filterIndex = std::max(0, m_cmbVerdictFilter->currentIndex());
    {
        const QSignalBlocker blocker(m_cmbVerdictFilter);
        m_cmbVerdictFilter->clear();
        for (const FilterEntry &entry : filterEntries)
            m_cmbVerdictFilter->addItem(text(entry.textId));
        m_cmbVerdictFilter->setCurrentIndex(filterIndex);
    }
    m_lblShow->setText(text(TextTable::MonitorShowLabel));
    m_lblCommand->setText(text(TextTable::MonitorCommandLabel));
    m_edCommandFilter->setPlaceholderText(text(TextTable::MonitorCommandHint));
    m_chkHex->setText(text(TextTable::MonitorHexCheck));
    m_btnClear->setText(text(TextTable::MonitorClearButton));
    m_btnCopy->setText(text(TextTable::MonitorCopyButton));
    m_btnSaveCsv->setText(text(TextTable::MonitorSaveCsvButton));
    m_btnSaveText->setText(text(TextTable::MonitorSaveTextButton));
    m_chkLogFile->setText(text(TextTable::MonitorLogFileCheck));
    m_lblRows->setText(text(TextTable::MonitorRowsLabel));
    showPauseState();
    showLogState();
}

void TrafficMonitorWindow::showBeside(const QWidget *mainWindow)
{
    if (!m_placed) {
        m_placed = true;
        const MonitorSettings stored = MonitorSettings::read();
        if (stored.geometry.isEmpty() || !restoreGeometry(stored.geometry)) {
            resize(980, 400);
            if (mainWindow) {
                // To the right of the main window when the screen has room, else below it,
                // else as far right as the screen goes.
                const QRect main = mainWindow->frameGeometry();
                const QRect screen = mainWindow->screen() ? mainWindow->screen()->availableGeometry() : main;
                QPoint place(main.right() + 1, main.top());
                if (place.x() + width() > screen.right()) {
                    place = QPoint(main.left(), main.bottom() + 1);
                    if (place.y() + height() > screen.bottom())
                        place = QPoint(std::max(screen.left(), screen.right() - width()), main.top());
                }
                move(place);
            }
        }
    }
    show();
    raise();
    activateWindow();
    scheduleScrollToEnd();
}

void TrafficMonitorWindow::closeEvent(QCloseEvent *event)
{
    saveLayout();
    event->accept();
}

void TrafficMonitorWindow::showLogState()
{
    const TrafficLog &log = m_recorder.log();
    if (!log.isEnabled()) {
        m_lblLogFile->clear();
        m_lblLogFile->setToolTip(QString());
        m_lblLogFile->setStyleSheet(QString());
        return;
    }
    const QString message = log.error().isEmpty()
        ? text(TextTable::MonitorLogFilePath).arg(QDir::toNativeSeparators(log.currentPath()))
        : text(TextTable::MonitorLogFileError).arg(log.error());
    m_lblLogFile->setText(message);
    m_lblLogFile->setToolTip(message);
    m_lblLogFile->setStyleSheet(log.error().isEmpty() ? QString() : QStringLiteral("color: #b00000;"));
}

void TrafficMonitorWindow::showPauseState()
{
    const TrafficModel &model = m_recorder.model();
    m_btnPause->setText(text(model.isPaused() ? TextTable::MonitorResumeButton : TextTable::MonitorPauseButton));
    if (model.isPaused())
        setStatus(text(TextTable::MonitorPaused).arg(model.waiting()), false);
    else if (m_lblStatus->property("paused").toBool())
        setStatus(QString(), false);
    m_lblStatus->setProperty("paused", model.isPaused());
}

void TrafficMonitorWindow::setStatus(const QString &status, bool failure)
{
    m_lblStatus->setText(status);
    m_lblStatus->setStyleSheet(failure ? QStringLiteral("color: #b00000;") : QString());
}

void TrafficMonitorWindow::scheduleScrollToEnd()
{
    if (m_scrollPending)
        return;
    m_scrollPending = true;
    // After the view has laid out the new rows, or the end it scrolls to is the old one.
    QTimer::singleShot(0, this, [this] {
        m_scrollPending = false;
        if (m_followEnd && isVisible())
            m_tblTraffic->scrollToBottom();
    });
}

QList<TrafficRow> TrafficMonitorWindow::shownRows() const
{
    QList<TrafficRow> rows;
    rows.reserve(m_filter->rowCount());
    for (int i = 0; i < m_filter->rowCount(); ++i)
        rows.append(m_recorder.model().row(m_filter->mapToSource(m_filter->index(i, 0)).row()));
    return rows;
}

bool TrafficMonitorWindow::saveCsv(const QString &path)
{
    QString error;
    const bool ok = TrafficExport::save(path, TrafficExport::csv(shownRows()), &error);
    setStatus(ok ? text(TextTable::MonitorSaved).arg(QDir::toNativeSeparators(path))
                 : text(TextTable::MonitorSaveError).arg(QDir::toNativeSeparators(path) + QStringLiteral(": ") + error),
              !ok);
    return ok;
}

bool TrafficMonitorWindow::saveText(const QString &path)
{
    QString error;
    const bool ok = TrafficExport::save(path, TrafficExport::text(shownRows()), &error);
    setStatus(ok ? text(TextTable::MonitorSaved).arg(QDir::toNativeSeparators(path))
                 : text(TextTable::MonitorSaveError).arg(QDir::toNativeSeparators(path) + QStringLiteral(": ") + error),
              !ok);
    return ok;
}

void TrafficMonitorWindow::askSavePath(bool csv)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString name = QStringLiteral("traffic-%1.%2").arg(stamp, csv ? QStringLiteral("csv") : QStringLiteral("log"));
    auto *dialog = new QFileDialog(this, windowTitle(), QDir(folder).filePath(name),
                                   text(csv ? TextTable::MonitorCsvFiles : TextTable::MonitorTextFiles));
    dialog->setObjectName(QStringLiteral("frmSaveTraffic"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(csv ? QStringLiteral("csv") : QStringLiteral("log"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::fileSelected, this, [this, csv](const QString &path) {
        if (csv)
            saveCsv(path);
        else
            saveText(path);
    });
    // Not exec(): a dialog with its own event loop would hold a running operation (the
    // automatic test processes messages between its passes) until it closes.
    dialog->open();
}

void TrafficMonitorWindow::copySelection()
{
    QModelIndexList selected = m_tblTraffic->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    QStringList lines;
    QStringList header;
    for (int column = 0; column < TrafficModel::ColumnCount; ++column)
        header.append(m_filter->headerData(column, Qt::Horizontal).toString());
    lines.append(header.join(QLatin1Char('\t')));
    for (const QModelIndex &index : selected) {
        QStringList cells;
        for (int column = 0; column < TrafficModel::ColumnCount; ++column)
            cells.append(m_filter->index(index.row(), column).data().toString());
        lines.append(cells.join(QLatin1Char('\t')));
    }
    QGuiApplication::clipboard()->setText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}
