#pragma once
// A result read a block of rows at a time into bound columns: one driver call per block
// instead of one per value, and texts as the driver's UTF-8 bytes, never a QString.

#include "model/Dates.h"
#include "store/connection/Database.h"

#include <QByteArrayView>

#include <memory>
#include <vector>

namespace tavlo {

class RowBlocks {
public:
    // Binds the statement's result before it is executed; rowsPerBlock is a wish, the
    // driver may give fewer.
    RowBlocks(Statement& statement, int rowsPerBlock);
    RowBlocks(const RowBlocks&) = delete;
    RowBlocks& operator=(const RowBlocks&) = delete;

    // Each binds one result column (1-based) and gives its place for the readers below;
    // -1 on failure.
    int bindInt(int column);
    int bindDate(int column);
    // A text of up to maxBytes bytes; a longer one reads as its first bytes, marked cut.
    int bindText(int column, int maxBytes);

    // The next block: Fetch::Row when it holds rows; NoData after the last.
    Fetch fetch();
    int rows() const { return int(m_fetched); }

    // A NULL reads as the fallback, as Statement's getters read it: 0, no date, no bytes.
    int intAt(int place, int row) const;
    Date dateAt(int place, int row) const;
    QByteArrayView textAt(int place, int row, bool* cut = nullptr) const;

private:
    struct Bound {
        int width = 0; // bytes per row
        std::unique_ptr<char[]> values;
        std::unique_ptr<SQLLEN[]> indicators;
    };
    int bind(int column, SQLSMALLINT type, int width);

    Statement& m_statement;
    SQLULEN m_rowsPerBlock = 1;
    SQLULEN m_fetched = 0;
    std::vector<SQLUSMALLINT> m_status;
    std::vector<Bound> m_bound;
};

} // namespace tavlo
