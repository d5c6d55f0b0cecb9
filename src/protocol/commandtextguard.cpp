#include "protocol/commandtextguard.h"

#include "protocol/commandframe.h"

bool CommandTextGuard::isSendable(QByteArrayView text)
{
    for (const char c : text) {
        switch (c) {
        case '\0':
        case CommandFrame::SOH:
        case CommandFrame::STX:
        case CommandFrame::ETX:
        case CommandFrame::EOT:
        case CommandFrame::CR:
            return false;
        default:
            break;
        }
    }
    return true;
}
