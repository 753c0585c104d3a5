#pragma once
// The printer choice of a print job answered with a PDF file, as the print dialog's "print
// to file" answers it.

#include "results/Printing.h"

#include <QPrinter>

namespace tavlo::test {

inline PrintSeams printTo(const QString& pdf)
{
    return {[pdf](QPrinter& printer, QWidget*) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    }};
}

} // namespace tavlo::test
