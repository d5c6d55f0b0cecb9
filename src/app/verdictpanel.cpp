#include "app/verdictpanel.h"

#include "app/toollook.h"

#include <QLabel>
#include <QVBoxLayout>

namespace {

ToolLook::Colour groundOf(VerdictPanel::State state)
{
    switch (state) {
    case VerdictPanel::State::Ready:
        break;
    case VerdictPanel::State::Testing:
        return ToolLook::VerdictTesting;
    case VerdictPanel::State::Pass:
        return ToolLook::VerdictPass;
    case VerdictPanel::State::Fail:
        return ToolLook::VerdictFail;
    case VerdictPanel::State::NotTested:
        return ToolLook::VerdictNotTested;
    case VerdictPanel::State::Error:
        return ToolLook::VerdictError;
    }
    return ToolLook::VerdictReady;
}

} // namespace

VerdictPanel::VerdictPanel(QWidget *parent)
    : QFrame(parent)
{
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    setMinimumHeight(150);

    m_word = new QLabel(this);
    m_word->setObjectName(QStringLiteral("lblVerdict"));
    m_word->setAlignment(Qt::AlignCenter);
    QFont big = m_word->font();
    big.setPointSize(48);
    big.setBold(true);
    m_word->setFont(big);

    m_detail = new QLabel(this);
    m_detail->setObjectName(QStringLiteral("lblVerdictDetail"));
    m_detail->setAlignment(Qt::AlignCenter);
    m_detail->setWordWrap(true);
    QFont medium = m_detail->font();
    medium.setPointSize(14);
    medium.setBold(true);
    m_detail->setFont(medium);

    auto *layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(m_word);
    layout->addWidget(m_detail);
    layout->addStretch();
    setVerdict(State::Ready, QString());
}

void VerdictPanel::setVerdict(State state, const QString &word, const QString &detail)
{
    m_state = state;
    m_word->setText(word);
    m_detail->setText(detail);
    m_detail->setVisible(!detail.isEmpty());

    // White on the strong grounds, black on the pale ones: both readable from a distance. The
    // labels take their ink themselves, since the window's look sets its own text colour on
    // every child.
    const bool pale = state == State::Ready || state == State::Testing;
    QPalette ground = palette();
    ground.setColor(QPalette::Window, ToolLook::colour(groundOf(state)));
    setPalette(ground);
    for (QLabel *label : { m_word, m_detail })
        ToolLook::setTextColour(label, pale ? ToolLook::VerdictInkOnPale : ToolLook::VerdictInk);
}

QString VerdictPanel::word() const
{
    return m_word->text();
}

QString VerdictPanel::detail() const
{
    return m_detail->text();
}
