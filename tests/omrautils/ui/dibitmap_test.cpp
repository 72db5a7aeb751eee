// CDIBitmap: bitmaps from the calling program's resources, with a palette when the colour table has at
// most 256 entries, and the bits found after the header and that table.
#include <gtest/gtest.h>

#include <vector>

#include "omraplatform/resources.h"
#include "omrautils/dibitmap.h"

namespace {

// A device-independent bitmap: header, colour table, rows from the bottom padded to 4 bytes.
std::vector<BYTE> dib(LONG width, LONG height, WORD bits, DWORD colours_used, const std::vector<RGBQUAD> &table,
                      const std::vector<BYTE> &pixels) {
  BITMAPINFOHEADER h{};
  h.biSize = sizeof h;
  h.biWidth = width;
  h.biHeight = height;
  h.biPlanes = 1;
  h.biBitCount = bits;
  h.biCompression = BI_RGB;
  h.biClrUsed = colours_used;
  std::vector<BYTE> out(reinterpret_cast<BYTE *>(&h), reinterpret_cast<BYTE *>(&h) + sizeof h);
  for (const RGBQUAD &q : table) out.insert(out.end(), {q.rgbBlue, q.rgbGreen, q.rgbRed, 0});
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

std::vector<uint32_t> pixels_of(const CBitmap &bitmap) {
  BITMAP info{};
  if (!bitmap.GetBitmap(&info)) return {};
  std::vector<uint32_t> out(static_cast<size_t>(info.bmWidth) * info.bmHeight);
  bitmap.GetBitmapBits(static_cast<DWORD>(out.size() * 4), out.data());
  return out;
}

// 2 x 2, 24 bits: bottom row blue, white; top row red, green.
const std::vector<BYTE> kTrueColour = dib(2, 2, 24, 0, {},
                                          {0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0,  // bottom: blue, white, padding
                                           0, 0, 0xFF, 0, 0xFF, 0, 0, 0});      // top: red, green, padding
std::vector<RGBQUAD> ramp(int n) {
  std::vector<RGBQUAD> t;
  for (int i = 0; i < n; ++i) t.push_back({static_cast<BYTE>(i / 2), static_cast<BYTE>(255 - i), static_cast<BYTE>(i), 0});
  return t;
}
// 2 x 1, 8 bits, colours used 0: the full 256-entry table, then indices 3 and 250.
const std::vector<BYTE> kFullTable = dib(2, 1, 8, 0, ramp(256), {3, 250, 0, 0});
// 2 x 1, 8 bits, two colours used: the bits follow two entries.
const std::vector<BYTE> kTwoColours = dib(2, 1, 8, 2, {{0, 0, 0xFF, 0}, {0xFF, 0, 0, 0}}, {1, 0, 0, 0});
// The header promises rows the resource does not hold.
const std::vector<BYTE> kTruncated(kTrueColour.begin(), kTrueColour.end() - 8);

const BitmapResource kBitmaps[] = {
    {201, "TRUECOLOUR", kTrueColour.data(), kTrueColour.size()},
    {202, "FULLTABLE", kFullTable.data(), kFullTable.size()},
    {0, "TWOCOLOURS", kTwoColours.data(), kTwoColours.size()},
    {0, "TRUNCATED", kTruncated.data(), kTruncated.size()},
};
const ModuleResources kProgram{nullptr, 0, nullptr, 0, kBitmaps, std::size(kBitmaps)};
const BitmapResource kLibraryBitmaps[] = {{0, "LIBRARYONLY", kTrueColour.data(), kTrueColour.size()}};
const ModuleResources kLibrary{nullptr, 0, nullptr, 0, kLibraryBitmaps, 1};
AFX_MODULE_STATE g_library("SomeLibrary", &kLibrary);

class DIBitmapTest : public testing::Test {
 protected:
  void SetUp() override { AfxGetAppModuleState()->SetResources(&kProgram); }
};

TEST_F(DIBitmapTest, TrueColourBitmapHasNoPaletteAndItsBitsFollowTheHeader) {
  CDIBitmap bitmap;
  ASSERT_TRUE(bitmap.LoadDIBitmap("TRUECOLOUR"));
  EXPECT_EQ(bitmap.GetPalette().GetSafeHandle(), nullptr);
  EXPECT_EQ(pixels_of(bitmap), (std::vector<uint32_t>{0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}));
  CDIBitmap by_number;
  ASSERT_TRUE(by_number.LoadDIBitmap(201u));
  EXPECT_EQ(pixels_of(by_number), pixels_of(bitmap));
}

TEST_F(DIBitmapTest, EightBitBitmapWithNoColourCountGetsA256EntryPalette) {
  CDIBitmap bitmap;
  ASSERT_TRUE(bitmap.LoadDIBitmap(202u));
  CPalette &palette = bitmap.GetPalette();
  ASSERT_EQ(palette.GetEntryCount(), 256);
  PALETTEENTRY entries[256];
  ASSERT_EQ(palette.GetPaletteEntries(0, 256, entries), 256u);
  EXPECT_EQ(entries[3].peRed, 3);
  EXPECT_EQ(entries[3].peGreen, 252);
  EXPECT_EQ(entries[3].peBlue, 1);
  EXPECT_EQ(entries[3].peFlags, 0);
  EXPECT_EQ(entries[255].peRed, 255);
  EXPECT_EQ(pixels_of(bitmap), (std::vector<uint32_t>{0x03FC01, 0xFA057D}));
}

TEST_F(DIBitmapTest, ColourCountGivesThePaletteSizeAndWhereTheBitsStart) {
  CDIBitmap bitmap;
  ASSERT_TRUE(bitmap.LoadDIBitmap("twocolours"));  // names compare without regard to case
  EXPECT_EQ(bitmap.GetPalette().GetEntryCount(), 2);
  EXPECT_EQ(pixels_of(bitmap), (std::vector<uint32_t>{0x0000FF, 0xFF0000}));
  // Loading again replaces bitmap and palette.
  ASSERT_TRUE(bitmap.LoadDIBitmap("TRUECOLOUR"));
  EXPECT_EQ(bitmap.GetPalette().GetSafeHandle(), nullptr);
  EXPECT_EQ(pixels_of(bitmap).size(), 4u);
}

TEST_F(DIBitmapTest, UnknownDamagedOrForeignBitmapsAreRefused) {
  CDIBitmap bitmap;
  EXPECT_FALSE(bitmap.LoadDIBitmap("NOSUCHBITMAP"));
  EXPECT_FALSE(bitmap.LoadDIBitmap(999u));
  EXPECT_FALSE(bitmap.LoadDIBitmap("TRUNCATED"));
  EXPECT_EQ(bitmap.GetSafeHandle(), nullptr);
  // Only the executable's resources count, whatever module is current.
  AFX_MANAGE_STATE(&g_library);
  EXPECT_FALSE(bitmap.LoadDIBitmap("LIBRARYONLY"));
  EXPECT_TRUE(bitmap.LoadDIBitmap("TRUECOLOUR"));
}

}  // namespace
