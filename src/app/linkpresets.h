#pragma once

#include <QLatin1String>
#include <QtGlobal>

// The one-click link and line settings of the preset buttons.
struct LinkPresets
{
    // The network presets set the address as well as the port.
    static constexpr QLatin1String NetAddress{ "192.168.1.101" };
    static constexpr quint16 NetPort5001 = 5001;
    static constexpr quint16 NetPort5003 = 5003;

    // The serial presets set the text of the tool's own line settings.
    static constexpr QLatin1String Line19200{ "19200,e,8,1" };
    static constexpr QLatin1String Line115200{ "115200,n,8,1" };

    // The line-speed presets for the controller pick an item of its line-speed list.
    static constexpr int SelBaud19200Index = 5;    // "19200,e,8,1"
    static constexpr int SelBaud115200Index = 10;  // "115200,n,8,1"
};
