#pragma once
// The registry write behind cDoSetRegistryValue, for callers that give their own message.

#include "vandrel/Export.h"

namespace tavlo {

enum class RegistryWrite { Written, NotOpened, NotWritten };

// Writes a text value for the current user and says how far it got; shows nothing.
VANDREL_EXPORT RegistryWrite WriteUserRegistryValue(const char* keyPath, const char* valueName, const char* text);

} // namespace tavlo
