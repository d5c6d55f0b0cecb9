#pragma once

// Every text a window shows an operator in words: its title, the captions of its labels,
// buttons and group boxes, the hints of its fields, the entries of its lists and the headers of
// its tables. Not the values it shows (numbers in spin boxes, cells of tables).

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QString>
#include <QWidget>
#include <utility>

// (control's name, text) for each non-empty text; the controls named in `values` are left out.
inline QList<std::pair<QString, QString>> visibleTexts(const QWidget *window, const QStringList &values = {})
{
    QList<std::pair<QString, QString>> texts;
    const auto add = [&texts](const QObject *control, const QString &text) {
        if (!text.isEmpty())
            texts.append({ control->objectName(), text });
    };
    add(window, window->windowTitle());
    for (const QWidget *control : window->findChildren<QWidget *>()) {
        if (values.contains(control->objectName()))
            continue;
        if (auto *label = qobject_cast<const QLabel *>(control))
            add(label, label->text());
        else if (auto *button = qobject_cast<const QAbstractButton *>(control))
            add(button, button->text());
        else if (auto *group = qobject_cast<const QGroupBox *>(control))
            add(group, group->title());
        else if (auto *field = qobject_cast<const QLineEdit *>(control); field && !qobject_cast<const QComboBox *>(control->parent()))
            add(field, field->placeholderText());
        else if (auto *list = qobject_cast<const QComboBox *>(control))
            for (int i = 0; i < list->count(); ++i)
                add(list, list->itemText(i));
        else if (auto *view = qobject_cast<const QAbstractItemView *>(control); view && view->model()
                 && !qobject_cast<const QComboBox *>(view->parent() ? view->parent()->parent() : nullptr))
            for (int column = 0; column < view->model()->columnCount(); ++column)
                add(view, view->model()->headerData(column, Qt::Horizontal).toString());
    }
    return texts;
}
