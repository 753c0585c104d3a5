#include "model/PersonText.h"

#include "resources/StringTable.h"

#include <QList>
#include <QStringView>

#include <algorithm>
#include <iterator>
#include <utility>

namespace tavlo {

namespace {

// The characters of Windows-1252 at 0x80-0x9F, by their byte.
constexpr std::pair<char32_t, unsigned char> kHighPunctuation[] = {
    {0x20AC, 0x80}, {0x201A, 0x82}, {0x0192, 0x83}, {0x201E, 0x84}, {0x2026, 0x85}, {0x2020, 0x86},
    {0x2021, 0x87}, {0x02C6, 0x88}, {0x2030, 0x89}, {0x0160, 0x8A}, {0x2039, 0x8B}, {0x0152, 0x8C},
    {0x017D, 0x8E}, {0x2018, 0x91}, {0x2019, 0x92}, {0x201C, 0x93}, {0x201D, 0x94}, {0x2022, 0x95},
    {0x2013, 0x96}, {0x2014, 0x97}, {0x02DC, 0x98}, {0x2122, 0x99}, {0x0161, 0x9A}, {0x203A, 0x9B},
    {0x0153, 0x9C}, {0x017E, 0x9E}, {0x0178, 0x9F},
};

const std::pair<char32_t, unsigned char>* findHigh(char32_t c)
{
    const auto* it = std::find_if(std::begin(kHighPunctuation), std::end(kHighPunctuation),
                                  [c](const auto& entry) { return entry.first == c; });
    return it == std::end(kHighPunctuation) ? nullptr : it;
}

} // namespace

bool IsVisibleChar(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
        return false;
    default:
        return true;
    }
}

bool IsWindows1252Char(char32_t c)
{
    if (c < 0x20 || c == 0x7F)
        return false;
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return true;
    return findHigh(c) != nullptr;
}

QByteArray ToWindows1252(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
            out.append(char(c));
        else if (const auto* high = findHigh(c))
            out.append(char(high->second));
        else
            out.append('?');
    }
    return out;
}

bool IsPersonTextChar(char32_t c)
{
    if (IsWindows1252Char(c))
        return true;
    // Latin Extended-A and -B, Latin Extended Additional: letters only, all of them assigned.
    const bool latinBlock = (c >= 0x0100 && c <= 0x024F) || (c >= 0x1E00 && c <= 0x1EFF);
    return latinBlock && QChar::isLetter(c);
}

QString NormalizedPersonText(const QString& text)
{
    // Nearly every text is ASCII and Latin-1, and already composed.
    for (const QChar c : text) {
        if (c.unicode() >= 0x0300)
            return text.normalized(QString::NormalizationForm_C);
    }
    return text;
}

char32_t FromWindows1252(unsigned char byte)
{
    if (byte < 0x80 || byte >= 0xA0)
        return IsWindows1252Char(byte) ? char32_t(byte) : 0;
    const auto* it = std::find_if(std::begin(kHighPunctuation), std::end(kHighPunctuation),
                                  [byte](const auto& entry) { return entry.second == byte; });
    return it == std::end(kHighPunctuation) ? 0 : it->first;
}

bool BeginsLikeFormula(QStringView text)
{
    return !text.isEmpty() && QStringView(u"=+-@").contains(text.front());
}

std::optional<QString> CheckPersonText(const QString& label, const QString& text)
{
    for (const char32_t c : text.toUcs4()) {
        if (!IsPersonTextChar(c)) {
            const QString shown = IsVisibleChar(c) ? QString::fromUcs4(&c, 1)
                                             : QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
            return QStringLiteral("Feltet \"%1\" inneholder tegnet \"%2\", som ikke kan lagres. "
                                  "Fjern eller erstatt tegnet.")
                .arg(label, shown);
        }
    }
    if (BeginsLikeFormula(text))
        return QStringLiteral("Feltet \"%1\" kan ikke begynne med =, +, - eller @, fordi eksportfilen åpnes i "
                              "regneark, som leser en slik tekst som en formel og kjører den. Fjern tegnet, eller "
                              "skriv teksten på en annen måte.")
            .arg(label);
    if (text.size() > kPersonTextLimit)
        return QStringLiteral("Teksten i feltet \"%1\" er for lang. Feltet kan ha høyst %2 tegn.")
            .arg(label)
            .arg(kPersonTextLimit);
    return std::nullopt;
}

QString SexWord(int sex)
{
    return sex == 1 ? LoadString(kStrBoy) : sex == 2 ? LoadString(kStrGirl) : QString();
}

QString HandednessWord(int handedness)
{
    switch (handedness) {
    case 1: return LoadString(kStrLeft);
    case 2: return LoadString(kStrRight);
    case 3: return LoadString(kStrAmbidextrous);
    case 4: return LoadString(kStrUndetermined);
    default: return {};
    }
}

std::array<std::pair<int, const QString*>, 10> PersonTextFields(const PersonalData& person)
{
    return {{
        {17, &person.NAMN},        {18, &person.ADRESS},       {19, &person.TELEFON},
        {20, &person.NATIONALITET}, {21, &person.HOMELANGUAGE}, {22, &person.SKOLA},
        {324, &person.KLASS},      {23, &person.TESTAD_VID},   {24, &person.TESTLEDARE},
        {30, &person.OTHER},
    }};
}

std::optional<QString> CheckPersonTexts(const PersonalData& person)
{
    for (const auto& [labelId, text] : PersonTextFields(person)) {
        if (auto refusal = CheckPersonText(LoadString(labelId), *text))
            return refusal;
    }
    return std::nullopt;
}

} // namespace tavlo
