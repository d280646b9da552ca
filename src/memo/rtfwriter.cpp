// RTF writer: the document's blocks and fragments as RTF 1.x that word
// processors and RichEdit read. Each paragraph starts with \pard and its own
// properties; each fragment whose formatting differs from the document's
// default is written as a group of its own, so no reader has to undo
// properties (some take "\cf0" or "\highlight0" for black). Bullets use
// the \pn form, which every reader understands.
#include "memo/rtf.h"
#include "memo/rtfcommon.h"

#include <QColor>
#include <QHash>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <vector>

namespace zx {

namespace {

// Unicode to Windows-1252 for the bytes 0x80 to 0x9F; 0 where none.
unsigned char toWindows1252(char16_t u)
{
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return (unsigned char)u;
    switch (u) {
    case 0x20AC: return 0x80;
    case 0x201A: return 0x82;
    case 0x0192: return 0x83;
    case 0x201E: return 0x84;
    case 0x2026: return 0x85;
    case 0x2020: return 0x86;
    case 0x2021: return 0x87;
    case 0x02C6: return 0x88;
    case 0x2030: return 0x89;
    case 0x0160: return 0x8A;
    case 0x2039: return 0x8B;
    case 0x0152: return 0x8C;
    case 0x017D: return 0x8E;
    case 0x2018: return 0x91;
    case 0x2019: return 0x92;
    case 0x201C: return 0x93;
    case 0x201D: return 0x94;
    case 0x2022: return 0x95;
    case 0x2013: return 0x96;
    case 0x2014: return 0x97;
    case 0x02DC: return 0x98;
    case 0x2122: return 0x99;
    case 0x0161: return 0x9A;
    case 0x203A: return 0x9B;
    case 0x0153: return 0x9C;
    case 0x017E: return 0x9E;
    case 0x0178: return 0x9F;
    default: return 0;
    }
}

const char kHex[] = "0123456789abcdef";

struct CharProps {
    int font = 0;
    int halfPoints = 24;
    int fg = 0;
    int bg = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    signed char valign = 0;
};

class Writer {
public:
    explicit Writer(const QTextDocument& doc) : doc_(doc) {}
    QByteArray run();

private:
    const QTextDocument& doc_;
    QByteArray body_;
    QStringList fonts_;
    QHash<QString, int> fontIndex_;
    std::vector<QRgb> colors_;
    QHash<QRgb, int> colorIndex_;
    CharProps cur_;
    int defaultHalfPoints_ = 24;
    QString defaultFamily_;

    int fontFor(const QString& family);
    int colorFor(const QColor& c);
    CharProps propsOf(const QTextCharFormat& f);
    void writeProps(QByteArray& w, const CharProps& p) const;
    void writeText(const QString& text, qsizetype from, qsizetype to);
    void writeParagraph(const QTextBlock& block);
    static void escapeInto(QByteArray& out, const QString& text);
};

int Writer::fontFor(const QString& family)
{
    auto it = fontIndex_.constFind(family);
    if (it != fontIndex_.constEnd())
        return *it;
    const int n = int(fonts_.size());
    fonts_.append(family);
    fontIndex_.insert(family, n);
    return n;
}

int Writer::colorFor(const QColor& c)
{
    const QRgb rgb = c.rgb() & 0xFFFFFF;
    auto it = colorIndex_.constFind(rgb);
    if (it != colorIndex_.constEnd())
        return *it;
    colors_.push_back(rgb);
    const int n = int(colors_.size());  // index 0 is the automatic colour
    colorIndex_.insert(rgb, n);
    return n;
}

CharProps Writer::propsOf(const QTextCharFormat& f)
{
    CharProps p;
    QString family;
    const QVariant fams = f.property(QTextFormat::FontFamilies);
    if (fams.isValid()) {
        const QStringList l = fams.toStringList();
        if (!l.isEmpty())
            family = l.first();
    }
    if (family.isEmpty() && f.hasProperty(QTextFormat::FontFamily))
        family = f.property(QTextFormat::FontFamily).toString();
    p.font = family.isEmpty() ? 0 : fontFor(family);
    const qreal pt = f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize() : 0;
    p.halfPoints = pt > 0 ? int(std::lround(pt * 2)) : defaultHalfPoints_;
    p.bold = f.fontWeight() >= QFont::DemiBold;
    p.italic = f.fontItalic();
    p.underline = f.fontUnderline();
    p.strike = f.fontStrikeOut();
    const QBrush fg = f.foreground();
    if (f.hasProperty(QTextFormat::ForegroundBrush) && fg.style() != Qt::NoBrush)
        p.fg = colorFor(fg.color());
    const QBrush bg = f.background();
    if (f.hasProperty(QTextFormat::BackgroundBrush) && bg.style() != Qt::NoBrush)
        p.bg = colorFor(bg.color());
    if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        p.valign = 1;
    else if (f.verticalAlignment() == QTextCharFormat::AlignSubScript)
        p.valign = -1;
    return p;
}

void Writer::writeProps(QByteArray& w, const CharProps& p) const
{
    if (p.font != cur_.font)
        w += "\\f" + QByteArray::number(p.font);
    if (p.halfPoints != cur_.halfPoints)
        w += "\\fs" + QByteArray::number(p.halfPoints);
    if (p.bold != cur_.bold)
        w += p.bold ? "\\b" : "\\b0";
    if (p.italic != cur_.italic)
        w += p.italic ? "\\i" : "\\i0";
    if (p.underline != cur_.underline)
        w += p.underline ? "\\ul" : "\\ulnone";
    if (p.strike != cur_.strike)
        w += p.strike ? "\\strike" : "\\strike0";
    if (p.fg != cur_.fg)
        w += "\\cf" + QByteArray::number(p.fg);
    if (p.bg != cur_.bg)
        w += "\\highlight" + QByteArray::number(p.bg);
    if (p.valign != cur_.valign)
        w += p.valign > 0 ? "\\super" : p.valign < 0 ? "\\sub" : "\\nosupersub";
}

void Writer::escapeInto(QByteArray& out, const QString& text)
{
    const char16_t* s = reinterpret_cast<const char16_t*>(text.constData());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = s[i];
        if (u >= 0x20 && u < 0x80) {
            if (u == '\\' || u == '{' || u == '}')
                out += '\\';
            out += char(u);
            continue;
        }
        switch (u) {
        case u'\t': out += "\\tab "; continue;
        case kPageBreak: out += "\\page "; continue;
        case 0x2028: out += "\\line "; continue;
        case 0x00A0: out += "\\~"; continue;
        case 0x00AD: out += "\\-"; continue;
        case 0x2011: out += "\\_"; continue;
        case 0xFFFC: continue;  // an embedded object's place holder
        default: break;
        }
        if (u < 0x20)
            continue;  // other control characters have no place in rich text
        if (const unsigned char b = toWindows1252(u)) {
            out += "\\'";
            out += kHex[b >> 4];
            out += kHex[b & 15];
        } else {
            // One \uN per UTF-16 unit (surrogate pairs as two), "?" for
            // readers without Unicode.
            out += "\\u";
            out += QByteArray::number(int(qint16(u)));
            out += "\\'3f";
        }
    }
}

void Writer::writeText(const QString& text, qsizetype from, qsizetype to)
{
    escapeInto(body_, text.mid(from, to - from));
}

void Writer::writeParagraph(const QTextBlock& block)
{
    const QTextBlockFormat bf = block.blockFormat();
    QByteArray pard = "\\pard";
    const Qt::Alignment a = bf.alignment() & Qt::AlignHorizontal_Mask;
    if (a & Qt::AlignHCenter)
        pard += "\\qc";
    else if (a & Qt::AlignJustify)
        pard += "\\qj";
    else if ((a & Qt::AlignRight) || ((a & Qt::AlignTrailing) && !(a & Qt::AlignLeft)))
        pard += "\\qr";

    QTextList* list = block.textList();
    qreal left = bf.leftMargin() + bf.indent() * doc_.indentWidth();
    int fi = pixelsToTwips(bf.textIndent());
    QByteArray bullet;
    if (list) {
        const QTextListFormat lf = list->format();
        left += std::max(1, lf.indent()) * doc_.indentWidth();
        const int liTwips = pixelsToTwips(left);
        fi = -std::min(360, liTwips);
        QByteArray kind;
        QByteArray number;
        switch (lf.style()) {
        case QTextListFormat::ListDecimal: kind = "\\pnlvlbody\\pndec"; break;
        case QTextListFormat::ListLowerAlpha: kind = "\\pnlvlbody\\pnlcltr"; break;
        case QTextListFormat::ListUpperAlpha: kind = "\\pnlvlbody\\pnucltr"; break;
        case QTextListFormat::ListLowerRoman: kind = "\\pnlvlbody\\pnlcrm"; break;
        case QTextListFormat::ListUpperRoman: kind = "\\pnlvlbody\\pnucrm"; break;
        default: kind = "\\pnlvlblt"; break;
        }
        if (kind == "\\pnlvlblt") {
            bullet = "{\\pntext\\f0\\'95\\tab}{\\*\\pn\\pnlvlblt\\pnf0\\pnindent0{\\pntxtb\\'95}}";
        } else {
            QByteArray itemText;
            escapeInto(itemText, list->itemText(block));
            bullet = "{\\pntext\\f0 " + itemText + "\\tab}{\\*\\pn" + kind + "\\pnf0\\pnindent0\\pnstart1{\\pntxta.}}";
        }
    }
    const int li = pixelsToTwips(left);
    const int ri = pixelsToTwips(bf.rightMargin());
    const int sb = pixelsToTwips(bf.topMargin());
    const int sa = pixelsToTwips(bf.bottomMargin());
    if (li)
        pard += "\\li" + QByteArray::number(li);
    if (ri)
        pard += "\\ri" + QByteArray::number(ri);
    if (fi)
        pard += "\\fi" + QByteArray::number(fi);
    if (sb)
        pard += "\\sb" + QByteArray::number(sb);
    if (sa)
        pard += "\\sa" + QByteArray::number(sa);
    for (const QTextOption::Tab& t : bf.tabPositions()) {
        if (t.type == QTextOption::RightTab)
            pard += "\\tqr";
        else if (t.type == QTextOption::CenterTab)
            pard += "\\tqc";
        else if (t.type == QTextOption::DelimiterTab)
            pard += "\\tqdec";
        pard += "\\tx" + QByteArray::number(pixelsToTwips(t.position));
    }
    body_ += pard;
    body_ += bullet;
    if (bullet.isEmpty())
        body_ += ' ';

    bool endsWithBreak = false;
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment frag = it.fragment();
        if (!frag.isValid())
            continue;
        QByteArray props;
        writeProps(props, propsOf(frag.charFormat()));
        const QString text = frag.text();
        if (props.isEmpty()) {
            writeText(text, 0, text.size());
        } else {
            body_ += '{' + props + ' ';
            writeText(text, 0, text.size());
            body_ += '}';
        }
        endsWithBreak = text.endsWith(QChar(kPageBreak));
    }
    // A paragraph that ends in a page break is ended by that \page.
    if (!endsWithBreak)
        body_ += "\\par\n";
    else
        body_ += '\n';
}

QByteArray Writer::run()
{
    const QFont df = doc_.defaultFont();
    defaultFamily_ = df.family();
    if (df.pointSizeF() > 0)
        defaultHalfPoints_ = int(std::lround(df.pointSizeF() * 2));
    fontFor(defaultFamily_.isEmpty() ? QStringLiteral("Arial") : defaultFamily_);
    cur_.halfPoints = defaultHalfPoints_;

    body_.reserve(doc_.characterCount() + doc_.characterCount() / 4 + 64);
    body_ += "\\f0\\fs" + QByteArray::number(defaultHalfPoints_) + "\n";
    for (QTextBlock b = doc_.begin(); b.isValid(); b = b.next())
        writeParagraph(b);

    QByteArray out;
    out.reserve(body_.size() + 512);
    out += "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\\deflang1033\n{\\fonttbl";
    for (int i = 0; i < fonts_.size(); ++i) {
        out += "{\\f" + QByteArray::number(i) + "\\fnil\\fcharset0 ";
        QByteArray name;
        escapeInto(name, fonts_[i]);
        name.replace(';', "\\'3b");
        out += name + ";}";
    }
    out += "}\n";
    if (!colors_.empty()) {
        out += "{\\colortbl ;";
        for (QRgb c : colors_)
            out += "\\red" + QByteArray::number(qRed(c)) + "\\green" + QByteArray::number(qGreen(c)) + "\\blue"
                   + QByteArray::number(qBlue(c)) + ';';
        out += "}\n";
    }
    out += "\\viewkind4\n";
    out += body_;
    out += "}\n";
    return out;
}

}  // namespace

QByteArray writeRtf(const QTextDocument& doc)
{
    return Writer(doc).run();
}

}  // namespace zx
