#pragma once
// What a person's text field may hold: at most 49 characters of the Latin script (Sámi
// letters included) and the export's Windows-1252 punctuation, no control or invisible
// characters (they would break the tab-separated export or hide in it), and no formula at the
// start.

#include "model/TestRecord.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>
#include <utility>

namespace tavlo {

bool IsWindows1252Char(char32_t c);
// Whether a person's text may hold the character: one of Windows-1252 or a letter of the
// Latin script's extensions (č đ ŋ š ŧ ž, Vietnamese, ...). Combining marks are not: a text
// is NFC-normalised first, and a mark left over has no letter of its own.
bool IsPersonTextChar(char32_t c);
// A character a message can show as itself; others (controls, direction marks, joiners,
// lone combining marks, separators) would vanish or rearrange the message, so go by code.
bool IsVisibleChar(char32_t c);
// The text as it is checked and stored: composed (NFC), so "a" and a combining acute become "á".
QString NormalizedPersonText(const QString& text);
// Windows-1252 bytes of a text whose characters all pass IsWindows1252Char.
QByteArray ToWindows1252(const QString& text);
// The character a Windows-1252 byte stands for; 0 for a control byte or one the code page
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D), which no export writes.
char32_t FromWindows1252(unsigned char byte);

// Whether a text begins with a character (= + - @) that makes a spreadsheet opening the
// export read the cell as a formula, and run it.
bool BeginsLikeFormula(QStringView text);

// The words of the person form for a sex (1, 2) and a handedness (1-4); empty for any other.
QString SexWord(int sex);
QString HandednessWord(int handedness);

// The person's text fields with the string ids of their labels, in the person form's order.
std::array<std::pair<int, const QString*>, 10> PersonTextFields(const PersonalData& person);

// A clear message naming the field, or nullopt when the text may be stored.
std::optional<QString> CheckPersonText(const QString& label, const QString& text);
// The first refusal among the person's text fields, in the person form's order.
std::optional<QString> CheckPersonTexts(const PersonalData& person);

} // namespace tavlo
