#include "app/sitewindow.h"

#include "app/toollook.h"
#include "app/windowcaption.h"
#include "i18n/texttable.h"
#include "profile/profilefile.h"
#include "site/sitefile.h"
#include "site/sitereport.h"
#include "ui_sitewindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>

namespace {

QString madeBy()
{
    const QString version = QCoreApplication::applicationVersion();
    return version.isEmpty() ? QCoreApplication::applicationName() : QCoreApplication::applicationName() + QLatin1Char(' ') + version;
}

} // namespace

SiteWindow::SiteWindow(QWidget *parent, int languageIndex)
    : QWidget(parent, Qt::Window)
    , ui(std::make_unique<Ui::SiteWindow>())
{
    ui->setupUi(this);
    ui->edSiteAddId->setRange(1, 999);
    ui->edSiteFrom->setRange(1, 999);
    ui->edSiteAddId->setValue(1);
    ui->edSiteFrom->setValue(1);
    using A = SiteActions::Action;
    connect(ui->btnSiteRead, &QPushButton::clicked, this, [this] { requestAction(A::Read, selectedIds()); });
    connect(ui->btnSiteApply, &QPushButton::clicked, this, [this] { requestAction(A::Apply, selectedIds()); });
    connect(ui->btnSiteClock, &QPushButton::clicked, this, [this] { requestAction(A::Clock, selectedIds()); });
    connect(ui->btnSiteReboot, &QPushButton::clicked, this, [this] { requestAction(A::Reboot, selectedIds()); });
    connect(ui->btnSiteRetry, &QPushButton::clicked, this, [this] { requestAction(m_lastAction, m_lastFailed); });
    connect(ui->btnSiteCancel, &QPushButton::clicked, this, [this] { m_cancelRequested = true; });
    connect(ui->btnSiteScan, &QPushButton::clicked, this, [this] {
        if (!m_working)
            Q_EMIT scanRequested();
    });
    connect(ui->btnSiteAddress, &QPushButton::clicked, this, [this] {
        if (!m_working)
            Q_EMIT addressRequested(ui->edSiteFrom->value());
    });
    connect(ui->btnSiteAdd, &QPushButton::clicked, this, [this] {
        SiteUnit unit;
        unit.id = QByteArray::number(ui->edSiteAddId->value()).rightJustified(3, '0');
        if (m_site.indexOf(unit.id) < 0)
            m_site.add(unit);
        refresh();
    });
    connect(ui->btnSiteFailed, &QPushButton::clicked, this, [this] {
        for (const QByteArray &id : selectedIds())
            m_site.units[m_site.indexOf(id)].failed = true;
        refresh();
    });
    connect(ui->btnSiteReplace, &QPushButton::clicked, this, [this] {
        const QList<QByteArray> ids = selectedIds();
        if (!m_working && ids.size() == 1)
            Q_EMIT replaceRequested(ids.first());
    });
    connect(ui->edSiteName, &QLineEdit::textEdited, this, [this](const QString &name) { m_site.name = name; });
    connect(ui->btnSiteOpen, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, text(TextTable::SiteTitle), QString(), text(TextTable::SiteFilesFilter));
        if (!path.isEmpty())
            openFrom(path);
    });
    connect(ui->btnSiteSave, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, text(TextTable::SiteTitle), QString(), text(TextTable::SiteFilesFilter));
        if (!path.isEmpty())
            saveTo(path);
    });
    connect(ui->btnSiteReport, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, text(TextTable::SiteReportButton), QString(), text(TextTable::ReportFilesFilter));
        if (!path.isEmpty())
            writeReport(path);
    });
    connect(ui->btnSiteProfile, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, text(TextTable::ProfileReportTitle), QString(), text(TextTable::ProfileFilesFilter));
        if (path.isEmpty())
            return;
        QString why;
        const std::optional<Profile> profile = ProfileFile::load(path, &why);
        if (!profile) {
            showStatus(text(TextTable::ProfileRefused) + QLatin1Char(' ') + why, true);
            return;
        }
        m_site.profileName = QFileInfo(path).fileName();
        m_site.profileModel = profile->model;
        m_site.profileValues = profile->values;
        showStatus(text(TextTable::ProfileLoaded) + QLatin1Char(' ') + m_site.profileName, false);
        refresh();
    });
    setWorking(false);
    retranslate(languageIndex);
}

SiteWindow::~SiteWindow() = default;

QString SiteWindow::text(int id) const
{
    return TextTable::text(id, m_languageIndex);
}

void SiteWindow::retranslate(int languageIndex)
{
    m_languageIndex = languageIndex;
    ToolLook::apply(this, languageIndex);
    WindowCaption::set(this, text(TextTable::SiteTitle));
    const QList<QPair<QAbstractButton *, int>> buttons {
        { ui->btnSiteOpen, TextTable::SiteOpenButton },       { ui->btnSiteSave, TextTable::SiteSaveButton },
        { ui->btnSiteReport, TextTable::SiteReportButton },   { ui->btnSiteScan, TextTable::SiteScanButton },
        { ui->btnSiteAdd, TextTable::SiteAddButton },         { ui->btnSiteAddress, TextTable::SiteAddressButton },
        { ui->btnSiteProfile, TextTable::SiteProfileButton }, { ui->btnSiteRead, TextTable::SiteReadButton },
        { ui->btnSiteApply, TextTable::SiteApplyButton },     { ui->btnSiteClock, TextTable::JigStepSetClock },
        { ui->btnSiteReboot, TextTable::SiteRebootButton },   { ui->btnSiteFailed, TextTable::SiteFailedButton },
        { ui->btnSiteReplace, TextTable::SiteReplaceButton }, { ui->btnSiteRetry, TextTable::SiteRetryButton },
        { ui->btnSiteCancel, TextTable::CancelButton },
    };
    for (const auto &[button, id] : buttons)
        button->setText(text(id));
    ui->lblSiteName->setText(text(TextTable::SiteNameLabel));
    ui->lblSiteFrom->setText(text(TextTable::ScanFromLabel));
    ui->tblSite->setHorizontalHeaderLabels({ text(TextTable::IdColumn), text(TextTable::ModelColumn), text(TextTable::VersionColumn),
                                             text(TextTable::SerialNumberColumn), text(TextTable::ClockOffsetColumn),
                                             text(TextTable::ProfileColumn), text(TextTable::LastActionColumn),
                                             text(TextTable::ResultColumn) });
    refresh();
}

void SiteWindow::setSite(const Site &site)
{
    m_site = site;
    ui->edSiteName->setText(site.name);
    m_lastFailed.clear();
    refresh();
}

void SiteWindow::refresh()
{
    const QList<QByteArray> selected = selectedIds();
    QTableWidget *table = ui->tblSite;
    table->setRowCount(int(m_site.units.size()));
    for (int row = 0; row < m_site.units.size(); ++row) {
        const SiteUnit &unit = m_site.units.at(row);
        const QStringList cells { QString::fromLatin1(unit.id), QString::fromLatin1(unit.model), unit.version,
                                  QString::fromLatin1(unit.serialNumber),
                                  unit.clockOffsetS ? QString::number(*unit.clockOffsetS) : QString(),
                                  SiteReport::profileText(m_site, unit, m_languageIndex),
                                  SiteReport::actionText(unit.lastAction, m_languageIndex), SiteReport::resultText(unit, m_languageIndex) };
        const bool bad = unit.failed || (!unit.lastAction.isEmpty() && !unit.lastOk);
        for (int column = 0; column < cells.size(); ++column) {
            auto *item = new QTableWidgetItem(cells.at(column));
            if (bad)
                item->setForeground(ToolLook::colour(ToolLook::ErrorText));
            if (column == cells.size() - 1 && !unit.lastWhy.isEmpty())
                item->setToolTip(unit.lastWhy);
            table->setItem(row, column, item);
        }
        // Each selected row again, the others' selection kept (selectRow would clear them).
        if (selected.contains(unit.id))
            table->selectionModel()->select(table->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    table->resizeColumnsToContents();
    ui->btnSiteRetry->setEnabled(!m_working && !m_lastFailed.isEmpty());
}

QList<QByteArray> SiteWindow::selectedIds() const
{
    QList<QByteArray> ids;
    const QModelIndexList rows = ui->tblSite->selectionModel() ? ui->tblSite->selectionModel()->selectedRows() : QModelIndexList();
    for (const SiteUnit &unit : m_site.units)
        for (const QModelIndex &row : rows)
            if (row.row() < m_site.units.size() && m_site.units.at(row.row()).id == unit.id)
                ids.append(unit.id);
    return ids;
}

void SiteWindow::requestAction(SiteActions::Action action, const QList<QByteArray> &ids)
{
    if (m_working || ids.isEmpty())
        return;
    m_lastAction = action;
    Q_EMIT actionRequested(action, ids);
}

void SiteWindow::setWorking(bool on)
{
    m_working = on;
    for (QWidget *w : { static_cast<QWidget *>(ui->btnSiteOpen), static_cast<QWidget *>(ui->btnSiteSave),
                        static_cast<QWidget *>(ui->btnSiteReport), static_cast<QWidget *>(ui->btnSiteScan),
                        static_cast<QWidget *>(ui->btnSiteAdd), static_cast<QWidget *>(ui->btnSiteAddress),
                        static_cast<QWidget *>(ui->btnSiteProfile), static_cast<QWidget *>(ui->btnSiteRead),
                        static_cast<QWidget *>(ui->btnSiteApply), static_cast<QWidget *>(ui->btnSiteClock),
                        static_cast<QWidget *>(ui->btnSiteReboot), static_cast<QWidget *>(ui->btnSiteFailed),
                        static_cast<QWidget *>(ui->btnSiteReplace), static_cast<QWidget *>(ui->edSiteName) })
        w->setEnabled(!on);
    ui->btnSiteRetry->setEnabled(!on && !m_lastFailed.isEmpty());
    ui->btnSiteCancel->setEnabled(on);
}

void SiteWindow::workStarted(int total)
{
    m_cancelRequested = false;
    ui->pbSite->setRange(0, std::max(1, total));
    ui->pbSite->setValue(0);
    setWorking(true);
}

void SiteWindow::showProgress(int done, int total, const QByteArray &id)
{
    ui->pbSite->setRange(0, std::max(1, total));
    ui->pbSite->setValue(done);
    if (!id.isEmpty())
        showStatus(text(TextTable::SiteProgress).arg(done + 1).arg(total).arg(QString::fromLatin1(id)), false);
    refresh();
}

void SiteWindow::workEnded(const SiteActions::Result &result)
{
    m_lastFailed = result.failedIds();
    setWorking(false);
    showStatus(text(TextTable::SiteDone).arg(result.units.size()).arg(m_lastFailed.size()), !m_lastFailed.isEmpty());
    refresh();
}

void SiteWindow::showStatus(const QString &status, bool failure)
{
    ui->lblSiteStatus->setText(status);
    if (failure)
        ToolLook::setTextColour(ui->lblSiteStatus, ToolLook::ErrorText);
    else
        ToolLook::resetTextColour(ui->lblSiteStatus);
}

bool SiteWindow::saveTo(const QString &path)
{
    QString why;
    if (!SiteFile::save(path, m_site, madeBy(), &why)) {
        showStatus(why, true);
        return false;
    }
    showStatus(QFileInfo(path).fileName(), false);
    return true;
}

bool SiteWindow::openFrom(const QString &path)
{
    QString why;
    const std::optional<Site> site = SiteFile::load(path, &why);
    if (!site) {
        showStatus(text(TextTable::SiteFileRefused) + QLatin1Char(' ') + why, true);
        return false;
    }
    setSite(*site);
    showStatus(QFileInfo(path).fileName(), false);
    return true;
}

bool SiteWindow::writeReport(const QString &path)
{
    QString why;
    const bool csv = path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive);
    const QDateTime now = QDateTime::currentDateTime();
    const bool ok = csv ? SiteReport::writeCsv(path, m_site, now, madeBy(), &why)
                        : SiteReport::writePdf(path, m_site, now, madeBy(), &why, m_languageIndex, ToolLook::font(m_languageIndex));
    showStatus(ok ? QFileInfo(path).fileName() : why, !ok);
    return ok;
}

void SiteWindow::closeEvent(QCloseEvent *event)
{
    // Closed while it works, the action stops as at Cancel: nothing more is sent.
    m_cancelRequested = m_working;
    QWidget::closeEvent(event);
}
