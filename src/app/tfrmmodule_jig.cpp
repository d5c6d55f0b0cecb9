// The jig test window of the tools menu, and the operation bracket each of its units runs in.
#include "app/tfrmmodule.h"

#include "app/operationbracket.h"
#include "app/jigwindow.h"
#include "ui_tfrmmodule.h"

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
