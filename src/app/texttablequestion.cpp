#include "app/texttablequestion.h"

#include <QPushButton>

TextTableQuestion::TextTableQuestion(const QString &objectName, const QString &title, const QString &text, QWidget *parent)
    : QMessageBox(QMessageBox::Question, title, text, QMessageBox::NoButton, parent)
{
    setObjectName(objectName);
}

QPushButton *TextTableQuestion::addTextButton(const QString &caption, QMessageBox::ButtonRole role, const QString &objectName)
{
    QPushButton *button = addButton(caption, role);
    button->setObjectName(objectName);
    if (role == QMessageBox::AcceptRole && !defaultButton())
        setDefaultButton(button);
    if (role == QMessageBox::RejectRole)
        setEscapeButton(button);
    return button;
}

QAbstractButton *TextTableQuestion::ask()
{
    exec();
    return clickedButton();
}
