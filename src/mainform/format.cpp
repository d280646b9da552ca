#include "mainform/format.h"

#include <QDateTime>
#include <QHash>
#include <cmath>

#include "platform/dirlist.h"

namespace zx {

namespace {
QLocale makeDefaultLocale()
{
    QLocale l = QLocale::system();
    l.setNumberOptions(QLocale::DefaultNumberOptions);
    return l;
}
QLocale& localeRef()
{
    static QLocale l = makeDefaultLocale();
    return l;
}
}  // namespace

const QLocale& displayLocale() { return localeRef(); }

void setDisplayLocale(const QLocale& l)
{
    localeRef() = l;
    localeRef().setNumberOptions(QLocale::DefaultNumberOptions);
}

QString commas(qint64 value)
{
    if (value == 0)
        return QStringLiteral("0");
    return displayLocale().toString(value);
}

QString formatOneDecimal(double value)
{
    const bool neg = value < 0;
    double v = std::fabs(value);
    qint64 tenths = qint64(std::llround(v * 10.0));
    const qint64 whole = tenths / 10;
    const int dec = int(tenths % 10);
    QString out;
    if (whole != 0)
        out = displayLocale().toString(whole);
    if (dec != 0)
        out += displayLocale().decimalPoint() + QString::number(dec);
    if (out.isEmpty())
        out = QStringLiteral("0");
    return neg ? QLatin1Char('-') + out : out;
}

QString freeSpaceText(qint64 freeBytes)
{
    if (freeBytes > 10485760)
        return formatOneDecimal(double(freeBytes) / 1048576.0) + QStringLiteral(" Mb");
    return commas(freeBytes) + QStringLiteral(" bytes");
}

QString getdatetimestring(qint64 ms)
{
    if (ms == 0)
        return QString();
    const QDateTime t = QDateTime::fromMSecsSinceEpoch(ms).toLocalTime();
    const QLocale& loc = displayLocale();
    const QString df = loc.dateFormat(QLocale::ShortFormat);
    QChar dsep = QLatin1Char('/');
    for (QChar c : df)
        if (!c.isLetter() && c != QLatin1Char('\'') && !c.isSpace()) {
            dsep = c;
            break;
        }
    QChar tsep = QLatin1Char(':');
    for (QChar c : loc.timeFormat(QLocale::ShortFormat))
        if (!c.isLetter() && c != QLatin1Char('\'') && !c.isSpace()) {
            tsep = c;
            break;
        }
    const QDate d = t.date();
    const bool monthFirst = df.startsWith(QLatin1Char('M')) || df.startsWith(QLatin1Char('m'));
    const QString date = monthFirst
                             ? QString::number(d.month()) + dsep + QString::number(d.day()) + dsep + QString::number(d.year())
                             : QString::number(d.day()) + dsep + QString::number(d.month()) + dsep + QString::number(d.year());
    int h = t.time().hour();
    QString ampm;
    if (h <= 12) {
        ampm = loc.amText().left(2);
    } else {
        h -= 12;
        ampm = loc.pmText().left(2);
    }
    return date + QStringLiteral("  ") + QString::number(h) + tsep +
           QStringLiteral("%1").arg(t.time().minute(), 2, 10, QLatin1Char('0')) + ampm;
}

QString attributeLetters(quint32 attr)
{
    QString s;
    if (attr & platform::AttrDirectory)
        s += QLatin1Char('D');
    if (attr & platform::AttrSystem)
        s += QLatin1Char('S');
    if (attr & platform::AttrReadOnly)
        s += QLatin1Char('R');
    if (attr & platform::AttrHidden)
        s += QLatin1Char('H');
    if (attr & platform::AttrArchive)
        s += QLatin1Char('A');
    return s;
}

QString sizeColumnText(bool isdir, bool isUp, qint64 size, bool nameIsWide)
{
    if (isUp)
        return QStringLiteral("<Up DIR>  ");
    if (isdir)
        return QStringLiteral("<DIR>  ");
    if (size >= 1000000 && nameIsWide)
        return formatOneDecimal(double(size) / 1048576.0) + QStringLiteral("Mb");
    return commas(size);
}

int typeColorIndex(const QString& name, bool isdir)
{
    if (isdir)
        return 0;
    static const QHash<QString, int> byExt = [] {
        QHash<QString, int> h;
        auto add = [&h](int idx, std::initializer_list<const char*> exts) {
            for (const char* e : exts)
                h.insert(QString::fromLatin1(e), idx);
        };
        add(1, {"EXE", "COM"});
        add(2, {"DOC"});
        add(3, {"TXT"});
        add(4, {"BAT"});
        add(5, {"HTM", "HTML", "MHT"});
        add(6, {"SYS"});
        add(7, {"PAS", "DPR"});
        add(8, {"ZIP", "ARJ", "LHA", "RAR", "TAR"});
        add(9, {"MID", "WAV", "RA", "MOD", "S3M", "MP3", "WMA"});
        add(10, {"BMP", "GIF", "JPG", "JPE", "JP2", "PCX", "TIF", "TIFF", "JPEG", "PNG", "WMF", "PSPIMAGE", "PSP",
                 "CDR", "WPG"});
        add(11, {"RTF"});
        add(12, {"BAK"});
        add(13, {"HLP", "CHM"});
        add(14, {"DIZ"});
        add(16, {"MPG", "MPEG", "AVI", "RM", "MOV", "WMV", "FLV", "VOB", "DIVX", "MP4", "ASF", "WEBM", "MKV"});
        add(18, {"PDF", "LIT"});
        add(19, {"DLL"});
        return h;
    }();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return 15;
    return byExt.value(name.mid(dot + 1).toUpper(), 15);
}

QString shortenName(const QString& nameIn, const std::function<int(const QString&)>& width, int avail)
{
    QString name = nameIn;
    if (width(name) <= avail)
        return name;
    const QString tilde = QStringLiteral("~");
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0 && dot >= name.size() - 5) {
        int d = dot;
        while (width(name + tilde) > avail && name.size() > 6 && d > 0) {
            name.remove(d - 1, 1);
            --d;
        }
        if (d > 0) {
            name.remove(d - 1, 1);
            --d;
        }
        if (d > 0)
            name[d - 1] = QLatin1Char('~');
        return name;
    }
    if (name.size() > 4) {
        while (width(name + tilde) > avail && name.size() > 5)
            name.chop(1);
        name.chop(1);
        if (!name.isEmpty())
            name[name.size() - 1] = QLatin1Char('~');
    }
    return name;
}

QString taggedTotalText(qint64 bytes, int count)
{
    if (count <= 0)
        return QString();
    return commas(bytes) + QStringLiteral(" bytes in ") + commas(count) + QStringLiteral(" file") +
           (count == 1 ? QStringLiteral(" selected") : QStringLiteral("s selected"));
}

}  // namespace zx
