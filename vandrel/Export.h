#pragma once

#if defined(_WIN32)
#  if defined(VANDREL_BUILDING)
#    define VANDREL_EXPORT __declspec(dllexport)
#  else
#    define VANDREL_EXPORT __declspec(dllimport)
#  endif
#else
#  define VANDREL_EXPORT __attribute__((visibility("default")))
#endif
