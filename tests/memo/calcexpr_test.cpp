// The expression calculator: results, messages and the editor line command.
#include "memo/calcexpr.h"

#include <gtest/gtest.h>

using namespace zx;

namespace {

struct Case {
    const char* input;
    const char* result;  // expected result, or nullptr when an error is expected
    const char* error;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.input; }

class CalcExamples : public ::testing::TestWithParam<Case> {};

TEST_P(CalcExamples, GivesStatedResult)
{
    const Case& c = GetParam();
    const CalcResult r = calcexpression(QString::fromUtf8(c.input));
    if (c.result) {
        EXPECT_EQ(r.result.toStdString(), c.result) << "error: " << r.error.toStdString();
        EXPECT_TRUE(r.error.isEmpty());
    } else {
        EXPECT_EQ(r.error.toStdString(), c.error);
        EXPECT_TRUE(r.result.isEmpty());
    }
}

// The documented examples, each with its stated result.
INSTANTIATE_TEST_SUITE_P(Documented, CalcExamples, ::testing::Values(
    Case{"10/4", "2.5", nullptr},
    Case{"1/3", "0.333333333333333", nullptr},
    Case{"2^3^2", "64", nullptr},
    Case{"2x3", "6", nullptr},
    Case{"1,000*3", "3000", nullptr},
    Case{"pi", "3.14159265358979", nullptr},
    Case{"5-(2-3)", nullptr, "Number \"--1\" is invalid."},
    Case{"2*(1-4)", "-6", nullptr},
    Case{"6/-2", nullptr, "Number \"-\" is invalid."},
    Case{"6/(-2)", "-3", nullptr},
    Case{"(1-4)^2", nullptr, "Cannot raise negative no."},
    Case{"0^2", nullptr, "Cannot raise negative no."},
    Case{"sin(-30)", "-0.5", nullptr},
    Case{"tan(90)", nullptr, "Number to \"tan\" is out of range."},
    Case{"log(1000)", "2.99999999999224", nullptr},
    Case{"2**3", nullptr, "Invalid expression syntax."},
    Case{"2+", nullptr, "Invalid expression syntax."},
    Case{"3-", nullptr, "Number \"3-\" is invalid."},
    Case{"(2", nullptr, "Too many left brackets."},
    Case{")(", nullptr, "Brackets in wrong order."},
    Case{"abs(2)", nullptr, "Invalid function - ABS(2)"},
    Case{"ln(0)", nullptr, "Out of bounds"},
    Case{"()", nullptr, "Empty brackets"},
    Case{"2E*5", "2", nullptr},
    Case{"1E9", "1E9", nullptr},
    Case{"007", "7", nullptr},
    // A plain number out of range keeps its form, without "+" signs.
    Case{"13E+3000", "13E3000", nullptr},
    Case{"+5E9", "5E9", nullptr}));

// Every function, operator and message beyond the documented examples.
INSTANTIATE_TEST_SUITE_P(Functions, CalcExamples, ::testing::Values(
    Case{"2 + 2", "4", nullptr},
    Case{"inv(4)", "0.25", nullptr},
    Case{"1/0", nullptr, "Division by zero."},
    Case{"exp(1)", "2.71828182845905", nullptr},
    Case{"exp(20000)", nullptr, "Out of bounds"},
    Case{"sqr(12)", "144", nullptr},
    Case{"sqr(1E3000)", nullptr, "Out of bounds"},
    Case{"sqrt(2)", "1.4142135623731", nullptr},
    Case{"sqrt(-4)", nullptr, "Cannot find root of a -ve no."},
    Case{"cos(60)", "0.5", nullptr},
    Case{"sin(1001)", nullptr, "Number to \"sin\" is out of range."},
    Case{"cos(-1001)", nullptr, "Number to \"cos\" is out of range."},
    Case{"tan(45)", "1", nullptr},
    Case{"tan(89.999999995)", nullptr, "Number to \"tan\" is out of range."},
    Case{"tan(270)", nullptr, "Number to \"tan\" is out of range."},
    Case{"tan(-90)", nullptr, "Number to \"tan\" is out of range."},
    Case{"arcsin(1)", "90", nullptr},
    Case{"arcsin(-1)", "-90", nullptr},
    Case{"arcsin(0.5)", "30", nullptr},
    Case{"arcsin(2)", nullptr, "Number out of range."},
    Case{"arccos(1)", "0", nullptr},
    Case{"arccos(0)", "90", nullptr},
    Case{"arccos(-1)", "180", nullptr},
    Case{"arccos(0.5)", "60", nullptr},
    Case{"arccos(-0.5)", "120", nullptr},
    Case{"arccos(-1.5)", nullptr, "Number out of range."},
    Case{"arctan(1)", "45", nullptr},
    Case{"log(-1)", nullptr, "Out of bounds"},
    Case{"ln(exp(2))", "2", nullptr},
    Case{"fact(5)", "120", nullptr},
    Case{"fact(0)", "1", nullptr},
    Case{"fact(2.5)", nullptr, "No. to fact() is not an integer."},
    Case{"fact(3000)", nullptr, "Out of bounds"},
    Case{"fact(1E300)", nullptr, "Out of bounds"},
    Case{"2^0.5", "1.4142135623731", nullptr},
    Case{"2^100000", nullptr, "Out of bounds"},
    Case{"1E3000*1E3000", nullptr, "Floating point overflow"},
    Case{"1E5000", nullptr, "1E5000 magnitude too large. "},
    Case{"2=4", nullptr, "Invalid character \"=\"."},
    Case{"2)", nullptr, "Too many right brackets."},
    Case{"2)+(3", nullptr, "Brackets in wrong order."},
    Case{"1..2", nullptr, "Invalid expression syntax."},
    Case{"abc", nullptr, "Invalid input"},
    Case{"1-2-3-4", "-8", nullptr},
    Case{"8/2/2", "2", nullptr},
    Case{"1/sin(30)", "2", nullptr},
    Case{"2*pi", "6.28318530717958", nullptr},
    Case{"--3", "3", nullptr},
    Case{"5--3", "8", nullptr},
    Case{"((2+3)*(4+1))", "25", nullptr},
    Case{"1E-3*2", "0.002", nullptr},
    Case{"1E20*1", "1E20", nullptr},
    Case{"3*0.00000005", "1.5E-7", nullptr}));

TEST(Calc, EmptyAfterCleanUpGivesNothing)
{
    for (const char* in : {"", "   ", ",,,"}) {
        const CalcResult r = calcexpression(QString::fromLatin1(in));
        EXPECT_TRUE(r.error.isEmpty()) << in;
        EXPECT_TRUE(r.result.isEmpty()) << in;
    }
}

TEST(Calc, InputLongerThan255IsRefused)
{
    QString ok = QStringLiteral("1");
    while (ok.size() < 255)
        ok += QStringLiteral("+1");
    ok.truncate(255);  // ends in "1": 128 ones
    EXPECT_EQ(calcexpression(ok).result, QStringLiteral("128"));
    EXPECT_EQ(calcexpression(ok + QStringLiteral("+")).error, QStringLiteral("Expression too long."));
    EXPECT_EQ(calcexpression(QString(100000, u'(')).error, QStringLiteral("Expression too long."));
    // Blanks do not count, so a long line gets its result and keeps it.
    EXPECT_EQ(calcexpression(QStringLiteral("  ") + ok + QStringLiteral("   ")).result, QStringLiteral("128"));
    const CalcLineResult once = calcLine(ok);
    EXPECT_EQ(once.line, ok + QStringLiteral(" = 128"));
    EXPECT_EQ(calcLine(once.line).line, once.line);
    EXPECT_TRUE(calcLine(once.line).message.isEmpty());
}

TEST(Calc, NumberFormat)
{
    struct F {
        long double v;
        const char* text;
    } cases[] = {
        {0, "0"},
        {2.5L, "2.5"},
        {-2.5L, "-2.5"},
        {1e20L, "1E20"},
        {1.5e-7L, "1.5E-7"},
        {0.00001L, "0.00001"},
        {0.0000099L, "9.9E-6"},
        {123456789012345.0L, "123456789012345"},
        {1234567890123456.0L, "1.23456789012346E15"},
        {999999999999999.9L, "1E15"},
        {1.0L / 3, "0.333333333333333"},
        {100, "100"},
    };
    for (const F& f : cases) {
        QString s;
        ASSERT_TRUE(calc::formatNumber(f.v, &s));
        EXPECT_EQ(s.toStdString(), f.text);
    }
    QString s;
    EXPECT_FALSE(calc::formatNumber(HUGE_VALL, &s));
    EXPECT_FALSE(calc::formatNumber(NAN, &s));
}

TEST(Calc, ReadNumber)
{
    long double v = 0;
    for (const char* good : {"7", "-7", "+7", "2.", ".5", "1E9", "1e-3", "2.5E+3"})
        EXPECT_TRUE(calc::readNumber(QString::fromLatin1(good), &v)) << good;
    for (const char* bad : {"", "-", ".", "E5", "1E", "1E+", "--1", "3-", "1.2.3", "1 2", "0x10", "inf", "nan"})
        EXPECT_FALSE(calc::readNumber(QString::fromLatin1(bad), &v)) << bad;
    ASSERT_TRUE(calc::readNumber(QStringLiteral("2.5E+3"), &v));
    EXPECT_EQ(v, 2500.0L);
}

TEST(Calc, PrepareExpression)
{
    struct P {
        const char* in;
        const char* out;
    } cases[] = {
        {"5-(2-3)", "5+-(2+-3)"},
        {"10/4", "10*INV(4)"},
        {"6/-2", "6*INV(-)2"},
        {"6/(-2)", "6*INV(-2)"},
        {"1/SIN(30)", "1*INV(SIN(30))"},
        {"8/2E-3", "8*INV(2E-3)"},
        {"2*--3", "2*3"},
        {"1E-5", "1E-5"},
    };
    for (const P& p : cases)
        EXPECT_EQ(calc::prepareexpression(QString::fromLatin1(p.in)).toStdString(), p.out) << p.in;
}

TEST(CalcLine, EditorCommand)
{
    struct L {
        const char* line;
        const char* after;    // new line, or nullptr when the line stays
        const char* message;  // message shown, or nullptr
    } cases[] = {
        {"2 + 2", "2 + 2 = 4", nullptr},
        {"2 + 2 = 4", "2 + 2 = 4", nullptr},
        {"2 + 2 = 5", "2 + 2 = 4", nullptr},
        {"2 + 2 =", "2 + 2 = 4", nullptr},
        {"2+2=   ", "2+2 = 4", nullptr},
        {"3*3 = 1,234.5E-3  ", "3*3 = 9", nullptr},
        {"10/4 = -2.5e-1", "10/4 = 2.5", nullptr},
        {"2 + 2 = 4+", nullptr, "Invalid character \"=\"."},
        {"2 = x", nullptr, "Invalid character \"=\"."},
        {"", nullptr, "Enter an expression (e.g, 2 + 2)"},
        {"    ", nullptr, "Enter an expression (e.g, 2 + 2)"},
        {"= 4", nullptr, "Enter an expression (e.g, 2 + 2)"},
        {"2+", nullptr, "Invalid expression syntax."},
    };
    for (const L& c : cases) {
        const CalcLineResult r = calcLine(QString::fromLatin1(c.line));
        if (c.after) {
            EXPECT_TRUE(r.message.isEmpty()) << c.line << ": " << r.message.toStdString();
            EXPECT_EQ(r.line.toStdString(), c.after) << c.line;
        } else {
            EXPECT_EQ(r.message.toStdString(), c.message) << c.line;
            EXPECT_EQ(r.line.toStdString(), c.line);
            EXPECT_FALSE(r.changed);
        }
    }
    // Running the command on its own result changes nothing.
    for (const char* expr : {"1/3", "13E+3000", "+5E9", "-(2^0.5)", "1E-20*1", "fact(100)"}) {
        const CalcLineResult once = calcLine(QString::fromLatin1(expr));
        const CalcLineResult twice = calcLine(once.line);
        EXPECT_TRUE(once.changed) << expr << ": " << once.message.toStdString();
        EXPECT_TRUE(twice.message.isEmpty()) << expr << ": " << twice.message.toStdString();
        EXPECT_FALSE(twice.changed) << expr;
        EXPECT_EQ(twice.line, once.line);
    }
}

}  // namespace
