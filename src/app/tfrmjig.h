#pragma once

#include "app/verdictpanel.h"
#include "controller/jigtest.h"
#include "records/jigstation.h"

#include <QColor>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <optional>

class JigStepModel;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class TfrmModule;

// The production window of the jig test: one unit after another on the jig, each started with
// the big button, Enter or space (a barcode scanner ends with Enter, a foot switch sends a
// space), judged PASS or FAIL, and recorded. It talks to the controller through the main
// window, whose link settings it uses and which it holds off while a unit is on test.
//
// A window of its own, not a child of the main window: a disabled main window would disable it
// too. It does not keep the program running once the main window is closed.
class TfrmJig : public QWidget
{
    Q_OBJECT

public:
    explicit TfrmJig(TfrmModule &main);
    ~TfrmJig() override;

    // Whether a unit is on test.
    bool running() const { return m_running; }
    // The pauses of the test: the settle time after an output is switched (200 ms unless set).
    void setSettleMs(int milliseconds) { m_settleMs = milliseconds; }

    // The records of the export range's days (all stations of the store), as one CSV file, or
    // one JSON file per unit in a folder. False, with the reason shown, when they could not be
    // written.
    bool exportCsv(const QString &path);
    bool exportJson(const QString &folder);

public Q_SLOTS:
    // One unit tested and recorded. Does nothing while a unit is on test.
    void btnStartClick();
    void btnJigMapClick();
    void btnExportCsvClick();
    void btnExportJsonClick();
    // Captions and fonts in the main window's language.
    void applyLanguage();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    struct Note
    {
        int id = -1;        // a text table message, or -1 for none
        QStringList args;   // for its %1, %2 ...
        QString extra;      // shown after it, in a line of its own: a reason
        QColor color;
    };

    void buildForm();
    QString localText(int id) const;
    QString stepName(const QString &name) const;

    // The field values into the window's state, each checked on its own.
    void loadSettings();
    void saveSettings() const;
    // The map the field names, shown by name or with why it cannot be used.
    std::optional<JigMap> useMap();
    void useStore();

    void runUnit(JigStation::Setup setup);
    void refuse(int id, const QString &extra = QString(), QWidget *focus = nullptr);
    void setFieldsLocked(bool locked);
    void showVerdict();
    QString noteText(const Note &note) const;
    void showNote(const Note &note);
    void showCounters();
    void showWaiting(int waiting);
    bool exportRange(const QString &csvPath, const QString &jsonFolder);

    TfrmModule &m_main;
    std::unique_ptr<JigStation> m_station;
    QString m_storeText;   // the store field's text m_station was made from
    QString m_storeError;
    QString m_mapError;
    int m_waiting = 0;
    int m_settleMs = JigTest::Options().settleMs;
    bool m_running = false;
    bool m_closePending = false;

    // What the verdict panel shows, kept in values so a change of language can show it again.
    VerdictPanel::State m_verdict = VerdictPanel::State::Ready;
    std::optional<JigTest::Step> m_failedStep;
    QString m_passDetail;
    Note m_verdictReason;
    Note m_note;
    std::optional<RecordStore::DayCounters> m_counters;

    JigStepModel *m_steps = nullptr;
    QLabel *lblStation = nullptr;
    QLineEdit *edStation = nullptr;
    QLabel *lblOperator = nullptr;
    QLineEdit *edOperator = nullptr;
    QLabel *lblJigMap = nullptr;
    QLineEdit *edJigMap = nullptr;
    QPushButton *btnJigMap = nullptr;
    QLabel *lblMapName = nullptr;
    QLabel *lblRecordStore = nullptr;
    QLineEdit *edRecordStore = nullptr;
    QPushButton *btnStart = nullptr;
    VerdictPanel *pnVerdict = nullptr;
    QLabel *lblNote = nullptr;
    QTableView *tblSteps = nullptr;
    QGroupBox *gbToday = nullptr;
    QLabel *lblUnitsCaption = nullptr;
    QLabel *lblUnits = nullptr;
    QLabel *lblPassedCaption = nullptr;
    QLabel *lblPassed = nullptr;
    QLabel *lblFailedCaption = nullptr;
    QLabel *lblFailed = nullptr;
    QLabel *lblYieldCaption = nullptr;
    QLabel *lblYield = nullptr;
    QGroupBox *gbRecords = nullptr;
    QLabel *lblStore = nullptr;
    QLabel *lblPending = nullptr;
    QLabel *lblExportFrom = nullptr;
    QDateEdit *dtExportFrom = nullptr;
    QLabel *lblExportTo = nullptr;
    QDateEdit *dtExportTo = nullptr;
    QPushButton *btnExportCsv = nullptr;
    QPushButton *btnExportJson = nullptr;
};
