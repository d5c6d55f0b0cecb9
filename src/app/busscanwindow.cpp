#include "app/busscanwindow.h"

#include "app/toollook.h"
#include "app/windowcaption.h"
#include "i18n/texttable.h"
#include "ui_busscanwindow.h"

#include <QCloseEvent>

BusScanWindow::BusScanWindow(QWidget *parent, int languageIndex)
    : QWidget(parent, Qt::Window)
    , ui(std::make_unique<Ui::BusScanWindow>())
{
    ui->setupUi(this);
    for (QSpinBox *box : { ui->edScanFrom, ui->edScanTo })
        box->setRange(0, BusScan::HighestId);
    ui->edScanFrom->setValue(BusScan::FirstId);
    ui->edScanTo->setValue(BusScan::LastId);

    connect(ui->btnScanStart, &QPushButton::clicked, this, [this] {
        const int from = ui->edScanFrom->value();
        const int to = ui->edScanTo->value();
        const auto speed = ui->cmbScanSpeed->currentIndex() == 1 ? BusScan::Speed::Thorough : BusScan::Speed::Quick;
        if (!m_scanning)
            Q_EMIT scanRequested(std::min(from, to), std::max(from, to), speed);
    });
    connect(ui->btnScanCancel, &QPushButton::clicked, this, [this] { m_cancelRequested = true; });
    connect(ui->tblScanFound, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        // A conflict is no controller to connect to.
        const QTableWidgetItem *id = ui->tblScanFound->item(row, 0);
        if (id && !id->data(Qt::UserRole).toBool() && !m_scanning)
            Q_EMIT idChosen(id->text());
    });
    setScanning(false);
    retranslate(languageIndex);
}

BusScanWindow::~BusScanWindow() = default;

QString BusScanWindow::text(int id) const
{
    return TextTable::text(id, m_languageIndex);
}

void BusScanWindow::retranslate(int languageIndex)
{
    m_languageIndex = languageIndex;
    ToolLook::apply(this, languageIndex);
    WindowCaption::set(this, text(TextTable::BusScanTitle));
    ui->lblScanFrom->setText(text(TextTable::ScanFromLabel));
    ui->lblScanTo->setText(text(TextTable::ScanToLabel));
    ui->btnScanStart->setText(text(TextTable::ScanButton));
    ui->btnScanCancel->setText(text(TextTable::CancelButton));
    const int speed = std::max(0, ui->cmbScanSpeed->currentIndex());
    ui->cmbScanSpeed->clear();
    ui->cmbScanSpeed->addItems({ text(TextTable::ScanQuick), text(TextTable::ScanThorough) });
    ui->cmbScanSpeed->setCurrentIndex(speed);
    ui->tblScanFound->setHorizontalHeaderLabels({ text(TextTable::IdColumn), text(TextTable::ModelColumn),
                                                  text(TextTable::SerialNumberColumn), text(TextTable::VersionColumn) });
    ui->lblScanHint->setText(text(TextTable::ScanHint));
}

void BusScanWindow::setScanning(bool on)
{
    m_scanning = on;
    ui->btnScanStart->setEnabled(!on);
    ui->edScanFrom->setEnabled(!on);
    ui->edScanTo->setEnabled(!on);
    ui->cmbScanSpeed->setEnabled(!on);
    ui->btnScanCancel->setEnabled(on);
}

void BusScanWindow::setStatus(const QString &status, bool failure)
{
    ui->lblScanStatus->setText(status);
    if (failure)
        ToolLook::setTextColour(ui->lblScanStatus, ToolLook::ErrorText);
    else
        ToolLook::resetTextColour(ui->lblScanStatus);
}

void BusScanWindow::scanStarted(int first, int last)
{
    m_cancelRequested = false;
    m_first = first;
    ui->tblScanFound->setRowCount(0);
    ui->pbScan->setRange(0, last - first + 1);
    ui->pbScan->setValue(0);
    ui->lblScanTime->clear();
    m_clock.start();
    setStatus(text(TextTable::ScanningId).arg(first, 3, 10, QLatin1Char('0')), false);
    setScanning(true);
}

// Elapsed, and what is left at the pace so far: a scan of a thousand IDs takes minutes.
void BusScanWindow::showTime(int done, int total)
{
    const qint64 elapsedMs = m_clock.elapsed();
    const qint64 leftMs = done > 0 ? elapsedMs * (total - done) / done : 0;
    const auto clock = [](qint64 ms) {
        const qint64 s = (ms + 500) / 1000;
        return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
    };
    ui->lblScanTime->setText(text(TextTable::ScanTimes).arg(clock(elapsedMs), clock(leftMs)));
}

void BusScanWindow::addRow(const QStringList &cells, bool conflict)
{
    QTableWidget *table = ui->tblScanFound;
    const int row = table->rowCount();
    table->insertRow(row);
    for (int column = 0; column < cells.size(); ++column) {
        auto *item = new QTableWidgetItem(cells.at(column));
        item->setData(Qt::UserRole, conflict);
        if (conflict)
            item->setForeground(ToolLook::colour(ToolLook::ErrorText));
        table->setItem(row, column, item);
    }
}

void BusScanWindow::showConflict(const BusScan::Conflict &conflict)
{
    addRow({ QString::fromLatin1(conflict.id), text(TextTable::ScanConflict), QString(), QString() }, true);
    ui->tblScanFound->item(ui->tblScanFound->rowCount() - 1, 1)->setToolTip(conflict.why);
}

void BusScanWindow::showProgress(int done, int total, const BusScan::Found *found)
{
    ui->pbScan->setValue(done);
    showTime(done, total);
    const int next = m_first + done;
    if (done < total)
        setStatus(text(TextTable::ScanningId).arg(std::min(next, BusScan::HighestId), 3, 10, QLatin1Char('0')), false);
    if (found)
        addRow({ QString::fromLatin1(found->id), QString::fromLatin1(found->model), QString::fromLatin1(found->serialNumber),
                 found->versionText },
               false);
}

void BusScanWindow::scanEnded(const BusScan::Result &result)
{
    setScanning(false);
    showTime(result.scanned, result.scanned);
    setStatus(result.cancelled ? text(TextTable::ScanCancelled).arg(result.scanned)
                               : text(TextTable::ScanAnswered).arg(result.found.size()).arg(result.scanned),
              !result.conflicts.isEmpty());
}

void BusScanWindow::scanFailed(const QString &why)
{
    setScanning(false);
    setStatus(text(TextTable::ConnectDeviceError) + QLatin1Char(' ') + why, true);
}

void BusScanWindow::closeEvent(QCloseEvent *event)
{
    // Closed while it runs, the scan stops at the next ID.
    m_cancelRequested = m_scanning;
    QWidget::closeEvent(event);
}

void BusScanWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    WindowCaption::set(this, text(TextTable::BusScanTitle));
}
