#include "store/files/Codebook.h"

#include "model/PersonText.h"
#include "resources/StringTable.h"
#include "scoring/EntryRules.h"
#include "store/files/ExportFile.h"

#include <QStringList>

namespace tavlo {

namespace {

// The whole years the battery is normed for; the limits of younger and older children are
// those of the nearest end.
constexpr int kYoungest = 3;
constexpr int kOldest = 16;

struct ColumnText {
    QString meaning;
    QString subtest;
    QString measure;
    QString type;
    QString values;
    QString missing;
};

QString cell(QString text)
{
    return text.replace(u'|', QStringLiteral("\\|"));
}

QString years(int first, int last)
{
    if (first == kYoungest && last == kOldest)
        return {};
    if (first == kYoungest)
        return QStringLiteral(" (til og med %1 år)").arg(last);
    if (last == kOldest)
        return QStringLiteral(" (fra %1 år)").arg(first);
    return first == last ? QStringLiteral(" (%1 år)").arg(first) : QStringLiteral(" (%1–%2 år)").arg(first).arg(last);
}

// "0–16 (til og med 4 år), 0–25 (5–6 år), 0–35 (fra 7 år)": the dialog's limits by age.
QString rawScoreRange(Key measure)
{
    QStringList spans;
    int first = kYoungest;
    for (int age = kYoungest; age <= kOldest; ++age) {
        const int limit = RawScoreLimit(measure, age);
        if (age < kOldest && RawScoreLimit(measure, age + 1) == limit)
            continue;
        spans.append(QStringLiteral("0–%1").arg(limit) + years(first, age));
        first = age + 1;
    }
    return spans.join(QStringLiteral(", "));
}

QString codes(const std::initializer_list<int>& values, QString (*word)(int), bool withNumbers)
{
    QStringList listed;
    for (const int v : values)
        listed.append(withNumbers ? QStringLiteral("%1 = %2").arg(v).arg(word(v)) : word(v));
    return listed.join(QStringLiteral(", "));
}

QString cardCell(int cell)
{
    const int block = (cell - 1) / kCardBlockCells + 1;
    const int place = (cell - 1) % kCardBlockCells;
    return QStringLiteral("%1, rute %2 (rad %3, kolonne %4): nummeret på kortet som ligger der")
        .arg(CardBlockName(block))
        .arg(place + 1)
        .arg(place / 4 + 1)
        .arg(place % 4 + 1);
}

ColumnText describe(const ExportColumn& c, ExportFormat format)
{
    const bool csv = format == ExportFormat::Csv;
    const QString empty = QStringLiteral("tomt");
    const QString label = c.labelId ? LoadString(c.labelId) : QString();
    using K = ExportColumnKind;
    switch (c.kind) {
    case K::PersonNumber:
        return {QStringLiteral("Testpersonnummer"), {}, {}, QStringLiteral("heltall"),
                QStringLiteral("1 og oppover, ett per testperson"), QStringLiteral("aldri tomt")};
    case K::Text:
        return {label, {}, {}, QStringLiteral("tekst"), QStringLiteral("høyst %1 tegn").arg(kPersonTextLimit), empty};
    case K::Date:
        return {label, {}, {}, QStringLiteral("dato"), QStringLiteral("ÅÅÅÅ-MM-DD"), empty};
    case K::Age:
        return {label + QStringLiteral(" som år.måneder.dager (måneder à 30 dager), f.eks. 8.6.20"), {}, {},
                QStringLiteral("tekst"), QStringLiteral("måneder 0–11, dager 0–29"),
                QStringLiteral("tomt når en av datoene mangler")};
    case K::AgeYears:
        return {label + QStringLiteral(": hele år"), {}, {}, QStringLiteral("heltall"), QStringLiteral("0 og oppover"),
                QStringLiteral("tomt når en av datoene mangler")};
    case K::AgeMonths:
        return {label + QStringLiteral(": måneder ut over hele år"), {}, {}, QStringLiteral("heltall"),
                QStringLiteral("0–11"), QStringLiteral("tomt når en av datoene mangler")};
    case K::AgeDays:
        return {label + QStringLiteral(": dager ut over hele måneder (måneder à 30 dager)"), {}, {},
                QStringLiteral("heltall"), QStringLiteral("0–29"), QStringLiteral("tomt når en av datoene mangler")};
    case K::AgeTotalMonths:
        return {label + QStringLiteral(" i hele måneder (år × 12 + måneder)"), {}, {}, QStringLiteral("heltall"),
                QStringLiteral("0 og oppover"), QStringLiteral("tomt når en av datoene mangler")};
    case K::Sex:
        return {label, {}, {}, csv ? QStringLiteral("tekst") : QStringLiteral("kode (heltall)"),
                codes({1, 2}, SexWord, !csv), csv ? empty : QStringLiteral("aldri tomt")};
    case K::Handedness:
        return {label, {}, {}, csv ? QStringLiteral("tekst") : QStringLiteral("kode (heltall)"),
                csv ? codes({1, 2, 3, 4}, HandednessWord, false)
                    : QStringLiteral("0 = ikke oppgitt, ") + codes({1, 2, 3, 4}, HandednessWord, true),
                csv ? QStringLiteral("tomt (ikke oppgitt)") : QStringLiteral("0 (ikke oppgitt)")};
    case K::RawScore: {
        const MeasureInfo& m = measureInfo(c.measure);
        return {QStringLiteral("Råskåre: ") + label.trimmed(), LoadString(subtestInfo(m.subtest).textId),
                QStringLiteral("`%1`").arg(QLatin1String(m.code)), QStringLiteral("heltall"), rawScoreRange(c.measure),
                empty};
    }
    case K::GridCell: {
        const int block = (c.cell - 1) / kCardBlockCells + 1;
        return {cardCell(c.cell), LoadString(subtestInfo(Subtest::HF).textId), QStringLiteral("`MF%1`").arg(c.cell),
                QStringLiteral("heltall"),
                QStringLiteral("1–%1 (kortnummer)").arg(LoosestCardRule(block).highestCard),
                QStringLiteral("tomt (ikke noe kort)")};
    }
    }
    return {};
}

QString table(ExportFormat format)
{
    QString text = QStringLiteral("| Nr. | Kolonne | Betydning | Deltest | Mål | Type | Tillatte verdier | Ikke registrert |\n"
                                  "|---|---|---|---|---|---|---|---|\n");
    int number = 0;
    for (const ExportColumn& c : ExportColumns(format)) {
        const ColumnText d = describe(c, format);
        const auto orDash = [](const QString& s) { return s.isEmpty() ? QStringLiteral("–") : cell(s); };
        text += QStringLiteral("| %1 | `%2` | %3 | %4 | %5 | %6 | %7 | %8 |\n")
                    .arg(++number)
                    .arg(c.name, orDash(d.meaning), orDash(d.subtest), orDash(d.measure), orDash(d.type),
                         orDash(d.values), orDash(d.missing));
    }
    return text;
}

} // namespace

QString ExportCodebook()
{
    const int textColumns = int(ExportColumns(ExportFormat::Text).size());
    const int csvColumns = int(ExportColumns(ExportFormat::Csv).size());
    QString text = QStringLiteral(
        "# Kodebok for eksportfilene fra TAVLO-II\n"
        "\n"
        "Laget av programmet selv, fra målkatalogen, råskårgrensene og eksportens egen kolonneliste "
        "(`tavlo-ii-cli export --codebook`). Rett den ikke for hånd.\n"
        "\n"
        "Begge filene har én linje per lagret testperson, i stigende testpersonnummer, etter en første linje med "
        "kolonnenavnene. En skåre på 0 er en virkelig skåre og skrives 0; en skåre som ikke er registrert, gir et "
        "tomt felt. Råskårenes tillatte verdier er de som dialogen for råskårer tar imot ved barnets alder i hele "
        "år.\n"
        "\n"
        "## 1. Eksportfilen (tabulatordelt tekst, `--format txt`, standard)\n"
        "\n"
        "Skrevet av \"Eksporter data\" i arkivet og av `tavlo-ii-cli export MAPPE FIL`.\n"
        "\n"
        "- Tegnsett: Windows-1252, uten byte-order mark. Har en test tegn som Windows-1252 ikke har (samiske "
        "bokstaver som č ŋ ŧ), skrives filen bare når du ber om UTF-8 (`--utf8`, eller Ja i programmet), og da "
        "med byte-order mark (EF BB BF) først.\n"
        "- Skilletegn: tabulator. Hvert felt, også det siste på linjen, følges av en tabulator: en linje har %1 "
        "felt og %1 tabulatorer og slutter med en tabulator foran linjeskiftet. Tekster står uten "
        "anførselstegn.\n"
        "- Linjeslutt: CR LF.\n"
        "- Ikke registrert: et tomt felt.\n"
        "- `ALDER` med punktum (8.6.20) leses av et regneark med norske innstillinger som en dato. Importer "
        "kolonnen som tekst, eller bruk forskningsfilen (avsnitt 2).\n"
        "\n")
                       .arg(textColumns);
    text += table(ExportFormat::Text);
    text += QStringLiteral(
        "\n"
        "## 2. Forskningsfilen (CSV, `--format csv`)\n"
        "\n"
        "Skrevet av \"Eksporter data\" med formatet CSV og av `tavlo-ii-cli export MAPPE FIL --format csv`, for "
        "statistikkprogrammer (pandas, R) og regneark.\n"
        "\n"
        "- Tegnsett: UTF-8 med byte-order mark (EF BB BF) først, så Excel og LibreOffice Calc leser filen som "
        "UTF-8; pandas og R hopper over merket.\n"
        "- Skilletegn: komma, etter RFC 4180. Et felt med komma, anførselstegn eller linjeskift står i doble "
        "anførselstegn, og et anførselstegn i feltet skrives dobbelt. %1 kolonner, ingen tom kolonne til slutt.\n"
        "- Linjeslutt: CR LF.\n"
        "- Ikke registrert: en tom celle.\n"
        "- Datoer: ÅÅÅÅ-MM-DD (ISO 8601).\n"
        "- Testalderen i fire heltall: år, måneder, dager (måneder à 30 dager) og måneder i alt.\n"
        "- Kjønn og håndpreferanse med ord.\n"
        "- En tekst som begynner med = + - @, tabulator eller vognretur, ville et regneark lese som en formel: "
        "den skrives med en apostrof (') foran. Programmet tar ikke imot slike tekster, men eldre tester kan ha "
        "dem.\n"
        "\n")
                .arg(csvColumns);
    text += table(ExportFormat::Csv);
    return text;
}

} // namespace tavlo
