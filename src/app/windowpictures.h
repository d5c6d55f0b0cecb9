#pragma once

// Pictures of the window as the operator sees it, for the documentation. Runs the real
// window with a settings store of its own, so the operator's settings are neither read nor
// changed.
class WindowPictures
{
public:
    // Usage: <program> <folder> [--all-pages]. Writes window-en.png, window-zh-cn.png and
    // window-zh-tw.png (the window as it starts, with the work area disabled), and
    // window-en-<page>.png for each page of the work area, enabled; with --all-pages the
    // pages in the Chinese languages as well. Returns the process's exit code.
    static int run(int argc, char **argv);
};
