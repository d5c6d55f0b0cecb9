#pragma once

#include "records/recordfilter.h"
#include "records/recordqueries.h"
#include "records/recordstore.h"

#include <QWidget>
#include <memory>

class RecordPageModel;
namespace Ui {
class RecordsWindow;
}

// The records of the line, read-only: the tests of a filter (fetched page by page as the
// operator scrolls), a unit's history on choosing a test or typing its serial number, the yield
// per day, station or operator and the failure Pareto as tables and charts, an export of what the
// filter shows, and a unit's certificate. It reads the store the jig window writes to (its
// setting is the same one) and talks to no controller.
class RecordsWindow : public QWidget
{
    Q_OBJECT

public:
    explicit RecordsWindow(int languageIndex);
    ~RecordsWindow() override;

    void retranslate(int languageIndex);

    // What the operator can do, for the buttons and for tests.
    bool show(const RecordFilter &filter);
    void showHistory(const QString &serialNumber);
    bool exportCsv(const QString &path);
    bool exportJson(const QString &folder);
    bool writeCertificate(const QString &path);
    RecordFilter filter() const;

public Q_SLOTS:
    void btnShowClick();
    void btnExportCsvClick();
    void btnExportJsonClick();
    void btnCertificateClick();

private:
    QString localText(int id) const;
    bool openStore();
    void showYield();
    void showPareto();
    // A note by its text's id (-1: none) and arguments, shown anew in each language.
    void showNote(int id, const QStringList &args = {}, const QString &details = QString(), bool bad = false);
    QString verdictWord(UnitRecord::Verdict verdict) const;

    std::unique_ptr<Ui::RecordsWindow> ui;
    std::unique_ptr<RecordStore> m_store;
    std::unique_ptr<RecordQueries> m_queries;
    QString m_storeSetting;
    RecordPageModel *m_tests = nullptr;
    QList<UnitRecord> m_history;
    int m_languageIndex = 0;
    struct Note
    {
        int id = -1;
        QStringList args;
        QString details;
        bool bad = false;
    } m_note;
};
