#pragma once
// The companion library's C interface. Texts cross as zero-terminated strings in buffers
// the caller owns (UTF-8 here); integers are signed 32-bit.

#include "vandrel/Export.h"

#include <cstdint>

class QPainter;

extern "C" {

// 1 when the decimal digits of date read YYYYMMDD as an existing Gregorian date, else 0.
VANDREL_EXPORT int32_t DoCheckIntDate(int32_t date);

// Substring of count characters from start (0-based); dest must hold count + 1 bytes.
VANDREL_EXPORT char* DoStrMid(char* dest, const char* src, int32_t start, int32_t count);

// Reads keyPath\valueName of the current user into out (at least 128 bytes). Always 1;
// out is untouched when the key or the value is missing.
VANDREL_EXPORT int32_t cDoGetRegistryValue_Ex(const char* keyPath, const char* valueName, char* out);

// The same for the whole machine, into at least 1024 bytes; 1 when read, else 0.
VANDREL_EXPORT int32_t cDoGetRegistryValueLocalMachine(const char* keyPath, const char* valueName,
                                                       char* out);

// Writes a text value for the current user; 0 when the key cannot be created or opened.
VANDREL_EXPORT int32_t cDoSetRegistryValue(const char* keyPath, const char* valueName, const char* text);

// Reads a value under the library's own key into a buffer the library owns (valid until the
// next call).
VANDREL_EXPORT const char* cDoGetRegistryValue(const char* valueName);

VANDREL_EXPORT int32_t cDoDllVersion(void);

// Word-wrapped text from y within [left, right); draws when draw is not 0; later lines start at
// nextLeft when it is not 0. Returns the y below the last line.
VANDREL_EXPORT int32_t cDoTextOut(QPainter* painter, int32_t y, const char* text, int32_t left, int32_t right,
                                  int32_t draw, int32_t nextLeft);

}
