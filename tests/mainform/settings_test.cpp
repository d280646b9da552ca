#include "mainform/settings.h"

#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zx;

namespace {
struct Store {
    QTemporaryDir dir;
    QSettings s{dir.path() + QStringLiteral("/zx.ini"), QSettings::IniFormat};
};
}  // namespace

TEST(Settings, FirstRunKeepsEveryDefault)
{
    Store st;
    Settings s;
    s.read(st.s);
    EXPECT_TRUE(s.firstRun);
    EXPECT_EQ(s.formSize, 1);
    EXPECT_TRUE(s.singleClick);
    EXPECT_TRUE(s.showHiddenFiles);
    EXPECT_FALSE(s.showCaseOfFilenames);
    EXPECT_TRUE(s.forgetPassword);
    EXPECT_EQ(s.forgetMinutes, 5);
    EXPECT_EQ(s.left, kNotSet);
    EXPECT_EQ(s.skinName, QStringLiteral("Nautilus (internal)"));
    EXPECT_EQ(s.font.name, QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(s.font.size, 10);
    EXPECT_EQ(s.font.style, 1);
    EXPECT_EQ(s.editorFont.name, QStringLiteral("Courier New"));
    EXPECT_EQ(s.colors.c[0], 0x00022ACCu);
    EXPECT_EQ(s.colors.c[22], 0x00188028u);
    EXPECT_EQ(s.colors.c[23], 0u);
}

TEST(Settings, WrittenFormsAndRoundTrip)
{
    Store st;
    Settings s;
    s.mouseTrails = true;
    s.formSize = 2;
    s.forgetPassword = false;
    s.defDir[1] = QStringLiteral("/tmp");
    s.left = -30;
    s.scanDrives = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZXX");
    s.colors.c[5] = 0x00123456;
    s.font.name = QStringLiteral("Sans");
    s.font.size = 12;
    s.font.style = 3;
    s.write(st.s);
    EXPECT_EQ(st.s.value("MouseTrails").toString(), QStringLiteral("1"));
    EXPECT_EQ(st.s.value("SingleClick").toString(), QStringLiteral("1"));
    EXPECT_EQ(st.s.value("Sounds").toString(), QStringLiteral("0"));
    EXPECT_EQ(st.s.value("ForgetPassword").toString(), QStringLiteral("0"));
    EXPECT_EQ(st.s.value("left").toString(), QStringLiteral("-30"));
    EXPECT_EQ(st.s.value("Colors1").toByteArray().size(), 120);
    EXPECT_EQ(st.s.value("Font").toByteArray().size(), 160);
    EXPECT_EQ(st.s.value("ScanDrives").toString().size(), 26);
    EXPECT_FALSE(st.s.contains("TreeLeft"));   // the tree window was not shown

    Settings r;
    r.read(st.s);
    EXPECT_TRUE(r.mouseTrails);
    EXPECT_EQ(r.formSize, 2);
    EXPECT_FALSE(r.forgetPassword);
    EXPECT_EQ(r.defDir[1], QStringLiteral("/tmp"));
    EXPECT_EQ(r.left, -30);
    EXPECT_EQ(r.colors.c[5], 0x00123456u);
    EXPECT_EQ(r.font.name, QStringLiteral("Sans"));
    EXPECT_EQ(r.font.size, 12);
    EXPECT_EQ(r.font.style, 3);
}

TEST(Settings, MalformedValues)
{
    struct Case {
        const char* key;
        const char* value;
        std::function<void(const Settings&)> check;
    } cases[] = {
        {"FormSize", "7", [](const Settings& s) { EXPECT_EQ(s.formSize, 1); }},
        {"FormSize", "0", [](const Settings& s) { EXPECT_EQ(s.formSize, 0); }},
        {"ForgetPassword", "abc", [](const Settings& s) { EXPECT_TRUE(s.forgetPassword); EXPECT_EQ(s.forgetMinutes, 5); }},
        {"ForgetPassword", "12", [](const Settings& s) { EXPECT_TRUE(s.forgetPassword); EXPECT_EQ(s.forgetMinutes, 12); }},
        {"ForgetPassword", "0", [](const Settings& s) { EXPECT_FALSE(s.forgetPassword); }},
        {"ShowHiddenFiles", "yes", [](const Settings& s) { EXPECT_FALSE(s.showHiddenFiles); }},
        {"ShowHiddenFiles", "", [](const Settings& s) { EXPECT_TRUE(s.showHiddenFiles); }},
        {"SingleClick", "0", [](const Settings& s) { EXPECT_FALSE(s.singleClick); }},
        {"ScanDrives", "ABCDEFGHIJKLMNOPQRSTUVWXYZ12", [](const Settings& s) { EXPECT_EQ(s.scanDrives.size(), 26); }},
    };
    for (const Case& c : cases) {
        Store st;
        st.s.setValue(QLatin1String(c.key), QString::fromLatin1(c.value));
        st.s.setValue("Sounds", "0");   // the store exists
        Settings s;
        s.read(st.s);
        SCOPED_TRACE(std::string(c.key) + "=" + c.value);
        c.check(s);
    }
}

TEST(Settings, BadPositionEndsThePositionStep)
{
    Store st;
    st.s.setValue("top", "20");
    st.s.setValue("left", "x");
    st.s.setValue("width", "700");
    st.s.setValue("ffleft", "5");
    st.s.setValue("MemoWidth", "300");
    Settings s;
    s.read(st.s);
    EXPECT_EQ(s.left, kNotSet);
    EXPECT_EQ(s.top, kNotSet);
    EXPECT_EQ(s.width, kNotSet);
    EXPECT_EQ(s.ffleft, kNotSet);
    EXPECT_EQ(s.memoWidth, 0);
}

TEST(Settings, MaximizedWindowSkipsItsPosition)
{
    Store st;
    st.s.setValue("MAX", "1");
    st.s.setValue("left", "40");
    st.s.setValue("TreeLeft", "77");
    Settings s;
    s.read(st.s);
    EXPECT_TRUE(s.max);
    EXPECT_EQ(s.left, kNotSet);
    EXPECT_EQ(s.treeLeft, 77);
}

TEST(Settings, FontRecordLayout)
{
    FontRecord f;
    f.name = QStringLiteral("Verdana");
    f.size = 11;
    f.style = 0x05;
    f.color = 0x00112233;
    const QByteArray b = f.encode();
    ASSERT_EQ(b.size(), 160);
    EXPECT_EQ(quint8(b[0]), 7);
    EXPECT_EQ(b.mid(1, 7), QByteArray("Verdana"));
    EXPECT_EQ(quint8(b[151]), 11);
    EXPECT_EQ(quint8(b[155]), 5);
    EXPECT_EQ(quint8(b[156]), 0x33);
    FontRecord back;
    ASSERT_TRUE(FontRecord::decode(b, &back));
    EXPECT_EQ(back.name, f.name);
    EXPECT_EQ(back.color, f.color);

    EXPECT_FALSE(FontRecord::decode(b.left(100), &back));
    QByteArray bad = b;
    bad[0] = char(200);
    EXPECT_FALSE(FontRecord::decode(bad, &back));

    f.name = QString(200, QLatin1Char('x'));
    const QByteArray cut = f.encode();
    EXPECT_EQ(cut.size(), 160);
    EXPECT_EQ(quint8(cut[0]), 150);
}

TEST(Settings, MalformedFontKeepsDefault)
{
    Store st;
    st.s.setValue("Font", QByteArray(20, 'z'));
    Settings s;
    s.read(st.s);
    EXPECT_EQ(s.font.name, QStringLiteral("MS Sans Serif"));
}

TEST(Settings, ShortColourTableReplacesOnlyWhatItHolds)
{
    ColorTable t = defaultColorTable();
    QByteArray b(8, '\0');
    b[0] = char(0xFF);
    t.decode(b);
    EXPECT_EQ(t.c[0], 0xFFu);
    EXPECT_EQ(t.c[1], 0u);
    EXPECT_EQ(t.c[3], 0x00C85AD1u);
    EXPECT_EQ(ColorTable::toQColor(0x00022ACC), QColor(0xCC, 0x2A, 0x02));
}
