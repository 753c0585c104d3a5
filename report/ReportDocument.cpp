#include "report/ReportDocument.h"

namespace tavlo {

TablesDocument ReportTables(const Report& report, const ReportChoice& chosen, ReportPerson person)
{
    TablesDocument document;
    if (person == ReportPerson::Strip) {
        document.title = report.strip.pageTitle;
        std::vector<LabelledValue> first{report.strip.name};
        first.insert(first.end(), report.strip.particulars.begin(), report.strip.particulars.end());
        document.header.push_back(std::move(first));
        // The norm group's description says whether the norms may be used clinically.
        if (!report.strip.ageGroup.value.isEmpty())
            document.header.push_back({report.strip.ageGroup});
    } else {
        document.title = report.person.title;
        for (const auto& line : report.person.lines) {
            std::vector<LabelledValue> items;
            for (const HeaderItem& item : line)
                items.push_back({item.label, item.value});
            document.header.push_back(std::move(items));
        }
    }
    if (chosen.profile) {
        TablesSection profile;
        profile.title = QStringLiteral("Profil");
        profile.notes = report.profileNotes;
        document.sections.push_back(std::move(profile));
    }
    for (const ReportSection& section : report.sections) {
        if (!chosen.domains[size_t(section.domain - 1)])
            continue;
        TablesSection table;
        table.title = section.title;
        table.key = QString::number(section.domain);
        table.headings = ReportColumnHeadings();
        table.numberColumns = {1, 2, 3}; // raw, scaled, percentile: right-aligned on the screen too
        for (const ReportRow& row : section.rows)
            table.rows.push_back(ReportRowCells(row));
        table.notes = section.notes;
        document.sections.push_back(std::move(table));
    }
    return document;
}

} // namespace tavlo
