#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class QLabel;
class QPushButton;
class QTableWidget;

// What a profile comparison or an apply found (frmProfileReport): one row per value with the
// controller's value, the profile's and what came of it, and a summary line. Not modal: the
// operator keeps it open beside the main window while checking the controller.
class ProfileReportDialog : public QDialog
{
    Q_OBJECT

public:
    struct Row
    {
        QString name;
        QString controller;
        QString profile;
        QString result;
    };

    ProfileReportDialog(QWidget *parent, std::function<QString(int)> text);

    void show(const QString &title, const QList<Row> &rows, const QString &summary);
    void retranslate();

private:
    std::function<QString(int)> m_text;
    QTableWidget *m_table = nullptr;
    QLabel *m_summary = nullptr;
    QPushButton *m_close = nullptr;
};
