#pragma once
// Background work that must not slow the desktop down (the file search
// worker) runs at idle CPU and idle I/O priority.

namespace zx::platform {

// Puts the calling thread in the idle scheduling class (it runs only when a
// CPU would otherwise idle) and in the idle I/O class. Returns true when both
// took effect; failures leave the thread as it was and are not fatal.
bool setCurrentThreadIdlePriority();

}  // namespace zx::platform
