// One read of a setting must cost well under a microsecond: the greeting
// text reads a few dozen of them when it composes, and one ten times a second.
// A write that cannot be made must fail in a blink, and reading a file of any
// size must cost bounded time and memory.
#include "platform/errortrap.h"
#include "settings/settingsstore.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The median of a few writes that fail, ms; -1 when one succeeds.
double failedWriteMs(const QString &path)
{
    SettingsStore store(path);
    QList<double> ms;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (silently([&] { store.WriteSetting(Key::Text1, QStringLiteral("x")); }))
            return -1;
        ms << double(timer.nsecsElapsed()) / 1e6;
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

long peakKiB()
{
    rusage usage = {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Reads the file as the program's start does: ms, and how much the peak
// resident memory grew, KiB.
void measureRead(const char *what, const QString &path)
{
    const long before = peakKiB();
    QElapsedTimer timer;
    timer.start();
    const SettingsStore store(path);
    std::printf("store read of %s: %.1f ms, peak memory +%ld KiB\n", what, double(timer.nsecsElapsed()) / 1e6,
        peakKiB() - before);
}

} // namespace

int main()
{
    QTemporaryDir dir;
    SettingsStore store(dir.filePath(QStringLiteral("Zdravin.conf")));
    store.WriteSetting(Key::CasF, QStringLiteral("h.mm.ss"));

    constexpr int Reads = 10'000'000;
    QElapsedTimer timer;
    timer.start();
    qsizetype sink = 0;
    for (int i = 0; i < Reads; ++i)
        sink += store.ReadSetting(i % 2 ? Key::CasF : Key::Text1, fallback(Key::Text1, Reader::Composer)).size();
    const double readNs = double(timer.nsecsElapsed()) / Reads;

    constexpr int Writes = 200;
    timer.restart();
    for (int i = 0; i < Writes; ++i)
        store.WriteSetting(Key::Text1, QString::number(i));
    const double writeUs = double(timer.nsecsElapsed()) / Writes / 1000;

    std::printf("store read: %.1f ns\nstore write (persisted, atomic): %.0f us\n", readNs, writeUs);

    // Files no write may touch. Root may write anywhere, so a root run acts as
    // user nobody for these (files for others to reach, in a folder they may enter).
    QTemporaryDir odd(QStringLiteral("/tmp/bench_store-XXXXXX"));
    ::chmod(QFile::encodeName(odd.path()).constData(), 0755);
    const QString readOnlyFolder = odd.filePath(QStringLiteral("readonly"));
    const QString openFolder = odd.filePath(QStringLiteral("open"));
    const QString readOnlyFile = openFolder + QStringLiteral("/Zdravin.conf");
    const QString fifo = odd.filePath(QStringLiteral("fifo.conf"));
    const QString large = odd.filePath(QStringLiteral("large.conf"));
    const QString longest = odd.filePath(QStringLiteral("longest.conf"));
    const bool prepared = ::mkdir(QFile::encodeName(readOnlyFolder).constData(), 0555) == 0
        && ::mkdir(QFile::encodeName(openFolder).constData(), 0777) == 0
        && ::chmod(QFile::encodeName(openFolder).constData(), 0777) == 0 && writeFile(readOnlyFile, "[Path]\n")
        && ::chmod(QFile::encodeName(readOnlyFile).constData(), 0444) == 0
        && ::mkfifo(QFile::encodeName(fifo).constData(), 0666) == 0 && writeFile(large, QByteArray(20 << 20, '\n'))
        && writeFile(longest, QByteArray(SettingsStore::MaxFileSize, '\n'));
    if (!prepared) {
        std::printf("cannot prepare the files of the failed writes\n");
        return 1;
    }
    const passwd *nobody = ::geteuid() == 0 ? ::getpwnam("nobody") : nullptr;
    if (nobody && (::setegid(nobody->pw_gid) != 0 || ::seteuid(nobody->pw_uid) != 0)) {
        std::printf("cannot act as user nobody\n");
        return 1;
    }
    std::printf("failed store write (median of 5), ms: folder the user cannot write %.2f, read-only file %.2f, "
                "FIFO %.2f, file over the size limit %.2f\n",
        failedWriteMs(readOnlyFolder + QStringLiteral("/Zdravin.conf")), failedWriteMs(readOnlyFile),
        failedWriteMs(fifo), failedWriteMs(large));
    measureRead("a 20 MiB file", large);
    measureRead("1 MiB of empty lines (the costliest file within the limit)", longest);
    if (nobody && (::seteuid(0) != 0 || ::setegid(0) != 0)) // root again, to remove the files
        return 1;
    return sink > 0 ? 0 : 1; // the reads are used, so they are not optimised away
}
