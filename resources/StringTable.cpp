#include "resources/StringTable.h"

#include <algorithm>
#include <iterator>

namespace tavlo {

namespace {

// Sorted by id.
constexpr StringEntry kStrings[] = {
    {6, "Tidligere test(er)"},
    {7, "Klikk på ønsket testperson på listen. "},
    {8, "Velg deretter \"Vis resultat\"."},
    {10, "Sikkerhetskopiering klar."},
    {11, "Ingen testperson er valgt fra listen."},
    {12, "Vil du virkelig slette %ss testresultat fra databasen? Endringen er permanent."},
    {13, "Data over testpersonen %s er slettet fra databasen."},
    {16, "  Eksporter data"},
    {17, "Navn"},
    {18, "Adresse"},
    {19, "Telefon"},
    {20, "Nasjonalitet"},
    {21, "Førstespråk"},
    {22, "Skole"},
    {23, "Testet sted"},
    {24, "Testleder"},
    {25, "Testdato"},
    {26, "Fødselsdato"},
    {27, "Testalder"},
    {28, "Kjønn"},
    {29, "Håndpreferanse"},
    {30, "Annet"},
    {31, "Spare tekstfil"},
    {32, "(DDMMÅÅÅÅ)"},
    {33, "Dager.Måneder.År)"},
    {34, "(J=Jente, G=Gutt)"},
    {35, "(V=Venstre, H=Høyre)"},
    {36, "Ingen del av dette programmet eller dets normer kan kopieres, mangfoldiggjøres eller overføres uten skriftlig tillatelse. Dataversjon 1.0/"},
    {37, "TAVLO-II er et varemerke."},
    {41, "Jente"},
    {42, "Gutt"},
    {43, "Venstre"},
    {44, "Høyre"},
    {48, "Fyll inn brukernavn og passord"},
    {49, "Brukernavn:"},
    {50, "Passord:"},
    {51, "Nytt passord:"},
    {52, "Bekreft nytt passord:"},
    {53, "Brukernavn og passord for "},
    {60, "Tilknytning til databasen var mislykket. Ta kontakt med programleverandøren."},
    {91, "&Avslutt"},
    {92, "&Ny test"},
    {93, "&Tidligere test(er)"},
    {94, "Resultatrapport"},
    {95, "&Avbryt"},
    {96, "&Fortsett"},
    {150, "Klikk på \"OK\" for å eksportere bakgrunnsinformasjon og råskårer for alle testpersoner. Informasjonen eksporteres til en tab-separert tekstfil. I neste dialogvindu skal filen navngis og spares i ønsket mappe."},
    {173, "E&ndre"},
    {174, "&Skriv ut"},
    {175, "Normgruppe"},
    {187, "Resultatrapport for "},
    {200, "Normgruppe"},
    {220, "Informasjon om testpersonen"},
    {321, "  obligatorisk informasjon."},
    {323, "Ogyldig verdi registrert på %s."},
    {324, "Skoleår"},
    {341, "Ambident"},
    {342, "Obestämd"},
    {501, "Ålder 3:0-3:5"},
    {502, "Ålder 3:6-3:11"},
    {503, "Ålder 4:0-4:5"},
    {504, "Ålder 4:6-4:11"},
    {505, "Ålder 5:0-5:5"},
    {506, "Ålder 5:6-5:11"},
    {507, "Ålder 6:0-6:5"},
    {508, "Ålder 6:6-6:11"},
    {509, "Ålder 7:0-7:5"},
    {510, "Ålder 7:6-7:11"},
    {511, "Ålder 8:0-8:5"},
    {512, "Ålder 8:6-8:11"},
    {513, "Ålder 9:0-9:5"},
    {514, "Ålder 9:6-9:11"},
    {515, "Ålder 10:0-10:5"},
    {516, "Ålder 10:6-10:11"},
    {517, "Ålder 11:0-11:5"},
    {518, "Ålder 11:6-11:11"},
    {519, "Ålder 12:0-12:5"},
    {520, "Ålder 12:6-12:11"},
    {521, "Ålder 13:0-13:11"},
    {522, "Ålder 14:0-14:11"},
    {523, "Ålder 15:0-15:11"},
    {524, "Ålder 16:0-16:11"},
    {1101, "AG Totalskåre (3-4: Maks=16. 5-6: Maks=25. 7-16: Maks=35)"},
    {1102, "KD Del A Totalskåre (Maks=22)"},
    {1103, "KD Del B Totalskåre (Maks=11)"},
    {1104, "BF Oppgave 1 Symmetrisk prikkemønster (Maks=35)"},
    {1105, "BF Oppgave 2 Asymmetrisk prikkemønster (Maks=35)"},
    {1106, "BP Totalskåre (Maks=20)"},
    {1107, "BK Totalskåre (Maks=28)"},
    {1108, "DS Nye sorteringsfeil Totalt"},
    {1109, "DS Gjentatte sorteringer Totalt"},
    {1110, "DS Riktige sorteringer Totalt (Maks=12)"},
    {1111, "FK Samlet Totalskåre (3-4: Maks=18. 5-6: Maks=18. 7-16: Maks=21)"},
    {1112, "FK Motorikk Poeng (3-4: Maks=36. 5-6: Maks=36. 7-16: Maks=42)"},
    {1113, "FK Global Poeng (3-4: Maks=36. 5-6: Maks=36. 7-16: Maks=42)"},
    {1114, "FK Lokal Poeng (3-4: Maks=30. 5-6: Maks=30. 7-16: Maks=36)"},
    {1115, "Del A Repetisjon av fingerbevegelser Dominant hånd (Maks=60 s)"},
    {1116, "Del A Repetisjon av fingerbevegelser Ikke-dominant hånd (Maks=60 s)"},
    {1117, "Del B Sekvensielle fingerbevegelser Dominant hånd (Maks=90 s)"},
    {1118, "Del B Sekvensielle fingerbevegelser Ikke-dominant hånd (Maks=90 s)"},
    {1119, "FO Del A Totalskåre (3-4: Maks=22)"},
    {1120, "FO Del A og Del B Totalskåre (5-16: Maks=45)"},
    {1121, "FI Totalskåre (Maks=33)"},
    {1122, "GP Totalskåre (3-4: Maks=24. 5-6: Maks=24. 7-16: Maks=40)"},
    {1123, "HA Del A Totalskåre (Maks=16)"},
    {1124, "HA Del B Totalskåre (Maks=16)"},
    {1125, "HH Fri gjenfortelling (5-10: Maks=20. 11-12: Maks=17. 13-16: Maks=29)"},
    {1126, "HH Fri og Styrt gjenfortelling Totalskåre "},
    {1127, "HH Gjenkjenning Totalskåre (3-4: Maks=13. 5-10: Maks=16)"},
    {1128, "HN Del A Totalskåre (5: Maks=18. 6-16: Maks=24)"},
    {1129, "HN Del B Totalskåre (5: Maks=6. 6-16: Maks=8)"},
    {1130, "HO Del A Forsøk 5 Riktig Antal (Maks=15)"},
    {1131, "HO Del A Riktig Totalt (Maks=75)"},
    {1132, "HO Del B Riktig Totalt (Maks=15)"},
    {1133, "HB Tidsbruk Totalt (3-4: Maks=600 s. 5-8: Maks=600 s. 9-16: Maks=300 s.)"},
    {1134, "HB Riktig Totalt (3-4: Maks=24. 5-6: Maks=84. 7-8: Maks=135. 9-16: Maks=75.)"},
    {1135, "IH Dominant hånd Poeng (Maks=12)"},
    {1136, "IH Ikke-dominant hånd Poeng (Maks=12)"},
    {1137, "IN Benevning Ukorrigerte feil Totalt (Maks=80)"},
    {1138, "IN Benevning Selvkorrigerte feil Totalt (Maks=80)"},
    {1139, "IN Benevning Tidsbruk Totalt (Maks=360 s)"},
    {1140, "IN Inhibisjon Ukorrigerte feil Totalt (Maks=80)"},
    {1141, "IN Inhibisjon Selvkorrigerte feil Totalt (Maks=80)"},
    {1142, "IN Inhibisjon Tidsbruk Totalt (Maks=480 s)"},
    {1143, "IN Veksling Ukorrigerte feil Totalt (Maks=80)"},
    {1144, "IN Veksling Selvkorrigerte feil Totalt (Maks=80)"},
    {1145, "IN Veksling Tidsbruk Totalt (Maks=480 s)"},
    {1146, "KA Totalskåre (Maks=10)"},
    {1147, "KL Totalskåre (Maks=78)"},
    {1148, "MM Totalskåre (Maks=60)"},
    {1149, "ME Verbal Poeng (Maks=22)"},
    {1150, "ME Kontekstuell Poeng (Maks=6)"},
    {1151, "OS Totalskåre (Maks=70)"},
    {1152, "OF Kategori A Totalskåre (3-16)"},
    {1153, "OF Kategori B Totalskåre (7-16)"},
    {1154, "OI Repetisjon Totalskåre (Maks=20)"},
    {1155, "OI Gjenkalling Totalskåre (Maks=40)"},
    {1156, "PI Totalskåre (Maks=38)"},
    {1157, "RS Totalskåre (Maks=34)"},
    {1158, "ST Totalskåre (Maks=30)"},
    {1159, "VP Tidsbruk Totalt (3-4: Maks=540 s. 5-12: Maks=360 s.)"},
    {1160, "VP Feil Totalt (3-4: Maks=316. 5-12: 382)"},
    {1161, "(3-4: Maks=26. 5-10: Maks=40. 11-12: Maks=34. 13-16: Maks=58)"},
    {1162, "* Det er ikke råskårer tilgjengelig for dette målet, da målet er en funksjon av resultatet på andre mål."},
    {1201, "Affektgjenkjenning (AG)"},
    {1202, "Benevning og identifisering av kroppsdeler (KD)"},
    {1203, "Bildeflyt (BF)"},
    {1204, "Bildepuslespill (BP)"},
    {1205, "Blokkonstruksjon (BK)"},
    {1206, "Dyresortering (DS)"},
    {1207, "Figurkopiering (FK)"},
    {1208, "Fingerbevegelser (FB)"},
    {1209, "Fonologisk bearbeiding (FO)"},
    {1210, "Forståelse av instruksjoner (FI)"},
    {1211, "Geometriske puslespill (GP)"},
    {1212, "Hukommelse for ansikter (HA)"},
    {1213, "Hukommelse for figurer (HF)"},
    {1214, "Hukommelse for historier (HH)"},
    {1215, "Hukommelse for navn (HN)"},
    {1216, "Hukommelse for ordliste (HO)"},
    {1217, "Hurtig benevning (HB)"},
    {1218, "Imitasjon av håndposisjoner (IH)"},
    {1219, "Inhibisjon (IN)"},
    {1220, "Kartlesing (KA)"},
    {1221, "Klokker (KL)"},
    {1222, "Manuelle motoriske sekvenser (MM)"},
    {1223, "Mentalisering (ME)"},
    {1224, "Oralmotoriske sekvenser (OS)"},
    {1225, "Ordflyt (OF)"},
    {1226, "Ordliste interferens (OI)"},
    {1227, "Piler (Pl)"},
    {1228, "Repetisjon av setninger (RS)"},
    {1229, "Statue (ST)"},
    {1230, "Visuomotorisk presisjon (VP)"},
    {1300, "Alle domener"},
    {1301, "Domenet Oppmerksomhet og eksekutive funksjoner"},
    {1302, "Domenet Språklige funksjoner"},
    {1303, "Domenet Hukommelses- og innlæringsfunksjoner"},
    {1304, "Domenet Sensomotoriske funksjoner"},
    {1305, "Domenet Sosial persepsjon"},
    {1306, "Domenet Visuospatiale funksjoner"},
};

constexpr bool sortedById()
{
    for (size_t i = 1; i < std::size(kStrings); ++i) {
        if (kStrings[i - 1].id >= kStrings[i].id)
            return false;
    }
    return true;
}
static_assert(sortedById(), "string ids must be unique and ascending");

const StringEntry* find(int id)
{
    const auto* it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                                      [](const StringEntry& e, int key) { return e.id < key; });
    return it != std::end(kStrings) && it->id == id ? it : nullptr;
}

} // namespace

QString LoadString(int id)
{
    const StringEntry* entry = find(id);
    return entry ? QString::fromUtf8(entry->text) : QString();
}

QString LoadString(int id, const QString& value)
{
    QString text = LoadString(id);
    const qsizetype at = text.indexOf(QStringLiteral("%s"));
    if (at >= 0)
        text.replace(at, 2, value);
    return text;
}

bool HasString(int id)
{
    return find(id) != nullptr;
}

std::span<const StringEntry> stringTable()
{
    return kStrings;
}

} // namespace tavlo
