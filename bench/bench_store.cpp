// One read of a setting must cost well under a microsecond: the greeting
// text reads a few dozen of them when it composes, and one ten times a second.
// A write that cannot be made must fail in a blink. Any file the reader
// accepts (1 MiB at most) must cost at most 20 ms and 16 MiB to read or to
// change once, an OK on it must return within 0.5 s, and the settings window
// must open within 0.5 s whatever the texts hold: the costliest shapes of
// such files are measured here, each in a process of its own.
#include "platform/errortrap.h"
#include "settings/commondialog.h"
#include "settings/form1.h"
#include "settings/greetingtarget.h"
#include "store/settingsstore.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtWidgets>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

// Processor time of this process so far, user and system, ms: on a machine
// other work keeps busy it tells the program's own cost from the waiting.
double cpuMs()
{
    rusage usage = {};
    ::getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// A settings window whose greeting window and dialogs do nothing.
struct Quiet : GreetingTarget, CommonDialog
{
    void setPicture(const QString &) override { }
    void setPictureStretch(bool) override { }
    void setTextFontName(const QString &) override { }
    void setTextFontSize(float) override { }
    void setTextColor(qint32) override { }
    void centreText() override { }
    void recomposeText() override { }
};

// A settings file of a shape, a little under the size limit so that a change fits.
struct Shape
{
    const char *name;
    QByteArray bytes;
};

QByteArray filled(const QByteArray &head, const QByteArray &unit, const QByteArray &tail = {})
{
    const qsizetype room = SettingsStore::MaxFileSize - 512 - head.size() - tail.size();
    return head + unit.repeated(room / unit.size()) + tail;
}

QList<Shape> shapes()
{
    const QByteArray keys = "[Path]\nDate=1\nCas=1\nTextV=1\nSvatky=1\nLong=30\nSize=13\n";
    return {
        { "empty lines", filled(keys, "\n") },
        { "lone CRs", filled(keys, "\r") },
        { "one-letter keys", filled(keys, "a=\n") },
        { "section headers", filled(keys, "[a]\n", "[Path]\n") },
        { "Text1 repeated between comments", filled(keys, "Text1=x\n;\n") },
        { "Text1 repeated", filled(keys, "Text1=x\n") },
        { "one long value", filled(keys + "Text1=", "x", "\n") },
        { "one long quoted value of escapes", filled(keys + "Text1=\"", "\\x41", "\"\n") },
        { "one long comment", filled(keys + ";", "x", "\n") },
    };
}

// Texts of the settings window's text boxes that cost the most to show.
QList<Shape> windowShapes()
{
    return {
        { "Text1 one word", filled("[Path]\nTextV=1\nText1=", "x", "\n") },
        { "Text1 words", filled("[Path]\nTextV=1\nText1=", "ab cd ", "\n") },
        { "Text1 lines", filled("[Path]\nTextV=1\nText1=\"", "a\\r\\n", "\"\n") },
        { "Text1 and Text2 one word each",
            filled("[Path]\nText2=" + QByteArray(SettingsStore::MaxFileSize / 2 - 64, 'y') + "\nText1=", "x", "\n") },
    };
}

struct Cost
{
    double ms = 0;
    double cpuMs = 0;
    long kib = 0;
};

// Runs the operation in a process of its own, after its preparation: how
// long the operation took and how much the peak resident memory grew.
Cost measure(const std::function<std::function<void()>()> &prepare)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return { -1, -1, -1 };
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        const std::function<void()> operation = prepare();
        const long before = peakKiB();
        const double cpuBefore = cpuMs();
        QElapsedTimer timer;
        timer.start();
        operation();
        const Cost cost { double(timer.nsecsElapsed()) / 1e6, cpuMs() - cpuBefore, peakKiB() - before };
        const bool sent = ::write(pipeFds[1], &cost, sizeof cost) == sizeof cost;
        ::_exit(sent ? 0 : 1);
    }
    ::close(pipeFds[1]);
    Cost cost { -1, -1, -1 };
    const bool received = ::read(pipeFds[0], &cost, sizeof cost) == sizeof cost;
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return received ? cost : Cost { -1, -1, -1 };
}

char *noArguments[] = { nullptr };
int argumentCount = 0;

void report(const char *what, const QList<Shape> &shapes,
    const std::function<std::function<void()>(const QString &path)> &prepare)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Zdravin.conf"));
    Cost worst;
    const char *worstShape = "";
    std::printf("%s:", what);
    for (const Shape &shape : shapes) {
        const Cost cost = measure([&] {
            writeFile(path, shape.bytes);
            return prepare(path);
        });
        std::printf(" %s %.1f ms (CPU %.1f) %ld KiB;", shape.name, cost.ms, cost.cpuMs, cost.kib);
        if (cost.ms > worst.ms)
            worstShape = shape.name;
        worst = { std::max(worst.ms, cost.ms), std::max(worst.cpuMs, cost.cpuMs), std::max(worst.kib, cost.kib) };
    }
    std::printf(
        "\n  worst: %.1f ms (%s), CPU %.1f ms, peak memory +%ld KiB\n", worst.ms, worstShape, worst.cpuMs, worst.kib);
    std::fflush(stdout);
}

// The settings window opened on the store, every control changed from what
// it shows, as the person would before OK.
void changeEverything(Form1 &form, Quiet &dialogs)
{
    form.Check5->toggle();
    dialogs.FileName = {};
    form.Combo1->setEditText(QStringLiteral("Sans"));
    form.Combo2->setEditText(QStringLiteral("17"));
    form.Bar1->setValue(form.Bar1->value() == 5 ? 6 : 5);
    dialogs.Color = 12345;
    for (QCheckBox *box : { form.Check1, form.Check2, form.Check3, form.Check4 })
        box->toggle();
    form.Combo3->setEditText(QStringLiteral("d.m.yy"));
    form.Combo4->setEditText(QStringLiteral("h:m:s"));
    form.Text1->setPlainText(QStringLiteral("jiný text"));
    form.Text2->setPlainText(QStringLiteral("a další"));
}

// What the disk itself takes to write a new file of 1 MiB and flush it, ms
// (median of 5): an OK that changes every key of such a file does it 14 times.
double flushFloorMs()
{
    QTemporaryDir dir;
    QList<double> ms;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        QFile file(dir.filePath(QString::number(i)));
        if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray(SettingsStore::MaxFileSize, ';')) < 0
            || !file.flush() || ::fsync(file.handle()) != 0)
            return -1;
        ms << double(timer.nsecsElapsed()) / 1e6;
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

void worstShapes()
{
    std::printf("== files within the size limit, worst shapes (each a little under 1 MiB)\n");
    std::printf("floor: the disk writing a new file of 1 MiB and flushing it: %.1f ms\n", flushFloorMs());
    report("read", shapes(), [](const QString &path) { return [path] { SettingsStore store(path); }; });
    report("change once (Text1 written, persisted)", shapes(), [](const QString &path) {
        auto store = std::make_shared<SettingsStore>(path);
        return [store] { store->WriteSetting(Key::Text1, QStringLiteral("nový")); };
    });
    report("OK with every control changed", shapes(), [](const QString &path) {
        new QApplication(argumentCount, noArguments);
        auto store = new SettingsStore(path);
        auto dialogs = new Quiet;
        auto form = new Form1(*store, *dialogs, *dialogs);
        form->Form_Load();
        changeEverything(*form, *dialogs);
        return [form] { form->Command3_Click(); };
    });
    report("settings window opened and painted", windowShapes(), [](const QString &path) {
        new QApplication(argumentCount, noArguments);
        auto store = new SettingsStore(path);
        auto dialogs = new Quiet;
        return [store, dialogs] {
            Form1 form(*store, *dialogs, *dialogs);
            form.Form_Load();
            form.show();
            QCoreApplication::processEvents();
            form.grab();
        };
    });
}

} // namespace

int main()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
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
    std::fflush(stdout);
    worstShapes();

    // Files no write may touch. Root may write anywhere, so a root run acts as
    // user nobody for these (files for others to reach, in a folder they may enter).
    QTemporaryDir odd(QStringLiteral("/tmp/bench_store-XXXXXX"));
    ::chmod(QFile::encodeName(odd.path()).constData(), 0755);
    const QString readOnlyFolder = odd.filePath(QStringLiteral("readonly"));
    const QString openFolder = odd.filePath(QStringLiteral("open"));
    const QString readOnlyFile = openFolder + QStringLiteral("/Zdravin.conf");
    const QString fifo = odd.filePath(QStringLiteral("fifo.conf"));
    const QString large = odd.filePath(QStringLiteral("large.conf"));
    const bool prepared = ::mkdir(QFile::encodeName(readOnlyFolder).constData(), 0555) == 0
        && ::mkdir(QFile::encodeName(openFolder).constData(), 0777) == 0
        && ::chmod(QFile::encodeName(openFolder).constData(), 0777) == 0 && writeFile(readOnlyFile, "[Path]\n")
        && ::chmod(QFile::encodeName(readOnlyFile).constData(), 0444) == 0
        && ::mkfifo(QFile::encodeName(fifo).constData(), 0666) == 0 && writeFile(large, QByteArray(20 << 20, '\n'));
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
    const Cost largeRead = measure([&] { return [&] { SettingsStore store(large); }; });
    std::printf("store read of a 20 MiB file: %.1f ms, peak memory +%ld KiB\n", largeRead.ms, largeRead.kib);
    if (nobody && (::seteuid(0) != 0 || ::setegid(0) != 0)) // root again, to remove the files
        return 1;
    return sink > 0 ? 0 : 1; // the reads are used, so they are not optimised away
}
