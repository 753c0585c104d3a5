#include "model/SameChild.h"

#include <gtest/gtest.h>

namespace tavlo {

// One child: the same name, case and surrounding blanks aside, and the same birth date.
// Æ, ø and å are letters of their own, not a and o in disguise.
TEST(SameChild, NameAsSpelledAsideFromCaseAndBlanksAndTheBirthDate)
{
    const Date born{2010, 4, 7};
    const Date other{2010, 4, 8};
    struct Case {
        const char* a;
        Date bornA;
        const char* b;
        Date bornB;
        bool same;
    };
    const Case cases[] = {
        {"Kari Nordmann", born, "Kari Nordmann", born, true},
        {"Kari Nordmann", born, "  kari NORDMANN\t", born, true},
        {"Ærlig Åsmund Ødegård", born, "ærlig åsmund ødegård", born, true},
        {"Åse", born, "Ase", born, false},
        {"Øystein", born, "Oystein", born, false},
        {"Ærle", born, "Aerle", born, false},
        {"Kari Nordmann", born, "Kari  Nordmann", born, false}, // a blank inside is a spelling
        {"Kari Nordmann", born, "Kari Nordmann", other, false},
        {"Kari Nordmann", {}, "Kari Nordmann", {}, false}, // without a birth date, nobody's twin
        {"", born, "  ", born, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        const QString a = QString::fromUtf8(c.a), b = QString::fromUtf8(c.b);
        EXPECT_EQ(SameChild(a, c.bornA, b, c.bornB), c.same);
        EXPECT_EQ(SameChild(b, c.bornB, a, c.bornA), c.same);
    }
}

} // namespace tavlo
