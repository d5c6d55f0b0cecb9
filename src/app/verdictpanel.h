#pragma once

#include <QFrame>
#include <QString>

class QLabel;

// The verdict of the production window, readable from across the line: a large word on a
// coloured ground (PASS green, FAIL red, ERROR purple: the station could not test) and one line
// below it that says why.
class VerdictPanel : public QFrame
{
    Q_OBJECT
    Q_PROPERTY(State state READ state)

public:
    enum class State { Ready, Testing, Pass, Fail, NotTested, Error };
    Q_ENUM(State)

    explicit VerdictPanel(QWidget *parent = nullptr);

    // word: the verdict in the language in force; detail: the failing step, or why nothing ran.
    void setVerdict(State state, const QString &word, const QString &detail = QString());
    State state() const { return m_state; }
    QString word() const;
    QString detail() const;

private:
    State m_state = State::Ready;
    QLabel *m_word = nullptr;
    QLabel *m_detail = nullptr;
};
