// Bit button kinds, glyph rules and stored-ness.
#include <gtest/gtest.h>

#include "controls/basic/bitbuttons.h"
#include "controls/basic/classes.h"
#include "platform/core/filer.h"
#include "platform/core/textform.h"

namespace {

TEST(BitBtn, KindsSetTheirRowAndAreReportedOnlyWhileItHolds) {
  struct Case {
    TBitBtnKind Kind;
    const char* Caption;
    TModalResult Result;
    bool Default, Cancel;
  } cases[] = {{bkOK, "OK", 1, true, false},     {bkCancel, "Cancel", 2, false, true},
               {bkHelp, "&Help", 0, false, false}, {bkYes, "&Yes", 6, true, false},
               {bkNo, "&No", 7, false, true},      {bkClose, "&Close", 0, false, false},
               {bkAbort, "Abort", 3, false, false}, {bkRetry, "&Retry", 4, false, false},
               {bkIgnore, "&Ignore", 5, false, false}, {bkAll, "&All", 8, false, false}};
  for (const Case& c : cases) {
    TQvBitBtn b(nullptr);
    b.SetCaption("Mine");
    b.SetKind(c.Kind);
    EXPECT_EQ(b.GetKind(), c.Kind) << c.Caption;
    EXPECT_EQ(b.Caption(), c.Caption);
    EXPECT_EQ(b.ModalResult(), c.Result) << c.Caption;
    EXPECT_EQ(b.Default(), c.Default) << c.Caption;
    EXPECT_EQ(b.Cancel(), c.Cancel) << c.Caption;
    ASSERT_NE(b.Glyph(), nullptr);
    EXPECT_EQ(b.Glyph()->Width(), 32) << c.Caption;
    EXPECT_EQ(b.Glyph()->Height(), 16) << c.Caption;
    EXPECT_EQ(b.NumGlyphs(), 2);
    b.SetModalResult(c.Result + 10);
    EXPECT_EQ(b.GetKind(), bkCustom) << c.Caption;
  }
}

TEST(BitBtn, GlyphCountMarginAndStreamedKindKeepsItsCaption) {
  TQvBitBtn b(nullptr);
  TBitmap strip(64, 16);
  b.SetGlyph(&strip);
  EXPECT_EQ(b.NumGlyphs(), 4);
  b.SetMargin(-2);
  EXPECT_EQ(b.Margin(), 2);
  b.SetMargin(-1);
  EXPECT_EQ(b.Margin(), -1);

  RegisterBasicClasses();
  TQvBitBtn read(nullptr);
  std::string bin = FormTextToBinary("object B: TQvBitBtn\n  Caption = 'Fine'\n  Kind = bkOK\nend\n");
  ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(bin.data()), bin.size(), &read);
  EXPECT_EQ(read.Caption(), "Fine");
  EXPECT_EQ(read.GetKind(), bkOK);
  // A kind's own properties are not written while it holds.
  TMemoryStream s;
  s.WriteComponent(&read);
  std::string text = FormBinaryToText(std::string(static_cast<const char*>(s.Memory()), s.Size()));
  EXPECT_EQ(text.find("ModalResult"), std::string::npos) << text;
  EXPECT_EQ(text.find("Glyph"), std::string::npos) << text;
  EXPECT_NE(text.find("Kind = bkOK"), std::string::npos) << text;
  EXPECT_NE(text.find("Caption = 'Fine'"), std::string::npos) << text;  // not the kind's caption
  read.SetCaption("OK");
  TMemoryStream s2;
  s2.WriteComponent(&read);
  text = FormBinaryToText(std::string(static_cast<const char*>(s2.Memory()), s2.Size()));
  EXPECT_EQ(text.find("Caption"), std::string::npos) << text;
}

}  // namespace
