// Indexed glyphs on a form: the bit button's, control button's and shape button's
// pictures keep their colour table through a write and a read, byte for byte, and
// each button reports that table as its palette.
#include <gtest/gtest.h>

#include "controls/basic/bitbuttons.h"
#include "controls/basic/controlbutton.h"
#include "controls/basic/shapebutton.h"
#include "platform/core/streams.h"
#include "tests/controls/basic/buttons_fixture.h"
#include "tests/platform/graphics/indexed_bmp.h"

using gfxtest::EntriesOf;
using gfxtest::IndexedBmp;
using gfxtest::Save;

namespace {

class GlyphPalettes : public ButtonsFixture {};

void Load(TBitmap& B, const std::vector<uint8_t>& Bytes) {
  TMemoryStream m;
  m.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
  m.SetPosition(0);
  B.LoadFromStream(&m);
}

TEST_F(GlyphPalettes, IndexedGlyphsComeBackByteForByteAndAreTheButtonsPalettes) {
  // 16 x 16 pictures of 1, 4 and 8 bits, with tables shorter than their depth allows.
  std::vector<std::vector<int>> two(16, std::vector<int>(16, 0)), three = two;
  for (int i = 0; i < 16; ++i) {
    two[static_cast<size_t>(i)][static_cast<size_t>(i)] = 1;
    three[static_cast<size_t>(i)][static_cast<size_t>(15 - i)] = 2;
  }
  const std::vector<uint8_t> bits1 = IndexedBmp(1, {0x000080, 0xC0C0C0}, two, false, 0x7E);
  const std::vector<uint8_t> bits4 = IndexedBmp(4, {0xFF00FF, 0x800000, 0x008000}, three, true);
  const std::vector<uint8_t> bits8 = IndexedBmp(8, {0xFF00FF, 0x000000, 0x808000}, three);

  TForm* form = MakeForm();
  auto* bit = Make<TQvBitBtn>(form, "Bit", {8, 8, 90, 33});
  auto* control = Make<TQvControlButton>(form, "Control", {100, 8, 17, 21});
  auto* shape = Make<TQvShapeButton>(form, "Shape", {8, 50, 20, 20});
  TBitmap b1, b4, b8;
  Load(b1, bits1);
  Load(b4, bits4);
  Load(b8, bits8);
  bit->SetGlyph(&b1);
  control->SetGlyph(&b4);
  shape->SetBitmap(&b8);

  std::string text = FormText(form);
  TForm* back = Own(new TForm(nullptr));
  ReadForm(text, back);
  EXPECT_EQ(FormText(back), text);
  auto* bitBack = dynamic_cast<TQvBitBtn*>(back->FindComponent("Bit"));
  auto* controlBack = dynamic_cast<TQvControlButton*>(back->FindComponent("Control"));
  auto* shapeBack = dynamic_cast<TQvShapeButton*>(back->FindComponent("Shape"));
  ASSERT_TRUE(bitBack && controlBack && shapeBack);
  EXPECT_EQ(Save(*bitBack->Glyph()), bits1);
  EXPECT_EQ(Save(*controlBack->Glyph()), bits4);
  EXPECT_EQ(Save(*shapeBack->Bitmap()), bits8);

  struct Case {
    const char* Name;
    TControl* Button;
    std::vector<PALETTEENTRY> Table;
  };
  const Case cases[] = {
      {"bit button", bitBack, {{0x00, 0x00, 0x80, 0}, {0xC0, 0xC0, 0xC0, 0}}},
      {"control button", controlBack, {{0xFF, 0x00, 0xFF, 0}, {0x80, 0x00, 0x00, 0}, {0x00, 0x80, 0x00, 0}}},
      {"shape button", shapeBack, {{0xFF, 0x00, 0xFF, 0}, {0x00, 0x00, 0x00, 0}, {0x80, 0x80, 0x00, 0}}},
  };
  for (const Case& c : cases) {
    ASSERT_NE(c.Button->GetPalette(), nullptr) << c.Name;
    EXPECT_EQ(EntriesOf(c.Button->GetPalette()), c.Table) << c.Name;
  }
  TQvBitBtn plain(nullptr);
  EXPECT_EQ(plain.GetPalette(), nullptr);
}

}  // namespace
