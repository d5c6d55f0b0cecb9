#pragma once

#include "link/openfailure.h"

#include <QString>
#include <QStringList>
#include <functional>

// Why a link would not open or went away, for the banner's tool tip: in the window's language
// where the text table has the reason (a port the user may not open, an adapter pulled out),
// else in the link's own words.
class LinkFailureTip
{
public:
    // detail as the link gives it (ControllerLink::openFailureDetail); text gives a message of
    // the text table in the language in force.
    static QString text(OpenFailure failure, const QString &detail, const std::function<QString(int)> &text);
    // The automatic test's controller gone silent: which commands, then why in the link's
    // words where the link failed (failure), else the exchange's (why).
    static QString notAnswering(const QStringList &commands, OpenFailure failure, const QString &detail,
                                const QString &why, const std::function<QString(int)> &text);
};
