#pragma once

#include <QByteArrayView>

// The bytes that delimit request and reply frames. A command text holding one of them would
// end the frame early on the controller's side (or, for NUL, on ours: the text is cut at its
// first NUL before framing), so the rest of the command would go out as something else.
class CommandTextGuard
{
public:
    // True when the text holds none of NUL, SOH, STX, ETX, EOT and CR.
    static bool isSendable(QByteArrayView text);
};
