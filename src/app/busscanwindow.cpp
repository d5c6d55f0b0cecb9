#include "app/busscanwindow.h"

#include "i18n/texttable.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

namespace {

QSpinBox *idBox(QWidget *parent, const char *name, int value)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(0, BusScan::HighestId);
    box->setValue(value);
    return box;
}

} // namespace

BusScanWindow::BusScanWindow(QWidget *parent, std::function<QString(int)> text)
    : QWidget(parent, Qt::Window)
    , m_text(std::move(text))
{
    setObjectName(QStringLiteral("frmBusScan"));
    m_fromLabel = new QLabel(this);
    m_fromLabel->setObjectName(QStringLiteral("lblScanFrom"));
    m_toLabel = new QLabel(this);
    m_toLabel->setObjectName(QStringLiteral("lblScanTo"));
    m_from = idBox(this, "edScanFrom", BusScan::FirstId);
    m_to = idBox(this, "edScanTo", BusScan::LastId);
    m_scan = new QPushButton(this);
    m_scan->setObjectName(QStringLiteral("btnScanStart"));
    m_cancel = new QPushButton(this);
    m_cancel->setObjectName(QStringLiteral("btnScanCancel"));
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("pbScan"));
    m_progress->setValue(0);
    m_table = new QTableWidget(0, 4, this);
    m_table->setObjectName(QStringLiteral("tblScanFound"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblScanStatus"));
    m_hint = new QLabel(this);
    m_hint->setObjectName(QStringLiteral("lblScanHint"));

    auto *layout = new QGridLayout(this);
    layout->addWidget(m_fromLabel, 0, 0);
    layout->addWidget(m_from, 0, 1);
    layout->addWidget(m_toLabel, 0, 2);
    layout->addWidget(m_to, 0, 3);
    layout->addWidget(m_scan, 0, 4);
    layout->addWidget(m_cancel, 0, 5);
    layout->addWidget(m_progress, 1, 0, 1, 6);
    layout->addWidget(m_status, 2, 0, 1, 6);
    layout->addWidget(m_table, 3, 0, 1, 6);
    layout->addWidget(m_hint, 4, 0, 1, 6);
    resize(520, 360);

    connect(m_scan, &QPushButton::clicked, this, [this] {
        if (!m_scanning)
            Q_EMIT scanRequested(std::min(m_from->value(), m_to->value()), std::max(m_from->value(), m_to->value()));
    });
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_cancelRequested = true; });
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (const QTableWidgetItem *id = m_table->item(row, 0))
            Q_EMIT idChosen(id->text());
    });
    setScanning(false);
    retranslate();
}

void BusScanWindow::retranslate()
{
    setWindowTitle(m_text(TextTable::BusScanTitle));
    m_fromLabel->setText(m_text(TextTable::ScanFromLabel));
    m_toLabel->setText(m_text(TextTable::ScanToLabel));
    m_scan->setText(m_text(TextTable::ScanButton));
    m_cancel->setText(m_text(TextTable::CancelButton));
    m_table->setHorizontalHeaderLabels({ m_text(TextTable::IdColumn), m_text(TextTable::ModelColumn),
                                         m_text(TextTable::SerialNumberColumn), m_text(TextTable::VersionColumn) });
    m_hint->setText(m_text(TextTable::ScanHint));
}

void BusScanWindow::setScanning(bool on)
{
    m_scanning = on;
    m_scan->setEnabled(!on);
    m_from->setEnabled(!on);
    m_to->setEnabled(!on);
    m_cancel->setEnabled(on);
}

void BusScanWindow::scanStarted(int first, int last)
{
    m_cancelRequested = false;
    m_first = first;
    m_table->setRowCount(0);
    m_progress->setRange(0, last - first + 1);
    m_progress->setValue(0);
    m_status->setText(m_text(TextTable::ScanningId).arg(first, 3, 10, QLatin1Char('0')));
    setScanning(true);
}

void BusScanWindow::showProgress(int done, int total, const BusScan::Found *found)
{
    m_progress->setValue(done);
    const int next = m_first + done;
    if (done < total)
        m_status->setText(m_text(TextTable::ScanningId).arg(std::min(next, BusScan::HighestId), 3, 10, QLatin1Char('0')));
    if (!found)
        return;
    const int row = m_table->rowCount();
    m_table->insertRow(row);
    const QStringList cells { QString::fromLatin1(found->id), QString::fromLatin1(found->model),
                              QString::fromLatin1(found->serialNumber), found->versionText };
    for (int column = 0; column < cells.size(); ++column)
        m_table->setItem(row, column, new QTableWidgetItem(cells.at(column)));
}

void BusScanWindow::scanEnded(const BusScan::Result &result)
{
    setScanning(false);
    m_status->setText(result.cancelled ? m_text(TextTable::ScanCancelled).arg(result.scanned)
                                       : m_text(TextTable::ScanAnswered).arg(result.found.size()).arg(result.scanned));
}

void BusScanWindow::scanFailed(const QString &why)
{
    setScanning(false);
    m_status->setText(m_text(TextTable::ConnectDeviceError) + QLatin1Char(' ') + why);
}

void BusScanWindow::closeEvent(QCloseEvent *event)
{
    // Closed while it runs, the scan stops at the next ID.
    m_cancelRequested = m_scanning;
    QWidget::closeEvent(event);
}
