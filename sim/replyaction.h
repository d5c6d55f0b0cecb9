#pragma once

#include <QByteArray>

// What a channel is to do with one reply: the bytes, and how they leave. The timing is stated,
// not waited, so that a server with timers and an in-process transport with no waiting at all
// can both carry it out.
struct ReplyAction
{
    enum class Kind {
        Send,    // the bytes at once
        Delay,   // the bytes after delayMs
        Split,   // chunk bytes at a time, gapMs apart, the first at once
        Endless, // the bytes, then one more "7" every gapMs, never ending the reply
        HangUp,  // the bytes (half a reply), then the connection goes, delayMs later
        Silence, // the bytes (half a reply), then nothing: a line cannot hang up
    };
    Kind kind = Kind::Send;
    QByteArray bytes;
    int delayMs = 0;
    int chunk = 0;
    int gapMs = 0;
};
