// The Windows scalar and text types the libraries are written in, with their Win32 widths on Linux.
#pragma once

#include <cstddef>
#include <cstdint>

// unixODBC's sqltypes.h makes BOOL a macro for int; either may come first.
#ifndef BOOL
typedef int BOOL;
#endif
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef unsigned int UINT;
typedef char TCHAR;
typedef char *LPSTR;
typedef const char *LPCSTR;
typedef char *LPTSTR;
typedef const char *LPCTSTR;
typedef BYTE *LPBYTE;
typedef const BYTE *LPCBYTE;
typedef DWORD *LPDWORD;
typedef LONG *PLONG;
typedef void *LPVOID;
typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;

#ifndef TRUE
#  define TRUE 1
#endif
#ifndef FALSE
#  define FALSE 0
#endif
#ifndef _T
#  define _T(x) x
#endif
