#pragma once
// The editor's expression calculator: a string-rewriting evaluator that
// normalises the text, replaces each innermost bracket or function call by
// its value written back as text, and finally evaluates what is left.
//
// Arithmetic is 80-bit extended (long double on x86-64); numbers are written
// in the general format with 15 significant digits and "." as the point.

#include <QString>

namespace zx {

struct CalcResult {
    QString error;   // the first error met; empty when all went well
    QString result;  // the value as text; empty on error
};

// Exactly one of error and result is non-empty, except for an expression that
// is empty after clean-up, which gives two empty texts. An expression longer
// than 255 characters gives "Expression too long.".
CalcResult calcexpression(const QString& expression);

// The editor command on the caret's line. On success `line` is the new line
// ("2 + 2" becomes "2 + 2 = 4"; a line that already carries its result gives
// the same line again). Otherwise `message` is the text to show and the line
// stays as it is.
struct CalcLineResult {
    bool changed = false;
    QString line;
    QString message;
};
CalcLineResult calcLine(const QString& line);

// The parts of the evaluator, exposed for testing.
namespace calc {
// Upper-cased text in, normalised text out (blanks removed, PI replaced,
// "--" folded, a-b written as a+-b, a/b written as a*INV(b)).
QString prepareexpression(const QString& upper);
// The general 15-digit format; false for infinities and NaN.
bool formatNumber(long double v, QString* out);
// Optional sign, digits with optional "." and fraction, optional exponent.
bool readNumber(const QString& text, long double* v);
// The syntax check of a bracket-free expression.
bool checksyntax(const QString& text);
}  // namespace calc

}  // namespace zx
