#include "link/wirelog.h"

Q_LOGGING_CATEGORY(lcWire, "zu42.wire", QtWarningMsg)
