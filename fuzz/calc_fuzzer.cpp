// Evaluates arbitrary text with the calculator and runs the editor command
// on it: nothing may crash or hang, exactly one of error and result is set
// (or neither, for an empty expression), and running the command on its own
// result leaves the line as it is.
#include "memo/calcexpr.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const zx::CalcResult r = zx::calcexpression(text);
    if (!r.error.isEmpty() && !r.result.isEmpty())
        std::abort();

    const zx::CalcLineResult once = zx::calcLine(text);
    if (once.message.isEmpty()) {
        const zx::CalcLineResult twice = zx::calcLine(once.line);
        if (!twice.message.isEmpty() || twice.line != once.line) {
            std::fprintf(stderr, "not idempotent: [%s] -> [%s] -> [%s] %s\n", qPrintable(text),
                         qPrintable(once.line), qPrintable(twice.line), qPrintable(twice.message));
            std::abort();
        }
    }
    return 0;
}
