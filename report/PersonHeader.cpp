#include "report/PersonHeader.h"

#include "model/Dates.h"
#include "model/PersonText.h"
#include "resources/StringTable.h"

namespace tavlo {

PersonHeader BuildPersonHeader(const TestRecord& test, const QString& ageGroupDescription)
{
    const PersonalData& person = test.person;
    const TestAge age = test.testAge();
    // Kindergarten only below school age.
    const bool school = age.years > 4;
    const QString hand = HandednessWord(person.HANDEDNESS);
    PersonHeader header;
    header.title = LoadString(kStrResultReport);
    header.lines = {
        {{0, LoadString(kStrName), person.NAMN}},
        {{0, LoadString(kStrAddress), person.ADRESS}},
        {{0, LoadString(kStrPhone), person.TELEFON},
         {200, LoadString(kStrNationality), person.NATIONALITET},
         {400, LoadString(kStrFirstLanguage), person.HOMELANGUAGE}},
        {{0, school ? QStringLiteral("Barnehage/Skole") : QStringLiteral("Barnehage"), person.SKOLA},
         {400, school ? QStringLiteral("Avdeling/Klasse") : QStringLiteral("Avdeling"), person.KLASS}},
        {{0, LoadString(kStrTestedAt), person.TESTAD_VID}, {400, LoadString(kStrExaminer), person.TESTLEDARE}},
        {{0, LoadString(kStrOther), person.OTHER}},
        {{0, LoadString(kStrTestDate), FormatDate(person.TESTDATE)},
         {200, LoadString(kStrBirthDate), FormatDate(person.BORNDATE)},
         {400, LoadString(kStrTestAge), FormatTestAge(age)}},
        {{0, LoadString(kStrSex), person.SEX == 1 ? LoadString(kStrBoy) : LoadString(kStrGirl)},
         {200, LoadString(kStrHandedness), hand}},
    };
    if (!ageGroupDescription.isEmpty())
        header.lines.push_back({{0, LoadString(kStrNormGroupHeading), ageGroupDescription}});
    return header;
}

QString ReportDocumentTitle(const TestRecord& test)
{
    return QStringLiteral("%1, testperson nummer %2").arg(LoadString(kStrResultReport)).arg(test.person.ID);
}

} // namespace tavlo
