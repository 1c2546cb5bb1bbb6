// The "edits" page: the framed edits, the spin edit and the spin buttons.
//
// Layout (tests check it), every edit 112 x 21 unless said:
// - column 1, x = 16: a TQvEdit per frame style that looks different, FrameVisible,
//   style s (fsFlat .. fsFlatBold, 1..10) at y = 32 + (s - 1) * 28; below them, at
//   y = 312, one with the standard sunken border (no frame of its own).
// - column 2, x = 152: TQvMaskEdit states at y = 32 + k * 28: normal, hot (hot
//   tracking, the mouse over it), focused, disabled, read-only, with the drop
//   button, with the flat drop button (hot), masked text.
// - column 3, x = 288: TQvSpinEdit states at the same rows: standard border, flat
//   frame, hot flat frame with flat buttons, focused, disabled, read-only (no
//   buttons), horizontal buttons, and at y = 228 one 29 high (buttons 17 x 25).
// - column 4, x = 424: spin buttons alone, 17 x 25 vertical at (424, 32), 34 x 17
//   horizontal at (424, 72), left/right arrows at (424, 104) 17 x 25; control
//   buttons 17 x 21 at y = 148: plain, drop-down, flat, flat hot, disabled; a
//   rapid-fire button 23 x 22 with an arrow glyph at (424, 184).
#include "controls/editlist/classes.h"
#include "controls/editlist/edits.h"
#include "platform/core/typinfo.h"
#include "tools/gallery/gallery.h"

namespace {

// Puts a control of the page in a state a picture cannot reach by itself: the
// mouse over it (Hot) or the focus in it (Focused), once the page is read.
class TGalleryEditState : public TComponent {
  DTU_CLASS(TGalleryEditState, TComponent)
public:
  explicit TGalleryEditState(TComponent* AOwner) : TComponent(AOwner) {}
  TControl* Control() const { return FControl; }
  void SetControl(TControl* Value) { FControl = Value; }
  bool Hot() const { return FHot; }
  void SetHot(bool Value) { FHot = Value; }
  bool Focused() const { return FFocused; }
  void SetFocused(bool Value) { FFocused = Value; }
  void Loaded() override {
    TComponent::Loaded();
    if (!FControl) return;
    if (FHot) FControl->Perform(CM_MOUSEENTER, 0, 0);
    if (FFocused) FControl->Perform(CM_ENTER, 0, 0);
  }

private:
  TControl* FControl = nullptr;
  bool FHot = false;
  bool FFocused = false;
};

const TClassInfo& TGalleryEditState::StaticClass() {
  using S = TGalleryEditState;
  static const TClassInfo info = TClassBuilder<S>("TGalleryEditState", &TComponent::StaticClass())
                                     .Component()
                                     .Object<TControl>("Control", &S::Control, &S::SetControl)
                                     .Bool("Hot", &S::Hot, &S::SetHot, false)
                                     .Bool("Focused", &S::Focused, &S::SetFocused, false)
                                     .Build();
  return info;
}

// A framed edit with the drop button of the edit base shown (the button that the
// date, colour and expand edits use).
class TGalleryDropEdit : public TQvEdit {
  DTU_CLASS(TGalleryDropEdit, TQvEdit)
public:
  explicit TGalleryDropEdit(TComponent* AOwner) : TQvEdit(AOwner) { SetDropButtonVisible(true); }
};

const TClassInfo& TGalleryDropEdit::StaticClass() {
  using S = TGalleryDropEdit;
  static const TClassInfo info = TClassBuilder<S>("TGalleryDropEdit", &TQvEdit::StaticClass())
                                     .Component()
                                     .Bool("FlatButtons", &S::FlatButtons, &S::SetFlatButtons, false)
                                     .Build();
  return info;
}

const bool kRegistered = [] {
  RegisterEditListClasses();
  RegisterClasses({ClassEntry<TGalleryEditState>(), ClassEntry<TGalleryDropEdit>()});
  return true;
}();

std::string Edit(const char* Name, const char* Class, int X, int Y, const std::string& Props, int W = 112,
                 int H = 21) {
  return "  object " + std::string(Name) + ": " + Class + "\n    Left = " + std::to_string(X) +
         "\n    Top = " + std::to_string(Y) + "\n    Width = " + std::to_string(W) + "\n    Height = " +
         std::to_string(H) + "\n" + Props + "  end\n";
}

std::string State(const char* Name, const char* Control, const char* What) {
  return "  object " + std::string(Name) + ": TGalleryEditState\n    Control = " + Control + "\n    " + What +
         " = True\n  end\n";
}

std::string Source() {
  static const char* const styles[] = {"fsFlat",   "fsGroove", "fsBump",  "fsLowered", "fsButtonDown",
                                       "fsRaised", "fsButtonUp", "fsStatus", "fsPopup", "fsFlatBold"};
  std::string s = "object EditsPage: TForm\n";
  for (int i = 0; i < 10; ++i) {
    std::string name = std::string("Frame") + styles[i];
    s += Edit(name.c_str(), "TQvEdit", 16, 32 + i * 28,
              std::string("    Text = '") + styles[i] + "'\n    FrameStyle = " + styles[i] +
                  "\n    FrameVisible = True\n");
  }
  s += Edit("Sunken", "TQvEdit", 16, 312, "    Text = 'sunken'\n");
  const int x2 = 152, x3 = 288;
  auto row = [](int K) { return 32 + K * 28; };
  s += Edit("MaskNormal", "TQvMaskEdit", x2, row(0), "    Text = 'normal'\n    FrameVisible = True\n");
  s += Edit("MaskHot", "TQvMaskEdit", x2, row(1),
            "    Text = 'hot'\n    FrameHotTrack = True\n    FrameHotColor = clNavy\n");
  s += Edit("MaskFocused", "TQvMaskEdit", x2, row(2),
            "    Text = 'focused'\n    FocusColor = clInfoBk\n    FrameVisible = True\n");
  s += Edit("MaskDisabled", "TQvMaskEdit", x2, row(3),
            "    Text = 'disabled'\n    Enabled = False\n    FrameVisible = True\n");
  s += Edit("MaskReadOnly", "TQvMaskEdit", x2, row(4),
            "    Text = 'read-only'\n    ReadOnly = True\n    FrameVisible = True\n");
  s += Edit("MaskDropDown", "TGalleryDropEdit", x2, row(5), "    Text = 'drop button'\n");
  s += Edit("MaskFlatDropDown", "TGalleryDropEdit", x2, row(6),
            "    Text = 'flat button'\n    FlatButtons = True\n    FrameVisible = True\n");
  s += Edit("MaskMasked", "TQvMaskEdit", x2, row(7),
            "    EditMask = '!(999)000-0000;1;_'\n    Text = '(010)555-0199'\n    FrameVisible = True\n");
  s += Edit("SpinNormal", "TQvSpinEdit", x3, row(0), "    Max = 3000.0\n    Min = 6.0\n    Value = 6.0\n");
  s += Edit("SpinFlat", "TQvSpinEdit", x3, row(1), "    FrameVisible = True\n    Value = 42.0\n");
  s += Edit("SpinHot", "TQvSpinEdit", x3, row(2),
            "    FrameHotTrack = True\n    FlatButtons = True\n    Value = 7.0\n");
  s += Edit("SpinFocused", "TQvSpinEdit", x3, row(3),
            "    FocusColor = clInfoBk\n    FrameVisible = True\n    Value = 8.0\n");
  s += Edit("SpinDisabled", "TQvSpinEdit", x3, row(4), "    Enabled = False\n    Value = 9.0\n");
  s += Edit("SpinReadOnly", "TQvSpinEdit", x3, row(5), "    ReadOnly = True\n    Value = 10.0\n");
  s += Edit("SpinHorizontal", "TQvSpinEdit", x3, row(6),
            "    Orientation = orHorizontal\n    Direction = sdLeftRight\n    Value = 11.0\n");
  s += Edit("SpinTall", "TQvSpinEdit", x3, 228, "    AutoSize = False\n    Value = 25.0\n", 112, 29);
  s += Edit("ButtonsVertical", "TQvSpinButtons", 424, 32, "", 17, 25);
  s += Edit("ButtonsHorizontal", "TQvSpinButtons", 424, 72, "    Orientation = orHorizontal\n", 34, 17);
  s += Edit("ButtonsLeftRight", "TQvSpinButtons", 424, 104, "    Direction = sdLeftRight\n", 17, 25);
  const char* buttons[][2] = {{"CbPlain", "    Style = cbsNone\n    Caption = ''\n"},
                              {"CbDropDown", "    Style = cbsDropDown\n"},
                              {"CbFlat", "    Style = cbsUp\n    Flat = True\n"},
                              {"CbFlatHot", "    Style = cbsDown\n    Flat = True\n"},
                              {"CbDisabled", "    Style = cbsDropDown\n    Enabled = False\n"}};
  for (int i = 0; i < 5; ++i) s += Edit(buttons[i][0], "TQvControlButton", 424 + i * 24, 148, buttons[i][1], 17, 21);
  s += Edit("RapidFire", "TQvRapidFireButton", 424, 184, "    ScrollStyle = scsUp\n", 23, 22);
  s += State("StateMaskHot", "MaskHot", "Hot");
  s += State("StateMaskFocused", "MaskFocused", "Focused");
  s += State("StateMaskFlatDropDown", "MaskFlatDropDown", "Hot");
  s += State("StateSpinHot", "SpinHot", "Hot");
  s += State("StateSpinFocused", "SpinFocused", "Focused");
  s += State("StateCbFlatHot", "CbFlatHot", "Hot");
  s += "end\n";
  return s;
}

void Captions(TCanvas* Canvas, const TRect&) {
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->TextOut(16, 10, "TQvEdit: frame styles");
  Canvas->TextOut(152, 10, "TQvMaskEdit: states");
  Canvas->TextOut(288, 10, "TQvSpinEdit");
  Canvas->TextOut(424, 10, "spin and control buttons");
  Canvas->Brush()->SetStyle(bsSolid);
}

TGalleryPageRegistrar reg{{"edits", 600, 344, Source(), Captions, nullptr}};

}  // namespace

