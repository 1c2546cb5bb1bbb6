// Colour functions: facts of the HSL scale, shades, blending and the gradient
// colours while themes are off.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "controls/common/colors.h"
#include "storage_fixture.h"

namespace {

TEST(Colors, ShadesAndRoundTripsGiveTheKnownColours) {
  struct Case {
    const char* What;
    TColor Got;
    TColor Want;
  } cases[] = {
      {"DarkerColor(clWhite, 100) is a grey of luminance 140", DarkerColor(clWhite, 100), 0x959595},
      {"green through HSL", [] { uint8_t h, s, l; ColorToHSL(clLime, h, s, l); return HSLtoColor(h, s, l); }(),
       static_cast<TColor>(RGB(0, 255, 2))},
      {"blue through HSL", [] { uint8_t h, s, l; ColorToHSL(clBlue, h, s, l); return HSLtoColor(h, s, l); }(),
       static_cast<TColor>(RGB(4, 0, 255))},
      {"AdjustColor(c, 300) clamps to 255", AdjustColor(0x336699, 300), AdjustColor(0x336699, 255)},
      {"AdjustColor(c, -300) clamps to -255", AdjustColor(0x336699, -300), AdjustColor(0x336699, -255)},
      {"AdjustColor(c, 300) is white", AdjustColor(0x336699, 300), clWhite},
      {"AdjustColor(c, 0) keeps a system colour unresolved", AdjustColor(clBtnFace, 0), clBtnFace},
      {"LighterColor to luminance 240 or more is white", LighterColor(0x808080, 120), clWhite},
      {"BlendColors alpha 255 is the fore colour", BlendColors(0x123456, 0xABCDEF, 255), 0x123456},
      {"BlendColors alpha 0 is the back colour", BlendColors(0x123456, 0xABCDEF, 0), 0xABCDEF},
      // 255 * 128/255 = 128 exactly; 0 + 255 * 127/255 = 127.
      {"BlendColors of black and white at 128", BlendColors(clWhite, clBlack, 128), 0x808080},
  };
  for (const Case& c : cases) EXPECT_EQ(c.Got, c.Want) << c.What;
}

TEST(Colors, HslComponentsOfKnownColours) {
  uint8_t h, s, l;
  ColorToHSL(clWhite, h, s, l);
  EXPECT_EQ((std::array<int, 3>{h, s, l}), (std::array<int, 3>{0, 0, 240}));
  ColorToHSL(DarkerColor(clWhite, 100), h, s, l);
  EXPECT_EQ((std::array<int, 3>{h, s, l}), (std::array<int, 3>{0, 0, 140}));
  ColorToHSL(clRed, h, s, l);
  EXPECT_EQ((std::array<int, 3>{h, s, l}), (std::array<int, 3>{0, 240, 120}));
  // A system colour is resolved first: clBtnFace is the classic light grey.
  EXPECT_EQ(ColorLuminance(clBtnFace), ColorLuminance(static_cast<TColor>(ColorToRGB(clBtnFace))));
}

TEST(Colors, ClosenessAndComplements) {
  // Equal hue and luminance, different saturation: too close.
  EXPECT_TRUE(ColorsTooClose(HSLtoColor(40, 240, 120), HSLtoColor(40, 60, 120)));
  EXPECT_FALSE(ColorsTooClose(clRed, clBlue));
  // A grey has hue 0, so its complement has hue 120 at full saturation.
  EXPECT_EQ(ColorHue(ComplementaryColor(clGray)), 120);
  EXPECT_EQ(ColorSaturation(ComplementaryColor(clGray)), 240);
}

TEST(Colors, SchemeNamesIgnoreLetterCase) {
  EXPECT_EQ(XPColorSchemeFromName(""), xpcsBlue);
  EXPECT_EQ(XPColorSchemeFromName("homestead"), xpcsGreen);
  EXPECT_EQ(XPColorSchemeFromName("Metallic"), xpcsSilver);
  EXPECT_EQ(XPColorSchemeFromName("NormalColor"), xpcsBlue);
}

class SchemeStore : public StorageTest {};

// The scheme comes from the user's registry store: "ColorName" of "ThemeManager"
// under "\Software\Microsoft\Windows\CurrentVersion".
TEST_F(SchemeStore, TheSchemeIsReadFromTheUsersRegistryStore) {
  struct Case {
    const char* What;
    const char* Key;    // nullptr: nothing stored
    const char* Value;  // nullptr: the key without the value
    TQvXPColorScheme Want;
  } cases[] = {
      {"nothing stored", nullptr, nullptr, xpcsBlue},
      {"the section without the value", "ThemeManager", nullptr, xpcsBlue},
      {"HomeStead", "ThemeManager", "HomeStead", xpcsGreen},
      {"metallic", "ThemeManager", "metallic", xpcsSilver},
      {"NormalColor", "ThemeManager", "NormalColor", xpcsBlue},
      {"the value in another section", "Other", "Metallic", xpcsBlue},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(Dir + "/registry");
    if (c.Key) {
      TRegistry reg;
      reg.SetRootKey(HKEY_CURRENT_USER);
      ASSERT_TRUE(reg.OpenKey(std::string("\\Software\\Microsoft\\Windows\\CurrentVersion\\") + c.Key, true));
      if (c.Value) reg.WriteString("ColorName", c.Value);
    }
    EXPECT_EQ(GetXPColorScheme(), c.Want) << c.What;
  }
  // Asking does not create the key in a store that lacks it.
  std::filesystem::remove(Dir + "/registry");
  GetXPColorScheme();
  TRegistry reg;
  reg.SetRootKey(HKEY_CURRENT_USER);
  EXPECT_FALSE(reg.KeyExists("\\Software\\Microsoft\\Windows\\CurrentVersion"));
}

}  // namespace
