#pragma once

#include "profile/parameterinfo.h"

#include <QList>
#include <QString>

// Every value of a controller's set-up that a profile can hold, by name, in the order a person
// reads them (the read-back's first range, its second, then the values it cannot read). The
// names are defined here and nowhere else: profile files, the command line's get and set, and the
// window all use them.
//
// Not here, on purpose: the controller's ID (a profile applied to twenty controllers would give
// them all one ID and break the bus) and the master cards and PINs (credentials do not belong in
// a file that is mailed around a site).
class ParameterCatalog
{
public:
    static constexpr QLatin1String Language { "language" };
    static constexpr QLatin1String TextEncoding { "text-encoding" };
    static constexpr QLatin1String HourFormat { "hour-format" };
    static constexpr QLatin1String TitleLines { "title-lines" };
    static constexpr QLatin1String DateFormat { "date-format" };
    static constexpr QLatin1String CardType { "card-type" };
    static constexpr QLatin1String CardBits { "card-bits" };
    static constexpr QLatin1String SameCardDelay { "same-card-delay" };
    static constexpr QLatin1String CardDisplay { "card-display" };
    static constexpr QLatin1String ShowStatus { "show-status" };
    static constexpr QLatin1String UseStatus { "use-status" };
    static constexpr QLatin1String DoorForce { "door-force" };
    static constexpr QLatin1String DoorTimeoutTime { "door-timeout-time" };
    static constexpr QLatin1String DoorTimeout { "door-timeout" };
    static constexpr QLatin1String ReaderType { "reader-type" };
    static constexpr QLatin1String DoorLog { "door-log" };
    static constexpr QLatin1String ExtReader { "ext-reader" };
    static constexpr QLatin1String DiMode { "di-mode" };
    static constexpr QLatin1String BaudRate { "baud-rate" };
    static constexpr QLatin1String TitleLine1 { "title-line-1" };
    static constexpr QLatin1String TitleLine2 { "title-line-2" };

    static const QList<ParameterInfo> &all();
    // Nothing for a name that is not in the catalogue.
    static const ParameterInfo *find(const QString &name);
    // The entry of a name this catalogue defines; the caller names one of the constants above.
    static const ParameterInfo &at(const QString &name);
    // Position in all(), for ordering; -1 for an unknown name.
    static int orderOf(const QString &name);
};
