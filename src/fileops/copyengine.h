#pragma once
// The copy and move engine.
//
// A Transfer copies or moves a list of files, links and directory trees into
// one destination directory. It runs on a worker thread; every question and
// message goes to the user-interface thread through runOnUiThread, in the
// order the user would meet them in a sequential copy. File I/O goes through
// a FileIO object so that tests can inject faults.
//
// Files are copied chunk by chunk (QCopyFile); a file that is not copied
// completely (read failure, full disk, failed write, cancel, size mismatch)
// never stays behind as a partial destination. A move inside one file system
// is a rename; across file systems every file is copied, checked, and only
// then removed from its source.

#include "app/userinterface.h"
#include "fileops/fileio.h"
#include "fileops/progress.h"

#include <QDateTime>
#include <QStringList>
#include <sys/stat.h>

namespace zx {

// The callers pass the operation as a character code: C for copy, O for
// move. Anything but C is a move.
enum class Operation : char { Copy = 'C', Move = 'O' };

// Size of one chunk of the copy loop (320 KiB).
constexpr qint64 kCopyBufferSize = 327680;
// Attempts at reading one chunk before the read counts as failed.
constexpr int kReadTries = 6;

// The overwrite choices of one command.
struct OverwriteState {
    bool replaceAll = false;    // R
    bool replaceOlder = false;  // U
    bool skipAll = false;       // S
    QChar lastAnswer;           // R, U, T, S, F, or null for none
};

// Button order of the "copyoptions" question.
enum OverwriteButton { OwR = 0, OwU, OwT, OwS, OwF, OwCancel };

// The question ids this engine asks (the program shows its own dialogs for them).
inline const QString kAskCopyOptions = QStringLiteral("copyoptions");
inline const QString kAskCannotCreate = QStringLiteral("cannotcreate");
inline const QString kAskReadError = QStringLiteral("readerror");
inline const QString kAskWriteError = QStringLiteral("writeerror");

// MS-DOS packed date and time (local time, 2-second resolution).
quint32 dosDateTime(const QDateTime& t);

// True when dest was last written strictly before src, compared at the
// 2-second resolution of the MS-DOS form; false when either cannot be opened.
bool destisolder(const QString& src, const QString& dest);

// What happened to the entries of a transfer (for the tree cache and the
// panels).
struct TransferResult {
    bool cancelled = false;          // stopped by Cancel
    bool stopped = false;            // ended early for any reason
    int filesDone = 0;               // files copied or moved completely
    int failures = 0;                // entries reported as failed
    QStringList dirsCreated;         // top-level directories created at the destination
    QStringList dirsRemoved;         // top-level source directories that are gone after a move
};

class Transfer {
public:
    Transfer(UserInterface& ui, ProgressState& progress, FileIO* io = nullptr);

    // The source is on an optical volume: copies lose their read-only state.
    bool sourceIsOptical = false;
    // Hidden while the overwrite dialog is up; may be null.
    ProgressView* view = nullptr;

    // The whole transfer of sources into destDir. Call on the worker thread
    // (or directly in tests).
    TransferResult run(const QStringList& sources, const QString& destDir, Operation op);

    // One file into destination (a directory, to which the source's name is
    // appended, or a full file name). Returns false only when the user chose
    // Cancel after a failure (or cancelled the transfer); *ok tells whether
    // the destination now holds a complete copy.
    bool QCopyFile(const QString& src, const QString& destination, bool destExists, qint64 srcSize,
                   bool* ok = nullptr);

    enum class Decision { Copy, Skip, EndTransfer };
    // The overwrite decision for one destination path; *exists tells whether
    // it exists.
    Decision askoverwrite(const QString& src, const QString& dest, bool* exists);

    OverwriteState overwrite;
    qint64 processed() const { return progress_.totalDone.load(); }

    // Sum of the sizes of the regular files under paths (links not followed).
    static qint64 totalSize(const QStringList& paths);

private:
    void message(const QString& text, MsgKind kind);
    bool confirmUi(const QString& title, const QString& instruction, const QString& content);
    int askUi(Question& q);
    bool okCancel(const QString& id, const QString& text, MsgKind kind);   // true for Cancel

    bool copyFileTo(const QString& src, const QString& dest, bool destExists, qint64 srcSize, bool* ok,
                    bool createNew);
    void copyEntry(const QString& src, const QString& dest, const struct stat& st);
    void copyTree(const QString& src, const QString& dest, const struct stat& st, bool move);
    bool copyLink(const QString& src, const QString& dest, const struct stat& st);
    bool copySpecial(const QString& src, const QString& dest, const struct stat& st);
    bool moveEntry(const QString& src, const QString& dest, const struct stat& st);
    bool moveFileAcross(const QString& src, const QString& dest, const struct stat& st);
    bool removeSource(const QString& src);
    void reportChunk(qint64 n, qint64 nsecs, bool read);
    bool stopping() const;

    UserInterface& ui_;
    ProgressState& progress_;
    FileIO* io_;
    bool stop_ = false;
    bool move_ = false;
    bool freshDest_ = false;     // inside a directory this transfer created
    bool createClash_ = false;   // the exclusive create found a file in the way
    TransferResult result_;
};

// Runs a transfer on a worker thread while the calling (user-interface)
// thread keeps processing events; shows the progress window through view
// and returns when the transfer has ended.
TransferResult runTransfer(UserInterface& ui, const QStringList& sources, const QString& destDir,
                           Operation op, ProgressView* view = nullptr, FileIO* io = nullptr,
                           bool sourceIsOptical = false, ProgressState* state = nullptr);

}  // namespace zx
