// Colour values, the classic system-colour table and colour identifiers.
#include <gtest/gtest.h>

#include "platform/graphics/colors.h"

TEST(Colors, SystemColoursAreNegativeAndResolveThroughTheClassicTable) {
  struct Case { TColor Color; COLORREF Rgb; };
  const Case cases[] = {
      {clBtnFace, RGB(212, 208, 200)}, {clBtnShadow, RGB(128, 128, 128)},
      {clBtnHighlight, RGB(255, 255, 255)}, {cl3DDkShadow, RGB(64, 64, 64)},
      {cl3DLight, RGB(212, 208, 200)}, {clWindow, RGB(255, 255, 255)},
      {clWindowText, RGB(0, 0, 0)}, {clHighlight, RGB(10, 36, 106)},
      {clGrayText, RGB(128, 128, 128)}, {clInfoBk, RGB(255, 255, 225)},
      {clMenu, RGB(212, 208, 200)}, {clHotLight, RGB(0, 0, 128)},
  };
  for (const Case& c : cases) {
    EXPECT_LT(c.Color, 0) << ColorToString(c.Color);
    EXPECT_EQ(ColorToRGB(c.Color), c.Rgb) << ColorToString(c.Color);
  }
  EXPECT_EQ(static_cast<uint32_t>(clBtnFace), 0x8000000Fu);
  EXPECT_EQ(ColorToRGB(clRed), 0x0000FFu);
  EXPECT_EQ(ColorToRGB(clNone), 0x1FFFFFFFu);  // passed through, read by its low 24 bits
  EXPECT_EQ(GetSysColor(25), 0u);              // the unused index
  EXPECT_EQ(GetSysColor(99), 0u);
}

TEST(Colors, IdentifiersRoundTripForTheFiler) {
  struct Case { TColor Color; const char* Text; };
  const Case cases[] = {
      {clBlack, "clBlack"}, {clWhite, "clWhite"}, {clBtnFace, "clBtnFace"}, {cl3DDkShadow, "cl3DDkShadow"},
      {clNone, "clNone"}, {clDefault, "clDefault"}, {clMoneyGreen, "clMoneyGreen"},
      {TColor(0x00FF8040), "$00FF8040"}, {TColorOf(0x80000019u), "$80000019"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ColorToString(c.Color), c.Text);
    EXPECT_EQ(StringToColor(c.Text), c.Color) << c.Text;
  }
  EXPECT_EQ(StringToColor("CLBTNFACE"), clBtnFace);  // identifiers ignore case
  EXPECT_EQ(StringToColor("-2147483633"), clBtnFace);  // decimal, as old forms wrote it
  EXPECT_EQ(StringToColor("0xFF"), clRed);
  int64_t v;
  EXPECT_TRUE(IdentToColor("clInfoBk", v));
  EXPECT_EQ(v, clInfoBk);
  EXPECT_FALSE(IdentToColor("clNoSuchColour", v));
  EXPECT_EQ(ColorIdents().Entries.size(), 52u);
}

TEST(Colors, BadColourTextRaisesConvertError) {
  for (const char* bad : {"", "clBtnFac", "$", "12x", "$1FFFFFFFF", "99999999999"}) {
    try {
      StringToColor(bad);
      ADD_FAILURE() << bad;
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), std::string("'") + bad + "' is not a valid integer value");
    }
  }
}
