#pragma once
// The states of the progress a window shows on its taskbar button, with the
// numbers of the platform the program was written for.

enum TaskbarProgressState : int {
    kTaskbarNoProgress = 0,
    kTaskbarIndeterminate = 1,
    kTaskbarNormal = 2,
    kTaskbarError = 4,
    kTaskbarPaused = 8,
};
