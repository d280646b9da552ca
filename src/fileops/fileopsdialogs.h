#pragma once
// Shows the file operations' own dialogs for their questions. The main
// window calls registerFileOpsDialogs() once at start, before any command.

namespace zx {

void registerFileOpsDialogs();

}  // namespace zx
