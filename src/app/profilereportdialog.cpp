#include "app/profilereportdialog.h"

#include "app/toollook.h"
#include "app/windowcaption.h"
#include "i18n/texttable.h"
#include "ui_profilereportdialog.h"

ProfileReportDialog::ProfileReportDialog(QWidget *parent, int languageIndex)
    : QDialog(parent)
    , ui(std::make_unique<Ui::ProfileReportDialog>())
    , m_titleId(TextTable::ProfileReportTitle)
{
    ui->setupUi(this);
    connect(ui->btnProfileClose, &QPushButton::clicked, this, &QDialog::close);
    retranslate(languageIndex);
}

ProfileReportDialog::~ProfileReportDialog() = default;

QString ProfileReportDialog::text(int id) const
{
    return TextTable::text(id, m_languageIndex);
}

QString ProfileReportDialog::title() const
{
    return m_fileName.isEmpty() ? text(m_titleId) : text(m_titleId) + QStringLiteral(" - ") + m_fileName;
}

void ProfileReportDialog::retranslate(int languageIndex)
{
    m_languageIndex = languageIndex;
    ToolLook::apply(this, languageIndex);
    WindowCaption::set(this, title());
    QTableWidget *table = ui->tblProfileValues;
    table->setHorizontalHeaderLabels({ text(TextTable::ValueColumn), text(TextTable::ControllerColumn),
                                       text(TextTable::ProfileColumn), text(TextTable::ResultColumn) });
    for (int r = 0; r < m_rows.size() && r < table->rowCount(); ++r)
        if (QTableWidgetItem *result = table->item(r, 3))
            result->setText(text(m_rows.at(r).resultId));
    ui->lblProfileSummary->setText(m_summary ? m_summary(languageIndex) : QString());
    ui->btnProfileClose->setText(text(TextTable::CloseButton));
    // The words of the new language have other widths.
    fitColumns();
}

void ProfileReportDialog::fitColumns()
{
    // Not the last: it stretches to the room left, which a fitted width would take from it.
    // A little room between them, or the Chinese headers run together.
    QTableWidget *table = ui->tblProfileValues;
    const int room = 2 * table->fontMetrics().horizontalAdvance(QLatin1Char(' '));
    for (int column = 0; column + 1 < table->columnCount(); ++column) {
        table->resizeColumnToContents(column);
        table->setColumnWidth(column, table->columnWidth(column) + room);
    }
}

void ProfileReportDialog::show(int titleId, const QString &fileName, const QList<Row> &rows, Summary summary)
{
    m_titleId = titleId;
    m_fileName = fileName;
    m_rows = rows;
    m_summary = std::move(summary);
    QTableWidget *table = ui->tblProfileValues;
    table->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        const Row &row = rows.at(r);
        const QStringList cells { row.name, row.controller, row.profile, QString() };
        for (int c = 0; c < cells.size(); ++c)
            table->setItem(r, c, new QTableWidgetItem(cells.at(c)));
    }
    retranslate(m_languageIndex);
    QDialog::show();
    raise();
}

void ProfileReportDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    WindowCaption::set(this, title());
}
