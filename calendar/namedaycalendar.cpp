#include "calendar/namedaycalendar.h"

#include <array>
#include <iterator>

namespace {

constexpr std::array<int, 12> DaysInMonth = { 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };

// Every day of a leap year in order, January first; a week a line.
// clang-format off
constexpr const char16_t *Rows[] = {
    // January
    u" Nový rok ", u" Karina ", u" Radmila ", u" Diana ", u" Dalimil ", u" Tři králové ", u" Vilma ",
    u" Čestmír ", u" Vladan ", u" Břetislav ", u" Bohdana ", u" Pravoslav ", u" Edita ", u" Radovan ",
    u" Alice ", u" Ctirad ", u" Drahoslav ", u" Vladislav ", u" Doubravka ", u" Ilona ", u" Běla ",
    u" Slavomír ", u" Zdeněk ", u" Milena ", u" Miloš ", u" Zora ", u" Ingrid ", u" Otýlie ",
    u" Zdislava ", u" Robin ", u" Marika ",
    // February
    u" Hynek ", u" Nela ", u" Blažej ", u" Jarmila ", u" Dobromila ", u" Vanda ", u" Veronika ",
    u" Milada ", u" Apolena ", u" Mojmír ", u" Božena ", u" Slavina ", u" Věnceslav ", u" Valentýn ",
    u" Jiřina ", u" Ljuba ", u" Miloslava ", u" Gizela ", u" Patrik ", u" Oldřich ", u" Lenka ",
    u" Petr ", u" Svatopluk ", u" Matěj ", u" Liliana ", u" Dorota ", u" Alexandr ", u" Lumír ",
    u" ",
    // March
    u" Bedřich ", u" Anežka ", u" Kamil ", u" Stela ", u" Kazimír ", u" Miroslav ", u" Tomáš ",
    u" Gabriela ", u" Františka ", u" Viktorie ", u" Anděla ", u" Řehoř ", u" Růžena ", u" Rút a Matylda ",
    u" Ida ", u" Elena a Herbert ", u" Vlastimil ", u" Eduard ", u" Josef ", u" Světlana ", u" Radek ",
    u" Leona ", u" Ivona ", u" Gabriel ", u" Marian ", u" Emanuel ", u" Dita ", u" Soňa ",
    u" Taťána ", u" Arnošt ", u" Kvido ",
    // April
    u" Hugo ", u" Erika ", u" Richard ", u" Ivana ", u" Miroslava ", u" Vendula ", u" Heřman a Hermína ",
    u" Ema ", u" Dušan ", u" Darja ", u" Izabela ", u" Julius ", u" Aleš ", u" Vincenc ",
    u" Anastázie ", u" Irena ", u" Rudolf ", u" Valérie ", u" Rostislav ", u" Marcela ", u" Alexandra ",
    u" Evženie ", u" Vojtěch ", u" Jiří ", u" Marek ", u" Oto ", u" Jaroslav ", u" Vlastislav ",
    u" Robert ", u" Blahoslav ",
    // May
    u" 1. Máj ", u" Zikmund ", u" Alexej ", u" Květoslav ", u" Klaudie ", u" Radoslav ", u" Stanislav ",
    u" 2. Světová", u" Ctibor ", u" Blažena ", u" Svatava ", u" Pankrác ", u" Servác ", u" Bonifác ",
    u" Žofie ", u" Přemysl ", u" Aneta ", u" Nataša ", u" Ivo ", u" Zbyšek ", u" Monika ",
    u" Emil ", u" Vladimír ", u" Jana ", u" Viola ", u" Filip ", u" Valdemar ", u" Vilém ",
    u" Maxmilián ", u" Ferdinand ", u" Kamila ",
    // June
    u" Laura ", u" Jarmil ", u" Tamara ", u" Dalibor ", u" Dobroslav ", u" Norbert ", u" Iveta a Slavoj ",
    u" Medard ", u" Stanislava ", u" Gita ", u" Bruno ", u" Antonie ", u" Antonín ", u" Roland ",
    u" Vít ", u" Zbyněk ", u" Adolf ", u" Milan ", u" Leoš ", u" Květa ", u" Alois ",
    u" Pavla ", u" Zdeňka ", u" Jan ", u" Ivan ", u" Adriana ", u" Ladislav ", u" Lubomír ",
    u" Petr a Pavel ", u" Šárka ",
    // July
    u" Jaroslava ", u" Patricie ", u" Radomír ", u" Prokop ", u" Cyril a Metoděj ", u" Mistr J.Hus ", u" Bohuslava ",
    u" Nora ", u" Drahoslava ", u" Libuše a Amálie ", u" Olga ", u" Bořek ", u" Markéta ", u" Karolína ",
    u" Jindřich ", u" Luboš ", u" Martina ", u" Drahomíra ", u" Čeněk ", u" Ilja ", u" Vítězslav ",
    u" Magdaléna ", u" Libor ", u" Kristýna ", u" Jakub ", u" Anna ", u" Věroslav ", u" Viktor ",
    u" Marta ", u" Bořivoj ", u" Ignác ",
    // August
    u" Oskar ", u" Gustav ", u" Miluše ", u" Dominik ", u" Kristián ", u" Oldřiška ", u" Lada ",
    u" Soběslav ", u" Roman ", u" Vavřinec ", u" Zuzana ", u" Klára ", u" Alena ", u" Alan ",
    u" Hana ", u" Jáchym ", u" Petra ", u" Helena ", u" Ludvík ", u" Bernard ", u" Johana ",
    u" Bohuslav ", u" Sandra ", u" Bartoloměj ", u" Radim ", u" Luděk ", u" Otakar ", u" Augustýn ",
    u" Evelína ", u" Vladěna ", u" Pavlína ",
    // September
    u" Linda a Samuel ", u" Adéla ", u" Bronislav ", u" Jindřiška ", u" Boris ", u" Boleslav ", u" Regína ",
    u" Mariana ", u" Daniela ", u" Irma ", u" Denisa ", u" Marie ", u" Lubor ", u" Radka ",
    u" Jolana ", u" Ludmila ", u" Naděžda ", u" Kryštof ", u" Zita ", u" Oleg ", u" Matouš ",
    u" Darina ", u" Berta ", u" Jaromír ", u" Zlata ", u" Andrea ", u" Jonáš ", u" Václav ",
    u" Michal ", u" Jeroným ",
    // October
    u" Igor ", u" Olivie a Oliver ", u" Bohumil ", u" František ", u" Eliška ", u" Hanuš ", u" Justýna ",
    u" Vira ", u" Štefan a Sára ", u" Marina ", u" Andrej ", u" Marcel ", u" Renáta ", u" Agáta ",
    u" Tereza ", u" Havel ", u" Hedvika ", u" Lukáš ", u" Michaela ", u" Vendelín ", u" Brigita ",
    u" Sabina ", u" Teodor ", u" Nina ", u" Beáta ", u" Erik ", u" Šarlota a Zoe ", u" ČSR ",
    u" Silvie ", u" Tadeáš ", u" Štěpánka ",
    // November
    u" Felix ", u" Dušičky ", u" Hubert ", u" Karel ", u" Miriam ", u" Libina ", u" Saskie ",
    u" Bohumír ", u" Bohdan ", u" Evžen ", u" Martin ", u" Benedikt ", u" Tibor ", u" Sáva ",
    u" Leopold ", u" Otmar ", u" Mahulena ", u" Romana ", u" Alžběta ", u" Nikola ", u" Albert ",
    u" Cecílie ", u" Klement ", u" Emílie ", u" Kateřina ", u" Artur ", u" Xenie ", u" René ",
    u" Zina ", u" Ondřej ",
    // December
    u" Iva ", u" Blanka ", u" Svatoslav ", u" Barbora ", u" Jitka ", u" Mikuláš ", u" Ambrož ",
    u" Květoslava ", u" Vratislav ", u" Julie ", u" Dana ", u" Simona ", u" Lucie ", u" Lýdie ",
    u" Radana a Radan ", u" Albína ", u" Daniel ", u" Miloslav ", u" Ester ", u" Dagmar ", u" Natálie ",
    u" Šimon ", u" Vlasta ", u" Adam a Eva\r\n(Štědrý Den)", u" Boží Hod Vánoční ", // 22 to 25 December
    u" Štěpán ", u" Žaneta ", u" Bohumila ",
    u" Judita ", u" David ", u" Silvestr ",
};
// clang-format on

// Index in Rows of each month's first day.
constexpr std::array<int, 12> FirstRow = [] {
    std::array<int, 12> first {};
    for (int m = 1; m < 12; ++m)
        first[m] = first[m - 1] + DaysInMonth[m - 1];
    return first;
}();

static_assert(std::size(Rows) == 366, "one row for every day of a leap year");
static_assert(FirstRow[11] + DaysInMonth[11] == 366, "the months cover every row");

} // namespace

namespace NameDayCalendar {

std::optional<QString> NameDayFor(int month, int day)
{
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth[month - 1])
        return std::nullopt;
    return QString::fromUtf16(Rows[FirstRow[month - 1] + day - 1]);
}

} // namespace NameDayCalendar
