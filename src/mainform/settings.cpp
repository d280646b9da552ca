#include "mainform/settings.h"

#include <QCoreApplication>
#include <QSettings>
#include <QtEndian>

namespace zx {

// ---- font record -------------------------------------------------------

QByteArray FontRecord::encode() const
{
    QByteArray out(160, '\0');
    QByteArray n = name.toUtf8();
    if (n.size() > 150) {
        // Cut at a character boundary.
        int cut = 150;
        while (cut > 0 && (quint8(n[cut]) & 0xC0) == 0x80)
            --cut;
        n.truncate(cut);
    }
    out[0] = char(n.size());
    memcpy(out.data() + 1, n.constData(), size_t(n.size()));
    qToLittleEndian<qint32>(size, out.data() + 151);
    out[155] = char(style & 0x0F);
    qToLittleEndian<quint32>(color, out.data() + 156);
    return out;
}

bool FontRecord::decode(const QByteArray& bytes, FontRecord* out)
{
    if (bytes.size() != 160)
        return false;
    const int len = quint8(bytes[0]);
    if (len > 150)
        return false;
    const qint32 sz = qFromLittleEndian<qint32>(bytes.constData() + 151);
    if (sz == 0 || sz < -1000 || sz > 1000)
        return false;
    FontRecord r;
    r.name = QString::fromUtf8(bytes.constData() + 1, len);
    if (r.name.isEmpty())
        return false;
    r.size = sz < 0 ? -sz : sz;
    r.style = quint8(bytes[155]) & 0x0F;
    r.color = qFromLittleEndian<quint32>(bytes.constData() + 156);
    *out = r;
    return true;
}

QFont FontRecord::toFont() const
{
    QFont f;
    // Fonts of the old design are not installed here; the desktop's sans or
    // monospaced family stands in for them.
    if (name == QLatin1String("MS Sans Serif"))
        f.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    else if (name == QLatin1String("Courier New"))
        f.setFamilies({QStringLiteral("Courier New"), QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Monospace")});
    else
        f.setFamily(name);
    f.setPointSize(size > 0 ? size : 10);
    f.setBold(style & 1);
    f.setItalic(style & 2);
    f.setUnderline(style & 4);
    f.setStrikeOut(style & 8);
    return f;
}

FontRecord FontRecord::fromFont(const QFont& f, quint32 color)
{
    FontRecord r;
    r.name = f.family();
    r.size = f.pointSize() > 0 ? f.pointSize() : 10;
    r.style = quint8((f.bold() ? 1 : 0) | (f.italic() ? 2 : 0) | (f.underline() ? 4 : 0) | (f.strikeOut() ? 8 : 0));
    r.color = color;
    return r;
}

// ---- colour table ------------------------------------------------------

QByteArray ColorTable::encode() const
{
    QByteArray out(120, '\0');
    for (int i = 0; i < 30; ++i)
        qToLittleEndian<quint32>(c[size_t(i)], out.data() + 4 * i);
    return out;
}

void ColorTable::decode(const QByteArray& bytes)
{
    const int n = qMin(30, int(bytes.size() / 4));
    for (int i = 0; i < n; ++i)
        c[size_t(i)] = qFromLittleEndian<quint32>(bytes.constData() + 4 * i);
}

QColor ColorTable::toQColor(quint32 bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

quint32 ColorTable::fromQColor(const QColor& c)
{
    return quint32(c.red()) | (quint32(c.green()) << 8) | (quint32(c.blue()) << 16);
}

ColorTable defaultColorTable()
{
    static const quint32 defaults[23] = {
        0x00022ACC, 0x00000000, 0x00000000, 0x00C85AD1, 0x001FC602, 0x00F2C800, 0x00CD9C0A, 0x000A9806,
        0x00AA8796, 0x0000FF00, 0x00BD7C03, 0x0099C602, 0x00C847B4, 0x00558AEF, 0x00C8B400, 0x00078991,
        0x00E193F5, 0x00BE960A, 0x00808080, 0x00860DFF, 0x000000FF, 0x009EA436, 0x00188028};
    ColorTable t;
    for (int i = 0; i < 23; ++i)
        t.c[size_t(i)] = defaults[i];
    return t;
}

// ---- settings ----------------------------------------------------------

Settings::Settings()
{
    colors = defaultColorTable();
    font.name = QStringLiteral("MS Sans Serif");
    font.size = 10;
    font.style = 1;
    editorFont.name = QStringLiteral("Courier New");
    editorFont.size = 11;
    editorFont.style = 0;
    editorFont.color = 0;
}

namespace {

QString str(QSettings& s, const char* key)
{
    const QVariant v = s.value(QLatin1String(key));
    return v.isValid() ? v.toString() : QString();
}

void readFlag(QSettings& s, const char* key, bool& flag)
{
    const QString v = str(s, key);
    if (!v.isEmpty())
        flag = (v == QLatin1String("1"));
}

void readText(QSettings& s, const char* key, QString& text)
{
    const QString v = str(s, key);
    if (!v.isEmpty())
        text = v;
}

void writeFlag(QSettings& s, const char* key, bool flag)
{
    s.setValue(QLatin1String(key), flag ? QStringLiteral("1") : QStringLiteral("0"));
}

void writeNum(QSettings& s, const char* key, int n)
{
    s.setValue(QLatin1String(key), QString::number(n));
}

QByteArray bytesOf(QSettings& s, const char* key)
{
    const QVariant v = s.value(QLatin1String(key));
    if (!v.isValid())
        return {};
    return v.toByteArray();
}

}  // namespace

void Settings::read(QSettings& s)
{
    // A store that has never been written: first run, defaults everywhere.
    if (s.allKeys().isEmpty())
        return;

    const QString fs = str(s, "FormSize");
    if (!fs.isEmpty())
        formSize = fs == QLatin1String("2") ? 2 : fs == QLatin1String("0") ? 0 : 1;
    readText(s, "FavoriteDirectory", favoriteDirectory);
    readText(s, "FavoriteDirectory2", favoriteDirectory2);
    readText(s, "ViewerProgram", viewerProgram);
    readText(s, "EditorProgram", editorProgram);
    readText(s, "SkinName", skinName);

    readFlag(s, "FirstRun", firstRun);
    readFlag(s, "MouseTrails", mouseTrails);
    readFlag(s, "JumpOnMatch", jumpOnMatch);
    readFlag(s, "PromptOnQuit", promptOnQuit);
    readFlag(s, "TreeSize", treeSize);
    readFlag(s, "Sounds", sounds);
    readFlag(s, "SkipDirectories", skipDirectories);
    readFlag(s, "ShowHiddenFiles", showHiddenFiles);
    readFlag(s, "ShowCaseOfFilenames", showCaseOfFilenames);
    readFlag(s, "SingleClick", singleClick);
    readFlag(s, "ShowSmallScreenMessage", showSmallScreenMessage);
    readFlag(s, "hints", hints);
    readFlag(s, "PauseInDos", pauseInDos);
    readFlag(s, "Recycle", recycle);
    readFlag(s, "SpaceIndicators", spaceIndicators);
    readFlag(s, "ViewZips", viewZips);
    readFlag(s, "WinPropertiesDlg", winPropertiesDlg);
    readFlag(s, "QuickEmptyDirDel", quickEmptyDirDel);
    readFlag(s, "DrawIcons", drawIcons);
    readFlag(s, "TagColSameAsText", tagColSameAsText);
    readFlag(s, "WindowsFileFind", windowsFileFind);
    readFlag(s, "FFcasesensitive", ffCaseSensitive);
    readFlag(s, "FFRecursive", ffRecursive);
    readFlag(s, "SkinsEnabled", skinsEnabled);

    const QString fp = str(s, "ForgetPassword");
    if (!fp.isEmpty()) {
        if (fp == QLatin1String("0")) {
            forgetPassword = false;
        } else {
            forgetPassword = true;
            bool ok = false;
            const int m = fp.toInt(&ok);
            if (ok && m > 0)
                forgetMinutes = m;
        }
    }
    readText(s, "LastUserName", lastUserName);
    readFlag(s, "UseWindowsIcons", useWindowsIcons);
    const QString sd = str(s, "ScanDrives");
    if (!sd.isEmpty())
        scanDrives = sd.left(26);
    if (s.contains(QStringLiteral("LeftDefDir")))
        defDir[0] = str(s, "LeftDefDir");
    if (s.contains(QStringLiteral("MiddleDefDir")))
        defDir[1] = str(s, "MiddleDefDir");
    if (s.contains(QStringLiteral("RightDefDir")))
        defDir[2] = str(s, "RightDefDir");

    const QByteArray col = bytesOf(s, "Colors1");
    if (!col.isEmpty())
        colors.decode(col.left(120));

    FontRecord r;
    if (FontRecord::decode(bytesOf(s, "EditorFont"), &r))
        editorFont = r;
    if (FontRecord::decode(bytesOf(s, "Font"), &r)) {
        font.name = r.name;
        font.size = r.size;
        font.style = r.style;   // the colour field of the panel font is not used
    }

    readFlag(s, "MAX", max);
    // Positions: a value that is not a number ends this step; the rest keep
    // their defaults.
    struct Pos {
        const char* key;
        int* value;
    };
    const Pos positions[] = {{"left", &left},         {"top", &top},           {"width", &width},
                             {"height", &height},     {"zipleft", &zipleft},   {"ziptop", &ziptop},
                             {"ffleft", &ffleft},     {"fftop", &fftop},       {"ffheight", &ffheight},
                             {"ffwidth", &ffwidth},   {"TreeLeft", &treeLeft}, {"TreeTop", &treeTop},
                             {"MemoWidth", &memoWidth}, {"MemoHeight", &memoHeight}};
    for (const Pos& p : positions) {
        if (max && (p.value == &left || p.value == &top || p.value == &width || p.value == &height))
            continue;
        const QString v = str(s, p.key);
        if (v.isEmpty())
            continue;
        bool ok = false;
        const int n = v.trimmed().toInt(&ok);
        if (!ok)
            break;
        *p.value = n;
    }
}

void Settings::write(QSettings& s) const
{
    writeFlag(s, "MAX", max);
    writeNum(s, "FormSize", formSize);
    writeFlag(s, "MouseTrails", mouseTrails);
    writeFlag(s, "Sounds", sounds);
    writeFlag(s, "SkinsEnabled", skinsEnabled);
    s.setValue(QStringLiteral("ViewerProgram"), viewerProgram);
    s.setValue(QStringLiteral("LeftDefDir"), defDir[0]);
    s.setValue(QStringLiteral("MiddleDefDir"), defDir[1]);
    s.setValue(QStringLiteral("RightDefDir"), defDir[2]);
    s.setValue(QStringLiteral("EditorProgram"), editorProgram);
    writeNum(s, "top", top);
    writeNum(s, "left", left);
    writeNum(s, "width", width);
    writeNum(s, "height", height);
    s.setValue(QStringLiteral("SkinName"), skinName);
    writeNum(s, "zipleft", zipleft);
    writeNum(s, "ziptop", ziptop);
    writeNum(s, "ffleft", ffleft);
    writeNum(s, "fftop", fftop);
    writeNum(s, "ffheight", ffheight);
    writeNum(s, "ffwidth", ffwidth);
    writeNum(s, "MemoWidth", memoWidth);
    writeNum(s, "MemoHeight", memoHeight);
    if (treeShownThisRun && treeLeft != kNotSet) {
        writeNum(s, "TreeLeft", treeLeft);
        writeNum(s, "TreeTop", treeTop);
    }
    writeFlag(s, "JumpOnMatch", jumpOnMatch);
    writeFlag(s, "SpaceIndicators", spaceIndicators);
    writeFlag(s, "ViewZips", viewZips);
    writeFlag(s, "SkipDirectories", skipDirectories);
    s.setValue(QStringLiteral("ForgetPassword"),
               forgetPassword ? QString::number(forgetMinutes) : QStringLiteral("0"));
    writeFlag(s, "hints", hints);
    writeFlag(s, "ShowHiddenFiles", showHiddenFiles);
    writeFlag(s, "ShowCaseOfFilenames", showCaseOfFilenames);
    writeFlag(s, "PromptOnQuit", promptOnQuit);
    writeFlag(s, "TreeSize", treeSize);
    writeFlag(s, "SingleClick", singleClick);
    writeFlag(s, "PauseInDos", pauseInDos);
    writeFlag(s, "Recycle", recycle);
    writeFlag(s, "ShowSmallScreenMessage", showSmallScreenMessage);
    writeFlag(s, "FirstRun", firstRun);
    writeFlag(s, "WinPropertiesDlg", winPropertiesDlg);
    writeFlag(s, "QuickEmptyDirDel", quickEmptyDirDel);
    writeFlag(s, "WindowsFileFind", windowsFileFind);
    writeFlag(s, "FFcasesensitive", ffCaseSensitive);
    writeFlag(s, "FFRecursive", ffRecursive);
    s.setValue(QStringLiteral("LastUserName"), lastUserName);
    writeFlag(s, "TagColSameAsText", tagColSameAsText);
    writeFlag(s, "DrawIcons", drawIcons);
    writeFlag(s, "UseWindowsIcons", useWindowsIcons);
    s.setValue(QStringLiteral("FavoriteDirectory"), favoriteDirectory);
    s.setValue(QStringLiteral("FavoriteDirectory2"), favoriteDirectory2);
    s.setValue(QStringLiteral("ScanDrives"), scanDrives.left(26));
    s.setValue(QStringLiteral("Colors1"), colors.encode());
    s.setValue(QStringLiteral("Font"), font.encode());
    s.setValue(QStringLiteral("EditorFont"), editorFont.encode());
    s.sync();
}

QSettings* openUserSettings()
{
    return new QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("HathelSoftware"),
                         QStringLiteral("Zarvex"));
}

}  // namespace zx
