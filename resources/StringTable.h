#pragma once
// The program's texts, looked up by their ids.

#include "resources/StringIds.h"

#include <QString>

#include <span>

namespace tavlo {

struct StringEntry {
    int id;
    const char* text; // UTF-8
};

// The text with this id; empty when there is none.
QString LoadString(int id);
// The text with its first "%s" (the texts keep their printf form) replaced by value.
QString LoadString(int id, const QString& value);
bool HasString(int id);
std::span<const StringEntry> stringTable();

} // namespace tavlo
