#pragma once
// The program's settings in memory, read once at start (readregistry) and
// written at exit and after the configuration dialog (writeregistry).
//
// Stored with QSettings (organisation "HathelSoftware", application "Zarvex")
// under the same value names and in the same forms as always: flags as the
// strings "0"/"1", numbers as decimal strings, the 160-byte font records and
// the 120-byte colour table as byte arrays. -10000 means "position never saved".

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QString>
#include <array>

class QSettings;

namespace zx {

constexpr int kNotSet = -10000;

// A font as the 160-byte record stores it.
struct FontRecord {
    QString name;
    int size = 10;           // points
    quint8 style = 0;        // bit 0 bold, 1 italic, 2 underline, 3 strikeout
    quint32 color = 0;       // 0x00BBGGRR

    QByteArray encode() const;                       // exactly 160 bytes
    static bool decode(const QByteArray& bytes, FontRecord* out);   // false when malformed
    QFont toFont() const;
    static FontRecord fromFont(const QFont& f, quint32 color = 0);
};

// The 30-colour table, 0x00BBGGRR each, stored as 120 bytes little-endian.
struct ColorTable {
    std::array<quint32, 30> c{};
    QByteArray encode() const;
    // Replaces the first n colours with the n whole colours held in bytes.
    void decode(const QByteArray& bytes);
    static QColor toQColor(quint32 bgr);
    static quint32 fromQColor(const QColor& c);
};

struct Settings {
    bool max = false;                 // "MAX"
    int formSize = 1;                 // "FormSize": 0 small, 1 standard, 2 large
    bool mouseTrails = false;         // "MouseTrails"
    bool sounds = false;              // "Sounds"
    bool skinsEnabled = true;         // "SkinsEnabled"
    QString viewerProgram;            // "ViewerProgram"
    QString defDir[3];                // "LeftDefDir", "MiddleDefDir", "RightDefDir"
    QString editorProgram;            // "EditorProgram"
    int top = kNotSet, left = kNotSet, width = kNotSet, height = kNotSet;
    QString skinName = QStringLiteral("Nautilus (internal)");   // "SkinName"
    int zipleft = kNotSet, ziptop = kNotSet;
    int ffleft = kNotSet, fftop = kNotSet, ffheight = kNotSet, ffwidth = kNotSet;
    int memoWidth = 0, memoHeight = 0;                          // "MemoWidth", "MemoHeight"
    int treeLeft = kNotSet, treeTop = kNotSet;                  // "TreeLeft", "TreeTop"
    bool treeShownThisRun = false;    // TreeLeft/TreeTop are written only then
    bool jumpOnMatch = true;          // "JumpOnMatch"
    bool spaceIndicators = true;      // "SpaceIndicators"
    bool viewZips = false;            // "ViewZips"
    bool skipDirectories = false;     // "SkipDirectories"
    bool forgetPassword = true;       // "ForgetPassword" != "0"
    int forgetMinutes = 5;            //   ... its minutes
    bool hints = true;                // "hints"
    bool showHiddenFiles = true;      // "ShowHiddenFiles"
    bool showCaseOfFilenames = false; // "ShowCaseOfFilenames"
    bool promptOnQuit = false;        // "PromptOnQuit"
    bool treeSize = false;            // "TreeSize"
    bool singleClick = true;          // "SingleClick"
    bool pauseInDos = true;           // "PauseInDos"
    bool recycle = false;             // "Recycle"
    bool showSmallScreenMessage = true;   // "ShowSmallScreenMessage"
    bool firstRun = true;             // "FirstRun"
    bool winPropertiesDlg = true;     // "WinPropertiesDlg" (default: screen >= 800 wide)
    bool quickEmptyDirDel = true;     // "QuickEmptyDirDel"
    bool windowsFileFind = false;     // "WindowsFileFind"
    bool ffCaseSensitive = false;     // "FFcasesensitive"
    bool ffRecursive = true;          // "FFRecursive"
    QString lastUserName;             // "LastUserName"
    bool tagColSameAsText = false;    // "TagColSameAsText"
    bool drawIcons = false;           // "DrawIcons"
    bool useWindowsIcons = false;     // "UseWindowsIcons"
    QString favoriteDirectory, favoriteDirectory2;   // "FavoriteDirectory", "FavoriteDirectory2"
    QString scanDrives;               // "ScanDrives", at most 26 letters
    ColorTable colors;                // "Colors1"
    FontRecord font;                  // "Font" (panels)
    FontRecord editorFont;            // "EditorFont"

    Settings();

    // readregistry / writeregistry against a store (the program passes the
    // user's QSettings; tests pass their own).
    void read(QSettings& store);
    void write(QSettings& store) const;
};

// The user's settings store.
QSettings* openUserSettings();

// Default colour table (initcolors).
ColorTable defaultColorTable();

}  // namespace zx
