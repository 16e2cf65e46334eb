#pragma once

#include "store/keys.h"

// What the storewriter helper writes to a key in a round: long, and full of
// what the file must quote (spaces at the ends, commas, quotes, Czech letters),
// so that a file cut anywhere in a value can never read as a whole value. The
// round is its second word.
inline QString storeWriterValue(Key key, int round)
{
    return QStringLiteral(" %1 %2 kolo: Příliš žluťoučký kůň, \"úpěl\"; ").arg(round).arg(keyName(key)).repeated(40);
}
