#pragma once

#include "settings/keys.h"

#include <QString>

// What the storewriter helper writes to a key in a round: long, and full of
// what the file must quote (spaces at the ends, commas, quotes, Czech letters),
// so that a file cut anywhere in a value can never read as a whole value.
inline QString storeWriterValue(Key key, int round)
{
    const QString part = QStringLiteral(" %1 kolo %2: Příliš žluťoučký kůň, \"úpěl\"; ").arg(keyName(key)).arg(round);
    return part.repeated(40);
}
