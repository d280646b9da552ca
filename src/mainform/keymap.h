#pragma once
// The key map of the main window: one table from key (with its exact
// modifier set) to command id, and one from typed character to command id.
// Commands are registered by id on the main window; a key whose command is
// not registered does nothing.

#include <QChar>
#include <QString>
#include <Qt>

namespace zx {

enum class Mods { None, Shift, Ctrl, Alt };

struct KeyBinding {
    int key;
    Mods mods;
    const char* command;
};

struct CharBinding {
    char16_t ch;
    const char* command;
};

// Exact modifier set of an event (keypad flag ignored); Mods::None also for
// combinations the map does not use.
Mods exactMods(Qt::KeyboardModifiers m, bool* other = nullptr);

// Command of a key code, or nullptr.
const char* commandForKey(int key, Mods mods);
// Command of a typed character (after Caps Lock lowering), or nullptr.
// Upper-case letters are the type-ahead and answer "typeahead".
const char* commandForChar(QChar c);

// Every binding, for documentation and tests.
const KeyBinding* keyBindings(int* count);
const CharBinding* charBindings(int* count);

}  // namespace zx
