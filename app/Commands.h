#pragma once
// The command ids the main window sends to the screen in front, one numbering for its five
// buttons (left to right as each screen places them) and the keys of its accelerator table.

namespace tavlo {

enum CommandId : int {
    kAltN = 63,
    kAltT = 64,
    kAltI = 65,
    kAltR = 66,
    kButton1 = 90,
    kButton2 = 91,
    kButton3 = 92,
    kButton4 = 93,
    kButton5 = 94,
    kAltB = 101,
    kAltA = 102,
    kEscape = 103,
    kAltV = 104,
    kAltO = 105,
    kAltF = 106,
    kAltS = 107,
    kAltU = 108,
    kAltTab = 109,
    kAltK = 110,
    kAltL = 111,
    kAlt1 = 112,
    kAlt2 = 113,
    kAlt3 = 114,
    kAlt4 = 115,
    kAlt5 = 116,
    kAltE = 118,
    kAltD = 119,
};

} // namespace tavlo
