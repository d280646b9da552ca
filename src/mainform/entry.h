#pragma once
// One row of a panel.

#include <QString>
#include <QtGlobal>

namespace zx {

// The small type pictures drawn in front of names.
enum class TypePicture : quint8 { Exe, Bat, Txt, Bmp, Rtf, Hlp, Dll, Other, Dir, UpDir };

struct Entry {
    QString name;             // display name: lower case unless "ShowCaseOfFilenames"
    QString real;             // the name on disk (surrogate-escaped when not UTF-8)
    qint64 size = 0;
    qint64 lastwrite = 0;     // ms since 1970 UTC; 0: unknown
    quint32 attr = 0;         // platform/dirlist.h attribute bits
    bool isdir = false;
    bool tagged = false;
    TypePicture typebitmap = TypePicture::Other;

    bool isNavigational() const { return name == QLatin1String("..") || name == QLatin1String("."); }
};

}  // namespace zx
