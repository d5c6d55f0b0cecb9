#include "app/linkfailuretip.h"

#include "i18n/texttable.h"
#include "link/serialline.h"

QString LinkFailureTip::text(OpenFailure failure, const QString &detail, const std::function<QString(int)> &text)
{
    switch (failure) {
    case OpenFailure::PermissionDenied:
        // Without a group (Windows) there is nothing to join: the link's words say it all.
        if (const QString group = SerialLine::owningGroup(detail); !group.isEmpty())
            return text(TextTable::PortPermissionTip).arg(detail, group, SerialLine::userName());
        break;
    case OpenFailure::DeviceRemoved: return text(TextTable::AdapterRemovedTip).arg(detail);
    default: break;
    }
    return openFailureText(failure, detail);
}

QString LinkFailureTip::notAnswering(const QStringList &commands, OpenFailure failure, const QString &detail,
                                     const QString &why, const std::function<QString(int)> &text)
{
    const QString silent = text(TextTable::NotAnsweringTip).arg(commands.join(QStringLiteral(", ")));
    const QString reason = failure == OpenFailure::None ? why : LinkFailureTip::text(failure, detail, text);
    return reason.isEmpty() ? silent : silent + QLatin1Char('\n') + reason;
}
