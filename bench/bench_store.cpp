// One read of a setting must cost well under a microsecond: the greeting
// text reads a few dozen of them when it composes, and one ten times a second.
#include "settings/settingsstore.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

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
    return sink > 0 ? 0 : 1; // the reads are used, so they are not optimised away
}
