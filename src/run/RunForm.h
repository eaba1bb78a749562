#pragma once

// The three ways a command reaches the terminal.
enum class RunForm {
    newWindow, // the terminal runs, every run opens a window
    newTab,    // the terminal runs, a tab in its front window
    reuse,     // the terminal is not running: the window it opens at start
};
