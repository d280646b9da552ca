#include "memo/calcexpr.h"

#include <QVarLengthArray>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <vector>

namespace zx {

namespace {

constexpr long double kPi = 3.141592653589793238462643383279502884L;
constexpr int kMaxLength = 255;

bool isOp(QChar c)
{
    const char16_t u = c.unicode();
    return u == '*' || u == '+' || u == '/' || u == 'X' || u == '^' || u == 'x';
}
bool isNumberChar(QChar c)
{
    const char16_t u = c.unicode();
    return u == '-' || u == '.' || (u >= '0' && u <= '9');
}
bool isLetter(QChar c)
{
    const char16_t u = c.unicode();
    return u >= 'A' && u <= 'Z';
}
bool isValidChar(QChar c)
{
    const char16_t u = c.unicode();
    return u == ' ' || u == '(' || u == ')' || isOp(c) || isNumberChar(c) || isLetter(c);
}

locale_t cLocale()
{
    static locale_t loc = newlocale(LC_NUMERIC_MASK, "C", nullptr);
    return loc;
}

QString piText()
{
    QString s;
    calc::formatNumber(kPi, &s);
    return s;
}

struct Item {
    bool isNumber;
    long double value;
    QChar op;
};

class Evaluator {
public:
    QString err;

    long double evalsimple(const QString& text);
    QString evalfunction(const QString& call);

private:
    // Tokenizer and parser state of one evalsimple call.
    QString t_;
    int pos_ = 0;
    QString tok_;
    bool done_ = false;
    std::vector<Item> items_;

    QString nexttoken();
    void next();
    void expression();
    void term();
    void factor();
    void addNumber(const QString& token);
    void addOp(QChar op) { items_.push_back({false, 0, op}); }
};

QString Evaluator::nexttoken()
{
    const int len = int(t_.size());
    while (pos_ < len && t_.at(pos_) == u' ')
        ++pos_;
    if (pos_ >= len) {
        pos_ = 0;
        return {};
    }
    const int start = pos_;
    if (t_.at(pos_) == u'-' && (pos_ == 0 || isOp(t_.at(pos_ - 1)))) {
        ++pos_;  // a sign
    } else if (isOp(t_.at(pos_))) {
        ++pos_;
        return t_.mid(start, 1);
    }
    while (pos_ < len) {
        const QChar c = t_.at(pos_);
        if (isOp(c) && !(pos_ > 0 && (t_.at(pos_ - 1) == u'E' || isOp(t_.at(pos_ - 1)))))
            break;
        if (c == u' ')
            break;
        if (c == u'E') {
            const bool more = pos_ + 1 < len
                              && (t_.at(pos_ + 1) == u'+' || t_.at(pos_ + 1) == u'-'
                                  || isNumberChar(t_.at(pos_ + 1)));
            if (!more)
                break;
        }
        ++pos_;
    }
    return t_.mid(start, pos_ - start);
}

void Evaluator::next()
{
    if (done_)
        return;
    tok_ = nexttoken();
    if (tok_.isEmpty())
        done_ = true;  // the end (or an "E" that ends the number): the rest is ignored
}

void Evaluator::addNumber(const QString& token)
{
    const qsizetype e = token.indexOf(u'E');
    if (e >= 0) {
        long double mag;
        if (calc::readNumber(token.mid(e + 1), &mag) && std::fabs(mag) > 3000) {
            err = token + QStringLiteral(" magnitude too large. ");
            return;
        }
    }
    long double v;
    if (!calc::readNumber(token, &v)) {
        err = QStringLiteral("Number \"") + token + QStringLiteral("\" is invalid.");
        return;
    }
    items_.push_back({true, v, QChar()});
}

void Evaluator::factor()
{
    if (!done_ && !tok_.isEmpty() && isNumberChar(tok_.at(0)))
        addNumber(tok_);
    if (!err.isEmpty())
        return;
    next();
    while (!done_ && err.isEmpty() && tok_ == u"^") {
        next();
        if (!done_ && isNumberChar(tok_.at(0)))
            addNumber(tok_);
        if (!err.isEmpty())
            return;
        addOp(u'^');
        next();
    }
}

void Evaluator::term()
{
    factor();
    while (!done_ && err.isEmpty() && (tok_ == u"*" || tok_ == u"X")) {
        const QChar op = tok_.at(0);
        next();
        factor();
        addOp(op);
    }
}

void Evaluator::expression()
{
    next();
    term();
    while (!done_ && err.isEmpty() && tok_ == u"+") {
        next();
        term();
        addOp(u'+');
    }
}

long double Evaluator::evalsimple(const QString& text)
{
    if (!calc::checksyntax(text)) {
        err = QStringLiteral("Invalid expression syntax.");
        return 0;
    }
    t_ = text;
    pos_ = 0;
    tok_.clear();
    done_ = false;
    items_.clear();
    expression();
    if (!err.isEmpty())
        return 0;

    // Reduce the postfix list: the first two numbers followed by an operator
    // become their result, until one item is left.
    while (items_.size() >= 2) {
        size_t i = 0;
        while (i + 2 < items_.size()
               && !(items_[i].isNumber && items_[i + 1].isNumber && !items_[i + 2].isNumber))
            ++i;
        if (i + 2 >= items_.size()) {
            err = QStringLiteral("Invalid expression syntax.");
            return 0;
        }
        const long double a = items_[i].value;
        const long double b = items_[i + 1].value;
        const QChar op = items_[i + 2].op;
        long double r;
        if (op == u'+' || op == u'*' || op == u'X') {
            r = op == u'+' ? a + b : a * b;
            if (!std::isfinite(r)) {
                err = QStringLiteral("Floating point overflow");
                return 0;
            }
        } else if (op == u'^') {
            if (!(a > 0)) {
                err = QStringLiteral("Cannot raise negative no.");
                return 0;
            }
            if (b == 0) {
                r = 1;
            } else {
                r = std::exp(b * std::log(a));
                if (!std::isfinite(r)) {
                    err = QStringLiteral("Out of bounds");
                    return 0;
                }
            }
        } else {
            err = QStringLiteral("Invalid expression syntax.");
            return 0;
        }
        items_[i] = {true, r, QChar()};
        items_.erase(items_.begin() + i + 1, items_.begin() + i + 3);
    }
    if (items_.empty() || !items_[0].isNumber) {
        err = QStringLiteral("Invalid input");
        return 0;
    }
    return items_[0].value;
}

QString Evaluator::evalfunction(const QString& call)
{
    const qsizetype open = call.indexOf(u'(');
    const qsizetype close = call.indexOf(u')', open);
    const QString name = call.left(open);
    long double x;
    if (open < 0 || close < 0 || !calc::readNumber(call.mid(open + 1, close - open - 1), &x)) {
        err = QStringLiteral("Invalid function syntax.");
        return {};
    }
    const QString outOfBounds = QStringLiteral("Out of bounds");
    auto fail = [&](const QString& message) {
        err = message;
        return QString();
    };
    const long double toRad = kPi / 180;
    const long double toDeg = 180 / kPi;
    long double r;
    if (name == u"INV") {
        if (std::fabs(x) < 1e-3000L)
            return fail(QStringLiteral("Division by zero."));
        r = 1 / x;
    } else if (name == u"EXP") {
        r = std::exp(x);
        if (!std::isfinite(r))
            return fail(outOfBounds);
    } else if (name == u"SQR") {
        r = x * x;
        if (!std::isfinite(r))
            return fail(outOfBounds);
    } else if (name == u"SQRT") {
        if (x < 0)
            return fail(QStringLiteral("Cannot find root of a -ve no."));
        r = std::sqrt(x);
    } else if (name == u"SIN" || name == u"COS") {
        if (x < -1000 || x > 1000)
            return fail(QStringLiteral("Number to \"") + name.toLower()
                        + QStringLiteral("\" is out of range."));
        r = name == u"SIN" ? std::sin(x * toRad) : std::cos(x * toRad);
    } else if (name == u"TAN") {
        // Undefined at every odd multiple of 90 degrees, not only at 90.
        const long double pole = 90 + 180 * std::nearbyint((x - 90) / 180);
        if (x < -1000 || x > 1000 || std::fabs(x - pole) < 1e-8L)
            return fail(QStringLiteral("Number to \"tan\" is out of range."));
        r = std::sin(x * toRad) / std::cos(x * toRad);
    } else if (name == u"ARCSIN") {
        if (x < -1 || x > 1)
            return fail(QStringLiteral("Number out of range."));
        if (x == 1)
            r = 90;
        else if (x == -1)
            r = -90;
        else
            r = std::atan(x / std::sqrt(1 - x * x)) * toDeg;
    } else if (name == u"ARCCOS") {
        if (x < -1 || x > 1)
            return fail(QStringLiteral("Number out of range."));
        if (x == 1)
            r = 0;
        else if (x == 0)
            r = 90;
        else if (x == -1)
            r = 180;
        else
            r = std::atan(std::sqrt(1 - x * x) / x) * toDeg + (x < 0 ? 180 : 0);
    } else if (name == u"ARCTAN") {
        r = std::atan(x) * toDeg;
    } else if (name == u"LOG") {
        if (!(x > 0))
            return fail(outOfBounds);
        r = std::log(x) / 2.302585093L;
        if (!std::isfinite(r))
            return fail(outOfBounds);
    } else if (name == u"LN") {
        if (!(x > 0))
            return fail(outOfBounds);
        r = std::log(x);
    } else if (name == u"FACT") {
        if (x - std::trunc(x) > 0)
            return fail(QStringLiteral("No. to fact() is not an integer."));
        const long double n = std::rint(x);  // halves to even
        r = 1;
        // Stops at the first overflow, so a huge argument cannot run for long.
        for (long double i = 2; i <= n; i += 1) {
            r *= i;
            if (!std::isfinite(r))
                return fail(outOfBounds);
        }
    } else {
        return fail(QStringLiteral("Invalid function - ") + call);
    }
    QString out;
    if (!calc::formatNumber(r, &out))
        return fail(outOfBounds);
    return out;
}

}  // namespace

namespace calc {

bool formatNumber(long double v, QString* out)
{
    if (!std::isfinite(v))
        return false;
    if (v == 0) {
        *out = QStringLiteral("0");
        return true;
    }
    char buf[64];
    // d.dddddddddddddde+X: fifteen significant digits, correctly rounded.
    std::snprintf(buf, sizeof buf, "%.14Le", v);
    const char* p = buf;
    const bool neg = *p == '-';
    if (neg)
        ++p;
    QVarLengthArray<char, 16> digits;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            digits.append(*p);
    if (*p != 'e')
        return false;
    const int exp10 = std::atoi(p + 1);
    while (digits.size() > 1 && digits.back() == '0')
        digits.removeLast();
    const int nd = int(digits.size());

    QString s;
    if (neg)
        s += u'-';
    if (exp10 <= 14 && exp10 >= -5) {
        if (exp10 >= 0) {
            for (int i = 0; i <= exp10; ++i)
                s += QChar(i < nd ? digits[i] : '0');
            if (nd > exp10 + 1) {
                s += u'.';
                for (int i = exp10 + 1; i < nd; ++i)
                    s += QChar(digits[i]);
            }
        } else {
            s += QStringLiteral("0.");
            for (int i = 0; i < -exp10 - 1; ++i)
                s += u'0';
            for (int i = 0; i < nd; ++i)
                s += QChar(digits[i]);
        }
    } else {
        s += QChar(digits[0]);
        if (nd > 1) {
            s += u'.';
            for (int i = 1; i < nd; ++i)
                s += QChar(digits[i]);
        }
        s += u'E';
        if (exp10 < 0)
            s += u'-';
        s += QString::number(std::abs(exp10));
    }
    *out = s;
    return true;
}

bool readNumber(const QString& text, long double* v)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    auto digit = [&](qsizetype k) { return k < n && text.at(k) >= u'0' && text.at(k) <= u'9'; };
    if (i < n && (text.at(i) == u'+' || text.at(i) == u'-'))
        ++i;
    qsizetype mantissaDigits = 0;
    while (digit(i)) {
        ++i;
        ++mantissaDigits;
    }
    if (i < n && text.at(i) == u'.') {
        ++i;
        while (digit(i)) {
            ++i;
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return false;
    if (i < n && (text.at(i) == u'E' || text.at(i) == u'e')) {
        ++i;
        if (i < n && (text.at(i) == u'+' || text.at(i) == u'-'))
            ++i;
        if (!digit(i))
            return false;
        while (digit(i))
            ++i;
    }
    if (i != n)
        return false;
    const QByteArray ascii = text.toLatin1();
    errno = 0;
    char* end = nullptr;
    const long double r = strtold_l(ascii.constData(), &end, cLocale());
    if (end != ascii.constData() + ascii.size() || !std::isfinite(r))
        return false;
    *v = r;
    return true;
}

bool checksyntax(const QString& t)
{
    if (t.contains(QStringLiteral("..")) || t.contains(QStringLiteral("EE")))
        return false;
    const qsizetype len = t.size();
    qsizetype numbers = 0, ops = 0, i = 0;
    bool stop = t.endsWith(u'-');
    while (i < len && !stop) {
        if (isNumberChar(t.at(i))) {
            ++numbers;
            while (i < len && !isOp(t.at(i)))
                ++i;
        }
        if (numbers != ops + 1)
            stop = true;
        if (i < len && isOp(t.at(i)))
            ++ops;
        ++i;
    }
    return !(ops >= 1 && ops >= numbers);
}

QString prepareexpression(const QString& upper)
{
    QString s = upper;
    s.remove(u' ');
    s.replace(QStringLiteral("PI"), piText());

    // "--" is a plus, or nothing at the start and after an operator.
    for (;;) {
        const qsizetype p = s.indexOf(QStringLiteral("--"));
        if (p < 0)
            break;
        s.remove(p, 2);
        if (p > 0 && !isOp(s.at(p - 1)))
            s.insert(p, u'+');
    }

    // a-b is computed as a+(-b).
    for (qsizetype i = 1; i < s.size() - 1; ++i) {
        if (s.at(i) == u'-') {
            const QChar before = s.at(i - 1);
            if (!isOp(before) && before != u'(' && before != u'E') {
                s.insert(i, u'+');
                ++i;
            }
        }
    }

    // a/b is computed as a*INV(b).
    qsizetype i = 0;
    for (;;) {
        i = s.indexOf(u'/', i);
        if (i < 0 || i >= s.size() - 1)
            break;
        s.remove(i, 1);
        if (s.at(i) == u'(') {
            s.insert(i, QStringLiteral("*INV"));
            i += 4;
            continue;
        }
        s.insert(i, QStringLiteral("*INV("));
        i += 5;
        qsizetype j = i;
        const qsizetype len = s.size();
        if (isLetter(s.at(j)) || s.at(j) == u'-') {
            while (j < len && (isLetter(s.at(j)) || s.at(j) == u'-'))
                ++j;
            if (j < len && s.at(j) == u'(') {
                int depth = 0;
                for (; j < len; ++j) {
                    if (s.at(j) == u'(')
                        ++depth;
                    else if (s.at(j) == u')' && --depth == 0)
                        break;
                }
                if (j < len)
                    ++j;  // after the matching ")"
            }
        } else {
            while (j < len
                   && (isNumberChar(s.at(j))
                       || (s.at(j) == u'E' && j + 1 < len && isNumberChar(s.at(j + 1)))))
                ++j;
        }
        s.insert(j, u')');
    }
    return s;
}

}  // namespace calc

CalcResult calcexpression(const QString& expression)
{
    // The calculator works on one line of at most 255 characters, blanks not
    // counted (so that " = result" and the blank before it, added by the
    // editor command, never push a line over the limit).
    if (expression.size() - expression.count(u' ') > kMaxLength)
        return {QStringLiteral("Expression too long."), {}};

    QString s = expression;
    for (QChar& c : s)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
    s = calc::prepareexpression(s);
    s = s.trimmed();
    s.remove(u',');
    if (s.isEmpty())
        return {};

    // Bracket check.
    {
        int open = 0, close = 0;
        for (qsizetype i = 0; i < s.size(); ++i) {
            const QChar c = s.at(i);
            if (!isValidChar(c))
                return {QStringLiteral("Invalid character \"") + c + QStringLiteral("\"."), {}};
            if (c == u'(')
                ++open;
            else if (c == u')' && ++close > open)
                return {i == s.size() - 1 ? QStringLiteral("Too many right brackets.")
                                          : QStringLiteral("Brackets in wrong order."),
                        {}};
        }
        if (open > close)
            return {QStringLiteral("Too many left brackets."), {}};
    }

    Evaluator ev;
    const qsizetype brackets = s.count(u'(');
    for (qsizetype round = 0; round < brackets; ++round) {
        // The innermost bracket: the first "(" at the greatest depth.
        qsizetype open = -1;
        int depth = 0, best = 0;
        for (qsizetype i = 0; i < s.size(); ++i) {
            if (s.at(i) == u'(') {
                if (++depth > best) {
                    best = depth;
                    open = i;
                }
            } else if (s.at(i) == u')') {
                --depth;
            }
        }
        if (open < 0)
            break;
        const qsizetype close = s.indexOf(u')', open);
        if (close < 0)
            return {QStringLiteral("Too many left brackets."), {}};
        if (close == open + 1)
            return {QStringLiteral("Empty brackets"), {}};
        const long double v = ev.evalsimple(s.mid(open + 1, close - open - 1));
        if (!ev.err.isEmpty())
            return {ev.err, {}};
        QString vt;
        if (!calc::formatNumber(v, &vt))
            return {QStringLiteral("Out of bounds"), {}};
        if (open > 0 && isLetter(s.at(open - 1)) && s.at(open - 1) != u'X') {
            qsizetype start = open;
            while (start > 0 && isLetter(s.at(start - 1)))
                --start;
            const QString call = s.mid(start, open - start) + u'(' + vt + u')';
            const QString r = ev.evalfunction(call);
            if (!ev.err.isEmpty())
                return {ev.err, {}};
            s.replace(start, close + 1 - start, r);
        } else {
            s.replace(open, close + 1 - open, vt);
        }
    }

    long double value;
    QString text;
    if (calc::readNumber(s, &value)) {
        // Kept as typed, but without "+" signs ("1E+9" gives 1E9): a result
        // must be recognised as one when the command runs on its line again.
        text = s;
        text.remove(u'+');
    } else {
        value = ev.evalsimple(s);
        if (!ev.err.isEmpty())
            return {ev.err, {}};
        if (!calc::formatNumber(value, &text))
            return {QStringLiteral("Out of bounds"), {}};
    }
    const long double mag = std::fabs(value);
    if (mag >= 1e-8L && mag <= 1e8L) {
        QString formatted;
        if (!calc::formatNumber(value, &formatted))
            return {QStringLiteral("Out of bounds"), {}};
        return {{}, formatted};
    }
    return {{}, text};
}

CalcLineResult calcLine(const QString& line)
{
    const QString prompt = QStringLiteral("Enter an expression (e.g, 2 + 2)");
    CalcLineResult out;
    out.line = line;
    if (line.trimmed().isEmpty()) {
        out.message = prompt;
        return out;
    }
    QString s = line;
    const qsizetype eq = s.indexOf(u'=');
    if (eq >= 0) {
        while (s.endsWith(u' '))
            s.chop(1);
        if (eq == s.size() - 1) {
            s.chop(1);
        } else {
            bool previousResult = true;
            for (qsizetype i = eq + 1; i < s.size() && previousResult; ++i) {
                const QChar c = s.at(i);
                previousResult = c == u' ' || c == u',' || c == u'-' || c == u'.' || c == u'E'
                                 || c == u'e' || (c >= u'0' && c <= u'9');
            }
            if (previousResult)
                s.truncate(eq);
        }
    }
    const CalcResult r = calcexpression(s);
    if (!r.error.isEmpty()) {
        out.message = r.error;
        return out;
    }
    if (r.result.isEmpty()) {
        // Nothing to compute once the old result is gone (for example "= 4").
        out.message = prompt;
        return out;
    }
    if (!s.endsWith(u' '))
        s += u' ';
    out.line = s + QStringLiteral("= ") + r.result;
    out.changed = out.line != line;
    return out;
}

}  // namespace zx
