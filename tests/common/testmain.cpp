#include "common/testmain.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <vector>

namespace {

struct Entry
{
    const char *name;
    std::function<QObject *()> make;
};

std::vector<Entry> &entries()
{
    static std::vector<Entry> list;
    return list;
}

} // namespace

int TestRegistry::add(const char *name, std::function<QObject *()> make)
{
    entries().push_back({name, std::move(make)});
    return int(entries().size());
}

int main(int argc, char **argv)
{
    // Never the user's own settings: the whole run gets a fresh config folder.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale::c());

    QApplication app(argc, argv);
    int failed = 0;
    for (const Entry &entry : entries()) {
        std::unique_ptr<QObject> test(entry.make());
        failed += QTest::qExec(test.get(), argc, argv);
    }
    return failed == 0 ? 0 : 1;
}
