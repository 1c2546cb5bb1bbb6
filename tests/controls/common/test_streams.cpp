// Form-stream round trips of the foundation's components: what each writes, and
// that reading it back gives the same component.
#include <gtest/gtest.h>

#include "controls/common/customcolors.h"
#include "controls/common/dialogs.h"
#include "controls/common/framecontroller.h"
#include "controls/common/storage.h"
#include "platform/core/filer.h"
#include "platform/core/textform.h"

namespace {

std::string TextOf(TComponent* C) {
  TMemoryStream s;
  s.WriteComponent(C);
  return FormBinaryToText(std::string(static_cast<const char*>(s.Memory()), s.Size()));
}

void ReadInto(const std::string& Text, TComponent* C) {
  std::string bin = FormTextToBinary(Text);
  ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(bin.data()), bin.size(), C);
}

TEST(Streams, ComponentsWriteOnlyWhatDiffersAndReadItBack) {
  TQvFrameController fc(nullptr);
  fc.SetName("FC");
  EXPECT_EQ(TextOf(&fc), "object FC: TQvFrameController\nend\n");
  fc.SetColor(clYellow);
  fc.SetFrameSides({sdLeft});
  fc.SetFrameStyle(fsNone);
  fc.SetFramingPreference(fpCustomFraming);
  std::string text = TextOf(&fc);
  TQvFrameController back(nullptr);
  ReadInto(text, &back);
  EXPECT_EQ(back.Color(), clYellow);
  EXPECT_EQ(back.FocusColor(), clYellow);
  EXPECT_EQ(back.FrameSides(), TSides{sdLeft});
  EXPECT_EQ(back.FrameStyle(), fsNone);
  EXPECT_EQ(back.FramingPreference(), fpCustomFraming);
  EXPECT_EQ(TextOf(&back), text);
  // The controls then take their parents' colour; the controller keeps its own for
  // when ParentColor is turned off, and a form keeps both.
  fc.SetParentColor(true);
  TQvFrameController parent(nullptr);
  ReadInto(TextOf(&fc), &parent);
  EXPECT_EQ(parent.Color(), clYellow);
  EXPECT_TRUE(parent.ParentColor());

  TQvRegIniFile ini(nullptr);
  ini.SetName("Ini");
  ini.SetPathType(ptRegistry);
  ini.SetRegKey(hkeyLocalMachine);
  ini.SetRegAccess({keyRead});
  ini.SetPath("\\Software\\X");
  EXPECT_EQ(TextOf(&ini),
            "object Ini: TQvRegIniFile\n  Path = '\\Software\\X'\n  PathType = ptRegistry\n"
            "  RegKey = hkeyLocalMachine\n  RegAccess = [keyRead]\nend\n");
  TQvRegIniFile ini2(nullptr);
  ReadInto(TextOf(&ini), &ini2);
  EXPECT_EQ(ini2.RegAccess(), TQvRegAccess{keyRead});
  EXPECT_EQ(ini2.RegKey(), hkeyLocalMachine);

  TQvCustomColors colors(nullptr);
  colors.SetName("CC");
  colors.Colors()->SetStrings(2, "ColorC=123456");
  TQvCustomColors colors2(nullptr);
  ReadInto(TextOf(&colors), &colors2);
  EXPECT_EQ(colors2.Colors()->Text(), colors.Colors()->Text());

  TQvDialogComponent dlg(nullptr);
  dlg.SetName("Dlg");
  dlg.SetCenterToParent(true);
  dlg.SetOriginLeft(5);
  TQvDialogComponent dlg2(nullptr);
  ReadInto(TextOf(&dlg), &dlg2);
  EXPECT_TRUE(dlg2.CenterToParent());
  EXPECT_EQ(dlg2.Position(), poOwnerFormCenter);
  EXPECT_EQ(dlg2.OriginLeft(), 5);
}

}  // namespace
