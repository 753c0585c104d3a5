#pragma once
// A report's print job without a printer: to a PDF file in place of the print dialog, or page by
// page onto a recording device.

#include "RecordingPaintDevice.h"
#include "app/AppContext.h"
#include "results/Printing.h"

#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <vector>

namespace tavlo::test {

// In place of the print dialog: the next job goes to *pdf; an empty name cancels. asked counts
// the dialogs.
inline PrintSeams printTo(const QString* pdf, int* asked = nullptr)
{
    return {[=](QPrinter& printer, QWidget*) {
        if (asked)
            ++*asked;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(*pdf);
        return !pdf->isEmpty();
    }};
}

struct RecordedPage {
    std::vector<DrawnText> texts;
    std::vector<QLineF> rules;
    bool has(const QString& text) const
    {
        return std::any_of(texts.begin(), texts.end(), [&](const auto& t) { return t.text == text; });
    }
};

inline constexpr QSize kA4Sheet{794, 1123};

// Every page of the job drawn on a recording device of the sheet's proportions. The start of
// page failingPage is refused, as by a printer that gave up (0: none); completed tells whether
// the job drew to its end.
inline std::vector<RecordedPage> recordPages(const AppContext& context, const ReportChoice& chosen,
                                             bool* completed = nullptr, int failingPage = 0, QSize sheet = kA4Sheet)
{
    RecordingPaintDevice device(sheet);
    std::vector<RecordedPage> pages;
    const auto cut = [&] {
        RecordedPage page;
        page.texts.swap(device.texts());
        page.rules.swap(device.rules());
        pages.push_back(std::move(page));
    };
    QPainter painter(&device);
    const PageFlow flow{[&] {
                            if (int(pages.size()) + 2 == failingPage)
                                return false;
                            cut();
                            return true;
                        },
                        {}};
    const bool done = DrawReportPages(painter, context, chosen, flow);
    painter.end();
    cut();
    if (completed)
        *completed = done;
    return pages;
}

} // namespace tavlo::test
