// fileops_bench copy|move SOURCE... DESTDIR
// fileops_bench delete PATH...
// Runs the program's own engine (worker thread, event loop, progress kept)
// with no questions expected; prints nothing on success.
#include "app/userinterface.h"
#include "fileops/copyengine.h"
#include "fileops/deleteengine.h"

#include <QCoreApplication>
#include <cstdio>

namespace {
class NoQuestions : public zx::UserInterface {
public:
    int shown = 0;
    void message(const QString& text, zx::MsgKind, const QString&) override
    {
        ++shown;
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    bool confirm(const QString&, const QString& instruction, const QString&) override
    {
        ++shown;
        std::fprintf(stderr, "question: %s\n", qPrintable(instruction));
        return false;
    }
    int ask(zx::Question& q) override
    {
        ++shown;
        std::fprintf(stderr, "question: %s\n", qPrintable(q.text));
        return q.cancelButton;
    }
};
}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: fileops_bench copy|move SOURCE... DESTDIR | delete PATH...\n");
        return 2;
    }
    NoQuestions ui;
    const QString mode = args[0];
    if (mode == QLatin1String("delete")) {
        const auto failures = zx::runDeletion(ui, args.mid(1));
        return failures.isEmpty() ? 0 : 1;
    }
    if (args.size() < 3)
        return 2;
    const QStringList sources = args.mid(1, args.size() - 2);
    const zx::TransferResult r = zx::runTransfer(ui, sources, args.last(),
                                                 mode == QLatin1String("move") ? zx::Operation::Move : zx::Operation::Copy);
    return r.failures == 0 && !r.stopped && ui.shown == 0 ? 0 : 1;
}
