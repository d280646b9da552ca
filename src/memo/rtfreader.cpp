// RTF reader: a single pass over the bytes with a stack of group states.
//
// Text is collected in runs of equal character formatting and inserted with
// one QTextCursor; paragraphs are started lazily, so a final "\par" does not
// leave an empty paragraph behind. Destinations that carry no document text
// are skipped by counting braces, without looking at their content.
#include "memo/rtf.h"
#include "memo/rtfcommon.h"
#include "memo/utf8.h"

#include <QColor>
#include <QHash>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zx {

namespace {

// Bounds that keep damaged or hostile input from growing without limit.
constexpr int kMaxDepth = 400;          // deeper groups share their parent's state
constexpr int kMaxFonts = 16384;
constexpr int kMaxColors = 16384;
constexpr int kMaxTabs = 64;
constexpr int kMaxLists = 4096;
constexpr int kMaxIndentTwips = 31680;  // 22 inches
constexpr int kMaxSpaceTwips = 31680;

enum class Dest : unsigned char {
    Text,
    FontTable,
    ColorTable,
    ListTable,
    ListOverrideTable,
    Pn,         // old-style bullets and numbering of a paragraph
    Upr,        // {\upr{ansi version}{\*\ud{unicode version}}}: only the second is read
};

struct CharState {
    int font = -1;
    int halfPoints = 24;
    int fg = 0;
    int bg = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;
    signed char valign = 0;  // 1 superscript, -1 subscript
    bool operator==(const CharState&) const = default;
};

enum class PnKind : unsigned char { None, Bullet, Decimal, LowerAlpha, UpperAlpha, LowerRoman, UpperRoman };

struct ParaState {
    Qt::Alignment align = Qt::AlignLeft;
    int li = 0, ri = 0, fi = 0, sb = 0, sa = 0;
    int ls = 0, ilvl = 0;
    PnKind pn = PnKind::None;
    int pnLevel = 0;
    bool pageBreakBefore = false;
    QList<QTextOption::Tab> tabs;
    QTextOption::TabType nextTabType = QTextOption::LeftTab;
    bool operator==(const ParaState& o) const
    {
        return align == o.align && li == o.li && ri == o.ri && fi == o.fi && sb == o.sb && sa == o.sa
               && ls == o.ls && ilvl == o.ilvl && pn == o.pn && pageBreakBefore == o.pageBreakBefore
               && tabs == o.tabs;
    }
};

struct State {
    CharState c;
    ParaState p;
    Dest dest = Dest::Text;
    int uc = 1;  // fallback characters after \uN
};

struct FontEntry {
    QString name;
    int codepage = 0;  // 0: the document's code page
};

struct ListDef {
    int id = 0;
    std::vector<int> levelNfc;  // \levelnfc of each level
};

// Keywords the reader acts on.
enum class Kw {
    Unknown,
    // destinations
    FontTbl, ColorTbl, ListTable, ListOverrideTable, List, ListLevel, ListOverride, Pn, Upr, Ud,
    SkipDest, Field, FldRslt,
    // document
    Ansi, Mac, Pc, Pca, AnsiCpg, Deff, Bin,
    // character
    Plain, B, I, Ul, UlNone, Strike, F, Fs, Cf, Cb, Highlight, Chcbpat, Super, Sub, NoSuperSub, V, Uc, U,
    Fcharset, Red, Green, Blue, LevelNfc, ListId, Ls, Ilvl,
    // paragraph
    Pard, Ql, Qc, Qr, Qj, Li, Ri, Fi, Sb, Sa, Tx, Tqr, Tqc, Tqdec, PageBb,
    PnLvlBlt, PnLvlBody, PnLvl, PnDec, PnLcltr, PnUcltr, PnLcrm, PnUcrm,
    // special characters and breaks
    Par, Sect, Row, Cell, Line, Tab, Page, Emdash, Endash, Emspace, Enspace, Qmspace, Bullet, Lquote,
    Rquote, Ldblquote, Rdblquote, Zwj, Zwnj, Zwbo, Ltrmark, Rtlmark,
};

const std::unordered_map<std::string_view, Kw>& keywords()
{
    static const std::unordered_map<std::string_view, Kw> map = [] {
        std::unordered_map<std::string_view, Kw> m = {
            {"fonttbl", Kw::FontTbl}, {"colortbl", Kw::ColorTbl}, {"listtable", Kw::ListTable},
            {"listoverridetable", Kw::ListOverrideTable}, {"list", Kw::List}, {"listlevel", Kw::ListLevel},
            {"listoverride", Kw::ListOverride}, {"pn", Kw::Pn}, {"upr", Kw::Upr}, {"ud", Kw::Ud},
            {"field", Kw::Field}, {"fldrslt", Kw::FldRslt},
            {"ansi", Kw::Ansi}, {"mac", Kw::Mac}, {"pc", Kw::Pc}, {"pca", Kw::Pca}, {"ansicpg", Kw::AnsiCpg},
            {"deff", Kw::Deff}, {"bin", Kw::Bin},
            {"plain", Kw::Plain}, {"b", Kw::B}, {"i", Kw::I}, {"ul", Kw::Ul}, {"ulnone", Kw::UlNone},
            {"strike", Kw::Strike}, {"striked", Kw::Strike}, {"f", Kw::F}, {"fs", Kw::Fs}, {"cf", Kw::Cf},
            {"cb", Kw::Cb}, {"highlight", Kw::Highlight}, {"chcbpat", Kw::Chcbpat}, {"super", Kw::Super},
            {"sub", Kw::Sub}, {"nosupersub", Kw::NoSuperSub}, {"v", Kw::V}, {"uc", Kw::Uc}, {"u", Kw::U},
            {"fcharset", Kw::Fcharset}, {"red", Kw::Red}, {"green", Kw::Green}, {"blue", Kw::Blue},
            {"levelnfc", Kw::LevelNfc}, {"levelnfcn", Kw::LevelNfc}, {"listid", Kw::ListId}, {"ls", Kw::Ls},
            {"ilvl", Kw::Ilvl},
            {"pard", Kw::Pard}, {"ql", Kw::Ql}, {"qc", Kw::Qc}, {"qr", Kw::Qr}, {"qj", Kw::Qj}, {"qd", Kw::Qj},
            {"li", Kw::Li}, {"lin", Kw::Li}, {"ri", Kw::Ri}, {"rin", Kw::Ri}, {"fi", Kw::Fi}, {"sb", Kw::Sb},
            {"sa", Kw::Sa}, {"tx", Kw::Tx}, {"tqr", Kw::Tqr}, {"tqc", Kw::Tqc}, {"tqdec", Kw::Tqdec},
            {"pagebb", Kw::PageBb},
            {"pnlvlblt", Kw::PnLvlBlt}, {"pnlvlbody", Kw::PnLvlBody}, {"pnlvl", Kw::PnLvl}, {"pndec", Kw::PnDec},
            {"pnlcltr", Kw::PnLcltr}, {"pnucltr", Kw::PnUcltr}, {"pnlcrm", Kw::PnLcrm}, {"pnucrm", Kw::PnUcrm},
            {"par", Kw::Par}, {"sect", Kw::Sect}, {"row", Kw::Row}, {"cell", Kw::Cell}, {"nestcell", Kw::Cell},
            {"nestrow", Kw::Row}, {"line", Kw::Line}, {"tab", Kw::Tab}, {"page", Kw::Page},
            {"emdash", Kw::Emdash}, {"endash", Kw::Endash}, {"emspace", Kw::Emspace}, {"enspace", Kw::Enspace},
            {"qmspace", Kw::Qmspace}, {"bullet", Kw::Bullet}, {"lquote", Kw::Lquote}, {"rquote", Kw::Rquote},
            {"ldblquote", Kw::Ldblquote}, {"rdblquote", Kw::Rdblquote}, {"zwj", Kw::Zwj}, {"zwnj", Kw::Zwnj},
            {"zwbo", Kw::Zwbo}, {"ltrmark", Kw::Ltrmark}, {"rtlmark", Kw::Rtlmark},
        };
        // Destinations whose content is not document text.
        for (const char* d :
             {"stylesheet", "info", "pict", "object", "header", "headerl", "headerr", "headerf", "footer",
              "footerl", "footerr", "footerf", "footnote", "fldinst", "listtext", "pntext", "pntxta", "pntxtb",
              "xe", "tc", "txe", "rxe", "themedata", "colorschememapping", "datastore", "latentstyles",
              "xmlnstbl", "revtbl", "rsidtbl", "generator", "mmathPr", "filetbl", "template", "shp", "shpinst",
              "shppict", "nonshppict", "pgdsctbl", "userprops", "docvar", "ftnsep", "ftnsepc", "aftnsep",
              "aftnsepc", "annotation", "atnid", "atnauthor", "atrfstart", "atrfend", "bkmkstart", "bkmkend",
              "objdata", "fontemb", "fontfile", "panose", "falt", "leveltext", "levelnumbers", "sp", "sn",
              "sv", "background", "formfield", "datafield", "author", "operator", "title", "subject",
              "keywords", "comment", "doccomm", "company", "category", "manager", "hlinkbase", "buptim",
              "creatim", "printim", "revtim", "pnseclvl", "listpicture", "wgrffmtfilter", "passwordhash",
              "fchars", "lchars", "pgptbl", "protusertbl", "mhtmltag", "htmltag", "blipuid", "picprop",
              "dptxbxtext", "do", "expandedcolortbl", "defchp", "defpap", "ftncn", "aftncn", "aftnsepc"})
            m.emplace(d, Kw::SkipDest);
        return m;
    }();
    return map;
}

// The code page of an \fcharset value; 0 for the document's own.
int codepageOfCharset(int charset)
{
    switch (charset) {
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    default: return 0;
    }
}

int clampInt(long long v, int lo, int hi) { return int(std::clamp<long long>(v, lo, hi)); }

class Reader {
public:
    Reader(const QByteArray& data, QTextDocument* doc) : data_(data), doc_(doc), cursor_(doc) {}
    void run();

private:
    const QByteArray& data_;
    QTextDocument* doc_;
    QTextCursor cursor_;
    const char* p_ = nullptr;
    const char* end_ = nullptr;

    std::vector<State> stack_;
    int extraDepth_ = 0;  // groups opened beyond kMaxDepth
    bool rootClosed_ = false;
    int fontTableDepth_ = -1;
    bool starPending_ = false;

    // Document tables.
    int docCodepage_ = 1252;
    int defaultFont_ = 0;  // \deff; font 0 when the document names none
    QHash<int, FontEntry> fonts_;
    int fontEntry_ = -1;
    int fontCharset_ = 0;
    QByteArray fontName_;
    std::vector<QColor> colors_;
    int red_ = 0, green_ = 0, blue_ = 0;
    bool colorSet_ = false;
    std::vector<ListDef> lists_;
    QHash<int, int> overrides_;  // \ls -> \listid
    int overrideListId_ = 0;

    // Text being collected.
    int ucSkip_ = 0;
    char16_t highSurrogate_ = 0;
    QString run_;
    CharState runState_;
    QByteArray pendingBytes_;  // \'hh bytes of a multi-byte code page
    int pendingCodepage_ = 0;
    QHash<int, QStringDecoder*> decoders_;

    // Paragraphs.
    bool inPara_ = false;
    bool firstBlock_ = true;
    ParaState paraStartedWith_;
    QTextList* list_ = nullptr;
    int listKey_ = 0;
    QHash<std::pair<quint64, quint64>, QTextCharFormat> formatCache_;

    State& st() { return stack_.back(); }
    int currentCodepage();
    void pushGroup();
    void popGroup();
    void skipGroup();
    void controlWord(std::string_view word, bool hasParam, long long param);
    void controlSymbol(char c);
    void textBytes(const char* s, qsizetype n);
    void hexByte(unsigned char b);
    void appendChar(char16_t c);
    void appendUnicode(long long n);
    void flushPendingBytes();
    void flushRun();
    bool consumeSkip();
    void startParagraph();
    void endParagraph();
    QTextBlockFormat blockFormat(const ParaState& ps, int listIndent) const;
    QTextCharFormat charFormat(const CharState& cs);
    QTextListFormat::Style listStyle(const ParaState& ps) const;
    void applyList(const ParaState& ps);
};

int Reader::currentCodepage()
{
    const int f = st().c.font;
    if (f >= 0) {
        auto it = fonts_.constFind(f);
        if (it != fonts_.constEnd() && it->codepage)
            return it->codepage;
    }
    return docCodepage_;
}

void Reader::run()
{
    p_ = data_.constData();
    end_ = p_ + data_.size();
    colors_.reserve(32);
    doc_->clear();
    doc_->setUndoRedoEnabled(false);
    // One edit block for the whole document: no layout work per insertion.
    cursor_.beginEditBlock();

    while (p_ < end_ && !rootClosed_) {
        const char c = *p_;
        if (c == '{') {
            ++p_;
            flushPendingBytes();
            ucSkip_ = 0;
            if (!stack_.empty() && st().dest == Dest::Upr) {
                // Inside \upr only the {\*\ud ...} version is read.
                static const char ud[] = "\\*\\ud";
                const qsizetype left = end_ - p_;
                if (!(left >= 5 && std::equal(ud, ud + 5, p_))) {
                    pushGroup();
                    skipGroup();
                    continue;
                }
            }
            pushGroup();
        } else if (c == '}') {
            ++p_;
            flushPendingBytes();
            ucSkip_ = 0;
            popGroup();
        } else if (c == '\\') {
            ++p_;
            if (p_ >= end_)
                break;
            const char n = *p_;
            if ((n >= 'a' && n <= 'z') || (n >= 'A' && n <= 'Z')) {
                const char* w = p_;
                while (p_ < end_ && ((*p_ >= 'a' && *p_ <= 'z') || (*p_ >= 'A' && *p_ <= 'Z')))
                    ++p_;
                const std::string_view word(w, size_t(p_ - w));
                bool hasParam = false;
                long long param = 0;
                bool neg = false;
                if (p_ < end_ && *p_ == '-' && p_ + 1 < end_ && p_[1] >= '0' && p_[1] <= '9') {
                    neg = true;
                    ++p_;
                }
                while (p_ < end_ && *p_ >= '0' && *p_ <= '9') {
                    hasParam = true;
                    if (param < 100000000000LL)  // absurd numbers saturate
                        param = param * 10 + (*p_ - '0');
                    ++p_;
                }
                if (neg)
                    param = -param;
                if (p_ < end_ && *p_ == ' ')
                    ++p_;
                if (stack_.empty())
                    continue;
                controlWord(word, hasParam, param);
            } else {
                ++p_;
                if (stack_.empty())
                    continue;
                if (n == '\'') {
                    int value = 0, digits = 0;
                    while (digits < 2 && p_ < end_) {
                        const char h = *p_;
                        int d;
                        if (h >= '0' && h <= '9') d = h - '0';
                        else if (h >= 'a' && h <= 'f') d = h - 'a' + 10;
                        else if (h >= 'A' && h <= 'F') d = h - 'A' + 10;
                        else break;
                        value = value * 16 + d;
                        ++digits;
                        ++p_;
                    }
                    if (digits)
                        hexByte((unsigned char)value);
                } else {
                    controlSymbol(n);
                }
            }
        } else if (c == '\r' || c == '\n' || c == '\0') {
            ++p_;
        } else {
            // A stretch of plain text.
            const char* s = p_;
            while (p_ < end_ && *p_ != '\\' && *p_ != '{' && *p_ != '}' && *p_ != '\r' && *p_ != '\n'
                   && *p_ != '\0')
                ++p_;
            if (!stack_.empty())
                textBytes(s, p_ - s);
        }
    }

    // A missing closing brace (a truncated file) ends the document as well.
    if (!stack_.empty()) {
        flushPendingBytes();
        if (inPara_ || !run_.isEmpty() || highSurrogate_)
            endParagraph();
    }
    cursor_.endEditBlock();
    doc_->setUndoRedoEnabled(true);
    doc_->setModified(false);
    for (QStringDecoder* d : std::as_const(decoders_))
        delete d;
}

void Reader::pushGroup()
{
    if (stack_.empty()) {
        stack_.emplace_back();
        return;
    }
    if (int(stack_.size()) >= kMaxDepth) {
        ++extraDepth_;
        return;
    }
    State copy = st();
    stack_.push_back(std::move(copy));
}

void Reader::popGroup()
{
    if (extraDepth_ > 0) {
        --extraDepth_;
        return;
    }
    if (stack_.empty())
        return;
    if (stack_.size() == 1) {
        // The document's own group: its state stays for what is still pending.
        rootClosed_ = true;
        return;
    }
    const State closing = std::move(stack_.back());
    stack_.pop_back();
    if (closing.dest == Dest::FontTable && fontEntry_ >= 0 && int(stack_.size()) == fontTableDepth_) {
        // {\f1 Name;} without its ";" still names the font.
        if (!fontName_.isEmpty() && !fonts_.contains(fontEntry_) && fonts_.size() < kMaxFonts)
            fonts_.insert(fontEntry_, {decodeWindows1252(fontName_.constData(), fontName_.size()).trimmed(),
                                       codepageOfCharset(fontCharset_)});
        fontName_.clear();
        fontEntry_ = -1;
    }
    if (closing.dest == Dest::Pn && !stack_.empty()) {
        // Bullets of the old kind are properties of the enclosing paragraph.
        st().p.pn = closing.p.pn;
        st().p.pnLevel = closing.p.pnLevel;
    }
}

// Skips the rest of the current group (its opening brace already read) and
// pops its state.
void Reader::skipGroup()
{
    int depth = 0;
    while (p_ < end_) {
        const char c = *p_++;
        if (c == '\\') {
            if (p_ >= end_)
                break;
            if (*p_ == 'b' && end_ - p_ >= 3 && p_[1] == 'i' && p_[2] == 'n') {
                // \binN: N raw bytes that may hold braces.
                const char* q = p_ + 3;
                long long n = 0;
                bool digits = false;
                while (q < end_ && *q >= '0' && *q <= '9') {
                    digits = true;
                    if (n < 100000000000LL)
                        n = n * 10 + (*q - '0');
                    ++q;
                }
                if (digits) {
                    if (q < end_ && *q == ' ')
                        ++q;
                    p_ = q + std::min<long long>(n, end_ - q);
                    continue;
                }
            }
            ++p_;  // an escaped brace or backslash is no brace
        } else if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (depth-- == 0)
                break;
        }
    }
    popGroup();
}

void Reader::controlSymbol(char c)
{
    if (c == '*') {
        starPending_ = true;
        return;
    }
    if (consumeSkip())
        return;
    switch (c) {
    case '\\':
    case '{':
    case '}':
        textBytes(&c, 1);
        break;
    case '~': appendChar(0x00A0); break;
    case '_': appendChar(0x2011); break;
    case '-': appendChar(0x00AD); break;  // optional hyphen: a soft hyphen in the text
    case '\r':
    case '\n': controlWord("par", false, 0); break;
    case '\t': appendChar(u'\t'); break;
    default: break;
    }
}

bool Reader::consumeSkip()
{
    if (ucSkip_ > 0) {
        --ucSkip_;
        return true;
    }
    return false;
}

void Reader::controlWord(std::string_view word, bool hasParam, long long param)
{
    const bool star = starPending_;
    starPending_ = false;
    const auto& map = keywords();
    const auto it = map.find(word);
    const Kw kw = it == map.end() ? Kw::Unknown : it->second;
    if (kw == Kw::U)
        ucSkip_ = 0;  // a \u right after another is never taken as its fallback

    // Destinations.
    switch (kw) {
    case Kw::FontTbl:
        st().dest = Dest::FontTable;
        fontTableDepth_ = int(stack_.size());
        return;
    case Kw::ColorTbl:
        st().dest = Dest::ColorTable;
        colorSet_ = false;
        red_ = green_ = blue_ = 0;
        return;
    case Kw::ListTable: st().dest = Dest::ListTable; return;
    case Kw::ListOverrideTable: st().dest = Dest::ListOverrideTable; return;
    case Kw::Pn:
        st().dest = Dest::Pn;
        st().p.pn = PnKind::Decimal;
        return;
    case Kw::Upr: st().dest = Dest::Upr; return;
    case Kw::Ud: st().dest = Dest::Text; return;
    case Kw::Field:
    case Kw::FldRslt: return;
    case Kw::SkipDest: skipGroup(); return;
    case Kw::Unknown:
        if (star) {  // an ignorable destination we do not know
            skipGroup();
            return;
        }
        break;
    default: break;
    }

    State& s = st();
    const int n = clampInt(param, -2147483647, 2147483647);
    const bool on = !hasParam || param != 0;

    // Destination-specific words.
    switch (s.dest) {
    case Dest::FontTable:
        if (kw == Kw::F) {
            fontEntry_ = n;
            fontCharset_ = 0;
            fontName_.clear();
        } else if (kw == Kw::Fcharset) {
            fontCharset_ = n;
        }
        return;
    case Dest::ColorTable:
        if (kw == Kw::Red) red_ = clampInt(param, 0, 255), colorSet_ = true;
        else if (kw == Kw::Green) green_ = clampInt(param, 0, 255), colorSet_ = true;
        else if (kw == Kw::Blue) blue_ = clampInt(param, 0, 255), colorSet_ = true;
        return;
    case Dest::ListTable:
        if (kw == Kw::List && int(lists_.size()) < kMaxLists)
            lists_.emplace_back();
        else if (kw == Kw::ListLevel && !lists_.empty() && lists_.back().levelNfc.size() < 9)
            lists_.back().levelNfc.push_back(0);
        else if (kw == Kw::LevelNfc && !lists_.empty() && !lists_.back().levelNfc.empty())
            lists_.back().levelNfc.back() = n;
        else if (kw == Kw::ListId && !lists_.empty())
            lists_.back().id = n;
        return;
    case Dest::ListOverrideTable:
        if (kw == Kw::ListId)
            overrideListId_ = n;
        else if (kw == Kw::Ls && overrides_.size() < kMaxLists)
            overrides_.insert(n, overrideListId_);
        return;
    case Dest::Pn:
        switch (kw) {
        case Kw::PnLvlBlt: s.p.pn = PnKind::Bullet; break;
        case Kw::PnLvlBody: if (s.p.pn == PnKind::Bullet) s.p.pn = PnKind::Decimal; break;
        case Kw::PnLvl: s.p.pnLevel = clampInt(param - 1, 0, 8); break;
        case Kw::PnDec: if (s.p.pn != PnKind::Bullet) s.p.pn = PnKind::Decimal; break;
        case Kw::PnLcltr: if (s.p.pn != PnKind::Bullet) s.p.pn = PnKind::LowerAlpha; break;
        case Kw::PnUcltr: if (s.p.pn != PnKind::Bullet) s.p.pn = PnKind::UpperAlpha; break;
        case Kw::PnLcrm: if (s.p.pn != PnKind::Bullet) s.p.pn = PnKind::LowerRoman; break;
        case Kw::PnUcrm: if (s.p.pn != PnKind::Bullet) s.p.pn = PnKind::UpperRoman; break;
        default: break;
        }
        return;
    case Dest::Upr:
    case Dest::Text: break;
    }

    // Words that stand for characters count as fallback text after \uN.
    switch (kw) {
    case Kw::Par: case Kw::Sect: case Kw::Row: case Kw::Cell: case Kw::Line: case Kw::Tab: case Kw::Page:
    case Kw::Emdash: case Kw::Endash: case Kw::Emspace: case Kw::Enspace: case Kw::Qmspace: case Kw::Bullet:
    case Kw::Lquote: case Kw::Rquote: case Kw::Ldblquote: case Kw::Rdblquote: case Kw::Zwj: case Kw::Zwnj:
    case Kw::Zwbo: case Kw::Ltrmark: case Kw::Rtlmark:
        if (consumeSkip())
            return;
        break;
    default: break;
    }

    CharState& c = s.c;
    ParaState& ps = s.p;
    switch (kw) {
    // document
    case Kw::Ansi: docCodepage_ = 1252; break;
    case Kw::Mac: docCodepage_ = 10000; break;
    case Kw::Pc: docCodepage_ = 437; break;
    case Kw::Pca: docCodepage_ = 850; break;
    case Kw::AnsiCpg: if (n > 0 && n < 100000) docCodepage_ = n; break;
    case Kw::Deff: defaultFont_ = n; break;
    case Kw::Bin: {
        const long long skip = std::min<long long>(std::max<long long>(param, 0), end_ - p_);
        p_ += skip;
        break;
    }
    // character
    case Kw::Plain:
        c = CharState();
        c.font = defaultFont_;
        break;
    case Kw::B: c.bold = on; break;
    case Kw::I: c.italic = on; break;
    case Kw::Ul: c.underline = on; break;
    case Kw::UlNone: c.underline = false; break;
    case Kw::Strike: c.strike = on; break;
    case Kw::F: c.font = n; break;
    case Kw::Fs: c.halfPoints = (hasParam && param > 0) ? clampInt(param, 2, 3276) : 24; break;
    case Kw::Cf: c.fg = clampInt(param, 0, kMaxColors); break;
    case Kw::Cb:
    case Kw::Highlight:
    case Kw::Chcbpat: c.bg = clampInt(param, 0, kMaxColors); break;
    case Kw::Super: c.valign = on ? 1 : 0; break;
    case Kw::Sub: c.valign = on ? -1 : 0; break;
    case Kw::NoSuperSub: c.valign = 0; break;
    case Kw::V: c.hidden = on; break;
    case Kw::Uc: s.uc = clampInt(param, 0, 16); break;
    case Kw::U: appendUnicode(param); break;
    case Kw::Ls: ps.ls = n; break;
    case Kw::Ilvl: ps.ilvl = clampInt(param, 0, 8); break;
    // paragraph
    case Kw::Pard: {
        ParaState fresh;
        ps = fresh;
        break;
    }
    case Kw::Ql: ps.align = Qt::AlignLeft; break;
    case Kw::Qc: ps.align = Qt::AlignHCenter; break;
    case Kw::Qr: ps.align = Qt::AlignRight; break;
    case Kw::Qj: ps.align = Qt::AlignJustify; break;
    case Kw::Li: ps.li = clampInt(param, -kMaxIndentTwips, kMaxIndentTwips); break;
    case Kw::Ri: ps.ri = clampInt(param, -kMaxIndentTwips, kMaxIndentTwips); break;
    case Kw::Fi: ps.fi = clampInt(param, -kMaxIndentTwips, kMaxIndentTwips); break;
    case Kw::Sb: ps.sb = clampInt(param, 0, kMaxSpaceTwips); break;
    case Kw::Sa: ps.sa = clampInt(param, 0, kMaxSpaceTwips); break;
    case Kw::Tqr: ps.nextTabType = QTextOption::RightTab; break;
    case Kw::Tqc: ps.nextTabType = QTextOption::CenterTab; break;
    case Kw::Tqdec: ps.nextTabType = QTextOption::DelimiterTab; break;
    case Kw::Tx:
        if (ps.tabs.size() < kMaxTabs) {
            QTextOption::Tab tab(twipsToPixels(clampInt(param, 0, kMaxIndentTwips)), ps.nextTabType,
                                 ps.nextTabType == QTextOption::DelimiterTab ? QChar(u'.') : QChar());
            ps.tabs.append(tab);
        }
        ps.nextTabType = QTextOption::LeftTab;
        break;
    case Kw::PageBb: ps.pageBreakBefore = on; break;
    // breaks and special characters
    case Kw::Par:
    case Kw::Sect:
    case Kw::Row: endParagraph(); break;
    case Kw::Page:
        appendChar(kPageBreak);
        endParagraph();
        break;
    case Kw::Cell:
    case Kw::Tab: appendChar(u'\t'); break;
    case Kw::Line: appendChar(QChar::LineSeparator); break;
    case Kw::Emdash: appendChar(0x2014); break;
    case Kw::Endash: appendChar(0x2013); break;
    case Kw::Emspace: appendChar(0x2003); break;
    case Kw::Enspace: appendChar(0x2002); break;
    case Kw::Qmspace: appendChar(0x2005); break;
    case Kw::Bullet: appendChar(0x2022); break;
    case Kw::Lquote: appendChar(0x2018); break;
    case Kw::Rquote: appendChar(0x2019); break;
    case Kw::Ldblquote: appendChar(0x201C); break;
    case Kw::Rdblquote: appendChar(0x201D); break;
    case Kw::Zwj: appendChar(0x200D); break;
    case Kw::Zwnj: appendChar(0x200C); break;
    case Kw::Zwbo: appendChar(0x200B); break;
    case Kw::Ltrmark: appendChar(0x200E); break;
    case Kw::Rtlmark: appendChar(0x200F); break;
    default:
        // Any other word still counts as one fallback character after \uN.
        consumeSkip();
        break;
    }
}

void Reader::textBytes(const char* s, qsizetype n)
{
    State& state = st();
    switch (state.dest) {
    case Dest::FontTable:
        for (qsizetype i = 0; i < n; ++i) {
            if (s[i] == ';') {
                if (fontEntry_ >= 0 && fonts_.size() < kMaxFonts)
                    fonts_.insert(fontEntry_,
                                  {decodeWindows1252(fontName_.constData(), fontName_.size()).trimmed(),
                                   codepageOfCharset(fontCharset_)});
                fontName_.clear();
            } else if (fontName_.size() < 256) {
                fontName_.append(s[i]);
            }
        }
        return;
    case Dest::ColorTable:
        for (qsizetype i = 0; i < n; ++i) {
            if (s[i] == ';') {
                if (int(colors_.size()) < kMaxColors)
                    colors_.push_back(colorSet_ ? QColor(red_, green_, blue_) : QColor());
                colorSet_ = false;
                red_ = green_ = blue_ = 0;
            }
        }
        return;
    case Dest::Text: break;
    default: return;  // lists, bullets, \upr: no document text
    }
    if (state.c.hidden)
        return;
    qsizetype i = 0;
    while (i < n && ucSkip_ > 0) {
        --ucSkip_;
        ++i;
    }
    if (i >= n)
        return;
    if (currentCodepage() != 1252 || highSurrogate_ || !pendingBytes_.isEmpty() || !(state.c == runState_)) {
        for (; i < n; ++i)
            hexByte((unsigned char)s[i]);
        return;
    }
    // Fast path: Windows-1252 bytes straight into the run.
    const qsizetype start = i;
    bool ascii = true;
    for (qsizetype k = i; k < n && ascii; ++k)
        ascii = (unsigned char)s[k] >= 0x20 && (unsigned char)s[k] < 0x80;
    if (ascii) {
        run_.append(QLatin1StringView(s + start, n - start));
        return;
    }
    for (; i < n; ++i) {
        const unsigned char b = (unsigned char)s[i];
        if (b >= 0x20 || b == '\t')
            run_.append(QChar(windows1252Char(b)));
    }
}

void Reader::hexByte(unsigned char b)
{
    State& state = st();
    if (state.dest == Dest::FontTable) {
        if (fontName_.size() < 256)
            fontName_.append(char(b));
        return;
    }
    if (state.dest != Dest::Text || state.c.hidden)
        return;
    if (consumeSkip())
        return;
    const int cp = currentCodepage();
    if (cp == 1252) {
        if (b >= 0x20 || b == '\t')
            appendChar(windows1252Char(b));
        return;
    }
    if (!pendingBytes_.isEmpty() && pendingCodepage_ != cp)
        flushPendingBytes();
    pendingCodepage_ = cp;
    pendingBytes_.append(char(b));
    if (pendingBytes_.size() >= 4096)
        flushPendingBytes();
}

void Reader::flushPendingBytes()
{
    if (pendingBytes_.isEmpty())
        return;
    const QByteArray bytes = std::move(pendingBytes_);
    pendingBytes_.clear();
    QString text;
    QStringDecoder*& dec = decoders_[pendingCodepage_];
    if (!dec) {
        const QByteArray names[] = {"windows-" + QByteArray::number(pendingCodepage_),
                                    "cp" + QByteArray::number(pendingCodepage_),
                                    "ibm-" + QByteArray::number(pendingCodepage_)};
        for (const QByteArray& name : names) {
            auto* d = new QStringDecoder(name.constData(), QStringConverter::Flag::Stateless);
            if (d->isValid()) {
                dec = d;
                break;
            }
            delete d;
        }
        if (pendingCodepage_ == 10000 && !dec)
            dec = new QStringDecoder("macintosh", QStringConverter::Flag::Stateless);
    }
    if (dec && dec->isValid())
        text = dec->decode(bytes);
    else
        text = decodeWindows1252(bytes.constData(), bytes.size());
    for (QChar ch : std::as_const(text))
        if (ch.unicode() >= 0x20 || ch == u'\t')
            appendChar(ch.unicode());
}

void Reader::appendUnicode(long long n)
{
    if (n < 0)
        n += 65536;
    const int skip = st().uc;
    if (st().dest == Dest::Text && !st().c.hidden) {
        if (n <= 0 || n > 0xFFFF)
            appendChar(QChar::ReplacementCharacter);  // no such UTF-16 unit
        else if (n >= 0x20 || n == '\t')
            appendChar(char16_t(n));
    }
    ucSkip_ = skip;
}

void Reader::appendChar(char16_t ch)
{
    flushPendingBytes();
    if (st().dest != Dest::Text)
        return;
    // Surrogates must come in pairs; a lone one becomes U+FFFD.
    if (highSurrogate_) {
        const char16_t high = highSurrogate_;
        highSurrogate_ = 0;
        if (QChar::isLowSurrogate(ch)) {
            if (!(st().c == runState_))
                flushRun();
            run_.append(QChar(high));
            run_.append(QChar(ch));
            return;
        }
        appendChar(QChar::ReplacementCharacter);
    }
    if (QChar::isHighSurrogate(ch)) {
        highSurrogate_ = ch;
        return;
    }
    if (QChar::isLowSurrogate(ch))
        ch = QChar::ReplacementCharacter;
    // The document keeps these for its own objects and frames; as text they
    // would stand for objects that are not there.
    if (ch == QChar::ObjectReplacementCharacter || ch == 0xFDD0 || ch == 0xFDD1)
        return;
    if (!(st().c == runState_))
        flushRun();
    runState_ = st().c;
    run_.append(QChar(ch));
}

void Reader::flushRun()
{
    if (highSurrogate_) {
        highSurrogate_ = 0;
        run_.append(QChar(QChar::ReplacementCharacter));
    }
    if (!run_.isEmpty()) {
        startParagraph();
        cursor_.insertText(run_, charFormat(runState_));
        run_.clear();
    }
    if (!stack_.empty())
        runState_ = st().c;
}

QTextCharFormat Reader::charFormat(const CharState& cs)
{
    const quint64 flags = quint64(cs.bold) | quint64(cs.italic) << 1 | quint64(cs.underline) << 2
                          | quint64(cs.strike) << 3 | quint64(quint8(cs.valign)) << 4;
    const std::pair<quint64, quint64> key{quint64(quint32(cs.font)) | quint64(quint16(cs.halfPoints)) << 32
                                              | flags << 48,
                                          quint64(quint32(cs.fg)) | quint64(quint32(cs.bg)) << 32};
    auto it = formatCache_.constFind(key);
    if (it != formatCache_.constEnd())
        return *it;
    QTextCharFormat f;
    const int font = cs.font >= 0 ? cs.font : defaultFont_;
    if (font >= 0) {
        auto fi = fonts_.constFind(font);
        if (fi != fonts_.constEnd() && !fi->name.isEmpty())
            f.setFontFamilies(QStringList{fi->name});
    }
    f.setFontPointSize(cs.halfPoints / 2.0);
    f.setFontWeight(cs.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(cs.italic);
    f.setFontUnderline(cs.underline);
    f.setFontStrikeOut(cs.strike);
    if (cs.fg > 0 && cs.fg < int(colors_.size()) && colors_[cs.fg].isValid())
        f.setForeground(colors_[cs.fg]);
    if (cs.bg > 0 && cs.bg < int(colors_.size()) && colors_[cs.bg].isValid())
        f.setBackground(colors_[cs.bg]);
    if (cs.valign > 0)
        f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (cs.valign < 0)
        f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    if (formatCache_.size() < 4096)
        formatCache_.insert(key, f);
    return f;
}

QTextListFormat::Style Reader::listStyle(const ParaState& ps) const
{
    switch (ps.pn) {
    case PnKind::Bullet: return QTextListFormat::ListDisc;
    case PnKind::Decimal: return QTextListFormat::ListDecimal;
    case PnKind::LowerAlpha: return QTextListFormat::ListLowerAlpha;
    case PnKind::UpperAlpha: return QTextListFormat::ListUpperAlpha;
    case PnKind::LowerRoman: return QTextListFormat::ListLowerRoman;
    case PnKind::UpperRoman: return QTextListFormat::ListUpperRoman;
    case PnKind::None: break;
    }
    if (ps.ls <= 0)
        return QTextListFormat::ListStyleUndefined;
    int nfc = 23;  // a list we know nothing about shows bullets
    const int id = overrides_.value(ps.ls, -1);
    for (const ListDef& l : lists_) {
        if (l.id == id) {
            if (ps.ilvl < int(l.levelNfc.size()))
                nfc = l.levelNfc[size_t(ps.ilvl)];
            break;
        }
    }
    switch (nfc) {
    case 0: return QTextListFormat::ListDecimal;
    case 1: return QTextListFormat::ListUpperRoman;
    case 2: return QTextListFormat::ListLowerRoman;
    case 3: return QTextListFormat::ListUpperAlpha;
    case 4: return QTextListFormat::ListLowerAlpha;
    case 255: return QTextListFormat::ListStyleUndefined;  // numbering without a number: no list
    default: return QTextListFormat::ListDisc;
    }
}

QTextBlockFormat Reader::blockFormat(const ParaState& ps, int listIndent) const
{
    QTextBlockFormat bf;
    bf.setAlignment(ps.align);
    const qreal indentPx = listIndent * doc_->indentWidth();
    if (listIndent > 0) {
        // The list's own indent holds the bullet; the first-line indent of a
        // list paragraph only places the bullet.
        bf.setLeftMargin(std::max<qreal>(0, twipsToPixels(ps.li) - indentPx));
    } else {
        bf.setLeftMargin(twipsToPixels(ps.li));
        bf.setTextIndent(twipsToPixels(ps.fi));
    }
    bf.setRightMargin(twipsToPixels(ps.ri));
    bf.setTopMargin(twipsToPixels(ps.sb));
    bf.setBottomMargin(twipsToPixels(ps.sa));
    if (!ps.tabs.isEmpty())
        bf.setTabPositions(ps.tabs);
    return bf;
}

void Reader::applyList(const ParaState& ps)
{
    const QTextListFormat::Style style = listStyle(ps);
    if (style == QTextListFormat::ListStyleUndefined) {
        list_ = nullptr;
        return;
    }
    const int level = ps.pn != PnKind::None ? ps.pnLevel : ps.ilvl;
    const int key = (ps.pn != PnKind::None ? -1 : ps.ls) * 16 + level;
    if (list_ && listKey_ == key && list_->format().style() == style) {
        list_->add(cursor_.block());
        return;
    }
    QTextListFormat lf;
    lf.setStyle(style);
    lf.setIndent(level + 1);
    list_ = cursor_.createList(lf);
    listKey_ = key;
}

void Reader::startParagraph()
{
    if (inPara_)
        return;
    const ParaState& ps = st().p;
    const int listIndent = listStyle(ps) == QTextListFormat::ListStyleUndefined
                               ? 0
                               : (ps.pn != PnKind::None ? ps.pnLevel : ps.ilvl) + 1;
    const QTextBlockFormat bf = blockFormat(ps, listIndent);
    if (firstBlock_) {
        cursor_.setBlockFormat(bf);
        firstBlock_ = false;
    } else {
        if (ps.pageBreakBefore) {
            // A break before this paragraph ends the previous one with a form feed.
            const QString prev = cursor_.block().text();
            if (!prev.endsWith(QChar(kPageBreak)))
                cursor_.insertText(QString(QChar(kPageBreak)), cursor_.charFormat());
        }
        cursor_.insertBlock(bf, charFormat(st().c));
    }
    applyList(ps);
    paraStartedWith_ = ps;
    inPara_ = true;
}

void Reader::endParagraph()
{
    if (!run_.isEmpty() || highSurrogate_)
        flushRun();
    startParagraph();
    // Paragraph properties are those in force at the paragraph's end.
    const ParaState& ps = st().p;
    if (!(ps == paraStartedWith_)) {
        const int listIndent = listStyle(ps) == QTextListFormat::ListStyleUndefined
                                   ? 0
                                   : (ps.pn != PnKind::None ? ps.pnLevel : ps.ilvl) + 1;
        QTextBlockFormat bf = blockFormat(ps, listIndent);
        if (QTextList* l = cursor_.block().textList())
            bf.setObjectIndex(l->objectIndex());
        cursor_.setBlockFormat(bf);
    }
    inPara_ = false;
}

}  // namespace

bool readRtf(const QByteArray& data, QTextDocument* doc, QString* error)
{
    doc->clear();
    if (!data.startsWith("{\\rtf")) {
        if (error)
            *error = QStringLiteral("The file is not in RTF format.");
        return false;
    }
    Reader(data, doc).run();
    return true;
}

}  // namespace zx
