#pragma once
// The command line's list: every stored test as one tab-separated line of UTF-8, its number
// and the archive's nine columns as ArchiveCellText shows them (a tab or line break in a text
// a blank), in the archive's order. Held as bytes in blocks that never move, until printed.

#include "model/Failure.h"
#include "store/tables/PersonTable.h"

#include <QByteArrayView>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace tavlo {

class ListedLines {
public:
    int size() const { return m_lines; }
    // The lines in order, as pieces of bytes.
    void write(const std::function<void(const char* bytes, size_t size)>& out) const;

    // Adds the line of a row. Lines that are to be ordered are placed first.
    void append(const PersonListBytes& row);
    void placeLines(size_t expected);
    // Prints the placed lines in this order (indices in the order they were added).
    void setOrder(std::vector<int> order) { m_order = std::move(order); }

private:
    struct Block {
        std::unique_ptr<char[]> bytes;
        size_t size = 0;
        size_t used = 0;
    };
    struct Place {
        uint32_t block;
        uint32_t offset;
    };
    size_t lineSize(size_t line) const;

    std::vector<Block> m_blocks;
    std::vector<Place> m_places;
    bool m_placed = false;
    std::vector<int> m_order;
    int m_lines = 0;
    std::string m_line; // the line being made
};

// A text as one field of the list: the bytes as they are when they are UTF-8 as QString
// carries it; else as QString reads them (U+FFFD for what is not UTF-8, a byte order mark at
// the start dropped). Tab, line feed and carriage return become blanks (TabSeparatedField).
void AppendListField(std::string& line, QByteArrayView text);

// Every stored test as ListedLines, read on a connection of its own to the store of
// connectionString, ordered by a sort key as the archive orders it (PersonList::sort).
std::variant<ListedLines, Failure> ReadListedLines(const QString& connectionString, int sortKey, bool descending);

} // namespace tavlo
