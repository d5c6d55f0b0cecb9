#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>

namespace Ui {
class ProfileReportDialog;
}

// What a profile comparison or an apply found (frmProfileReport): one row per value with the
// controller's value, the profile's and what came of it, and a summary line. Not modal: the
// operator keeps it open beside the main window while checking the controller, and it follows
// a change of language with everything it says.
class ProfileReportDialog : public QDialog
{
    Q_OBJECT

public:
    struct Row
    {
        QString name;
        QString controller;
        QString profile;
        int resultId; // the text table's word for what came of the value
    };
    // The summary in the language of that index.
    using Summary = std::function<QString(int languageIndex)>;

    ProfileReportDialog(QWidget *parent, int languageIndex);
    ~ProfileReportDialog() override;

    // The title is the text titleId, followed by the profile's file name when there is one.
    void show(int titleId, const QString &fileName, const QList<Row> &rows, Summary summary);
    void retranslate(int languageIndex);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QString text(int id) const;
    QString title() const;
    void fitColumns();

    std::unique_ptr<Ui::ProfileReportDialog> ui;
    int m_languageIndex = 0;
    int m_titleId = 0;
    QString m_fileName;
    QList<Row> m_rows;
    Summary m_summary;
};
