// Right to left on the control tree: BiDiMode follows the parent until a control
// sets its own, the derived questions each mode answers, the DrawText flags, and
// what a form stores.
#include <gtest/gtest.h>

#include <memory>

#include "platform/controls/forms.h"
#include "platform/core/filer.h"
#include "platform/core/textform.h"
#include "platform/controls/scrollbars.h"
#include "platform/stdctrls/comctrls_pages.h"
#include "platform/stdctrls/edit.h"
#include "platform/stdctrls/listbox.h"
#include "platform/stdctrls/panels.h"
#include "platform/stdctrls/speedbuttons.h"
#include "platform/stdctrls/stdctrls_buttons.h"

namespace {

TEST(BiDiMode, AChildFollowsItsParentUntilItSetsItsOwnMode) {
  std::unique_ptr<TForm> owned(new TForm(nullptr));
  TForm& form = *owned;
  auto* outer = new TPanel(&form);
  outer->SetParent(&form);
  auto* inner = new TPanel(&form);
  inner->SetParent(outer);
  auto* leaf = new TLabel(&form);
  leaf->SetParent(inner);

  form.SetBiDiMode(bdRightToLeft);
  EXPECT_FALSE(form.ParentBiDiMode());
  for (TControl* c : {static_cast<TControl*>(outer), static_cast<TControl*>(inner), static_cast<TControl*>(leaf)}) {
    EXPECT_EQ(c->BiDiMode(), bdRightToLeft) << c->ClassName();
    EXPECT_TRUE(c->ParentBiDiMode()) << c->ClassName();
  }
  // Its own mode ends the following, for it and below it.
  inner->SetBiDiMode(bdLeftToRight);
  EXPECT_FALSE(inner->ParentBiDiMode());
  form.SetBiDiMode(bdRightToLeftNoAlign);
  EXPECT_EQ(outer->BiDiMode(), bdRightToLeftNoAlign);
  EXPECT_EQ(inner->BiDiMode(), bdLeftToRight);
  EXPECT_EQ(leaf->BiDiMode(), bdLeftToRight);
  // Following again takes the parent's mode at once.
  inner->SetParentBiDiMode(true);
  EXPECT_EQ(inner->BiDiMode(), bdRightToLeftNoAlign);
  EXPECT_EQ(leaf->BiDiMode(), bdRightToLeftNoAlign);
  // A control put on a parent takes its mode.
  auto* late = new TPanel(&form);
  late->SetParent(outer);
  EXPECT_EQ(late->BiDiMode(), bdRightToLeftNoAlign);
}

TEST(BiDiMode, EachModeAnswersTheRightToLeftQuestionsAndFlags) {
  struct Case {
    TBiDiMode Mode;
    bool Alignment, Reading, ScrollBar;
    unsigned Left, Center, Right;  // DrawTextBiDiModeFlags of DT_LEFT, DT_CENTER, DT_RIGHT
  } cases[] = {
      {bdLeftToRight, false, false, false, DT_LEFT, DT_CENTER, DT_RIGHT},
      {bdRightToLeft, true, true, true, DT_RIGHT | DT_RTLREADING, DT_CENTER | DT_RTLREADING, DT_LEFT | DT_RTLREADING},
      {bdRightToLeftNoAlign, false, true, true, DT_LEFT | DT_RTLREADING, DT_CENTER | DT_RTLREADING,
       DT_RIGHT | DT_RTLREADING},
      {bdRightToLeftReadingOnly, false, true, false, DT_LEFT | DT_RTLREADING, DT_CENTER | DT_RTLREADING,
       DT_RIGHT | DT_RTLREADING},
  };
  TLabel box(nullptr);
  for (const Case& c : cases) {
    box.SetBiDiMode(c.Mode);
    EXPECT_EQ(box.UseRightToLeftAlignment(), c.Alignment) << static_cast<int>(c.Mode);
    EXPECT_EQ(box.UseRightToLeftReading(), c.Reading) << static_cast<int>(c.Mode);
    EXPECT_EQ(box.UseRightToLeftScrollBar(), c.ScrollBar) << static_cast<int>(c.Mode);
    EXPECT_EQ(box.DrawTextBiDiModeFlags(DT_LEFT | DT_SINGLELINE), c.Left | DT_SINGLELINE) << static_cast<int>(c.Mode);
    EXPECT_EQ(box.DrawTextBiDiModeFlags(DT_CENTER), c.Center) << static_cast<int>(c.Mode);
    EXPECT_EQ(box.DrawTextBiDiModeFlags(DT_RIGHT), c.Right) << static_cast<int>(c.Mode);
  }
  TAlignment a[] = {taLeftJustify, taRightJustify, taCenter};
  for (TAlignment& x : a) ChangeBiDiModeAlignment(x);
  EXPECT_EQ(a[0], taRightJustify);
  EXPECT_EQ(a[1], taLeftJustify);
  EXPECT_EQ(a[2], taCenter);
  EXPECT_EQ(MirrorRect(TRect(8, 0, 48, 13), 200), TRect(152, 0, 192, 13));
  EXPECT_EQ(MirrorX(4, 25, 200), 171);
}

// A form stores a control's mode only where it is its own, and reads it back; a
// child that follows its parent comes back following it.
TEST(BiDiMode, AFormStoresOnlyOwnModesAndReadsThemBack) {
  const std::string text =
      "object Form1: TForm\n"
      "  BiDiMode = bdRightToLeft\n"
      "  ParentBiDiMode = False\n"
      "  object Outer: TPanel\n"
      "    object Own: TPanel\n"
      "      BiDiMode = bdLeftToRight\n"
      "      ParentBiDiMode = False\n"
      "    end\n"
      "  end\n"
      "end\n";
  std::unique_ptr<TForm> owned(new TForm(nullptr));
  TForm& form = *owned;
  std::string bin = FormTextToBinary(text);
  ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(bin.data()), bin.size(), &form);
  auto* outer = static_cast<TControl*>(form.FindComponent("Outer"));
  auto* own = static_cast<TControl*>(form.FindComponent("Own"));
  ASSERT_TRUE(outer && own);
  EXPECT_EQ(form.BiDiMode(), bdRightToLeft);
  EXPECT_EQ(outer->BiDiMode(), bdRightToLeft);
  EXPECT_TRUE(outer->ParentBiDiMode());
  EXPECT_EQ(own->BiDiMode(), bdLeftToRight);
  EXPECT_FALSE(own->ParentBiDiMode());

  TMemoryStream s;
  s.WriteComponent(&form);
  std::string written = FormBinaryToText(std::string(static_cast<const char*>(s.Memory()), s.Size()));
  auto count = [&](const std::string& What) {
    size_t n = 0;
    for (size_t at = written.find(What); at != std::string::npos; at = written.find(What, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("BiDiMode = bdRightToLeft"), 1u) << written;
  EXPECT_EQ(count("BiDiMode = bdLeftToRight"), 1u) << written;
  EXPECT_EQ(count("ParentBiDiMode = False"), 2u) << written;
}

}  // namespace

// The platform's own controls read a right-to-left mode: the edit's text side and
// reading order, the vertical scroll bar on the left, the page tabs from the right.
TEST(BiDiMode, StandardControlsMirrorTheirLayout) {
  std::unique_ptr<TForm> owned(new TForm(nullptr));
  TForm& form = *owned;
  form.SetBounds(0, 0, 400, 300);
  form.HandleNeeded();
  auto style = [](TWinControl* C) { return static_cast<DWORD>(GetWindowLong(C->Handle(), GWL_STYLE)); };
  auto exStyle = [](TWinControl* C) { return static_cast<DWORD>(GetWindowLong(C->Handle(), GWL_EXSTYLE)); };

  struct EditCase {
    TAlignment Alignment;
    TBiDiMode Mode;
    bool Right, Reading;
  } edits[] = {
      {taLeftJustify, bdLeftToRight, false, false},  {taLeftJustify, bdRightToLeft, true, true},
      {taRightJustify, bdRightToLeft, false, true},  {taLeftJustify, bdRightToLeftReadingOnly, false, true},
      {taRightJustify, bdLeftToRight, true, false},
  };
  for (const EditCase& c : edits) {
    auto* e = new TEdit(&form);
    e->SetParent(&form);
    e->SetAlignment(c.Alignment);
    e->SetBiDiMode(c.Mode);
    EXPECT_EQ((style(e) & ES_RIGHT) != 0, c.Right) << static_cast<int>(c.Mode) << static_cast<int>(c.Alignment);
    EXPECT_EQ((exStyle(e) & WS_EX_RTLREADING) != 0, c.Reading) << static_cast<int>(c.Mode);
    delete e;
  }

  auto* list = new TListBox(&form);
  list->SetParent(&form);
  list->SetBounds(10, 10, 120, 60);
  for (int i = 0; i < 20; ++i) list->Items()->Add("item " + std::to_string(i));
  TRect window;
  GetWindowRect(list->Handle(), &window);
  TRect bar = ScrollBarRect(list->Handle(), SB_VERT);
  const int thick = GetSystemMetrics(SM_CXVSCROLL), edge = 2;
  EXPECT_EQ(bar.Right, window.Width() - edge);
  list->SetBiDiMode(bdRightToLeftNoAlign);
  bar = ScrollBarRect(list->Handle(), SB_VERT);
  EXPECT_EQ(bar.Left, edge);
  EXPECT_EQ(bar.Right, edge + thick);
  TPoint origin = list->ClientOrigin();
  EXPECT_EQ(origin.X - window.Left, edge + thick);  // the client area starts right of the bar

  auto* pages = new TPageControl(&form);
  pages->SetParent(&form);
  pages->SetBounds(0, 100, 300, 150);
  for (const char* caption : {"One", "Two"}) {
    auto* sheet = new TTabSheet(&form);
    sheet->SetPageControl(pages);
    sheet->SetCaption(caption);
  }
  TRect first = pages->TabRect(0), second = pages->TabRect(1);
  pages->SetBiDiMode(bdRightToLeft);
  EXPECT_EQ(pages->TabRect(0), TRect(300 - first.Right, first.Top, 300 - first.Left, first.Bottom));
  EXPECT_EQ(pages->TabRect(1), TRect(300 - second.Right, second.Top, 300 - second.Left, second.Bottom));
}

// An edit drawn by the layer, read right to left, shows its line as right-to-left
// text: "Text!" comes out as "!Text" does left to right.
TEST(BiDiMode, AnEditReadRightToLeftShowsItsTextInThatOrder) {
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBorderStyle(bsNone);
  form->SetBounds(0, 0, 300, 100);
  form->Show();
  auto picture = [&](const std::string& Text, TBiDiMode Mode) {
    auto* e = new TEdit(form.get());
    e->SetParent(form.get());
    e->SetBounds(10, 10, 120, 21);
    e->SetBiDiMode(Mode);
    e->SetText(Text);
    TBitmap b(e->Width(), e->Height());
    e->PaintTo(b.Canvas()->Handle(), 0, 0);
    std::string out;
    for (int y = 0; y < b.Height(); ++y)
      for (int x = 0; x < b.Width(); ++x) out += b.Canvas()->Pixels(x, y) == clWhite ? '.' : '#';
    delete e;
    return out;
  };
  EXPECT_EQ(picture("Text!", bdRightToLeftReadingOnly), picture("!Text", bdLeftToRight));
  EXPECT_NE(picture("Text!", bdRightToLeftReadingOnly), picture("Text!", bdLeftToRight));
}

// A speed button's side layout mirrors: its caption, 2 pixels from the left edge
// left to right, ends 2 pixels from the right edge right to left.
TEST(BiDiMode, SpeedButtonSwapsItsSideLayout) {
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBorderStyle(bsNone);
  form->SetBounds(0, 0, 200, 100);
  form->Show();
  auto* panel = new TPanel(form.get());
  panel->SetParent(form.get());
  panel->SetBounds(0, 0, 100, 40);
  panel->SetBevelOuter(bvNone);
  auto* b = new TSpeedButton(form.get());
  b->SetParent(panel);
  b->SetBounds(0, 0, 80, 25);
  b->SetCaption("WW");
  b->SetMargin(2);
  for (TBiDiMode mode : {bdLeftToRight, bdRightToLeft}) {
    b->SetBiDiMode(mode);
    TBitmap shot(100, 40);
    panel->PaintTo(shot.Canvas()->Handle(), 0, 0);
    int first = -1, last = -1;
    for (int x = 0; x < 80; ++x)
      for (int y = 3; y < 22; ++y)
        if (shot.Canvas()->Pixels(x, y) == clBlack) {
          if (first < 0) first = x;
          last = x;
        }
    ASSERT_GE(first, 0);
    if (mode == bdLeftToRight) EXPECT_LT(first, 10);
    else EXPECT_GT(last, 69);
    EXPECT_EQ(first < 40, mode == bdLeftToRight);
  }
}
