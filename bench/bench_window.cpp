// The greeting window's text timer as it really runs: store reads, the text
// and the label measuring it (Qt's text layout of every line) included,
// painting aside. Targets: a composing run under 100 us, a time refresh
// under 20 us; the label's own measuring is shown apart.
#include "app/zdravinky.h"
#include "common/manualclock.h"
#include "store/settingsstore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    SettingsStore store(dir.filePath(QStringLiteral("Zdravin.conf")));
    for (Key key : { Key::Date, Key::Cas, Key::Svatky, Key::TextV })
        store.WriteSetting(key, QStringLiteral("1"));
    store.WriteSetting(Key::DateF, QStringLiteral("dddd d.mmmm.yyyy"));
    store.WriteSetting(Key::Long, QStringLiteral("x")); // no wait in the load
    ManualClock clock(QDateTime(QDate(2004, 3, 5), QTime(9, 59, 0)));
    Zdravinky window(store, clock);
    window.loadAndShow();

    constexpr int Runs = 20000;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < Runs; ++i) {
        clock.advanceMs(1000);
        window.recomposeText();
        window.Timer1_Timer();
    }
    const double composeUs = double(timer.nsecsElapsed()) / Runs / 1000;

    timer.restart();
    for (int i = 0; i < Runs; ++i) {
        clock.advanceMs(1000); // every refresh finds a new second
        window.Timer1_Timer();
    }
    const double refreshUs = double(timer.nsecsElapsed()) / Runs / 1000;

    timer.restart();
    for (int i = 0; i < Runs; ++i)
        window.Timer1_Timer(); // the same second: nothing to change
    const double idleUs = double(timer.nsecsElapsed()) / Runs / 1000;

    QLabel *label = window.findChild<QLabel *>(QStringLiteral("Label2"));
    QString texts[2] = { label->text(), label->text() };
    texts[1][0] = u'X';
    timer.restart();
    for (int i = 0; i < Runs; ++i) {
        label->setText(texts[i % 2]);
        label->adjustSize();
    }
    const double labelUs = double(timer.nsecsElapsed()) / Runs / 1000;

    std::printf("composing run (all four flags, store reads, label sizing): %.1f us\n"
                "time refresh with a new second: %.1f us\n"
                "tick with nothing to change: %.2f us\n"
                "of these, the label taking a new text and measuring it: %.1f us\n",
        composeUs, refreshUs, idleUs, labelUs);
    return 0;
}
