#include "app/tfrmmodule.h"

#include "app/flattabstyle.h"
#include "app/operationbracket.h"
#include "sound/tone.h"
#include "ui_tfrmmodule.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QTabBar>
#include <QApplication>
#include <QTimer>

TfrmModule::TfrmModule(QWidget *parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::TfrmModule>())
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("frmModule"));
    // A fixed instrument panel: no resizing, no maximise box.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    // The client area is fixed; the menu bar above it takes what the font needs.
    centralWidget()->setFixedSize(680, 627);
    setFixedSize(680, 627 + menuBar()->sizeHint().height());

    // Typed port names and line settings are used as they stand, never added to the lists.
    ui->cmbPort->setInsertPolicy(QComboBox::NoInsert);
    ui->cmbBaudrate->setInsertPolicy(QComboBox::NoInsert);

    auto *tabStyle = new FlatTabStyle;
    tabStyle->setParent(ui->pcMain);
    ui->pcMain->tabBar()->setStyle(tabStyle);
    ui->pcMain->tabBar()->setDrawBase(false);

    m_bracket = new OperationBracket({ this, ui->pnMsg, ui->shComm }, m_session,
                                     [this](int id) { return localText(id); });
    m_bracket->setEndedCallback([this] { onOperationEnded(); });
    m_session.setProcessMessages([this] { m_bracket->processMessages(); });
    m_session.setLiveWait([this](ControllerSession::Deadline deadline) { m_bracket->processMessagesUntil(deadline); });

    connectHandlers();
    loadStoredSettings();
    restoreTrafficMonitor();
}

TfrmModule::~TfrmModule()
{
    endTrafficMonitor();
}

void TfrmModule::setTone(std::unique_ptr<Tone> tone)
{
    m_bracket->setTone(std::move(tone));
}

void TfrmModule::addExchangeObserver(ExchangeObserver *observer)
{
    m_session.link().addObserver(observer);
}

void TfrmModule::removeExchangeObserver(ExchangeObserver *observer)
{
    m_session.link().removeObserver(observer);
}

void TfrmModule::setTransportFactory(ControllerLink::TransportFactory factory)
{
    m_session.link().setTransportFactory(std::move(factory));
}

void TfrmModule::connectHandlers()
{
    // A second click queued while an operation waits for its window to be disabled (the first
    // messages are processed before that) would start an operation inside the running one.
    auto operation = [this](void (TfrmModule::*handler)()) {
        return [this, handler] {
            if (!m_bracket->active())
                (this->*handler)();
        };
    };

    connect(ui->mnuEnglish, &QAction::triggered, this, &TfrmModule::mnuEnglishClick);
    connect(ui->mnuSimplified, &QAction::triggered, this, &TfrmModule::mnuSimplifiedClick);
    connect(ui->mnuTraditional, &QAction::triggered, this, &TfrmModule::mnuTraditionalClick);
    connect(ui->mnuExit, &QAction::triggered, this, &TfrmModule::mnuExitClick);
    connect(ui->mnuMonitor, &QAction::triggered, this, &TfrmModule::mnuMonitorClick);
    connect(ui->mnuJig, &QAction::triggered, this, &TfrmModule::mnuJigClick);
    addRecordsEntry();

    connect(ui->btnConnect, &QPushButton::clicked, this, operation(&TfrmModule::btnConnectClick));
    connect(ui->sbScanId, &QScrollBar::valueChanged, this, &TfrmModule::sbScanIdChange);

    connect(ui->btnAuto, &QPushButton::clicked, this, &TfrmModule::btnAutoClick);
    connect(ui->btnReboot, &QPushButton::clicked, this, operation(&TfrmModule::btnRebootClick));
    connect(ui->btnReboot2, &QPushButton::clicked, this, operation(&TfrmModule::btnRebootClick));
    connect(ui->btnInitial, &QPushButton::clicked, this, operation(&TfrmModule::btnInitialClick));
    connect(ui->btnCommand, &QPushButton::clicked, this, operation(&TfrmModule::btnCommandClick));

    connect(ui->btn5001, &QPushButton::clicked, this, &TfrmModule::btn5001Click);
    connect(ui->btn5003, &QPushButton::clicked, this, &TfrmModule::btn5003Click);
    connect(ui->btn19200, &QPushButton::clicked, this, &TfrmModule::btn19200Click);
    connect(ui->btn115200, &QPushButton::clicked, this, &TfrmModule::btn115200Click);
    connect(ui->btnSel19200, &QPushButton::clicked, this, &TfrmModule::btnSel19200Click);
    connect(ui->btnSel115200, &QPushButton::clicked, this, &TfrmModule::btnSel115200Click);

    connect(ui->btnCardByte, &QPushButton::clicked, this, operation(&TfrmModule::btnCardByteClick));
    connect(ui->btnCardByte120, &QPushButton::clicked, this, operation(&TfrmModule::btnCardByte120Click));
    connect(ui->btnCardType, &QPushButton::clicked, this, operation(&TfrmModule::btnCardTypeClick));
    connect(ui->btnSameCard, &QPushButton::clicked, this, operation(&TfrmModule::btnSameCardClick));
    connect(ui->btnDateType, &QPushButton::clicked, this, operation(&TfrmModule::btnDateTypeClick));
    connect(ui->btnHourType, &QPushButton::clicked, this, operation(&TfrmModule::btnHourTypeClick));
    connect(ui->btnSetExtReader, &QPushButton::clicked, this, operation(&TfrmModule::btnSetExtReaderClick));
    connect(ui->btnDoorLog, &QPushButton::clicked, this, operation(&TfrmModule::btnDoorLogClick));
    connect(ui->btnDoorForce, &QPushButton::clicked, this, operation(&TfrmModule::btnDoorForceClick));
    connect(ui->btnDoorTimeout, &QPushButton::clicked, this, operation(&TfrmModule::btnDoorTimeoutClick));
    connect(ui->btnDoorTimeoutTime, &QPushButton::clicked, this, operation(&TfrmModule::btnDoorTimeoutTimeClick));
    connect(ui->btnDI_3_4Mode, &QPushButton::clicked, this, operation(&TfrmModule::btnDI_3_4ModeClick));
    connect(ui->btnSetReaderType, &QPushButton::clicked, this, operation(&TfrmModule::btnSetReaderTypeClick));
    connect(ui->btnGetParameter, &QPushButton::clicked, this, operation(&TfrmModule::btnGetParameterClick));

    connect(ui->btnLanguage, &QPushButton::clicked, this, operation(&TfrmModule::btnLanguageClick));
    connect(ui->btnSetBaud, &QPushButton::clicked, this, operation(&TfrmModule::btnSetBaudClick));
    connect(ui->btnSetMaster, &QPushButton::clicked, this, operation(&TfrmModule::btnSetMasterClick));
    connect(ui->btnSetID, &QPushButton::clicked, this, operation(&TfrmModule::btnSetIDClick));
    connect(ui->btnSetTitle, &QPushButton::clicked, this, operation(&TfrmModule::btnSetTitleClick));
    connect(ui->btnSetShow, &QPushButton::clicked, this, operation(&TfrmModule::btnSetShowClick));
    connect(ui->sbSetID, &QScrollBar::valueChanged, this, &TfrmModule::sbSetIDChange);

    connectProfileHandlers();
    connectBusScanHandlers();
    connectSiteHandlers();
}

void TfrmModule::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        applyLanguage();
    }
}

void TfrmModule::keyPressEvent(QKeyEvent *event)
{
    // "Connect device" is the window's default button: Enter presses it unless the focused
    // control is itself a button (Qt honours default buttons only in dialogs).
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        && !qobject_cast<QAbstractButton *>(QApplication::focusWidget()) && ui->btnConnect->isEnabled()) {
        ui->btnConnect->click();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TfrmModule::closeEvent(QCloseEvent *event)
{
    // A close box pressed while an operation runs (the automatic test keeps the window usable)
    // must not pull the window away under it: the operation ends as a cancel does, then the
    // window closes.
    if (m_bracket->active() || m_autoTestRunning) {
        m_closePending = true;
        m_autoTestRunning = false;
        event->ignore();
        return;
    }
    event->accept();
}

void TfrmModule::onOperationEnded()
{
    if (m_closePending && !m_autoTestRunning)
        QTimer::singleShot(0, this, &QWidget::close);
}
