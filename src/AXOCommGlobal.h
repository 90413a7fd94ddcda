#ifndef AXOCOMMGLOBAL_H
#define AXOCOMMGLOBAL_H

// Symbols of the library's public classes. The library is built with hidden
// visibility, so only what carries this macro is part of its ABI.
#if defined(_WIN32)
#  if defined(AXOCOMM_LIBRARY)
#    define AXOCOMM_EXPORT __declspec(dllexport)
#  else
#    define AXOCOMM_EXPORT __declspec(dllimport)
#  endif
#else
#  define AXOCOMM_EXPORT __attribute__((visibility("default")))
#endif

#endif // AXOCOMMGLOBAL_H
