#pragma once
// The result report of one scored test as plain data: everything the results window, the
// printed pages, the PDF file and tavlo-ii-cli show of it, decided here once, so that every
// writer (and any later one) says the same.

#include "model/TestRecord.h"
#include "report/PersonHeader.h"
#include "report/Profile.h"
#include "report/ReportRows.h"
#include "report/TablesDocument.h"

#include <QString>
#include <QStringList>

#include <array>
#include <vector>

namespace tavlo {

// The person in short: over every printed page after the first, and over the results window.
struct PersonStrip {
    QString pageTitle; // "Rapport for " and the name
    LabelledValue name;
    std::vector<LabelledValue> particulars; // sex, test age, test date
    LabelledValue other;
    LabelledValue ageGroup;
};

struct ReportSection {
    int domain = 0; // 1-6
    QString title;
    // Over the rows that go on to another page; empty where a section is never broken.
    QString continuationTitle;
    std::vector<ReportRow> rows;
    // Under the rows, as they stand: the note on computed scores ("N/A*"), then the footnote
    // on cumulative percentages.
    QStringList notes;
};

struct Report {
    PersonHeader person; // the first printed page
    PersonStrip strip;
    std::array<ReportSection, kDomainCount> sections; // domains 1-6, every one even without rows
    Profile profile;
    // Under the profile: its unscaled rows, the age group description when there is one, the
    // test age.
    QStringList profileNotes;
};

// ageGroupDescription: the age group's text, which says whether the norms may be used
// clinically.
Report BuildReport(const TestRecord& test, const QString& ageGroupDescription);

// What a job prints besides the person page: the domains (index 0-5 for domains 1-6) and the
// profile, which gets a page of its own right after the person page.
struct ReportChoice {
    ReportChoice(const std::array<bool, kDomainCount>& domains = {}, bool profile = false)
        : domains(domains)
        , profile(profile)
    {
    }
    bool anyDomain() const;
    std::array<bool, kDomainCount> domains;
    bool profile;
};

} // namespace tavlo
