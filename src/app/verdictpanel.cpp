#include "app/verdictpanel.h"

#include <QLabel>
#include <QVBoxLayout>

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

QColor VerdictPanel::colorOf(State state)
{
    switch (state) {
    case State::Ready:
        return QColor(0xd8, 0xd8, 0xd8);
    case State::Testing:
        return QColor(0xff, 0xd2, 0x00);
    case State::Pass:
        return QColor(0x1a, 0x9a, 0x3a);
    case State::Fail:
        return QColor(0xd0, 0x14, 0x14);
    case State::NotTested:
        return QColor(0xe8, 0x76, 0x00);
    }
    return Qt::gray;
}

void VerdictPanel::setVerdict(State state, const QString &word, const QString &detail)
{
    m_state = state;
    m_word->setText(word);
    m_detail->setText(detail);
    m_detail->setVisible(!detail.isEmpty());

    // White on the strong grounds, black on the pale ones: both readable from a distance. The
    // palette is set on each label as well, since the window's language font sets its own text
    // colour on every child.
    const bool light = state == State::Ready || state == State::Testing;
    const QColor ink = light ? Qt::black : Qt::white;
    QPalette ground = palette();
    ground.setColor(QPalette::Window, colorOf(state));
    setPalette(ground);
    for (QLabel *label : { m_word, m_detail }) {
        QPalette text = label->palette();
        for (const QPalette::ColorGroup group : { QPalette::Active, QPalette::Inactive, QPalette::Disabled })
            text.setColor(group, QPalette::WindowText, ink);
        label->setPalette(text);
    }
}

QString VerdictPanel::word() const
{
    return m_word->text();
}

QString VerdictPanel::detail() const
{
    return m_detail->text();
}
