#include "mainform/keymap.h"

namespace zx {

namespace {

const KeyBinding kKeys[] = {
    // No modifier
    {Qt::Key_Backspace, Mods::None, "root"},
    {Qt::Key_Return, Mods::None, "open"},
    {Qt::Key_Enter, Mods::None, "open"},
    {Qt::Key_Escape, Mods::None, "quit"},
    {Qt::Key_Space, Mods::None, "tagdown"},
    {Qt::Key_PageUp, Mods::None, "pageup"},
    {Qt::Key_PageDown, Mods::None, "pagedown"},
    {Qt::Key_End, Mods::None, "end"},
    {Qt::Key_Home, Mods::None, "home"},
    {Qt::Key_Left, Mods::None, "goleft"},
    {Qt::Key_Right, Mods::None, "goright"},
    {Qt::Key_Up, Mods::None, "up"},
    {Qt::Key_Down, Mods::None, "down"},
    {Qt::Key_Delete, Mods::None, "delete"},
    {Qt::Key_F1, Mods::None, "drive:A"},
    {Qt::Key_F2, Mods::None, "drive:B"},
    {Qt::Key_F3, Mods::None, "drive:C"},
    {Qt::Key_F4, Mods::None, "drive:D"},
    {Qt::Key_F5, Mods::None, "drive:E"},
    {Qt::Key_F6, Mods::None, "drive:F"},
    {Qt::Key_F7, Mods::None, "drive:G"},
    {Qt::Key_F8, Mods::None, "drive:H"},
    {Qt::Key_F9, Mods::None, "favorite1"},
    // Shift
    {Qt::Key_Up, Mods::Shift, "tagup"},
    {Qt::Key_Down, Mods::Shift, "tagdown"},
    {Qt::Key_Delete, Mods::Shift, "deletehint"},
    // Ctrl
    {Qt::Key_Backspace, Mods::Ctrl, "helpcontents"},
    {Qt::Key_H, Mods::Ctrl, "helpcontents"},
    {Qt::Key_F1, Mods::Ctrl, "helpcontents"},
    {Qt::Key_PageUp, Mods::Ctrl, "first"},
    {Qt::Key_Home, Mods::Ctrl, "first"},
    {Qt::Key_PageDown, Mods::Ctrl, "last"},
    {Qt::Key_End, Mods::Ctrl, "last"},
    {Qt::Key_Up, Mods::Ctrl, "top"},
    {Qt::Key_Down, Mods::Ctrl, "lastdir"},
    {Qt::Key_Delete, Mods::Ctrl, "recycle"},
    {Qt::Key_D, Mods::Ctrl, "recycle"},
    {Qt::Key_F, Mods::Ctrl, "findroot"},
    {Qt::Key_M, Mods::Ctrl, "mydocuments"},
    {Qt::Key_F9, Mods::Ctrl, "favoritenextfree"},
    // Ctrl characters
    {Qt::Key_A, Mods::Ctrl, "tagall"},
    {Qt::Key_T, Mods::Ctrl, "tagall"},
    {Qt::Key_C, Mods::Ctrl, "copypath"},
    {Qt::Key_E, Mods::Ctrl, "newfile"},
    {Qt::Key_N, Mods::Ctrl, "treenextfree"},
    {Qt::Key_R, Mods::Ctrl, "refresh"},
    {Qt::Key_Z, Mods::Ctrl, "extractother"},
    // Alt
    {Qt::Key_Return, Mods::Alt, "runparams"},
    {Qt::Key_Enter, Mods::Alt, "runparams"},
    {Qt::Key_Z, Mods::Alt, "zipadd"},
    {Qt::Key_F1, Mods::Alt, "quickref"},
    {Qt::Key_F9, Mods::Alt, "favorite2"},
    {Qt::Key_Comma, Mods::Alt, "shrink"},
    {Qt::Key_Period, Mods::Alt, "grow"},
};

const CharBinding kChars[] = {
    {u'z', "extractsame"}, {u'b', "back"},   {u'c', "copy"},       {u'd', "delete"},   {u'e', "edit"},
    {u'f', "find"},        {u'h', "quickref"}, {u'i', "config"},   {u'l', "relist"},   {u'm', "makedir"},
    {u'n', "dosbox"},      {u'o', "move"},   {u'p', "properties"}, {u'r', "rename"},   {u's', "sort"},
    {u't', "tree"},        {u'u', "untag"},  {u'v', "view"},
};

}  // namespace

Mods exactMods(Qt::KeyboardModifiers m, bool* other)
{
    m &= ~Qt::KeypadModifier;
    if (other)
        *other = false;
    if (m == Qt::NoModifier)
        return Mods::None;
    if (m == Qt::ShiftModifier)
        return Mods::Shift;
    if (m == Qt::ControlModifier)
        return Mods::Ctrl;
    if (m == Qt::AltModifier)
        return Mods::Alt;
    if (other)
        *other = true;
    return Mods::None;
}

const char* commandForKey(int key, Mods mods)
{
    for (const KeyBinding& b : kKeys)
        if (b.key == key && b.mods == mods)
            return b.command;
    return nullptr;
}

const char* commandForChar(QChar c)
{
    if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
        return "typeahead";
    for (const CharBinding& b : kChars)
        if (b.ch == c.unicode())
            return b.command;
    return nullptr;
}

const KeyBinding* keyBindings(int* count)
{
    *count = int(sizeof(kKeys) / sizeof(kKeys[0]));
    return kKeys;
}

const CharBinding* charBindings(int* count)
{
    *count = int(sizeof(kChars) / sizeof(kChars[0]));
    return kChars;
}

}  // namespace zx
