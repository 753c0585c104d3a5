#pragma once
// The program's texts, looked up by their ids.

#include <QString>

#include <span>

namespace tavlo {

struct StringEntry {
    int id;
    const char* text; // UTF-8
};

// The text with this id; empty when there is none.
QString LoadString(int id);
bool HasString(int id);
std::span<const StringEntry> stringTable();

} // namespace tavlo
