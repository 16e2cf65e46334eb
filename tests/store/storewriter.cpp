// Another copy of the program writing settings, for the store's safety tests:
//   storewriter FILE ROUNDS FIRST STEP
// writes storeWriterValue(key, round) to the keys FIRST, FIRST + STEP, ...
// in every round 1..ROUNDS (0: until killed), prints "round N" after each
// round, and exits with the number of writes that failed.

#include "storewriter.h"

#include "platform/errortrap.h"
#include "store/settingsstore.h"

#include <iostream>

int main(int, char **argv)
{
    SettingsStore store(QString::fromLocal8Bit(argv[1]));
    auto number = [&](int i) { return QByteArray(argv[i]).toInt(); };
    int failed = 0;
    for (int round = 1; number(2) == 0 || round <= number(2); ++round) {
        for (int key = number(3); key < KeyCount; key += number(4))
            failed += !silently([&] { store.WriteSetting(Key(key), storeWriterValue(Key(key), round)); });
        std::cout << "round " << round << std::endl;
    }
    return failed;
}
