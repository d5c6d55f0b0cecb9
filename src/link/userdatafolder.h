#pragma once

#include <QString>

// The one folder on this PC where every program of the tool keeps what it keeps: the records of
// the jig test and the traffic log. It lives beside the link because the records and the traffic
// monitor both build on it and on nothing else in common.
class UserDataFolder
{
public:
    // <the user's data folder>/zu42tools, made by whoever first writes into it. On Windows the
    // user's data folder is %LOCALAPPDATA% as the process sees it (Windows sets it to the user's
    // local application data folder, so a program started with another one keeps its data
    // there); without it, the folder Qt finds. Elsewhere Qt's generic data folder
    // ($XDG_DATA_HOME, or ~/.local/share).
    static QString path();
};
