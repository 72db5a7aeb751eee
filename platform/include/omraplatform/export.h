// Export marker of the platform library: only what carries OMRAPLATFORM_API leaves libomraplatform.so.
#pragma once

#if defined(_WIN32)
#  if defined(OMRAPLATFORM_BUILDING)
#    define OMRAPLATFORM_API __declspec(dllexport)
#  else
#    define OMRAPLATFORM_API __declspec(dllimport)
#  endif
#else
#  define OMRAPLATFORM_API __attribute__((visibility("default")))
#endif
