#include "greeting/composition.h"

#include "greeting/formatbypattern.h"
#include "platform/numbers.h"

namespace {

const QString NL = QStringLiteral("\r\n");
const QString Zdravinky = QStringLiteral("Zdravinky,");
const QString Preji = QStringLiteral("přeji dobrý den.");
const QString PrejiDnesJe = QStringLiteral("přeji dobrý den. Dnes je:");
const QString DnesJe = QStringLiteral("Dnes je:");
const QString SvatekMa = QStringLiteral("Svátek má: ");

// End (zero) fills the unused tail of a layout's pieces.
enum Piece { End, Nl, Z, P, PD, DJ, SM, T1, T2, Date, Time, Name };

struct Layout
{
    int textV, date, cas, svatky;
    Piece pieces[10];
};

// Tested top to bottom; the first row whose four flags all match wins.
const Layout Layouts[] = {
    { 0, 0, 0, 0, { Z, Nl, P } },
    { 0, 0, 0, 1, { Z, Nl, P, Nl, SM, Name } },
    { 0, 0, 1, 0, { Z, Nl, P, Nl, Time } },
    { 0, 0, 1, 1, { Z, Nl, P, Nl, Time, Nl, SM, Name } },
    { 0, 1, 0, 0, { Z, Nl, P, Nl, DJ, Nl, Date } },
    { 0, 1, 0, 1, { Z, Nl, P, Nl, DJ, Nl, Date, Nl, SM, Name } },
    { 0, 1, 1, 0, { Z, Nl, PD, Nl, Nl, Date, Nl, Time, Nl } },
    { 0, 1, 1, 1, { Z, Nl, PD, Nl, Date, Nl, Time, Nl, SM, Name } },
    { 1, 0, 0, 0, { T1, Nl, T2 } },
    { 1, 0, 0, 1, { T1, Nl, T2, Name } },
    { 1, 0, 1, 0, { T1, Nl, Time, Nl, T2 } },
    { 1, 0, 1, 1, { T1, Nl, Time, Nl, T2, Name } },
    { 1, 1, 0, 0, { T1, Nl, Date, Nl, T2 } },
    { 1, 1, 0, 1, { T1, Nl, Date, Nl, T2, Name } },
    { 1, 1, 1, 0, { T1, Nl, Date, Nl, Time, Nl, T2 } },
    { 1, 1, 1, 1, { T1, Nl, Date, Nl, Time, Nl, T2, Name } },
};

// Gives up at the first flag that differs, so later flags are not tested
// (and cannot fail) once an earlier one rules the row out.
bool matches(const Layout &layout, const CompositionInput &input)
{
    return numberIs(input.textV, layout.textV) && numberIs(input.date, layout.date) && numberIs(input.cas, layout.cas)
        && numberIs(input.svatky, layout.svatky);
}

QString capitalised(QString text)
{
    if (text.isEmpty())
        return text;
    const qsizetype first = text.size() > 1 && text[0].isHighSurrogate() && text[1].isLowSurrogate() ? 2 : 1;
    return text.left(first).toUpper() + text.mid(first);
}

} // namespace

Composition composeGreeting(const CompositionInput &input)
{
    Composition result;
    for (const Layout &layout : Layouts) {
        if (!matches(layout, input))
            continue;
        result.matched = true;
        for (Piece piece : layout.pieces) {
            switch (piece) {
            case End:
                break;
            case Nl:
                result.text += NL;
                break;
            case Z:
                result.text += Zdravinky;
                break;
            case P:
                result.text += Preji;
                break;
            case PD:
                result.text += PrejiDnesJe;
                break;
            case DJ:
                result.text += DnesJe;
                break;
            case SM:
                result.text += SvatekMa;
                break;
            case T1:
                result.text += input.text1;
                break;
            case T2:
                result.text += input.text2;
                break;
            case Date:
                result.text += capitalised(FormatByPattern(input.now.date(), input.dateF));
                break;
            case Time: {
                const QString time = FormatByPattern(input.now, input.casF);
                result.time = { result.text.size(), time.size() };
                result.text += time;
                break;
            }
            case Name:
                result.text += input.name;
                break;
            }
        }
        break;
    }
    return result;
}

QString withNameDayOnOwnLine(const QString &text, const QString &name)
{
    if (name.isEmpty() || !text.endsWith(name))
        return text;
    return text.left(text.size() - name.size()) + NL + name;
}

bool replaceTime(QString &text, TimeSpan &span, const QString &time)
{
    if (!span.valid() || span.length < 0 || span.start + span.length > text.size())
        return false;
    if (QStringView(text).mid(span.start, span.length) == time)
        return false;
    text.replace(span.start, span.length, time);
    span.length = time.size();
    return true;
}

QString cutShort(const QString &text)
{
    if (text.size() <= MaxShownText)
        return text;
    // A character of two halves stays whole.
    return text.left(text[MaxShownText - 1].isHighSurrogate() ? MaxShownText - 1 : MaxShownText) + u'…';
}
