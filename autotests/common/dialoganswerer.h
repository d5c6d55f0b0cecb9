#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

// Answers the next modal dialogs as an operator would: `act` gets each one as it opens.
class DialogAnswerer
{
public:
    explicit DialogAnswerer(std::function<void(QWidget *)> act)
        : m_act(std::move(act))
    {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (QWidget *dialog = QApplication::activeModalWidget())
                m_act(dialog);
        });
        m_timer.start();
    }

private:
    std::function<void(QWidget *)> m_act;
    QTimer m_timer;
};
