// The jig test window of the tools menu, and the operation bracket each of its units runs in.
#include "app/tfrmmodule.h"

#include "app/operationbracket.h"
#include "app/jigwindow.h"
#include "app/linkfailuretip.h"
#include "app/portlistrefresher.h"
#include "app/porttooltip.h"
#include "app/texttablequestion.h"
#include "controller/linkrecovery.h"
#include "ui_tfrmmodule.h"

#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

void TfrmModule::mnuJigClick()
{
    if (!m_jigWindow) {
        auto *jig = new JigWindow(*this, m_languageIndex);
        m_jigWindow.reset(jig);
        connect(this, &TfrmModule::languageApplied, jig, [this, jig] { jig->retranslate(m_languageIndex); });
    }
    m_jigWindow->show();
    m_jigWindow->raise();
    m_jigWindow->activateWindow();
}

bool TfrmModule::operationRunning() const
{
    return m_bracket->active();
}

TfrmModule::BracketRun TfrmModule::runInBracket(const std::function<QString(ControllerSession &, const QString &)> &body,
                                                QString *why)
{
    // The automatic test keeps its bracket open while it loops, so it counts as well.
    if (m_bracket->active())
        return BracketRun::Busy;
    if (!m_bracket->begin([this] { return captureLinkSettings(); })) {
        if (why)
            *why = m_session.link().openFailureText();
        m_bracket->endNoLink();
        return BracketRun::NoLink;
    }
    const QString failure = body(m_session, ui->edScanId->text());
    if (failure.isEmpty())
        m_bracket->endOk();
    else
        m_bracket->endFailed(failure);
    return BracketRun::Ran;
}

std::unique_ptr<TextTableQuestion> TfrmModule::resumeQuestion(int questionId, const QString &port)
{
    auto question = std::make_unique<TextTableQuestion>(QStringLiteral("frmResume"), localText(TextTable::WindowTitle),
                                                        localText(questionId).arg(port));
    applyLanguageFont(question.get());
    question->addTextButton(localText(TextTable::GoOnButton), QMessageBox::AcceptRole, QStringLiteral("btnResumeGoOn"));
    question->addTextButton(localText(TextTable::CancelButton), QMessageBox::RejectRole, QStringLiteral("btnResumeStop"));
    return question;
}

bool TfrmModule::recoverLink(int questionId)
{
    if (!LinkRecovery::lost(m_session))
        return false;
    const QString lostPort = m_session.link().settings().portName;
    m_bracket->noteLink(localText(TextTable::AdapterWaitingTip).arg(lostPort));
    LinkRecovery::Hooks hooks;
    hooks.ports = [this] { return m_portList->entries(); };
    // The window paints while it waits; the wait itself is the event loop's, in the system. An
    // operator who closes the window gives the wait up.
    hooks.pause = [this](int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
        return !m_closePending;
    };
    hooks.goOn = [this, questionId](const QString &port) {
        const std::unique_ptr<TextTableQuestion> question = resumeQuestion(questionId, port);
        return question->ask() == question->defaultButton();
    };
    // The adapter the settings remember for the port; else whatever the list still says of it
    // (the system may not have dropped it yet); else the port's name is all there is.
    const AdapterIdentity adapter = m_rememberedPort == lostPort && !m_rememberedAdapter.isEmpty()
        ? m_rememberedAdapter
        : LinkRecovery::identityOf(lostPort, m_portList->entries());
    const LinkRecovery::Result back = LinkRecovery::recover(m_session, adapter, hooks);
    if (!back.resumed) {
        // What the operator is told is that the adapter went, whatever the failed opens said.
        const bool linkSaysSo = m_session.link().openFailure() == OpenFailure::DeviceRemoved;
        m_bracket->noteLink(linkSaysSo ? QString()
                                       : LinkFailureTip::text(OpenFailure::DeviceRemoved, lostPort, [this](int id) { return localText(id); }));
        return false;
    }
    QString note;
    if (back.port != lostPort) {
        if (const std::optional<SerialPortEntry> entry = adapter.findIn(m_portList->entries()))
            note = localText(TextTable::AdapterMovedTip).arg(PortToolTip::adapter(*entry), back.port, lostPort);
        if (ui->cmbPort->currentText() == lostPort)
            ui->cmbPort->setEditText(back.port);
        if (m_rememberedPort == lostPort)
            m_rememberedPort = back.port;
        m_linkSettings.portName = back.port;
    }
    m_bracket->noteLink(note);
    return true;
}
