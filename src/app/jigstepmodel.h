#pragma once

#include "controller/jigtest.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

// The steps of the unit on the jig, as the production window lists them: every step's name
// before the start, then each one's expected and measured values and result as it ends.
class JigStepModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { StepColumn, ExpectedColumn, MeasuredColumn, ResultColumn, ColumnCount };

    // The window's words: the column titles, PASS and FAIL, and a step's phrases for the
    // operator (the record keeps the core's English, which comes along as the fallback).
    struct Texts
    {
        QStringList headers;
        QString passed;
        QString failed;
        QString notRun;     // a step the run did not reach
        QString error;      // a step the station could not measure: its link was lost
        std::function<QString(const JigPhrase &phrase, const QString &english)> phrase;
    };

    explicit JigStepModel(QObject *parent = nullptr);

    void setTexts(const Texts &texts);
    // Every row waiting, named in the order the steps run.
    void start(const QList<JigPhrase> &steps);
    // The rows named and empty, nothing under way: no unit's result is shown.
    void clear(const QList<JigPhrase> &steps);
    // The next waiting row of that name takes the step; a step not listed is added at the end.
    void stepDone(const JigTest::Step &step);
    // Rows not reached stay empty; the row under way is marked no longer.
    void finish();

    // The step of a row once it has run.
    std::optional<JigTest::Step> step(int row) const;
    // The row of the step now running, or -1.
    int runningRow() const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QString say(const JigPhrase &phrase, const QString &english) const;

    struct Row
    {
        JigPhrase name;
        std::optional<JigTest::Step> step;
    };

    QList<Row> m_rows;
    Texts m_texts;
    bool m_running = false;
    bool m_finished = false;
};
