#include "omrautils/dibitmap.h"

#include <new>
#include <vector>

namespace {

// Colours in the table after the header: the count of colours used, or 2 to the bits per pixel.
size_t colour_count(const BITMAPINFOHEADER &header) {
  if (header.biClrUsed) return header.biClrUsed;
  return header.biBitCount < 16 ? (size_t{1} << header.biBitCount) : (size_t{1} << 16);
}

}  // namespace

CDIBitmap::CDIBitmap() = default;

CDIBitmap::~CDIBitmap() {
  m_palette.DeleteObject();
  DeleteObject();
}

BOOL CDIBitmap::LoadDIBitmap(UINT id) { return LoadDIBitmap(MAKEINTRESOURCE(id)); }

BOOL CDIBitmap::LoadDIBitmap(LPCSTR name) {
  // The calling program's resources, never OmraUtils' own.
  HMODULE program = GetModuleHandle(nullptr);
  HRSRC found = FindResource(program, name, RT_BITMAP);
  if (!found) return FALSE;
  HGLOBAL loaded = LoadResource(program, found);
  auto *data = static_cast<BYTE *>(LockResource(loaded));
  size_t size = SizeofResource(program, found);
  if (!data || size < sizeof(BITMAPINFOHEADER)) return FALSE;
  auto *info = reinterpret_cast<BITMAPINFO *>(data);
  if (info->bmiHeader.biSize != sizeof(BITMAPINFOHEADER)) return FALSE;
  // A colour table that would reach past the resource is a damaged bitmap, not one to read.
  size_t colours = colour_count(info->bmiHeader);
  if (colours <= 256 && sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD) > size) return FALSE;

  m_palette.DeleteObject();
  DeleteObject();
  CreateDIBPalette(info);

  CWindowDC screen(nullptr);
  CPalette *previous = nullptr;
  if (m_palette.GetSafeHandle()) {
    previous = screen.SelectPalette(&m_palette, FALSE);
    screen.RealizePalette();
  }
  size_t offset = sizeof(BITMAPINFOHEADER) + static_cast<size_t>(m_palette.GetEntryCount()) * sizeof(RGBQUAD);
  HBITMAP bitmap = CreateDIBitmap(screen.GetSafeHdc(), &info->bmiHeader, CBM_INIT, data + offset, info,
                                  DIB_RGB_COLORS, size - offset);
  if (previous) screen.SelectPalette(previous, FALSE);
  if (!bitmap) {
    m_palette.DeleteObject();
    return FALSE;
  }
  Attach(bitmap);
  return TRUE;
}

BOOL CDIBitmap::CreateDIBPalette(BITMAPINFO *info) {
  size_t colours = colour_count(info->bmiHeader);
  if (colours > 256) return FALSE;
  // Out of memory makes no palette instead of throwing out of the library.
  std::vector<BYTE> buffer;
  try {
    buffer.resize(sizeof(LOGPALETTE) + colours * sizeof(PALETTEENTRY));
  } catch (const std::bad_alloc &) {
    return FALSE;
  }
  auto *palette = reinterpret_cast<LOGPALETTE *>(buffer.data());
  palette->palVersion = 0x300;
  palette->palNumEntries = static_cast<WORD>(colours);
  const RGBQUAD *table = DIBColors(info);
  PALETTEENTRY *entries = PaletteEntries(palette);
  for (size_t i = 0; i < colours; ++i) {
    entries[i] = {table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
  }
  return m_palette.CreatePalette(palette);
}
