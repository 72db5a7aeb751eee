// Bitmaps, palettes and device contexts as framework objects.
//
// A bitmap made by CreateDIBitmap is device-dependent in the sense of this platform: 32-bit pixels
// 0x00RRGGBB, rows from the top, whatever the depth of the device-independent bitmap it came from. A
// device context measures text in its window's font (through the presenter) and selects and realizes
// palettes; it draws nothing itself.
#pragma once

#include <cstddef>
#include <cstdint>

#include "omraplatform/cstring.h"
#include "omraplatform/export.h"
#include "omraplatform/winuser.h"

class CWnd;
typedef struct HDC__ *HDC;

struct BITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;  // positive: rows from the bottom; negative: from the top
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40, "the header of a device-independent bitmap");

struct RGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
};
// The colour table runs on past the header for as many entries as it has: read it through DIBColors.
struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};
inline const RGBQUAD *DIBColors(const BITMAPINFO *info) {
  return reinterpret_cast<const RGBQUAD *>(reinterpret_cast<const BYTE *>(info) + sizeof(BITMAPINFOHEADER));
}
typedef BITMAPINFO *LPBITMAPINFO;

struct PALETTEENTRY {
  BYTE peRed;
  BYTE peGreen;
  BYTE peBlue;
  BYTE peFlags;
};
// The entries run on for palNumEntries: address them through PaletteEntries.
struct LOGPALETTE {
  WORD palVersion;
  WORD palNumEntries;
  PALETTEENTRY palPalEntry[1];
};
inline PALETTEENTRY *PaletteEntries(LOGPALETTE *palette) {
  return reinterpret_cast<PALETTEENTRY *>(reinterpret_cast<BYTE *>(palette) + offsetof(LOGPALETTE, palPalEntry));
}
inline const PALETTEENTRY *PaletteEntries(const LOGPALETTE *palette) {
  return PaletteEntries(const_cast<LOGPALETTE *>(palette));
}
typedef LOGPALETTE *LPLOGPALETTE;

struct BITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  LPVOID bmBits;
};

#define BI_RGB 0u
#define CBM_INIT 0x4u
#define DIB_RGB_COLORS 0u

// Creates a bitmap from a device-independent header and its bits (uncompressed, 1, 4, 8, 24 or 32 bits
// per pixel); bits_size bounds what is read. Null when the header or the size does not fit.
OMRAPLATFORM_API HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER *header, DWORD init,
                                        const void *bits, const BITMAPINFO *info, UINT usage,
                                        size_t bits_size);
OMRAPLATFORM_API HPALETTE CreatePalette(const LOGPALETTE *palette);
OMRAPLATFORM_API BOOL DeleteObject(HGDIOBJ object);

class OMRAPLATFORM_API CGdiObject {
 public:
  CGdiObject() = default;
  virtual ~CGdiObject();
  CGdiObject(const CGdiObject &) = delete;
  CGdiObject &operator=(const CGdiObject &) = delete;

  HGDIOBJ m_hObject = nullptr;
  HGDIOBJ GetSafeHandle() const { return m_hObject; }
  BOOL Attach(HGDIOBJ object);  // FALSE when the object already holds one
  HGDIOBJ Detach();
  BOOL DeleteObject();  // deletes the attached object; FALSE when there is none
};

class OMRAPLATFORM_API CPalette : public CGdiObject {
 public:
  BOOL CreatePalette(const LOGPALETTE *palette);
  int GetEntryCount() const;
  UINT GetPaletteEntries(UINT start, UINT count, PALETTEENTRY *entries) const;
  operator HPALETTE() const { return static_cast<HPALETTE>(m_hObject); }  // NOLINT
};

class OMRAPLATFORM_API CBitmap : public CGdiObject {
 public:
  int GetBitmap(BITMAP *info) const;  // 0 without a bitmap
  // Copies up to count bytes of the 32-bit pixels, rows from the top; the bytes copied.
  DWORD GetBitmapBits(DWORD count, LPVOID bits) const;
  operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }  // NOLINT
};

class OMRAPLATFORM_API CDC {
 public:
  CDC() = default;
  virtual ~CDC() = default;
  CDC(const CDC &) = delete;
  CDC &operator=(const CDC &) = delete;

  HDC GetSafeHdc() const { return m_hDC; }
  // With DT_CALCRECT only measures: rect keeps its left and top, gets the text's height (and, for one
  // line, its width); the result is the height. DT_WORDBREAK wraps inside the rectangle's width.
  int DrawText(LPCTSTR text, int count, LPRECT rect, UINT format);
  int DrawText(const CString &text, LPRECT rect, UINT format);
  SIZE GetTextExtent(LPCTSTR text, int count) const;
  CPalette *SelectPalette(CPalette *palette, BOOL force_background);
  UINT RealizePalette();

  HDC m_hDC = nullptr;

 protected:
  HWND m_window = nullptr;
  CPalette *m_palette = nullptr;
  friend class CWnd;
};

// Device context of a window's client area, or of the whole screen for a null window.
class OMRAPLATFORM_API CClientDC : public CDC {
 public:
  explicit CClientDC(CWnd *window);
};
class OMRAPLATFORM_API CWindowDC : public CDC {
 public:
  explicit CWindowDC(CWnd *window);
};
