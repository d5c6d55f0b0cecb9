#pragma once

#include <QMessageBox>

class QPushButton;

// A question of the window whose every button comes from the text table: Qt's own buttons speak
// English whatever the window's language. The caller hands in the texts in the language in force.
class TextTableQuestion : public QMessageBox
{
    Q_OBJECT

public:
    TextTableQuestion(const QString &objectName, const QString &title, const QString &text, QWidget *parent = nullptr);

    // A button with the given caption; the first accepting one is the default, the last rejecting
    // one answers Escape.
    QPushButton *addTextButton(const QString &caption, QMessageBox::ButtonRole role, const QString &objectName);

    // Asks and waits for the answer: the button pressed, or the Escape button.
    QAbstractButton *ask();
};
