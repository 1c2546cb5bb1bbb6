// The "buttons" page: framed push buttons in each look and state, check boxes in
// their three states (read-only, custom glyphs, a wrapped caption), radio buttons,
// labels turned by 0, 45 and 90 degrees, on an arc, in each 3-D text style,
// blinking and as links, and shape buttons up and down.
//
// Layout (tests check it):
//   push buttons, 75 x 25, row 1 at y = 24, row 2 at y = 60, x = 16 + i * 84:
//     row 1: classic, classic pressed, group down, disabled, flat, flat hot,
//            flat pressed, flat disabled
//     row 2: default, focused, raised, recessed, shadow, coloured, coloured flat
//   check boxes, 120 x 17 at y = 112, x = 16 + i * 128: unchecked, checked, grayed,
//     read-only, flat checked, disabled; custom glyphs (16, 140); wrapped (144, 140)
//   radio buttons, 120 x 17 at y = 196, each on its own panel (radio buttons on one
//     parent are exclusive): unchecked, checked, flat checked, disabled checked
//   radio group (5 items, 2 columns) at (16, 236), check group at (292, 236)
//   labels from y = 400; shape buttons at (560, 400) up and (640, 400) down, made
//     from a 60 x 40 bitmap (so 64 x 44 each).
#include <cstdio>
#include <string>

#include "controls/basic/buttons.h"
#include "controls/basic/classes.h"
#include "controls/basic/labels.h"
#include "controls/basic/radiocheck.h"
#include "controls/basic/shapebutton.h"
#include "platform/core/streams.h"
#include "platform/core/typinfo.h"
#include "tools/gallery/gallery.h"

namespace {

// Shows a push button as the pointer or the keyboard would leave it: Look 1 the
// pointer over it, 2 pressed, 3 focused. The look lasts until the user meets the
// button (the pointer comes, a click, the focus moves among these buttons); from
// then on it is a button like any other.
class TGalleryButton : public TQvButton {
  DTU_CLASS(TGalleryButton, TQvButton)
public:
  using TQvButton::TQvButton;
  int Look = 0;
  bool Focused() override { return Look == 3 || TQvButton::Focused(); }
  void Dispatch(TMessage& M) override {
    if (Look != 0) {
      // The pointer comes or clicks; for the focused look, the focus comes here or to
      // another of these buttons.
      const bool pointer = M.Msg == CM_MOUSEENTER || M.Msg == WM_LBUTTONDOWN;
      const bool focus = M.Msg == WM_SETFOCUS ||
                         (M.Msg == CM_FOCUSCHANGED && dynamic_cast<TGalleryButton*>(reinterpret_cast<TControl*>(M.LParam)));
      if ((pointer && Look != 3) || (focus && Look == 3)) {
        Look = 0;
        FMouseOver = FPressed = false;
        Invalidate();
      }
    }
    TQvButton::Dispatch(M);
  }

protected:
  void Paint() override {
    if (Look != 0) {
      FMouseOver = Look == 1;
      FPressed = Look == 2;
    }
    TQvButton::Paint();
  }
};

const TClassInfo& TGalleryButton::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TGalleryButton>("TGalleryButton", &TQvButton::StaticClass())
          .Component()
          .Int("Look", [](TGalleryButton* b) { return b->Look; }, [](TGalleryButton* b, int64_t v) { b->Look = int(v); })
          .Build();
  return info;
}

// A shape button shown pressed, until the pointer comes or clicks.
class TGalleryShapeButton : public TQvShapeButton {
  DTU_CLASS(TGalleryShapeButton, TQvShapeButton)
public:
  using TQvShapeButton::TQvShapeButton;
  bool ShowDown = false;
  void Dispatch(TMessage& M) override {
    if (ShowDown && (M.Msg == CM_MOUSEENTER || M.Msg == WM_LBUTTONDOWN)) {
      ShowDown = false;
      FState = bsUp;
      Invalidate();
    }
    TQvShapeButton::Dispatch(M);
  }

protected:
  void Paint() override {
    if (ShowDown) FState = bsDown;
    TQvShapeButton::Paint();
  }
};

const TClassInfo& TGalleryShapeButton::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TGalleryShapeButton>("TGalleryShapeButton", &TQvShapeButton::StaticClass())
          .Component()
          .Bool("ShowDown", [](TGalleryShapeButton* b) { return b->ShowDown; },
                [](TGalleryShapeButton* b, bool v) { b->ShowDown = v; })
          .Build();
  return info;
}

std::string Hex(TBitmap* B) {
  TMemoryStream m;
  B->SaveToStream(&m);
  uint32_t n = static_cast<uint32_t>(m.Size());
  std::string s;
  char buf[3];
  for (int i = 0; i < 4; ++i) {
    std::snprintf(buf, sizeof buf, "%02X", (n >> (8 * i)) & 0xFF);
    s += buf;
  }
  auto* p = static_cast<const uint8_t*>(m.Memory());
  for (uint32_t i = 0; i < n; ++i) {
    std::snprintf(buf, sizeof buf, "%02X", p[i]);
    s += buf;
    if (i % 32 == 31) s += "\n      ";
  }
  return s;
}

// The shape: a 60 x 40 lozenge on a fuchsia background (the bottom-left pixel,
// so the transparent colour).
std::string ShapeBitmap() {
  TBitmap b(60, 40);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clFuchsia);
  c->FillRect({0, 0, 60, 40});
  c->Brush()->SetColor(static_cast<TColor>(0x3399CC));
  c->Pen()->SetColor(static_cast<TColor>(0x3399CC));
  c->Ellipse(3, 3, 57, 37);
  return Hex(&b);
}

// A check box strip of nine 13 x 13 glyphs: unchecked, checked, grayed; pressed;
// disabled. Olive is transparent.
std::string GlyphStrip() {
  TBitmap b(117, 13);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clOlive);
  c->FillRect({0, 0, 117, 13});
  const TColor fill[3] = {clWhite, static_cast<TColor>(0xE0F0E0), static_cast<TColor>(0xD0D0D0)};
  for (int i = 0; i < 9; ++i) {
    int state = i % 3, x = i * 13;
    TColor frame = i >= 6 ? clGray : clGreen;
    c->Brush()->SetColor(i >= 3 && i < 6 ? static_cast<TColor>(0xC0E0C0) : fill[state]);
    c->Pen()->SetColor(frame);
    c->Rectangle(x + 1, 1, x + 12, 12);
    c->Brush()->SetColor(frame);
    if (state == 1) c->FillRect({x + 4, 4, x + 9, 9});
    if (state == 2) c->FillRect({x + 4, 6, x + 9, 7});
  }
  return Hex(&b);
}

std::string PushButtons() {
  struct B {
    const char* Caption;
    const char* Props;
  };
  const B row1[] = {{"Classic", ""},
                    {"Pressed", "Look = 2"},
                    {"Down", "GroupIndex = 1\n    Down = True"},
                    {"Disabled", "Enabled = False"},
                    {"Flat", "HotTrack = True"},
                    {"Flat hot", "HotTrack = True\n    Look = 1"},
                    {"Flat down", "HotTrack = True\n    Look = 2"},
                    {"Flat off", "HotTrack = True\n    Enabled = False"}};
  const B row2[] = {{"Default", "Default = True"},
                    {"Focused", "Look = 3"},
                    {"Raised", "TextStyle = tsRaised\n    Font.Color = clNavy"},
                    {"Recessed", "TextStyle = tsRecessed"},
                    {"Shadow", "TextStyle = tsShadow"},
                    {"Coloured", "Color = clTeal\n    Font.Color = clWhite"},
                    {"Col. flat", "Color = clTeal\n    HotTrack = True\n    Look = 1"}};
  std::string s;
  auto add = [&](const B& b, int row, int i) {
    s += "  object Btn" + std::to_string(row) + std::to_string(i) + ": TGalleryButton\n    Left = " +
         std::to_string(16 + i * 84) + "\n    Top = " + std::to_string(row == 1 ? 24 : 60) + "\n    Caption = '" +
         b.Caption + "'\n";
    if (*b.Props) s += std::string("    ") + b.Props + "\n";
    s += "  end\n";
  };
  for (int i = 0; i < 8; ++i) add(row1[i], 1, i);
  for (int i = 0; i < 7; ++i) add(row2[i], 2, i);
  return s;
}

std::string Checks() {
  struct C {
    const char* Caption;
    const char* Props;
  };
  const C boxes[] = {{"Unchecked", ""},
                     {"Checked", "State = cbChecked"},
                     {"Grayed", "AllowGrayed = True\n    State = cbGrayed"},
                     {"Read-only", "ReadOnly = True\n    HotTrack = True\n    State = cbChecked"},
                     {"Flat checked", "HotTrack = True\n    State = cbChecked"},
                     {"Disabled", "Enabled = False\n    State = cbChecked"}};
  std::string s;
  for (int i = 0; i < 6; ++i) {
    s += "  object Chk" + std::to_string(i) + ": TQvCheckBox\n    Left = " + std::to_string(16 + i * 128) +
         "\n    Top = 112\n    Width = 120\n    Caption = '" + boxes[i].Caption + "'\n";
    if (*boxes[i].Props) s += std::string("    ") + boxes[i].Props + "\n";
    s += "  end\n";
  }
  s += "  object ChkGlyphs: TQvCheckBox\n    Left = 16\n    Top = 140\n    Width = 120\n"
       "    Caption = 'Custom glyphs'\n    State = cbChecked\n    CustomGlyphs.Data = {\n      " +
       GlyphStrip() + "}\n  end\n";
  s += "  object ChkWrap: TQvCheckBox\n    Left = 144\n    Top = 140\n    Width = 120\n    Height = 32\n"
       "    Caption = 'A caption long enough to wrap'\n  end\n";
  const C radios[] = {{"Radio", ""},
                      {"Radio checked", "Checked = True"},
                      {"Flat checked", "HotTrack = True\n      Checked = True"},
                      {"Disabled", "Enabled = False\n      Checked = True"}};
  for (int i = 0; i < 4; ++i) {
    s += "  object RadioPanel" + std::to_string(i) + ": TPanel\n    Left = " + std::to_string(16 + i * 128) +
         "\n    Top = 196\n    Width = 120\n    Height = 17\n    BevelOuter = bvNone\n"
         "    object Radio" + std::to_string(i) + ": TQvRadioButton\n      Width = 120\n      Caption = '" +
         radios[i].Caption + "'\n";
    if (*radios[i].Props) s += std::string("      ") + radios[i].Props + "\n";
    s += "    end\n  end\n";
  }
  return s;
}

std::string Labels() {
  return R"(  object LblPlain: TQvLabel
    Left = 16
    Top = 420
    Caption = 'Angle 0'
    Font.Name = 'Arial'
  end
  object Lbl45: TQvLabel
    Left = 90
    Top = 400
    Caption = 'Angle 45'
    Font.Name = 'Arial'
    Angle = 45
  end
  object Lbl90: TQvLabel
    Left = 170
    Top = 400
    Caption = 'Angle 90'
    Font.Name = 'Arial'
    Angle = 90
  end
  object LblArc: TQvLabel
    Left = 200
    Top = 400
    Width = 130
    Height = 104
    AutoSize = False
    Caption = 'Text on an arc'
    Font.Name = 'Arial'
    Rotation = roCurve
    Angle = 60
    CenterPoint = cpLowerCenter
  end
  object LblRaised: TQvLabel
    Left = 340
    Top = 400
    Caption = 'Raised'
    Font.Height = -16
    TextStyle = tsRaised
  end
  object LblRecessed: TQvLabel
    Left = 340
    Top = 424
    Caption = 'Recessed'
    Font.Height = -16
    TextStyle = tsRecessed
  end
  object LblShadow: TQvLabel
    Left = 340
    Top = 448
    Caption = 'Shadow'
    Font.Height = -16
    TextStyle = tsShadow
  end
  object LblFramed: TQvLabel
    Left = 440
    Top = 400
    Width = 66
    Height = 28
    AutoSize = False
    Alignment = taCenter
    Layout = tlCenter
    Caption = 'Framed'
    BorderOuter = fsRaised
    BorderInner = fsLowered
    BorderWidth = 2
    TextMargin = 3
  end
  object LblBlink: TQvLabel
    Left = 440
    Top = 436
    Caption = 'Blinking'
    BlinkColor = clRed
    Blinking = True
  end
  object LinkNew: TQvURLLabel
    Left = 16
    Top = 500
    Caption = 'A link (not visited)'
    URL = 'https://example.org/'
  end
  object LinkVisited: TQvURLLabel
    Left = 160
    Top = 500
    Caption = 'A link (visited)'
    URL = 'https://example.org/'
    Visited = True
  end
)";
}

std::string Shapes() {
  std::string bmp = ShapeBitmap();
  return "  object ShapeUp: TGalleryShapeButton\n    Left = 560\n    Top = 400\n    Caption = 'Up'\n"
         "    Bitmap.Data = {\n      " + bmp + "}\n  end\n"
         "  object ShapeDown: TGalleryShapeButton\n    Left = 640\n    Top = 400\n    Caption = 'Down'\n"
         "    ShowDown = True\n    Bitmap.Data = {\n      " + bmp + "}\n  end\n";
}

std::string Groups() {
  return R"(  object RadioGroup: TQvRadioGroup
    Left = 16
    Top = 236
    Width = 260
    Height = 84
    Caption = 'Radio group'
    Columns = 2
    ItemIndex = 3
    Items.Strings = (
      'First'
      'Second'
      'Third'
      'Fourth'
      'Fifth')
  end
  object CheckGroup: TQvCheckGroup
    Left = 292
    Top = 236
    Width = 200
    Height = 84
    Caption = 'Check group'
    AllowGrayed = True
    ItemHotTrack = True
    Items.Strings = (
      'Unchecked'
      'Checked'
      'Grayed')
    CheckStates = (
      0
      1
      2)
  end
)";
}

std::string ButtonsForm() {
  RegisterBasicClasses();
  RegisterClasses({ClassEntry<TGalleryButton>(), ClassEntry<TGalleryShapeButton>()});
  return "object Page: TForm\n" + PushButtons() + Checks() + Groups() + Labels() + Shapes() + "end\n";
}

void PaintButtons(TCanvas* Canvas, const TRect&) {
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->TextOut(16, 6, "Push buttons: classic, pressed, group down, disabled, flat (hot-track) in its states");
  Canvas->TextOut(16, 94, "Check boxes");
  Canvas->TextOut(16, 178, "Radio buttons (each on its own panel)");
  Canvas->TextOut(16, 382, "Labels: angles, an arc, 3-D styles, a frame, blinking; links; shape buttons up and down");
  Canvas->Brush()->SetStyle(bsSolid);
}

TGalleryPageRegistrar reg{{"buttons", 760, 540, ButtonsForm(), PaintButtons, nullptr}};

}  // namespace
