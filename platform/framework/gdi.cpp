// GDI objects: bitmaps made from device-independent bitmaps, palettes, predefined icons, and device
// contexts that measure text through the presenter.
#include "omraplatform/gdi.h"

#include <algorithm>

#include <cstring>
#include <new>
#include <vector>

#include "omraplatform/presenter.h"
#include "omraplatform/window_model.h"
#include "omraplatform/wnd.h"

// Every GDI handle points at one of these; DeleteObject deletes through the base.
struct GdiObject {
  virtual ~GdiObject() = default;
};
struct HBITMAP__ : GdiObject {
  LONG width = 0, height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows from the top
};
struct HPALETTE__ : GdiObject {
  std::vector<PALETTEENTRY> entries;
};
struct HICON__ {
  int standard_id;
};

namespace {

HGDIOBJ to_handle(GdiObject *object) { return object; }
GdiObject *from_handle(HGDIOBJ handle) { return static_cast<GdiObject *>(handle); }

// Bytes per row of a device-independent bitmap: rows are padded to 4 bytes.
size_t row_stride(LONG width, WORD bits) { return ((static_cast<size_t>(width) * bits + 31) / 32) * 4; }

}  // namespace

HICON LoadIcon(HINSTANCE module, LPCTSTR name) {
  if (module || !IS_INTRESOURCE(name)) return nullptr;
  static HICON__ icons[] = {{32512}, {32513}, {32514}, {32515}, {32516}};
  for (HICON__ &icon : icons) {
    if (static_cast<uintptr_t>(icon.standard_id) == reinterpret_cast<uintptr_t>(name)) return &icon;
  }
  return nullptr;
}

namespace omra {
int StandardIconId(HICON icon) { return icon ? icon->standard_id : 0; }
}  // namespace omra

HBITMAP CreateDIBitmap(HDC, const BITMAPINFOHEADER *header, DWORD init, const void *bits,
                       const BITMAPINFO *info, UINT usage, size_t bits_size) {
  if (!header || header->biSize < sizeof(BITMAPINFOHEADER) || header->biCompression != BI_RGB) return nullptr;
  LONG width = header->biWidth;
  LONG height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
  WORD depth = header->biBitCount;
  if (width <= 0 || height <= 0 || width > 32768 || height > 32768) return nullptr;
  if (depth != 1 && depth != 4 && depth != 8 && depth != 24 && depth != 32) return nullptr;
  size_t stride = row_stride(width, depth);
  if ((init & CBM_INIT) && (!bits || bits_size < stride * static_cast<size_t>(height))) return nullptr;
  size_t colours = depth <= 8 ? (header->biClrUsed ? header->biClrUsed : (1u << depth)) : 0;
  if (depth <= 8 && !info) return nullptr;

  HBITMAP__ *bitmap;
  try {
    bitmap = new HBITMAP__;
    bitmap->width = width;
    bitmap->height = height;
    bitmap->pixels.assign(static_cast<size_t>(width) * height, 0);
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
  if (init & CBM_INIT) {
    const auto *data = static_cast<const BYTE *>(bits);
    bool bottom_up = header->biHeight > 0;
    for (LONG y = 0; y < height; ++y) {
      const BYTE *row = data + stride * static_cast<size_t>(bottom_up ? height - 1 - y : y);
      for (LONG x = 0; x < width; ++x) {
        uint32_t pixel = 0;
        if (depth >= 24) {
          const BYTE *p = row + static_cast<size_t>(x) * (depth / 8);
          pixel = (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
        } else {
          size_t bit = static_cast<size_t>(x) * depth;
          unsigned index = (row[bit / 8] >> (8 - depth - bit % 8)) & ((1u << depth) - 1);
          if (index < colours) {
            const RGBQUAD &c = DIBColors(info)[index];
            pixel = (uint32_t{c.rgbRed} << 16) | (uint32_t{c.rgbGreen} << 8) | c.rgbBlue;
          }
        }
        bitmap->pixels[static_cast<size_t>(y) * width + x] = pixel;
      }
    }
  }
  return bitmap;
}

HPALETTE CreatePalette(const LOGPALETTE *palette) {
  if (!palette || palette->palNumEntries == 0) return nullptr;
  try {
    auto *p = new HPALETTE__;
    p->entries.assign(PaletteEntries(palette), PaletteEntries(palette) + palette->palNumEntries);
    return p;
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
}

BOOL DeleteObject(HGDIOBJ object) {
  if (!object) return FALSE;
  delete from_handle(object);
  return TRUE;
}

CGdiObject::~CGdiObject() { DeleteObject(); }

BOOL CGdiObject::Attach(HGDIOBJ object) {
  if (m_hObject || !object) return FALSE;
  m_hObject = object;
  return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
  HGDIOBJ object = m_hObject;
  m_hObject = nullptr;
  return object;
}

BOOL CGdiObject::DeleteObject() {
  if (!m_hObject) return FALSE;
  ::DeleteObject(m_hObject);
  m_hObject = nullptr;
  return TRUE;
}

BOOL CPalette::CreatePalette(const LOGPALETTE *palette) {
  HPALETTE p = ::CreatePalette(palette);
  return p ? Attach(to_handle(p)) : FALSE;
}

int CPalette::GetEntryCount() const {
  auto *p = static_cast<HPALETTE__ *>(from_handle(m_hObject));
  return p ? static_cast<int>(p->entries.size()) : 0;
}

UINT CPalette::GetPaletteEntries(UINT start, UINT count, PALETTEENTRY *entries) const {
  auto *p = static_cast<HPALETTE__ *>(from_handle(m_hObject));
  if (!p || !entries || start >= p->entries.size()) return 0;
  UINT n = std::min<UINT>(count, static_cast<UINT>(p->entries.size()) - start);
  std::memcpy(entries, p->entries.data() + start, n * sizeof(PALETTEENTRY));
  return n;
}

int CBitmap::GetBitmap(BITMAP *info) const {
  auto *b = static_cast<HBITMAP__ *>(from_handle(m_hObject));
  if (!b || !info) return 0;
  *info = {0, b->width, b->height, b->width * 4, 1, 32, nullptr};
  return sizeof(BITMAP);
}

DWORD CBitmap::GetBitmapBits(DWORD count, LPVOID bits) const {
  auto *b = static_cast<HBITMAP__ *>(from_handle(m_hObject));
  if (!b || !bits) return 0;
  size_t n = std::min<size_t>(count, b->pixels.size() * sizeof(uint32_t));
  std::memcpy(bits, b->pixels.data(), n);
  return static_cast<DWORD>(n);
}

int CDC::DrawText(LPCTSTR text, int count, LPRECT rect, UINT format) {
  if (!rect) return 0;
  std::string s = text ? (count < 0 ? std::string(text) : std::string(text, static_cast<size_t>(count))) : "";
  HWND dialog = omra_dialog_of(m_window);
  omra::Presenter *p = dialog && dialog->presenter ? dialog->presenter : omra::GetPresenter();
  SIZE size = p->MeasureText(m_window, s.c_str(), rect->right - rect->left, format);
  if (format & DT_CALCRECT) {
    rect->bottom = rect->top + size.cy;
    if ((format & DT_SINGLELINE) || !(format & DT_WORDBREAK)) rect->right = rect->left + size.cx;
  }
  return size.cy;
}

int CDC::DrawText(const CString &text, LPRECT rect, UINT format) {
  return DrawText(static_cast<LPCTSTR>(text), text.GetLength(), rect, format);
}

SIZE CDC::GetTextExtent(LPCTSTR text, int count) const {
  std::string s = text ? (count < 0 ? std::string(text) : std::string(text, static_cast<size_t>(count))) : "";
  HWND dialog = omra_dialog_of(m_window);
  omra::Presenter *p = dialog && dialog->presenter ? dialog->presenter : omra::GetPresenter();
  return p->MeasureText(m_window, s.c_str(), 0, DT_SINGLELINE);
}

CPalette *CDC::SelectPalette(CPalette *palette, BOOL force_background) {
  CPalette *previous = m_palette;
  m_palette = palette;
  return previous;
}

// Every palette entry maps to a colour of the 32-bit screen.
UINT CDC::RealizePalette() { return m_palette ? static_cast<UINT>(m_palette->GetEntryCount()) : 0; }

CClientDC::CClientDC(CWnd *window) { m_window = window ? window->m_hWnd : nullptr; }
CWindowDC::CWindowDC(CWnd *window) { m_window = window ? window->m_hWnd : nullptr; }
