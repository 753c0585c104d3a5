#pragma once
// The companion library's C interface. Texts cross as zero-terminated strings in buffers
// the caller owns (UTF-8 here); integers are signed 32-bit.

#include "vandrel/Export.h"

#include <cstdint>

class QPainter;
class QPaintDevice;

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

// Digits to letters (0→A … 7→H, 8→K, 9→L) in place, and back (capitals only). Both return 0.
VANDREL_EXPORT int32_t DoOneToA(char* text);
VANDREL_EXPORT int32_t DoAToOne(char* text);

// Rounds with a tolerance: an even whole part rounds up from just under a half.
VANDREL_EXPORT int32_t cDoRound(double value);

// Colours are Windows colour references 0x00BBGGRR; each returns 0.
VANDREL_EXPORT int32_t DoPaintRectangle(QPainter* painter, int32_t left, int32_t top, int32_t width, int32_t height,
                                        uint32_t colour);
VANDREL_EXPORT int32_t DoPaintCircle(QPainter* painter, int32_t left, int32_t top, int32_t diameter, uint32_t colour);
// A raised box with light upper and left edges and dark lower and right ones, depth 0-3.
VANDREL_EXPORT int32_t DoPaintFrame3D(QPainter* painter, int32_t x, int32_t y, int32_t width, int32_t height,
                                      uint32_t colour, int32_t depth);
// Labelled vertical lines for first, first + step, … up to last; returns the column width.
VANDREL_EXPORT int32_t cDoBackgroundGrid(QPainter* painter, int32_t left, int32_t y, int32_t width, int32_t height,
                                         int32_t first, int32_t last, int32_t step, int32_t dark);
// The colour depth in bits of the window's display.
VANDREL_EXPORT int32_t CDoCheckResolution(const QPaintDevice* window);

}
