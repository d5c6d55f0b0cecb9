#pragma once

// The fixed pauses between the steps of a procedure. The controllers need them: a command
// that follows too closely on the one before is lost.
struct Pauses
{
    static constexpr int BeforeCommand = 100; // before the first command of a press, and between its commands
    static constexpr int Step = 20;           // between the steps of the connect and of an automatic-test pass
};
