#include "report/ComparisonDocument.h"

namespace tavlo {

TablesDocument ComparisonTables(const Comparison& comparison)
{
    TablesDocument document;
    document.title = ComparisonTitle(comparison);
    document.header.push_back({{QStringLiteral("Født"), FormatDate(comparison.born)}});
    for (const auto& [which, test] : {std::pair(QStringLiteral("Før"), &comparison.earlier),
                                      std::pair(QStringLiteral("Etter"), &comparison.later)}) {
        std::vector<LabelledValue> line{{which, FormatDate(test->testDate)},
                                        {QStringLiteral("Testalder"), FormatTestAge(test->testAge)},
                                        {QStringLiteral("Normgruppe"), test->ageGroup}};
        if (!test->ageGroupDescription.isEmpty())
            line.push_back({QStringLiteral("Normene"), test->ageGroupDescription});
        document.header.push_back(std::move(line));
    }
    for (const ComparisonSection& section : comparison.sections) {
        TablesSection table;
        table.title = section.title;
        table.key = QString::number(section.domain);
        table.headings = {QStringLiteral("Deltest"), QStringLiteral("Før"), QStringLiteral("Etter"),
                          QStringLiteral("Endring"), QString()};
        table.numberColumns = {1, 2, 3};
        for (const ComparisonRow& row : section.rows)
            table.rows.push_back({row.label, row.earlier, row.later, ChangeText(row), row.marked ? QStringLiteral("*") : QString()});
        if (section.anyMarked())
            table.notes << MarkedChangeNote();
        document.sections.push_back(std::move(table));
    }
    return document;
}

} // namespace tavlo
