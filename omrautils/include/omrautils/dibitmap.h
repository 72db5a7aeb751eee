// CDIBitmap: a bitmap loaded from a device-independent bitmap resource of the calling program, with a
// palette built from the bitmap's colour table (when it has at most 256 colours).
#pragma once

#include "omraplatform/gdi.h"
#include "omrautils/export.h"

class OMRAUTILS_API CDIBitmap : public CBitmap {
 public:
  CDIBitmap();
  ~CDIBitmap() override;

  // Loads a bitmap resource of the executable by number or by name; FALSE when there is none or it is
  // not a bitmap this platform reads. A second load replaces the first.
  BOOL LoadDIBitmap(UINT id);
  BOOL LoadDIBitmap(LPCSTR name);
  // Empty until a bitmap with a colour table of at most 256 entries is loaded.
  CPalette &GetPalette() { return m_palette; }

 protected:
  // Builds the palette from the colour table that follows the header; FALSE when none is made.
  BOOL CreateDIBPalette(BITMAPINFO *info);

 private:
  CPalette m_palette;
};
