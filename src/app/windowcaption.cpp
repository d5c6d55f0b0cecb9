#include "app/windowcaption.h"

#include <QGuiApplication>
#include <QWidget>

void WindowCaption::set(QWidget *window, const QString &caption)
{
    const QString displayName = QGuiApplication::applicationDisplayName();
    const bool appended = displayName != QCoreApplication::applicationName();
    if (appended)
        QGuiApplication::setApplicationDisplayName(QString());
    // An unchanged caption would not reach the platform again.
    if (window->windowTitle() == caption)
        window->setWindowTitle(QString());
    window->setWindowTitle(caption);
    if (appended)
        QGuiApplication::setApplicationDisplayName(displayName);
}
