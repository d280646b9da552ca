#include "mainform/panelmodel.h"

#include <gtest/gtest.h>

using namespace zx;

namespace {
PanelModel make(std::initializer_list<const char*> dirs, std::initializer_list<const char*> files, int rows = 10)
{
    PanelModel m;
    for (const char* d : dirs) {
        Entry e;
        e.name = e.real = QString::fromLatin1(d);
        e.isdir = true;
        m.entries.append(e);
    }
    for (const char* f : files) {
        Entry e;
        e.name = e.real = QString::fromLatin1(f);
        e.size = 100;
        m.entries.append(e);
    }
    m.visiblerows = rows;
    m.current = 0;
    return m;
}

PanelModel numbered(int n, int rows)
{
    PanelModel m;
    for (int i = 0; i < n; ++i) {
        Entry e;
        e.name = e.real = QStringLiteral("f%1").arg(i, 4, 10, QLatin1Char('0'));
        m.entries.append(e);
    }
    m.visiblerows = rows;
    m.current = 0;
    return m;
}
}  // namespace

TEST(PanelModel, TaggingPassesOverNavigationalEntries)
{
    PanelModel m = make({"..", "sub"}, {"a", "b"});
    EXPECT_FALSE(m.toggleTag(0));
    EXPECT_TRUE(m.toggleTag(1));   // directories can be tagged one by one
    m.untagall();
    m.tagAllFiles();
    EXPECT_EQ(m.numtagged(), 2);
    EXPECT_EQ(m.taggedBytes(), 200);
    m.untagall();
    m.tagRange(3, 0);
    EXPECT_EQ(m.numtagged(), 3);
    EXPECT_FALSE(m.entries[0].tagged);
}

TEST(PanelModel, HistoryKeepsFortyLevels)
{
    PanelModel m = numbered(10, 5);
    for (int level = 0; level < 45; ++level) {
        m.top = level;
        m.current = level + 1;
        m.pushHistory();
    }
    EXPECT_EQ(m.st.historycount, 40);
    HistorySlot s;
    // Going back pops on each of the first 40 steps: the first pop gives level 39.
    ASSERT_TRUE(m.popHistory(&s));
    EXPECT_EQ(s.top, 39);
    for (int i = 0; i < 39; ++i)
        ASSERT_TRUE(m.popHistory(&s));
    EXPECT_EQ(s.top, 0);
    EXPECT_FALSE(m.popHistory(&s));
}

TEST(PanelModel, TypeAheadEdges)
{
    PanelModel one = make({}, {"apple"});
    EXPECT_FALSE(one.typeAhead(QLatin1Char('A'), false));   // a one-entry list finds nothing

    PanelModel m = make({"..", "alpha"}, {"apple", "banana", "avocado"});
    m.current = 0;
    EXPECT_TRUE(m.typeAhead(QLatin1Char('A'), false));
    EXPECT_EQ(m.current, 1);
    EXPECT_TRUE(m.typeAhead(QLatin1Char('A'), false));
    EXPECT_EQ(m.current, 2);
    EXPECT_TRUE(m.typeAhead(QLatin1Char('A'), false));
    EXPECT_EQ(m.current, 4);
    // Wrapping around searches 0 .. current - 1.
    EXPECT_TRUE(m.typeAhead(QLatin1Char('A'), false));
    EXPECT_EQ(m.current, 1);
    // Skipping directories.
    m.current = 0;
    EXPECT_TRUE(m.typeAhead(QLatin1Char('A'), true));
    EXPECT_EQ(m.current, 2);
    EXPECT_FALSE(m.typeAhead(QLatin1Char('Q'), false));

    // A wrap-around search that would end on entry 0 finds nothing.
    PanelModel w = make({}, {"apple", "berry"});
    w.current = 0;
    EXPECT_EQ(w.getnextindex(QLatin1Char('A'), true, 0, false), -1);
}

TEST(PanelModel, PagingAndMoving)
{
    PanelModel m = numbered(100, 10);
    m.pageDown();
    EXPECT_EQ(m.current, 10);
    EXPECT_EQ(m.top, 10);
    m.current = 95;
    m.top = 88;
    m.pageDown();
    EXPECT_EQ(m.current, 99);   // stops at the last entry
    EXPECT_EQ(m.top, 90);        // and the last page is full
    m.pageUp();
    EXPECT_EQ(m.current, 89);
    EXPECT_EQ(m.top, 80);
    m.ctrlHome();
    EXPECT_EQ(m.current, 0);
    EXPECT_EQ(m.top, 0);
    m.ctrlEnd();
    EXPECT_EQ(m.current, 99);
    m.ctrlHome();
    for (int i = 0; i < 9; ++i)
        m.moveDown(false);
    EXPECT_EQ(m.current, 9);
    EXPECT_GT(m.top, 0);   // scrolls before reaching the last visible row
    m.moveDown(true);
    EXPECT_TRUE(m.entries[9].tagged);
    m.moveUp(true);
    EXPECT_TRUE(m.entries[10].tagged);
    m.home();
    EXPECT_EQ(m.current, m.top);
    m.end();
    EXPECT_EQ(m.current, m.top + 9);
}

TEST(PanelModel, CtrlDownGoesToLastDirectory)
{
    PanelModel m = make({"..", "a", "b"}, {"x", "y"});
    m.ctrlDown();
    EXPECT_EQ(m.current, 2);
    PanelModel onlyUp = make({".."}, {"x"});
    onlyUp.ctrlDown();
    EXPECT_EQ(onlyUp.current, 0);
}

TEST(PanelModel, NameLookup)
{
    PanelModel m = make({"Docs"}, {"Readme.txt"});
    EXPECT_EQ(m.myindexof(QStringLiteral("readme.txt"), false), 1);
    EXPECT_EQ(m.myindexof(QStringLiteral("readme.txt"), true), -1);
    EXPECT_EQ(m.myindexof(QStringLiteral("Docs"), true), 0);
}
