// Time of one composing run and of one time refresh of the greeting text, in
// microseconds per operation. The refresh runs ten times a second; it should
// stay well under 20 µs.
#include "greeting/composition.h"
#include "greeting/formatbypattern.h"

#include <QElapsedTimer>
#include <QVector>

#include <cstdio>

namespace {

double microsecondsPer(qint64 nanoseconds, int iterations)
{
    return double(nanoseconds) / 1000.0 / iterations;
}

} // namespace

int main()
{
    // One second after another, so that every refresh changes the text.
    QVector<QDateTime> clock;
    const QDateTime start(QDate(2004, 3, 5), QTime(9, 59, 0));
    for (int i = 0; i < 1000; ++i)
        clock << start.addSecs(i);
    RegionalData::czech(); // built once, before the first tick

    const CompositionInput input { "1", "1", "1", "1", "dddd d.mmmm.yyyy", "h.mm.ss",
        "Zdravinky, dnes je: ", "Svátek má: ", start, " Kazimír " };
    const int composeRuns = 200000;
    qsizetype sink = 0;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < composeRuns; ++i) {
        CompositionInput in = input;
        in.now = clock[i % clock.size()];
        sink += composeGreeting(in).text.size();
    }
    const double compose = microsecondsPer(timer.nsecsElapsed(), composeRuns);

    const int refreshes = 1000000;
    Composition shown = composeGreeting(input);
    timer.restart();
    for (int i = 0; i < refreshes; ++i) {
        const QString time = FormatByPattern(clock[i % clock.size()], input.casF);
        sink += replaceTime(shown.text, shown.time, time);
    }
    const double refresh = microsecondsPer(timer.nsecsElapsed(), refreshes);

    timer.restart();
    for (int i = 0; i < refreshes; ++i)
        sink += FormatByPattern(clock[i % clock.size()], "Short date").size();
    const double shortDate = microsecondsPer(timer.nsecsElapsed(), refreshes);

    std::printf("compose (layout 1111, dddd d.mmmm.yyyy, h.mm.ss): %.3f us\n", compose);
    std::printf("time refresh (h.mm.ss + replaceTime):             %.3f us\n", refresh);
    std::printf("FormatByPattern \"Short date\":                      %.3f us\n", shortDate);
    return sink == 0 ? 1 : 0;
}
