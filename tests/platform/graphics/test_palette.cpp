// Palettes: bitmaps of 1, 4 and 8 bits keep their colour table and are written
// back as they were read; copying a palette and its failures.
#include <gtest/gtest.h>

#include "indexed_bmp.h"
#include "platform/core/exceptions.h"
#include "platform/core/streams.h"
#include "platform/graphics/graphics.h"

using gfxtest::EntriesOf;
using gfxtest::IndexedBmp;
using gfxtest::Save;

namespace {

void Load(TBitmap& B, const std::vector<uint8_t>& Bytes) {
  TMemoryStream m;
  m.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
  m.SetPosition(0);
  B.LoadFromStream(&m);
}

constexpr uint32_t Navy = 0x000080, Olive = 0x808000, Teal = 0x008080;

struct TIndexedCase {
  const char* Name;
  int Bits;
  std::vector<uint32_t> Table;
  std::vector<std::vector<int>> Rows;
  bool TopDown;
  uint8_t Pad;
};

const std::vector<TIndexedCase>& IndexedCases() {
  static const std::vector<TIndexedCase> cases = {
      {"1 bit, two colours", 1, {Navy, Olive}, {{0, 1, 1}, {1, 0, 0}}, false, 0xAA},
      {"4 bits, three of sixteen", 4, {Navy, Olive, Teal}, {{0, 1, 2}, {2, 2, 1}}, true, 0x5C},
      {"8 bits, three of 256", 8, {Teal, Navy, Olive}, {{2, 0, 1, 1, 0}, {0, 0, 2, 2, 1}}, false, 0x11},
  };
  return cases;
}

TEST(Palette, IndexedFilesAreWrittenBackByteForByteWithTheirColourTable) {
  for (const TIndexedCase& c : IndexedCases()) {
    std::vector<uint8_t> file = IndexedBmp(c.Bits, c.Table, c.Rows, c.TopDown, c.Pad);
    TBitmap b;
    Load(b, file);
    EXPECT_EQ(Save(b), file) << c.Name;
    std::vector<PALETTEENTRY> e = EntriesOf(b.Palette());
    std::vector<PALETTEENTRY> table;
    for (uint32_t rgb : c.Table)
      table.push_back({uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), 0});
    EXPECT_EQ(e, table) << c.Name;
    // A copy is written the same.
    TBitmap copy;
    copy.Assign(&b);
    EXPECT_EQ(Save(copy), file) << c.Name;
    EXPECT_NE(copy.Palette(), b.Palette()) << c.Name;
    EXPECT_EQ(EntriesOf(copy.Palette()), e) << c.Name;
  }
}

TEST(Palette, ChangedPixelsStayIndexedWhenTheTableHoldsThemAndAreNeverLost) {
  for (const TIndexedCase& c : IndexedCases()) {
    std::vector<uint8_t> file = IndexedBmp(c.Bits, c.Table, c.Rows, c.TopDown, c.Pad);
    TBitmap b;
    Load(b, file);
    b.Canvas()->SetPixels(0, 0, TColor(RGB(0x80, 0x80, 0x00)));  // olive: in every table
    std::vector<uint8_t> indexed = Save(b);
    EXPECT_EQ(indexed[28], c.Bits) << c.Name;
    TBitmap back;
    Load(back, indexed);
    EXPECT_EQ(back.Canvas()->Pixels(0, 0), TColor(RGB(0x80, 0x80, 0x00))) << c.Name;
    EXPECT_EQ(back.Canvas()->Pixels(1, 1), b.Canvas()->Pixels(1, 1)) << c.Name;
    EXPECT_EQ(EntriesOf(back.Palette()).size(), c.Table.size()) << c.Name;

    // A colour the table lacks is kept: the file becomes true colour.
    b.Canvas()->SetPixels(1, 0, TColor(RGB(1, 2, 3)));
    std::vector<uint8_t> full = Save(b);
    EXPECT_EQ(full[28], 24) << c.Name;
    Load(back, full);
    EXPECT_EQ(back.Canvas()->Pixels(1, 0), TColor(RGB(1, 2, 3))) << c.Name;
    EXPECT_EQ(back.Palette(), nullptr) << c.Name;
  }
}

TEST(Palette, AnotherPixelFormatOrNothingAssignedLetsGoOfTheTable) {
  TBitmap b;
  Load(b, IndexedBmp(8, {Navy, Olive}, {{0, 1}}));
  b.SetPixelFormat(pf8bit);
  EXPECT_NE(b.Palette(), nullptr);
  b.SetPixelFormat(pf24bit);
  EXPECT_EQ(b.Palette(), nullptr);
  EXPECT_EQ(Save(b)[28], 24);
  Load(b, IndexedBmp(4, {Navy, Olive}, {{0, 1}}));
  EXPECT_NE(b.Palette(), nullptr);
  b.Assign(nullptr);
  EXPECT_EQ(b.Palette(), nullptr);
}

// Stand-ins for the three calls CopyPalette makes.
bool CountFails(HPALETTE, uint16_t&) { return false; }
bool CountZero(HPALETTE, uint16_t& N) {
  N = 0;
  return true;
}
unsigned ShortRead(HPALETTE P, unsigned Start, unsigned Count, PALETTEENTRY* E) {
  return GetPaletteEntries(P, Start, Count, E) - 1;
}
HPALETTE CreateFails(const LOGPALETTE*) { return nullptr; }

TEST(Palette, CopyPaletteCopiesOrSaysWhyNot) {
  LOGPALETTE log;
  log.palPalEntry = {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}};
  HPALETTE source = CreatePalette(&log);
  ASSERT_NE(source, nullptr);
  struct Case {
    const char* Name;
    HPALETTE Palette;
    TPaletteCalls Calls;
    bool Copy;
    const char* Class;  // of the exception raised, nullptr for none
    const char* Message;
  };
  const Case cases[] = {
      {"a palette", source, {}, true, nullptr, ""},
      {"no palette", nullptr, {}, false, nullptr, ""},
      {"no entries", source, {.GetCount = CountZero}, false, nullptr, ""},
      {"count unreadable", source, {.GetCount = CountFails}, false, "Exception", "Invalid palette in CopyPalette"},
      {"short read", source, {.GetEntries = ShortRead}, false, "Exception",
       "Cannot get palette entries in CopyPalette"},
      {"creation fails", source, {.Create = CreateFails}, false, "EOutOfResources",
       "Cannot create palette in CopyPalette"},
  };
  for (const Case& c : cases) {
    HPALETTE copy = nullptr;
    std::string cls, message;
    try {
      copy = CopyPalette(c.Palette, c.Calls);
    } catch (const Exception& e) {
      cls = e.ClassName();
      message = e.Message();
    }
    EXPECT_EQ(cls, c.Class ? c.Class : "") << c.Name;
    EXPECT_EQ(message, c.Message) << c.Name;
    EXPECT_EQ(copy != nullptr, c.Copy) << c.Name;
    if (copy) {
      EXPECT_NE(copy, source) << c.Name;
      EXPECT_EQ(EntriesOf(copy), log.palPalEntry) << c.Name;
      DeleteObject(copy);
    }
  }
  DeleteObject(source);
}

}  // namespace
