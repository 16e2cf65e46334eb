// Writes settings in a loop, as another copy of the program would, for the
// store's safety tests.
//
//   storewriter FILE ROUNDS KEY,KEY,... [SENTINEL]
//       Writes the sentinel key once (its own name as the value), then in every
//       round 1..ROUNDS (0: until killed) each key with storeWriterValue(key,
//       round). Prints "round N" after each round, then "written W failed F";
//       the exit code is 1 when a write failed.
//   storewriter --hold-lock FILE
//       Takes the store's lock, prints "locked" and waits to be killed.

#include "storewriter.h"
#include "settings/settingsstore.h"

#include "platform/errortrap.h"

#include <QCoreApplication>
#include <QLockFile>
#include <QThread>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

std::optional<Key> keyNamed(const QString &name)
{
    for (int i = 0; i < KeyCount; ++i) {
        if (keyName(Key(i)) == name)
            return Key(i);
    }
    return std::nullopt;
}

void say(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--hold-lock")) {
        QLockFile lock(args[2] + QStringLiteral(".lock"));
        if (!lock.lock())
            return 2;
        say(QStringLiteral("locked"));
        for (;;)
            QThread::sleep(60);
    }
    if (args.size() < 4 || args.size() > 5)
        return 2;
    std::vector<Key> keys;
    for (const QString &name : args[3].split(u',')) {
        const std::optional<Key> key = keyNamed(name);
        if (!key)
            return 2;
        keys.push_back(*key);
    }
    const int rounds = args[2].toInt();
    SettingsStore store(args[1]);
    int written = 0, failed = 0;
    auto write = [&](Key key, const QString &value) {
        if (silently([&] { store.WriteSetting(key, value); }))
            ++written;
        else
            ++failed;
    };
    if (args.size() == 5) {
        const std::optional<Key> sentinel = keyNamed(args[4]);
        if (!sentinel)
            return 2;
        write(*sentinel, args[4]);
    }
    for (int round = 1; rounds == 0 || round <= rounds; ++round) {
        for (Key key : keys)
            write(key, storeWriterValue(key, round));
        say(QStringLiteral("round %1").arg(round));
    }
    say(QStringLiteral("written %1 failed %2").arg(written).arg(failed));
    return failed > 0 ? 1 : 0;
}
