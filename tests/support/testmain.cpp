// main() of every test executable: each process gets the offscreen platform
// and its own fresh XDG folders, so no test sees the user's settings, data or
// trash, and no two tests see each other's.
#include <QApplication>
#include <QDir>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {
std::string makeTempDir(const char* what)
{
    const char* base = std::getenv("TMPDIR");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/zxtest-" + what + "-XXXXXX";
    if (!mkdtemp(tmpl.data()))
        std::abort();
    return tmpl;
}

struct TempHome {
    std::string config, data, runtime, cache;
    TempHome()
    {
        config = makeTempDir("config");
        data = makeTempDir("data");
        runtime = makeTempDir("runtime");
        cache = makeTempDir("cache");
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        setenv("XDG_DATA_HOME", data.c_str(), 1);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        setenv("XDG_CACHE_HOME", cache.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    ~TempHome()
    {
        for (const auto& d : {config, data, runtime, cache})
            QDir(QString::fromStdString(d)).removeRecursively();
    }
};
}  // namespace

int main(int argc, char** argv)
{
    TempHome home;
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("HathelSoftware"));
    QCoreApplication::setApplicationName(QStringLiteral("Zarvex"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
