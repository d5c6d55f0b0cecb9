#include "link/openfailure.h"

QString openFailureText(OpenFailure failure, const QString &detail)
{
    QString text;
    switch (failure) {
    case OpenFailure::None: return QString();
    case OpenFailure::NoSuchPort: text = QStringLiteral("No such port"); break;
    case OpenFailure::PortBusy: text = QStringLiteral("Port busy: another program is using it"); break;
    case OpenFailure::PermissionDenied:
        text = QStringLiteral("Permission denied; on Linux the user must be in the group that owns the port "
                              "(usually dialout)");
        break;
    case OpenFailure::PortError: text = QStringLiteral("The port could not be opened"); break;
    case OpenFailure::BadAddress: text = QStringLiteral("Not an IPv4 address and port"); break;
    case OpenFailure::ConnectionRefused: text = QStringLiteral("Connection refused"); break;
    case OpenFailure::NoAnswer: text = QStringLiteral("No answer"); break;
    case OpenFailure::NetworkError: text = QStringLiteral("Network error"); break;
    }
    if (!detail.isEmpty())
        text += QStringLiteral(" (") + detail + QLatin1Char(')');
    return text;
}
