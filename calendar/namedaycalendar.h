#pragma once

#include <QString>
#include <optional>

// The Czech name-day calendar: 366 rows, one for every day of a leap year.
// The texts carry their own surrounding spaces (" Karina "), except
// 29 February (" "), 8 May (" 2. Světová") and 24 December, which is two
// lines (" Adam a Eva\r\n(Štědrý Den)").
namespace NameDayCalendar {

// The text for (month 1..12, day 1..31); nothing for a day a leap year lacks.
std::optional<QString> NameDayFor(int month, int day);

} // namespace NameDayCalendar
