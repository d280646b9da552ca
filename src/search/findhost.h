#pragma once
// What the find files window needs from the main window. The main window
// implements it; tests give a fake.

#include <QString>

namespace zx {

class FindHost {
public:
    virtual ~FindHost() = default;

    // Opens a found file with its associated program (ExFile).
    virtual void openFile(const QString& path) = 0;

    // "Change to directory (Locate)": opens dir (opendrive with its volume
    // letter) in the panel that last received a drop, or else in the panel of
    // the next-free-panel rule, selects the entry `name` there and gives that
    // panel the focus.
    virtual void locate(const QString& dir, const QString& name) = 0;

    // Opens the help window at a topic (the find window uses topic 4).
    virtual void showHelp(int topic) = 0;
};

}  // namespace zx
