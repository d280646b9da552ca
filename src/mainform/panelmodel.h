#pragma once
// A panel without its widget: the listed directory, the entries, the current
// and first visible entry, the history of places, tags and the letter search.

#include "mainform/entry.h"

#include <QString>
#include <QVector>
#include <array>

namespace zx {

constexpr int kHistoryLevels = 40;

struct HistorySlot {
    int top = 0;        // first visible entry
    int current = 0;    // current entry
};

struct PanelState {
    QString dir;                    // listed directory; roots end in "/"
    int historycount = 0;           // 0..40
    std::array<HistorySlot, kHistoryLevels + 1> panelhistory{};
    int sortkind = 0;               // 0: name order
    int dircount = 0;
    bool refreshsuspended = false;
    int anchor = -1;
    double totalbytes = -1;
    double freebytes = -1;
    QString defaultdir;
    int savedindex = -1, savedtab = -1, savedtop = 0;
};

class PanelModel {
public:
    PanelState st;
    QVector<Entry> entries;
    int current = -1;          // -1: none
    int top = 0;               // first visible entry
    int visiblerows = 20;      // whole rows in view
    int hoverindex = -1;
    bool redrawpending = false;

    int count() const { return int(entries.size()); }
    bool valid(int i) const { return i >= 0 && i < count(); }
    const Entry* currentEntry() const { return valid(current) ? &entries[current] : nullptr; }

    // True when entry i is "." or "..".
    bool backdir(int i) const;
    int numtagged() const;
    qint64 taggedBytes() const;
    void untagall();
    void tagAllFiles();
    // Toggles the tag unless the entry is navigational; false when refused.
    bool toggleTag(int i);
    // Tags first..last (either order), passing over navigational entries.
    void tagRange(int a, int b);

    // Keeps top within the list and, when asked, makes current visible.
    void clampTop();
    void setTop(int t);

    // Moving, as the arrow, paging and jump keys do.
    void moveDown(bool toggleFirst);
    void moveUp(bool toggleFirst);
    void pageUp();
    void pageDown();
    void home();
    void end();
    void ctrlHome();
    void ctrlEnd();
    void ctrlDown();   // last directory entry

    // Letter search of the type-ahead.
    int findinrange(QChar letter, bool includeDirs, int last, int first, bool skipDirectories) const;
    int getnextindex(QChar letter, bool includeDirs, int cur, bool skipDirectories) const;
    int getfirstindex(QChar letter, bool includeDirs, bool skipDirectories) const;
    // The whole type-ahead: returns true when an entry was found and made current.
    bool typeAhead(QChar upperLetter, bool skipDirectories);

    // Index of an entry by display name: exact, or ignoring case; -1 when none.
    int myindexof(const QString& name, bool exact) const;

    // History of entered subdirectories.
    void pushHistory();
    bool popHistory(HistorySlot* out);
};

}  // namespace zx
