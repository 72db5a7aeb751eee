// Export marker of OmraUtils: only what carries OMRAUTILS_API leaves libomrautils.so.
#pragma once

#if defined(_WIN32)
#  if defined(OMRAUTILS_BUILDING)
#    define OMRAUTILS_API __declspec(dllexport)
#  else
#    define OMRAUTILS_API __declspec(dllimport)
#  endif
#  define OMRAUTILS_STDCALL __stdcall
#else
#  define OMRAUTILS_API __attribute__((visibility("default")))
// The plain exports use the standard calling convention on Windows; Linux has one convention.
#  define OMRAUTILS_STDCALL
#endif
