#pragma once

#include "controller/commandplan.h"

#include <QString>
#include <array>
#include <optional>

// The plans of the write buttons, from the operator's values: list positions, texts and the
// text encoding the controller is set to (with its name, for the refusal's words). A list
// position outside its list means "nothing chosen".
class WritePlans
{
public:
    static const QString ChooseFromList;

    // A single-parameter write: its command, or `refusal` when the value cannot go out.
    static CommandPlan parameter(const std::optional<QByteArray> &command, const QString &refusal);

    // The parameter writes of language and display take effect only after a restart, so the
    // plain restart follows them.
    static CommandPlan language(int languageIndex, int encodingIndex);
    static CommandPlan baud(int index);
    static CommandPlan masters(const std::array<QString, 3> &uids, const std::array<QString, 3> &pins,
                               int encodingIndex, const QString &encodingName);
    static CommandPlan setId(const QString &id, int encodingIndex, const QString &encodingName);
    // "None" still sends both lines, as the controller has always been set up.
    static CommandPlan title(int countIndex, const QString &line1, const QString &line2, int encodingIndex,
                             const QString &encodingName);
    static CommandPlan show(int cardShowIndex, bool showStatus, bool useStatus);

    // An operator's text as the controller will read it: in the encoding it is set to show.
    // Nothing, and the reason in *refusal, when it cannot go out whole.
    static std::optional<QByteArray> encoded(const QString &text, int encodingIndex, const QString &encodingName,
                                             const QString &what, QString *refusal);
};
