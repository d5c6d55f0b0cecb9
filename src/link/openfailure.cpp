#include "link/openfailure.h"

#include "link/serialline.h"

QString openFailureText(OpenFailure failure, const QString &detail)
{
    QString text;
    switch (failure) {
    case OpenFailure::None: return QString();
    case OpenFailure::NoSuchPort: text = QStringLiteral("No such port"); break;
    case OpenFailure::PortBusy: text = QStringLiteral("Port busy: another program is using it"); break;
    case OpenFailure::PermissionDenied: {
        const QString group = SerialLine::owningGroup(detail);
        if (group.isEmpty()) {
            text = QStringLiteral("Permission denied");
            break;
        }
        // What to do, with the names filled in: a technician can paste the command as it is.
        return QStringLiteral("Permission denied: only the group %2 may open %1. Add the user to it once with "
                              "\"sudo usermod -aG %2 %3\", then log out and log in again.")
            .arg(detail, group, SerialLine::userName());
    }
    case OpenFailure::PortError: text = QStringLiteral("The port could not be opened"); break;
    case OpenFailure::BadAddress: text = QStringLiteral("Not an IPv4 address and port"); break;
    case OpenFailure::ConnectionRefused: text = QStringLiteral("Connection refused"); break;
    case OpenFailure::NoAnswer: text = QStringLiteral("No answer"); break;
    case OpenFailure::NetworkError: text = QStringLiteral("Network error"); break;
    case OpenFailure::DeviceRemoved: text = QStringLiteral("The serial adapter was removed during the operation"); break;
    }
    if (!detail.isEmpty())
        text += QStringLiteral(" (") + detail + QLatin1Char(')');
    return text;
}
