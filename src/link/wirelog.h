#pragma once

#include <QLoggingCategory>

// The bytes on the wire, one line per exchange; off unless QT_LOGGING_RULES="zu42.wire.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcWire)
