#pragma once
// The codebook of the export files: every column of both formats with its meaning, subtest,
// measure, type, allowed values and how "not entered" is written, and the files' encoding,
// separators and line ends. Made from the catalogue, the raw score limits and the export's own
// column list, so it cannot drift from what the writers write; doc/codebook.md is this text.

#include <QString>

namespace tavlo {

// Markdown, Norwegian Bokmål.
QString ExportCodebook();

} // namespace tavlo
