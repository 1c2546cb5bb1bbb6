// The "pickers" page: the popup panel, the colour picker, spinners, numeric and
// expand edits, the framed memo, rich edit and hot-key edit.
//
// Layout (tests check it):
// - x = 16: an edit 152 x 21 at y = 16 with a popup panel open under it,
//   right-aligned with it at (10, 37): popup frame, 2-pixel ring, a colour picker at (3, 3) with the
//   Default and "More Colors..." rows (152 x 145), the panel 158 x 151. Below: a
//   framed memo (16, 200) 160 x 72, a rich edit (16, 282) 160 x 72, a hot-key
//   edit (16, 364) 120 x 21.
// - x = 200: colour pickers auto-sized, without the system rows at y = 16
//   (152 x 98; Red selected, cell 12 hot) and with them at y = 130 (152 x 178;
//   Button Face selected).
// - x = 380: spinners 120 x 21 at y = 16 (decimal 42), 48 (hexadecimal 255),
//   80 (disabled); numeric edits 120 x 21 at y = 120 (-1234, default format) and
//   152 ("0.00"); an expand edit at (380, 192), 60 wide, widened by focus to 150.
#include "controls/basic/colorpicker.h"
#include "controls/editlist/classes.h"
#include "controls/editlist/numedits.h"
#include "platform/core/typinfo.h"
#include "tools/gallery/gallery.h"

namespace {

// Puts a control of the page in a state a picture cannot reach by itself: a hot
// colour cell, or the focus message that widens an expand edit.
class TGalleryPickerState : public TComponent {
  DTU_CLASS(TGalleryPickerState, TComponent)
public:
  explicit TGalleryPickerState(TComponent* AOwner) : TComponent(AOwner) {}
  TControl* Control() const { return FControl; }
  void SetControl(TControl* Value) { FControl = Value; }
  int HotCell() const { return FHotCell; }
  void SetHotCell(int Value) { FHotCell = Value; }
  bool Focused() const { return FFocused; }
  void SetFocused(bool Value) { FFocused = Value; }
  bool Shown() const { return FShown; }
  void SetShown(bool Value) { FShown = Value; }
  void Loaded() override {
    TComponent::Loaded();
    if (auto* p = dynamic_cast<TQvColorPicker*>(FControl); p && FHotCell != -6) p->SetHighlightColorIndex(FHotCell);
    if (auto* e = dynamic_cast<TQvExpandEdit*>(FControl); e && FFocused) e->Perform(WM_SETFOCUS, 0, 0);
    // The popup panel as its popup window shows it (the panel itself stays hidden
    // on a form).
    if (FShown && FControl) FControl->SetVisible(true);
  }

private:
  TControl* FControl = nullptr;
  int FHotCell = -6;
  bool FFocused = false;
  bool FShown = false;
};

const TClassInfo& TGalleryPickerState::StaticClass() {
  using S = TGalleryPickerState;
  static const TClassInfo info = TClassBuilder<S>("TGalleryPickerState", &TComponent::StaticClass())
                                     .Component()
                                     .Object<TControl>("Control", &S::Control, &S::SetControl)
                                     .Int("HotCell", &S::HotCell, [](S* s, int64_t v) { s->SetHotCell(int(v)); }, -6)
                                     .Bool("Focused", &S::Focused, &S::SetFocused, false)
                                     .Bool("Shown", &S::Shown, &S::SetShown, false)
                                     .Build();
  return info;
}

const bool kRegistered = [] {
  RegisterEditListClasses();
  RegisterClasses({ClassEntry<TGalleryPickerState>()});
  return true;
}();

std::string At(int X, int Y, int W = 0, int H = 0) {
  std::string s = "    Left = " + std::to_string(X) + "\n    Top = " + std::to_string(Y) + "\n";
  if (W) s += "    Width = " + std::to_string(W) + "\n";
  if (H) s += "    Height = " + std::to_string(H) + "\n";
  return s;
}

std::string Source() {
  std::string s = "object PickersPage: TForm\n";
  s += "  object OpenEdit: TQvEdit\n" + At(16, 16, 152, 21) + "    Text = 'colour'\n    FrameVisible = True\n  end\n";
  s += "  object Popup: TQvPopupPanel\n" + At(10, 37) +
       "    object PopupPicker: TQvColorPicker\n      Left = 3\n      Top = 3\n      Width = 152\n      Height = 145\n"
       "      ShowDefaultColor = True\n      ShowCustomColor = True\n      SelectedColor = clBlue\n"
       "    end\n  end\n";
  s += "  object PopupShown: TGalleryPickerState\n    Control = Popup\n    Shown = True\n  end\n";
  s += "  object Memo: TQvMemo\n" + At(16, 200, 160, 72) +
       "    Lines.Strings = (\n      'A framed memo'\n      'second line')\n    FrameVisible = True\n  end\n";
  s += "  object Rich: TQvRichEdit\n" + At(16, 282, 160, 72) +
       "    Lines.Strings = (\n      'A rich edit'\n      'plain text')\n    FrameVisible = True\n"
       "    FrameStyle = fsLowered\n  end\n";
  s += "  object HotKey: TQvHotKeyEdit\n" + At(16, 364, 120, 21) + "    FrameVisible = True\n  end\n";
  s += "  object Picker: TQvColorPicker\n" + At(200, 16) + "    SelectedColor = clRed\n  end\n";
  s += "  object PickerHot: TGalleryPickerState\n    Control = Picker\n    HotCell = 12\n  end\n";
  // A form gives a picker its size; 178 is what its system rows take.
  s += "  object SystemPicker: TQvColorPicker\n" + At(200, 130, 152, 178) +
       "    ShowSystemColors = True\n    SelectedColor = clBtnFace\n  end\n";
  s += "  object SpinDec: TQvSpinner\n" + At(380, 16, 120, 21) + "    Value = 42\n  end\n";
  s += "  object SpinHex: TQvSpinner\n" + At(380, 48, 120, 21) +
       "    Max = 1000\n    Value = 255\n    ShowHexValue = True\n  end\n";
  s += "  object SpinOff: TQvSpinner\n" + At(380, 80, 120, 21) + "    Value = 7\n    Enabled = False\n  end\n";
  s += "  object Num: TQvNumericEdit\n" + At(380, 120, 120, 21) + "    Value = -1234\n    FrameVisible = True\n  end\n";
  s += "  object NumFmt: TQvNumericEdit\n" + At(380, 152, 120, 21) +
       "    IntegersOnly = False\n    DisplayFormat = '0.00'\n    Value = 3.14159\n    FrameVisible = True\n  end\n";
  s += "  object Expand: TQvExpandEdit\n" + At(380, 192, 60, 21) +
       "    Text = 'widened by focus'\n    ExpandOn = etFocus\n    ExpandedWidth = 150\n    FrameVisible = True\n  end\n";
  s += "  object ExpandFocus: TGalleryPickerState\n    Control = Expand\n    Focused = True\n  end\n";
  s += "end\n";
  return s;
}

const TGalleryPageRegistrar kPage{{"pickers", 560, 400, Source(), nullptr, nullptr}};

}  // namespace
