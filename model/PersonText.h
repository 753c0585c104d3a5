#pragma once
// What a person's text field may hold: at most 49 characters, each one the export's
// Windows-1252 code page can write, no control characters (they would break the
// tab-separated export), and no formula at the start.

#include "model/TestRecord.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

namespace tavlo {

bool IsWindows1252Char(char32_t c);
// Windows-1252 bytes of a text whose characters all pass IsWindows1252Char.
QByteArray ToWindows1252(const QString& text);
// The character a Windows-1252 byte stands for; 0 for a control byte or one the code page
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D), which no export writes.
char32_t FromWindows1252(unsigned char byte);

// Whether a text begins with a character (= + - @) that makes a spreadsheet opening the
// export read the cell as a formula, and run it.
bool BeginsLikeFormula(QStringView text);

// A clear message naming the field, or nullopt when the text may be stored.
std::optional<QString> CheckPersonText(const QString& label, const QString& text);
// The first refusal among the person's text fields, in the person form's order.
std::optional<QString> CheckPersonTexts(const PersonalData& person);

} // namespace tavlo
