#include "app/recordswindow.h"

#include "app/programidentity.h"
#include "app/toollook.h"
#include "i18n/texttable.h"
#include "records/recordexport.h"
#include "records/recordpagemodel.h"
#include "reports/certificatepdf.h"
#include "settings/jigsettings.h"
#include "ui_recordswindow.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QUrl>

namespace {

QTableWidgetItem *cell(const QString &text, bool number = false)
{
    auto *item = new QTableWidgetItem(text);
    if (number)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

QString percent(double fraction)
{
    return QStringLiteral("%1 %").arg(QString::number(100.0 * fraction, 'f', 1));
}

} // namespace

RecordsWindow::RecordsWindow(int languageIndex)
    : QWidget(nullptr, Qt::Window)
    , ui(std::make_unique<Ui::RecordsWindow>())
    , m_languageIndex(languageIndex)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_QuitOnClose, false);
    ui->dtFrom->setDate(QDate::currentDate());
    ui->dtTo->setDate(QDate::currentDate());
    ui->edRecordStore->setText(JigSettings::read().recordStore);
    m_tests = new RecordPageModel(this);
    ui->tblTests->setModel(m_tests);
    ui->tblTests->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    ui->tblTests->verticalHeader()->hide();
    for (QTableWidget *table : { ui->tblYield, ui->tblPareto }) {
        table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
        table->verticalHeader()->hide();
    }
    ui->treHistory->header()->setSectionResizeMode(QHeaderView::Stretch);

    connect(ui->btnShow, &QPushButton::clicked, this, &RecordsWindow::btnShowClick);
    connect(ui->btnExportCsv, &QPushButton::clicked, this, &RecordsWindow::btnExportCsvClick);
    connect(ui->btnExportJson, &QPushButton::clicked, this, &RecordsWindow::btnExportJsonClick);
    connect(ui->btnCertificate, &QPushButton::clicked, this, &RecordsWindow::btnCertificateClick);
    connect(ui->cmbGroupBy, &QComboBox::activated, this, [this] { showYield(); });
    connect(ui->tblTests->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex &current) {
        if (const UnitRecord *r = m_tests->record(current.row()))
            showHistory(r->serialNumber);
    });
    // A serial number typed whole (or scanned) shows its history at once.
    connect(ui->edSerial, &QLineEdit::returnPressed, this, [this] {
        if (!ui->edSerial->text().trimmed().isEmpty() && openStore())
            showHistory(ui->edSerial->text().trimmed());
    });
    retranslate(languageIndex);
}

RecordsWindow::~RecordsWindow()
{
    ui->tblTests->setModel(nullptr);
}

QString RecordsWindow::localText(int id) const
{
    return TextTable::text(id, m_languageIndex);
}

QString RecordsWindow::verdictWord(UnitRecord::Verdict verdict) const
{
    switch (verdict) {
    case UnitRecord::Verdict::Pass:
        return localText(TextTable::JigPass);
    case UnitRecord::Verdict::Fail:
        break;
    case UnitRecord::Verdict::Error:
        return localText(TextTable::JigError);
    }
    return localText(TextTable::JigFail);
}

void RecordsWindow::retranslate(int languageIndex)
{
    m_languageIndex = languageIndex;
    ToolLook::apply(this, languageIndex);
    setWindowTitle(localText(TextTable::RecordsWindowTitle));
    ui->lblRecordStore->setText(localText(TextTable::JigStoreLabel));
    ui->edRecordStore->setPlaceholderText(localText(TextTable::JigStoreDefault).arg(RecordStoreSettings::defaultSqlitePath()));
    ui->lblFrom->setText(localText(TextTable::RecordsFromLabel));
    ui->lblTo->setText(localText(TextTable::JigExportToLabel));
    ui->lblStation->setText(localText(TextTable::JigStationLabel));
    ui->lblOperator->setText(localText(TextTable::JigOperatorLabel));
    ui->lblSerial->setText(localText(TextTable::RecordsSerialLabel));
    ui->lblVerdict->setText(localText(TextTable::RecordsVerdictLabel));
    const int verdict = std::max(0, ui->cmbVerdict->currentIndex());
    ui->cmbVerdict->clear();
    ui->cmbVerdict->addItems({ localText(TextTable::RecordsAnyVerdict), localText(TextTable::JigPass), localText(TextTable::JigFail),
                               localText(TextTable::JigError) });
    ui->cmbVerdict->setCurrentIndex(verdict);
    ui->chkEngineering->setText(localText(TextTable::RecordsEngineering));
    ui->btnShow->setText(localText(TextTable::RecordsShowButton));
    ui->tabRecords->setTabText(0, localText(TextTable::RecordsTestsTab));
    ui->tabRecords->setTabText(1, localText(TextTable::RecordsYieldTab));
    ui->tabRecords->setTabText(2, localText(TextTable::RecordsParetoTab));
    ui->btnExportCsv->setText(localText(TextTable::JigExportCsvButton));
    ui->btnExportJson->setText(localText(TextTable::JigExportJsonButton));
    ui->btnCertificate->setText(localText(TextTable::RecordsCertificateButton));
    ui->lblGroupBy->setText(localText(TextTable::RecordsGroupByLabel));
    const int by = std::max(0, ui->cmbGroupBy->currentIndex());
    ui->cmbGroupBy->clear();
    ui->cmbGroupBy->addItems({ localText(TextTable::RecordsByDay), localText(TextTable::RecordsByStation), localText(TextTable::RecordsByOperator) });
    ui->cmbGroupBy->setCurrentIndex(by);
    ui->treHistory->setHeaderLabels({ localText(TextTable::JigStepColumn), localText(TextTable::JigExpectedColumn),
                                      localText(TextTable::JigMeasuredColumn), localText(TextTable::JigResultColumn) });
    m_tests->setTexts({ localText(TextTable::RecordsStartColumn), localText(TextTable::RecordsSerialColumn),
                        localText(TextTable::RecordsModelColumn), localText(TextTable::RecordsStationColumn),
                        localText(TextTable::RecordsOperatorColumn), localText(TextTable::RecordsVerdictColumn) },
                      [this](const UnitRecord &r) { return verdictWord(r.verdict); });
    // What is shown follows the language: the note, the tables, the charts and the history.
    showNote(m_note.id, m_note.args, m_note.details, m_note.bad);
    if (m_queries) {
        showYield();
        showPareto();
        // A copy: showing the history replaces the list the serial number is read from.
        if (!m_history.isEmpty())
            showHistory(QString(m_history.constFirst().serialNumber));
    }
}

RecordFilter RecordsWindow::filter() const
{
    RecordFilter f;
    f.from = ui->dtFrom->date();
    f.to = ui->dtTo->date();
    f.station = ui->edStation->text().trimmed();
    f.operatorName = ui->edOperator->text().trimmed();
    f.serialPrefix = ui->edSerial->text().trimmed();
    const int verdict = ui->cmbVerdict->currentIndex();
    if (verdict > 0)
        f.verdict = verdict == 1 ? UnitRecord::Verdict::Pass : verdict == 2 ? UnitRecord::Verdict::Fail : UnitRecord::Verdict::Error;
    f.withEngineering = ui->chkEngineering->isChecked();
    return f;
}

void RecordsWindow::showNote(int id, const QStringList &args, const QString &details, bool bad)
{
    m_note = { id, args, details, bad };
    QString line = id < 0 ? QString() : localText(id);
    for (const QString &arg : args)
        line = line.arg(arg);
    // One line; what the store or the file system said is in the tool tip.
    ui->lblNote->setText(details.isEmpty() ? line : line + QLatin1Char(' ') + localText(TextTable::JigDetailsInTip));
    ui->lblNote->setToolTip(details);
    if (bad)
        ToolLook::setTextColour(ui->lblNote, ToolLook::BadNote);
    else
        ToolLook::resetTextColour(ui->lblNote);
}

bool RecordsWindow::openStore()
{
    const QString setting = ui->edRecordStore->text().trimmed();
    if (m_queries && setting == m_storeSetting)
        return true;
    QString why;
    const std::optional<RecordStoreSettings> settings = RecordStoreSettings::fromSetting(setting, &why);
    if (!settings) {
        m_queries.reset();
        m_store.reset();
        showNote(TextTable::JigStoreInvalid, {}, why, true);
        return false;
    }
    m_queries.reset();
    m_store = std::make_unique<RecordStore>(*settings);
    m_queries = std::make_unique<RecordQueries>(*m_store);
    m_storeSetting = setting;
    return true;
}

void RecordsWindow::btnShowClick()
{
    show(filter());
}

bool RecordsWindow::show(const RecordFilter &filter)
{
    if (!openStore())
        return false;
    ui->dtFrom->setDate(filter.from);
    ui->dtTo->setDate(filter.to);
    if (!m_tests->show(m_queries.get(), filter)) {
        showNote(TextTable::RecordsReadFailed, {}, m_tests->why(), true);
        return false;
    }
    showNote(m_tests->rowCount() == 0 ? TextTable::RecordsNothing : -1);
    showYield();
    showPareto();
    return true;
}

void RecordsWindow::showHistory(const QString &serialNumber)
{
    if (!m_queries)
        return;
    const std::optional<QList<UnitRecord>> history = m_queries->history(serialNumber);
    ui->treHistory->clear();
    m_history = history.value_or(QList<UnitRecord>());
    if (!history) {
        showNote(TextTable::RecordsReadFailed, {}, m_queries->why(), true);
        return;
    }
    ui->lblHistory->setText(localText(TextTable::RecordsHistoryOf).arg(serialNumber).arg(history->size()));
    for (const UnitRecord &r : *history) {
        auto *test = new QTreeWidgetItem(ui->treHistory, { r.start.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                                                           r.station, r.operatorName, verdictWord(r.verdict) });
        for (const StepRecord &step : r.steps) {
            auto *item = new QTreeWidgetItem(test, { step.name, step.expected, step.measured,
                                                     localText(step.passed ? TextTable::JigPass : TextTable::JigFail) });
            item->setToolTip(2, step.why);
        }
    }
    if (QTreeWidgetItem *newest = ui->treHistory->topLevelItem(0))
        newest->setExpanded(true);
}

void RecordsWindow::showYield()
{
    ui->tblYield->clear();
    if (!m_queries)
        return;
    const RecordQueries::GroupBy by = RecordQueries::GroupBy(std::max(0, ui->cmbGroupBy->currentIndex()));
    const std::optional<QList<RecordQueries::YieldRow>> rows = m_queries->yield(filter(), by);
    if (!rows) {
        showNote(TextTable::RecordsReadFailed, {}, m_queries->why(), true);
        return;
    }
    const QStringList headers{ ui->cmbGroupBy->currentText(), localText(TextTable::RecordsTestsColumn), localText(TextTable::RecordsUnitsColumn),
                               localText(TextTable::RecordsRetestsColumn), localText(TextTable::RecordsFirstPassColumn),
                               localText(TextTable::RecordsLastPassColumn), localText(TextTable::RecordsErrorsColumn) };
    ui->tblYield->setColumnCount(int(headers.size()));
    ui->tblYield->setHorizontalHeaderLabels(headers);
    ui->tblYield->setRowCount(int(rows->size()));
    QList<RecordChart::Bar> bars;
    QList<double> line;
    for (int i = 0; i < rows->size(); ++i) {
        const RecordQueries::YieldRow &r = rows->at(i);
        const QStringList cells{ r.key, QString::number(r.tests), QString::number(r.units), QString::number(r.retests),
                                 r.firstTimeUnits ? percent(r.firstPassYield()) : QStringLiteral("-"),
                                 r.lastUnits ? percent(r.lastPassYield()) : QStringLiteral("-"), QString::number(r.errors) };
        for (int c = 0; c < cells.size(); ++c)
            ui->tblYield->setItem(i, c, cell(cells[c], c > 0));
        bars.append({ by == RecordQueries::GroupBy::Day ? r.key.mid(5) : r.key, double(r.tests) });
        line.append(r.firstPassYield());
    }
    RecordChart chart;
    chart.setTitle(localText(TextTable::RecordsYieldChart));
    chart.setBars(bars);
    chart.setLine(line, localText(TextTable::RecordsFirstPassColumn));
    chart.setEmptyText(localText(TextTable::RecordsNothing));
    ui->chtYield->setChart(chart);
}

void RecordsWindow::showPareto()
{
    ui->tblPareto->clear();
    if (!m_queries)
        return;
    const std::optional<RecordQueries::Pareto> pareto = m_queries->pareto(filter());
    if (!pareto) {
        showNote(TextTable::RecordsReadFailed, {}, m_queries->why(), true);
        return;
    }
    const QStringList headers{ localText(TextTable::RecordsStepColumn), localText(TextTable::RecordsMeasuredColumn),
                               localText(TextTable::RecordsFailuresColumn), localText(TextTable::RecordsShareColumn),
                               localText(TextTable::RecordsCumulativeColumn) };
    ui->tblPareto->setColumnCount(int(headers.size()));
    ui->tblPareto->setHorizontalHeaderLabels(headers);
    ui->tblPareto->setRowCount(int(pareto->steps.size() + pareto->values.size()));
    QList<RecordChart::Bar> bars;
    QList<double> line;
    int row = 0;
    // Each step, then what it measured, indented below it.
    for (const RecordQueries::ParetoRow &step : pareto->steps) {
        const QStringList cells{ step.step, QString(), QString::number(step.failures), percent(step.share), percent(step.cumulative) };
        for (int c = 0; c < cells.size(); ++c)
            ui->tblPareto->setItem(row, c, cell(cells[c], c > 1));
        ++row;
        for (const RecordQueries::ParetoRow &value : pareto->values) {
            if (value.step != step.step)
                continue;
            const QStringList more{ QString(), value.measured, QString::number(value.failures), percent(value.share), percent(value.cumulative) };
            for (int c = 0; c < more.size(); ++c)
                ui->tblPareto->setItem(row, c, cell(more[c], c > 1));
            ++row;
        }
        bars.append({ step.step, double(step.failures) });
        line.append(step.cumulative);
    }
    RecordChart chart;
    chart.setTitle(localText(TextTable::RecordsParetoChart));
    chart.setBars(bars);
    chart.setLine(line, localText(TextTable::RecordsCumulativeLine));
    chart.setEmptyText(localText(TextTable::RecordsNothing));
    ui->chtPareto->setChart(chart);
}

bool RecordsWindow::exportCsv(const QString &path)
{
    if (!openStore())
        return false;
    const std::optional<QList<UnitRecord>> tests = m_queries->units(filter());
    QString why = tests ? QString() : m_queries->why();
    if (tests && RecordExport::writeCsv(*tests, path, &why)) {
        showNote(TextTable::JigExported, { QString::number(tests->size()), QDir::toNativeSeparators(path) });
        return true;
    }
    showNote(TextTable::JigExportFailed, {}, why, true);
    return false;
}

bool RecordsWindow::exportJson(const QString &folder)
{
    if (!openStore())
        return false;
    const std::optional<QList<UnitRecord>> tests = m_queries->units(filter());
    QString why = tests ? QString() : m_queries->why();
    if (tests && RecordExport::writeJsonFiles(*tests, folder, &why)) {
        showNote(TextTable::JigExported, { QString::number(tests->size()), QDir::toNativeSeparators(folder) });
        return true;
    }
    showNote(TextTable::JigExportFailed, {}, why, true);
    return false;
}

bool RecordsWindow::writeCertificate(const QString &path)
{
    // The test chosen in the table, else the newest of the history shown.
    const UnitRecord *chosen = m_tests->record(ui->tblTests->currentIndex().row());
    std::optional<UnitRecord> test;
    if (chosen && m_queries) {
        const std::optional<QList<UnitRecord>> history = m_queries->history(chosen->serialNumber);
        if (history)
            for (const UnitRecord &r : *history)
                if (r.recordId == chosen->recordId)
                    test = r;
    } else if (!m_history.isEmpty()) {
        test = m_history.constFirst();
    }
    if (!test)
        return false;
    QString why;
    if (!CertificatePdf::write(*test, m_languageIndex, QStringLiteral("%1 %2").arg(QGuiApplication::applicationDisplayName(), ProgramIdentity::version()), ToolLook::font(m_languageIndex), path, &why)) {
        showNote(TextTable::JigExportFailed, {}, why, true);
        return false;
    }
    showNote(TextTable::RecordsCertificateWritten, { QDir::toNativeSeparators(path) });
    return true;
}

void RecordsWindow::btnExportCsvClick()
{
    const QString path = QFileDialog::getSaveFileName(this, localText(TextTable::JigExportCsvButton),
                                                      QDir::home().filePath(QStringLiteral("records.csv")), QStringLiteral("CSV (*.csv)"));
    if (!path.isEmpty())
        exportCsv(path);
}

void RecordsWindow::btnExportJsonClick()
{
    const QString folder = QFileDialog::getExistingDirectory(this, localText(TextTable::JigExportJsonButton), QDir::homePath());
    if (!folder.isEmpty())
        exportJson(folder);
}

void RecordsWindow::btnCertificateClick()
{
    const QString path = QFileDialog::getSaveFileName(this, localText(TextTable::RecordsCertificateButton),
                                                      QDir::home().filePath(QStringLiteral("certificate.pdf")), QStringLiteral("PDF (*.pdf)"));
    // Opened in the system's PDF viewer, from which it is printed.
    if (!path.isEmpty() && writeCertificate(path))
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
