#pragma once

#include "controller/jigtest.h"
#include "records/jigrun.h"

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

class JigStepModel;
class TfrmModule;
namespace Ui {
class JigWindow;
}

// The production window of the jig test: one unit after another on the jig, each started with
// the big button, Enter or space (a barcode scanner ends with Enter, a foot switch sends a
// space), judged PASS or FAIL, and recorded. It talks to the controller through the main
// window, whose link settings it uses and which it holds off while a unit is on test. What it
// decides is JigRun's; the window reads its fields into it and shows what it holds.
//
// A window of its own, not a child of the main window: a disabled main window would disable it
// too. It does not keep the program running once the main window is closed.
class JigWindow : public QWidget
{
    Q_OBJECT

public:
    JigWindow(TfrmModule &main, int languageIndex);
    ~JigWindow() override;

    // Every caption, the look, and what the window shows, in the language.
    void retranslate(int languageIndex);

    // Whether a unit is on test.
    bool running() const { return m_running; }
    // The pauses of the test: the settle time after an output is switched (200 ms unless set).
    void setSettleMs(int milliseconds) { m_settleMs = milliseconds; }

    // The records of the export range's days (all stations of the store), as one CSV file, or
    // one JSON file per unit in a folder. False, with the reason shown, when they could not be
    // written.
    bool exportCsv(const QString &path);
    bool exportJson(const QString &folder);
    // The records waiting for meantFor (empty: a store not named) go into the store in use.
    void deliverHere(const QString &meantFor);
    // How the window asks before records go to another store than they were meant for (a
    // dialog unless replaced).
    void setConfirm(std::function<bool(const QString &question)> confirm) { m_confirm = std::move(confirm); }
    // How a certificate written after a unit is opened for printing (the system's PDF viewer
    // unless replaced).
    void setOpenFile(std::function<void(const QString &path)> open) { m_openFile = std::move(open); }

public Q_SLOTS:
    // One unit tested and recorded. Does nothing while a unit is on test.
    void btnStartClick();
    void btnJigMapClick();
    void btnExportCsvClick();
    void btnExportJsonClick();
    void btnDeliverHereClick();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QString localText(int id) const;
    JigRun::Fields fields() const;
    void loadSettings();
    void saveSettings() const;
    void useMap();
    void useStore();
    void runUnit(JigStation::Setup setup);
    void setFieldsLocked(bool locked);
    void showMap();
    void showStore();
    void showEngineering();
    void showVerdict();
    void showNote();
    void showCounters();
    void showWaiting();
    void writeCertificate(const JigStation::Unit &unit);

    std::unique_ptr<Ui::JigWindow> ui;
    TfrmModule &m_main;
    JigRun m_run;
    JigStepModel *m_steps = nullptr;
    int m_languageIndex = 0;
    int m_settleMs = JigTest::Options().settleMs;
    bool m_running = false;
    bool m_closePending = false;
    std::function<bool(const QString &question)> m_confirm;
    std::function<void(const QString &path)> m_openFile;
    // Where certificates go, as the settings name it (empty: the user's documents folder).
    QString m_certificateFolder;
    // How the last unit's certificate went: the file written, or why it was not.
    QString m_certificateWritten;
    QString m_certificateWhy;
};
