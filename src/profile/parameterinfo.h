#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <optional>

// One value of a controller's set-up, as profiles, the command line and the window know it: its
// name, what it may hold, and how it reaches the controller. A value is held as its canonical
// text (a word of its list, a decimal number, "on"/"off", or the text itself); parse() is the one
// gate through which a value from a file or an operator enters.
class ParameterInfo
{
public:
    enum class Kind {
        Choice, // one of the words in choices; its code is the position (the window's list index)
        Number, // a whole number from minimum to maximum; its code is the number
        Flag,   // "on" or "off"; its code is 1 or 0
        Text,   // up to maximum characters, none of them a control character; no code
    };
    // How the value reaches the controller and comes back.
    enum class Access {
        ReadBack,  // read by the read-back, written by its own command
        LinkSpeed, // cannot be read, but a serial line that talks to the controller tells it
        WriteOnly, // cannot be read at all
    };

    QString name;
    Kind kind = Kind::Number;
    QStringList choices;
    int minimum = 0;
    int maximum = 0;
    Access access = Access::ReadBack;
    // Takes effect only after the controller restarts.
    bool needsRestart = false;
    // The one model that has it; empty for every model.
    QByteArray onlyModel;
    // One line for the command line's help and the documentation.
    QString description;

    bool readable() const { return access == Access::ReadBack; }
    bool appliesTo(const QByteArray &model) const { return onlyModel.isEmpty() || onlyModel == model; }

    // The canonical text of an operator's text (words in any case, numbers in the forms of the
    // window's fields, flags also as true/false or enable/disable), or nothing and why.
    std::optional<QString> parse(const QString &text, QString *why = nullptr) const;
    // The code of a canonical text; nothing for a text that parse() would refuse, and for Text.
    std::optional<int> code(const QString &canonical) const;
    // The canonical text of a code the controller holds. A code outside what the value may hold
    // is shown in brackets ("(7)"), a form parse() refuses, so it can never enter a profile.
    QString fromCode(int code) const;

    // A profile holds numbers as JSON numbers, flags as true/false, the rest as strings.
    QJsonValue toJson(const QString &canonical) const;
    std::optional<QString> fromJson(const QJsonValue &value, QString *why = nullptr) const;

    // What parse() takes, in a few words ("24h | 12h", "0 to 255", "on | off").
    QString allowed() const;
};
