#pragma once
// Puts the subsystems' commands behind the main window's keys, buttons and
// menu, and carries their settings between zx::Settings and the subsystems.

#include <memory>

namespace zx {

class DirectoryTree;
class MainWindow;
class UserInterface;
struct Settings;

class ProgramCommands {
public:
    ProgramCommands(MainWindow& w, Settings& settings, UserInterface& ui);
    ~ProgramCommands();
    // Copies the subsystems' settings back into zx::Settings (before saving).
    void saveSettings();
    // The directory tree the file operations keep in step.
    DirectoryTree& tree();

    struct Parts;

private:
    std::unique_ptr<Parts> d;
};

}  // namespace zx
