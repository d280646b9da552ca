#include "mainform/listing.h"

#include "platform/dirlist.h"
#include "platform/filenames.h"

#include <algorithm>
#include <numeric>

namespace zx {

QString displayName(const QString& real, bool showCase)
{
    const QString shown = platform::displayFileName(real);
    return showCase ? shown : shown.toLower();
}

QString nameOrderKey(const QString& displayName, bool showCase)
{
    return showCase ? displayName.toUpper() : displayName;
}

TypePicture typePictureFor(const QString& name)
{
    const QString up = name.toUpper();
    auto has = [&up](const char* s) { return up.contains(QLatin1String(s)); };
    if (has(".EXE"))
        return TypePicture::Exe;
    if (has(".BAT"))
        return TypePicture::Bat;
    if (has(".TXT") || has(".DOC"))
        return TypePicture::Txt;
    if (has(".BMP"))
        return TypePicture::Bmp;
    if (has(".RTF"))
        return TypePicture::Rtf;
    if (has(".HLP") || has(".CHM"))
        return TypePicture::Hlp;
    if (has(".DLL"))
        return TypePicture::Dll;
    return TypePicture::Other;
}

namespace {

// Sorts one group in place into name order. Entries whose keys are equal
// end up with the one found later in front, as inserting each new name in
// front of an equal one does.
void sortGroup(QVector<Entry>& v, qsizetype begin, qsizetype end, bool showCase)
{
    const qsizetype n = end - begin;
    if (n < 2)
        return;
    std::vector<QString> keys;
    keys.reserve(size_t(n));
    bool sorted = true;
    for (qsizetype i = begin; i < end; ++i) {
        keys.push_back(nameOrderKey(v[i].name, showCase));
        if (i > begin && !(keys[size_t(i - begin - 1)] < keys.back()))
            sorted = false;
    }
    if (sorted)
        return;
    std::vector<qsizetype> idx(static_cast<size_t>(n));
    std::iota(idx.begin(), idx.end(), 0);
    std::sort(idx.begin(), idx.end(), [&keys](qsizetype a, qsizetype b) {
        const int c = QStringView(keys[size_t(a)]).compare(QStringView(keys[size_t(b)]));
        if (c != 0)
            return c < 0;
        return a > b;   // equal names: the later one first
    });
    QVector<Entry> tmp;
    tmp.reserve(n);
    for (qsizetype i : idx)
        tmp.append(std::move(v[begin + i]));
    std::move(tmp.begin(), tmp.end(), v.begin() + begin);
}

}  // namespace

Listing listDirectory(const QString& dir, const ListOptions& opt)
{
    Listing out;
    std::vector<platform::RawEntry> raw;
    out.error = platform::readDirectory(dir, raw);
    if (out.error != 0)
        return out;

    out.entries.reserve(qsizetype(raw.size()));
    // Directory pass, then file pass, in the file system's order.
    for (int pass = 0; pass < 2; ++pass) {
        for (platform::RawEntry& r : raw) {
            if (r.isdir != (pass == 0))
                continue;
            if (r.name == QLatin1String("."))
                continue;
            if ((r.attr & platform::AttrHidden) && !opt.showHidden)
                continue;
            Entry e;
            e.real = r.name;
            e.name = displayName(r.name, opt.showCase);
            if (e.name == e.real)
                e.name = e.real;   // share the text
            e.size = r.size;
            e.lastwrite = r.mtimeMs;
            e.attr = r.attr;
            e.isdir = r.isdir;
            if (r.isdir)
                e.typebitmap = r.name == QLatin1String("..") ? TypePicture::UpDir : TypePicture::Dir;
            else
                e.typebitmap = typePictureFor(e.name);
            out.entries.append(std::move(e));
        }
        if (pass == 0)
            out.dircount = int(out.entries.size());
    }
    if (opt.nameOrder) {
        sortGroup(out.entries, 0, out.dircount, opt.showCase);
        sortGroup(out.entries, out.dircount, out.entries.size(), opt.showCase);
    }
    return out;
}

}  // namespace zx
