#include "app/trafficmonitorwindow.h"

#include "app/toollook.h"
#include "app/trafficrowdelegate.h"
#include "app/windowcaption.h"
#include "i18n/texttable.h"
#include "settings/monitorsettings.h"
#include "traffic/trafficexport.h"
#include "traffic/trafficfilter.h"
#include "ui_trafficmonitorwindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTableView>
#include <QTimer>

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

} // namespace

TrafficMonitorWindow::TrafficMonitorWindow(const QString &logFolder, TrafficLog::Clock clock)
    : QWidget(nullptr, Qt::Window)
    , ui(std::make_unique<Ui::TrafficMonitorWindow>())
    , m_recorder(logFolder, std::move(clock))
{
    // The main window alone ends the program; an open monitor must not keep it running.
    setAttribute(Qt::WA_QuitOnClose, false);
    buildControls();
    connectControls();
    restoreSettings();
    retranslate(m_languageIndex);
}

TrafficMonitorWindow::~TrafficMonitorWindow()
{
    if (isVisible())
        saveLayout();
}

void TrafficMonitorWindow::buildControls()
{
    ui->setupUi(this);
    ui->edRows->setRange(TrafficRing::MinCapacity, TrafficRing::MaxCapacity);
    ui->edRows->setGroupSeparatorShown(false);

    m_recorder.model().setPublishInterval(PublishIntervalMs);
    m_filter = new TrafficFilter(this);
    m_filter->setSourceModel(&m_recorder.model());
    m_delegate = new TrafficRowDelegate(this);

    QTableView *view = ui->tblTraffic;
    view->setModel(m_filter);
    view->setItemDelegate(m_delegate);
    // Rows of one height, never measured one by one: ten thousand rows cost nothing to lay out.
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    for (int column = 0; column < TrafficModel::ColumnCount; ++column)
        view->setColumnWidth(column, defaultColumnWidths[column]);
    auto *copy = new QAction(view);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    view->addAction(copy);
    connect(copy, &QAction::triggered, this, &TrafficMonitorWindow::copySelection);
}

void TrafficMonitorWindow::connectControls()
{
    TrafficModel &model = m_recorder.model();
    TrafficLog &log = m_recorder.log();

    connect(ui->cmbVerdictFilter, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0 && index < int(std::size(filterEntries)))
            m_filter->setOutcomes(filterEntries[index].outcomes);
    });
    connect(ui->edCommandFilter, &QLineEdit::textChanged, m_filter, &TrafficFilter::setCommands);
    connect(ui->chkHex, &QCheckBox::toggled, this, [&model](bool on) {
        model.setHexadecimal(on);
        MonitorSettings::saveHexadecimal(on);
    });
    connect(ui->btnPause, &QPushButton::toggled, this, [this, &model](bool on) {
        model.setPaused(on);
        showPauseState();
    });
    connect(&model, &TrafficModel::waitingChanged, this, &TrafficMonitorWindow::showPauseState);
    connect(ui->btnClear, &QPushButton::clicked, &model, &TrafficModel::clear);
    connect(ui->btnCopy, &QPushButton::clicked, this, &TrafficMonitorWindow::copySelection);
    connect(ui->btnSaveCsv, &QPushButton::clicked, this, [this] { askSavePath(true); });
    connect(ui->btnSaveText, &QPushButton::clicked, this, [this] { askSavePath(false); });
    connect(ui->chkLogFile, &QCheckBox::toggled, this, [&log](bool on) {
        log.setEnabled(on);
        MonitorSettings::saveLogFile(on);
    });
    connect(&log, &TrafficLog::stateChanged, this, &TrafficMonitorWindow::showLogState);
    // The last column stretches with the window: only the operator's own drags are a choice.
    connect(ui->tblTraffic->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column) {
        if (column != TrafficModel::ColumnCount - 1)
            m_widthsChosen = true;
    });
    connect(ui->edRows, &QSpinBox::valueChanged, this, [&model](int rows) {
        model.setCapacity(rows);
        MonitorSettings::saveRows(model.capacity());
    });

    // Follow the end: the operator's scrolling decides. At the end (or with everything in
    // view) new rows pull the view along; scrolled up, the rows in view stay in view.
    QScrollBar *bar = ui->tblTraffic->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, [this, bar](int value) { m_followEnd = value >= bar->maximum(); });
    connect(m_filter, &QAbstractItemModel::rowsInserted, this, [this] {
        if (m_followEnd)
            scheduleScrollToEnd();
    });
    connect(m_filter, &QAbstractItemModel::rowsRemoved, this, [this, bar](const QModelIndex &, int first, int last) {
        // The view scrolls by pixels (TrafficTableView); its rows are all of one height.
        if (!m_followEnd && first == 0)
            bar->setValue(bar->value() - (last - first + 1) * ui->tblTraffic->verticalHeader()->defaultSectionSize());
    });
    connect(m_filter, &QAbstractItemModel::modelReset, this, &TrafficMonitorWindow::scheduleScrollToEnd);
    connect(m_filter, &QAbstractItemModel::layoutChanged, this, &TrafficMonitorWindow::scheduleScrollToEnd);
}

void TrafficMonitorWindow::restoreSettings()
{
    const MonitorSettings stored = MonitorSettings::read();
    if (stored.columnWidths.size() == TrafficModel::ColumnCount) {
        for (int column = 0; column < TrafficModel::ColumnCount; ++column)
            ui->tblTraffic->setColumnWidth(column, stored.columnWidths[column]);
        m_widthsChosen = true;
    }
    // Set without the controls' signals, which would store the values again.
    const QSignalBlocker rows(ui->edRows), hex(ui->chkHex), logFile(ui->chkLogFile);
    m_recorder.model().setCapacity(stored.rows);
    ui->edRows->setValue(m_recorder.model().capacity());
    ui->chkHex->setChecked(stored.hexadecimal);
    m_recorder.model().setHexadecimal(stored.hexadecimal);
    ui->chkLogFile->setChecked(stored.logFile);
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
        widths.append(ui->tblTraffic->columnWidth(column));
    return widths;
}

QString TrafficMonitorWindow::text(int id) const
{
    return TextTable::text(id, m_languageIndex);
}

void TrafficMonitorWindow::retranslate(int languageIndex)
{
    m_languageIndex = languageIndex;
    ToolLook::apply(this, languageIndex);
    const QFont font = this->font();
    // The rows hold nothing that needs shaping (ASCII, control pictures, Chinese words), and
    // shaping is most of what a repaint of the table costs.
    QFont rowFont = font;
    rowFont.setStyleStrategy(QFont::PreferNoShaping);
    ui->tblTraffic->setFont(rowFont);
    ui->tblTraffic->horizontalHeader()->setFont(font);
    QFont bytesFont = ToolLook::fixedFont(languageIndex);
    bytesFont.setStyleStrategy(QFont::PreferNoShaping);
    m_delegate->setBytesFont(bytesFont);
    fitColumns();
    ui->tblTraffic->verticalHeader()->setDefaultSectionSize(
        std::max(QFontMetrics(font).height(), QFontMetrics(bytesFont).height()) + 6);

    WindowCaption::set(this, text(TextTable::MonitorTitle));
    QStringList headers;
    for (const int id : headerTextIds)
        headers.append(text(id));
    m_recorder.model().setHeaderTexts(headers);
    QStringList words;
    for (const int id : outcomeTextIds)
        words.append(text(id));
    m_recorder.model().setOutcomeWords(words);

    const int filterIndex = std::max(0, ui->cmbVerdictFilter->currentIndex());
    {
        const QSignalBlocker blocker(ui->cmbVerdictFilter);
        ui->cmbVerdictFilter->clear();
        for (const FilterEntry &entry : filterEntries)
            ui->cmbVerdictFilter->addItem(text(entry.textId));
        ui->cmbVerdictFilter->setCurrentIndex(filterIndex);
    }
    ui->lblShow->setText(text(TextTable::MonitorShowLabel));
    ui->lblCommand->setText(text(TextTable::MonitorCommandLabel));
    ui->edCommandFilter->setPlaceholderText(text(TextTable::MonitorCommandHint));
    ui->chkHex->setText(text(TextTable::MonitorHexCheck));
    ui->btnClear->setText(text(TextTable::MonitorClearButton));
    ui->btnCopy->setText(text(TextTable::MonitorCopyButton));
    ui->btnSaveCsv->setText(text(TextTable::MonitorSaveCsvButton));
    ui->btnSaveText->setText(text(TextTable::MonitorSaveTextButton));
    ui->chkLogFile->setText(text(TextTable::MonitorLogFileCheck));
    ui->lblRows->setText(text(TextTable::MonitorRowsLabel));
    showPauseState();
    showLogState();
}

void TrafficMonitorWindow::fitColumns()
{
    QTableView *view = ui->tblTraffic;
    const QFont font = view->font();
    const int grid = view->showGrid() ? 1 : 0;
    const auto fit = [&](int column, const QString &sample) {
        view->setColumnWidth(column, std::max(view->columnWidth(column), m_delegate->cellWidth(sample, font, view) + grid));
    };
    const QSignalBlocker blocker(view->horizontalHeader());
    if (!m_widthsChosen) {
        // Headers whole as well: the Chinese ones are wider in their larger face.
        for (int column = 0; column < TrafficModel::ColumnCount; ++column)
            view->setColumnWidth(column, std::max(defaultColumnWidths[column], view->horizontalHeader()->sectionSizeHint(column)));
        // A loopback address stays whole in a larger face until the operator chooses.
        fit(TrafficModel::LinkColumn, QStringLiteral("127.0.0.1:5003"));
    }
    // Every time has the same width, so the column can always hold it, whatever the operator
    // chose in another language.
    const QFontMetrics metrics(font);
    QChar widest = QLatin1Char('0');
    for (char digit = '1'; digit <= '9'; ++digit)
        if (metrics.horizontalAdvance(QLatin1Char(digit)) > metrics.horizontalAdvance(widest))
            widest = QLatin1Char(digit);
    fit(TrafficModel::TimeColumn, QStringLiteral("00:00:00.000").replace(QLatin1Char('0'), widest));
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

void TrafficMonitorWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    WindowCaption::set(this, text(TextTable::MonitorTitle));
}

void TrafficMonitorWindow::showLogState()
{
    const TrafficLog &log = m_recorder.log();
    if (!log.isEnabled()) {
        ui->lblLogFile->clear();
        ui->lblLogFile->setToolTip(QString());
        ToolLook::resetTextColour(ui->lblLogFile);
        return;
    }
    const QString message = log.why().isEmpty()
        ? text(TextTable::MonitorLogFilePath).arg(QDir::toNativeSeparators(log.currentPath()))
        : text(TextTable::MonitorLogFileError).arg(log.why());
    ui->lblLogFile->setText(message);
    ui->lblLogFile->setToolTip(message);
    if (log.why().isEmpty())
        ToolLook::resetTextColour(ui->lblLogFile);
    else
        ToolLook::setTextColour(ui->lblLogFile, ToolLook::ErrorText);
}

void TrafficMonitorWindow::showPauseState()
{
    const TrafficModel &model = m_recorder.model();
    ui->btnPause->setText(text(model.isPaused() ? TextTable::MonitorResumeButton : TextTable::MonitorPauseButton));
    if (model.isPaused())
        setStatus(text(TextTable::MonitorPaused).arg(model.waiting()), false);
    else if (ui->lblStatus->property("paused").toBool())
        setStatus(QString(), false);
    ui->lblStatus->setProperty("paused", model.isPaused());
}

void TrafficMonitorWindow::setStatus(const QString &status, bool failure)
{
    ui->lblStatus->setText(status);
    if (failure)
        ToolLook::setTextColour(ui->lblStatus, ToolLook::ErrorText);
    else
        ToolLook::resetTextColour(ui->lblStatus);
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
            ui->tblTraffic->scrollToBottom();
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
    QString why;
    const bool ok = TrafficExport::save(path, TrafficExport::csv(shownRows()), &why);
    setStatus(ok ? text(TextTable::MonitorSaved).arg(QDir::toNativeSeparators(path))
                 : text(TextTable::MonitorSaveError).arg(QDir::toNativeSeparators(path) + QStringLiteral(": ") + why),
              !ok);
    return ok;
}

bool TrafficMonitorWindow::saveText(const QString &path)
{
    QString why;
    const bool ok = TrafficExport::save(path, TrafficExport::text(shownRows()), &why);
    setStatus(ok ? text(TextTable::MonitorSaved).arg(QDir::toNativeSeparators(path))
                 : text(TextTable::MonitorSaveError).arg(QDir::toNativeSeparators(path) + QStringLiteral(": ") + why),
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
    QModelIndexList selected = ui->tblTraffic->selectionModel()->selectedRows();
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
