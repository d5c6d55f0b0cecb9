#include "app/profilereportdialog.h"

#include "i18n/texttable.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

ProfileReportDialog::ProfileReportDialog(QWidget *parent, std::function<QString(int)> text)
    : QDialog(parent)
    , m_text(std::move(text))
{
    setObjectName(QStringLiteral("frmProfileReport"));
    setModal(false);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("lblProfileSummary"));
    m_summary->setWordWrap(true);
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_table = new QTableWidget(0, 4, this);
    m_table->setObjectName(QStringLiteral("tblProfileValues"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_close = new QPushButton(this);
    m_close->setObjectName(QStringLiteral("btnProfileClose"));
    connect(m_close, &QPushButton::clicked, this, &QDialog::close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_summary);
    layout->addWidget(m_table);
    layout->addWidget(m_close, 0, Qt::AlignRight);
    resize(560, 420);
    retranslate();
}

void ProfileReportDialog::retranslate()
{
    m_table->setHorizontalHeaderLabels({ m_text(TextTable::ValueColumn), m_text(TextTable::ControllerColumn),
                                         m_text(TextTable::ProfileColumn), m_text(TextTable::ResultColumn) });
    m_close->setText(m_text(TextTable::CloseButton));
}

void ProfileReportDialog::show(const QString &title, const QList<Row> &rows, const QString &summary)
{
    retranslate();
    setWindowTitle(title);
    m_summary->setText(summary);
    m_table->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        const Row &row = rows.at(r);
        const QStringList cells { row.name, row.controller, row.profile, row.result };
        for (int c = 0; c < cells.size(); ++c)
            m_table->setItem(r, c, new QTableWidgetItem(cells.at(c)));
    }
    m_table->resizeColumnsToContents();
    QDialog::show();
    raise();
}
