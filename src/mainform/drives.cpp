#include "mainform/drives.h"

namespace zx {

QStringList tabStrings(const QList<platform::Volume>& volumes)
{
    QStringList out;
    for (const platform::Volume& v : volumes) {
        QString s = QString(v.letter) + platform::driveTypeCode(v.type);
        if (v.type == platform::DriveType::Fixed || v.type == platform::DriveType::Remote ||
            v.type == platform::DriveType::Ram)
            s += v.label;
        out << s;
    }
    return out;
}

QString tabHint(const QString& tab)
{
    if (tab.size() < 2)
        return QString();
    platform::DriveType t = platform::DriveType::Fixed;
    switch (tab.at(1).unicode()) {
    case 'f': t = platform::DriveType::Removable; break;
    case 'h': t = platform::DriveType::Fixed; break;
    case 'm': t = platform::DriveType::Remote; break;
    case 'c': t = platform::DriveType::Optical; break;
    case 'r': t = platform::DriveType::Ram; break;
    default: break;
    }
    const QString label = tab.mid(2).trimmed();
    const QString word = platform::driveTypeHintWord(t);
    return label.isEmpty() ? word : label + QLatin1Char(' ') + word;
}

int nextfree(int activepanel, bool panel2HasDir, bool panel3HasDir)
{
    if (activepanel == 3)
        return 1;
    if (activepanel == 2)
        return 3;
    return (panel2HasDir && !panel3HasDir) ? 3 : 2;
}

}  // namespace zx
