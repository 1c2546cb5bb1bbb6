#include "controls/editlist/numedits.h"

#include <cmath>

#include "platform/controls/forms.h"
#include "platform/controls/winuser.h"
#include "platform/core/scope.h"
#include "platform/core/sysutils.h"
#include "platform/win32/messages.h"

DTU_DEFINE_ENUM(TExpandOnType, "etMouseButton2Click", "etFocus", "etNone")

namespace {
// Posted to a numeric edit that keeps the focus after a refused exit.
constexpr UINT CM_QVNUMERICREFOCUS = 0x2430;
// The numeric edit taking its focus back at this moment (the edit it leaves is
// not checked then).
TQvNumericEdit* gRefocusing = nullptr;

bool FormClosing(TControl* C) {
  TCustomForm* f = GetParentForm(C);
  if (!f) return true;
  return f->ComponentState().Contains(csDestroying) || !f->Visible() || f->ModalResult() != mrNone;
}
}  // namespace

TQvNumericEdit::TQvNumericEdit(TComponent* AOwner) : TQvEdit(AOwner) {
  FControlStyle >> csSetCaption;
  SetBounds(Left(), Top(), 65, 21);
  SetAlignment(taRightJustify);
  SetValue(0);
  SetText(FormatText(0));
}

std::string TQvNumericEdit::FormatText(double V) { return FormatFloat(FDisplayFormat, V); }

double TQvNumericEdit::EvaluateText() {
  std::string t = Text();
  if (t.empty()) return 0;
  size_t minus = t.find('-'), e = t.find_first_of("Ee");
  bool negative = (minus != std::string::npos && (e == std::string::npos || e > minus)) ||
                  t.find('(') != std::string::npos;
  std::string kept;
  for (size_t i = 0; i < t.size(); ++i) {
    char c = t[i];
    if ((c >= '0' && c <= '9') || c == 'E' || c == 'e' || c == DecimalSeparator)
      kept += c;
    else if (c == '-' && i > 0 && (t[i - 1] == 'E' || t[i - 1] == 'e'))
      kept += c;
  }
  if (kept.empty()) return 0;
  return StrToFloat((negative ? "-" : "") + kept);
}

double TQvNumericEdit::GetValue() {
  try {
    if (!Text().empty()) return EvaluateText();
    if (FAllowBlank) return FBlankValue;
    SetText(FormatText(FMin));
    return EvaluateText();
  } catch (...) {
    return FMin;
  }
}

void TQvNumericEdit::SetValue(double V) {
  // A form stream gives Value before DisplayFormat: formatted with the default
  // format it would lose its decimals, so it is shown once everything is read.
  if (ComponentState().Contains(csLoading)) {
    FLoadedValue = V;
    FHasLoadedValue = true;
    return;
  }
  double current = 0;
  try {
    current = EvaluateText();
  } catch (...) {
    current = std::nan("");
  }
  if (V != current || Text().empty()) SetText(FormatText(V));
}

int TQvNumericEdit::GetIntValue() { return static_cast<int>(std::lround(GetValue())); }

void TQvNumericEdit::SetMin(double V) {
  if (FMin == V) return;
  FMin = V;
  if (FMin > FMax) FMax = FMin;
  Invalidate();
}

void TQvNumericEdit::SetMax(double V) {
  if (FMax == V) return;
  FMax = V;
  if (FMax < FMin) FMin = FMax;
  Invalidate();
}

void TQvNumericEdit::SetIntegersOnly(bool V) {
  if (FIntegersOnly == V) return;
  FIntegersOnly = V;
  if (V) SetValue(std::round(GetValue()));
}

void TQvNumericEdit::SetDisplayFormat(const std::string& S) {
  if (FDisplayFormat == S) return;
  FDisplayFormat = S;
  if (ComponentState().Contains(csLoading)) return;  // Loaded shows the value
  double v = GetValue();
  SetValue(v);
  SetText(FormatText(v));
}

void TQvNumericEdit::RangeError(double EnteredValue, double AdjustedValue, bool& AutoCorrect) {
  if (OnRangeError) OnRangeError(this, EnteredValue, AdjustedValue, AutoCorrect);
}

double TQvNumericEdit::CheckValue(double NewValue, bool& RangeViolated) {
  double result = NewValue;
  if (FMin != FMax || FCheckRange) {
    bool autoCorrect = true;
    if (NewValue < FMin) {
      RangeError(NewValue, FMin, autoCorrect);
      if (autoCorrect)
        result = FMin;
      else
        RangeViolated = true;
    } else if (NewValue > FMax) {
      RangeError(NewValue, FMax, autoCorrect);
      if (autoCorrect)
        result = FMax;
      else
        RangeViolated = true;
    }
  }
  FValueChanged = result != FCurrentValue;
  FCurrentValue = result;
  return result;
}

void TQvNumericEdit::Change() {
  if (ComponentState().Contains(csLoading) || FFormatting) return;
  TQvEdit::Change();
}

bool TQvNumericEdit::IsValidChar(char Key) {
  bool inSet = Key == '(' || Key == ')' || Key == '+' || Key == '-' || (Key >= '0' && Key <= '9');
  bool separator = !FIntegersOnly && Key == DecimalSeparator;
  if (!FIntegersOnly && (Key == 'E' || Key == 'e')) inSet = true;
  if (separator) {
    std::string text = Text();
    bool inText = text.find(DecimalSeparator) != std::string::npos;
    return !inText || SelText().find(DecimalSeparator) != std::string::npos;
  }
  if (!inSet) return static_cast<unsigned char>(Key) < 32 && Key != 13;
  if (FIntegersOnly) {
    std::string text = Text();
    bool signFirst = !text.empty() && (text[0] == '+' || text[0] == '-');
    if (Key != '+' && Key != '-') return !(SelStart() == 0 && SelLength() == 0 && signFirst);
    bool hasSign = text.find_first_of("+-") != std::string::npos;
    if (SelStart() == 0 && !hasSign) return true;
    if (SelLength() == static_cast<int>(text.size()) && !text.empty()) return true;
    return SelStart() == 0 && SelLength() > 0 && SelText().find_first_of("+-") != std::string::npos;
  }
  return true;
}

void TQvNumericEdit::KeyPress(char& Key) {
  TQvEdit::KeyPress(Key);
  if (Key != 0 && !IsValidChar(Key)) {
    Key = 0;
    InvalidKeyPressed();
  }
}

void TQvNumericEdit::Loaded() {
  TQvEdit::Loaded();
  FFormatting = true;
  if (FHasLoadedValue) {
    FHasLoadedValue = false;
    SetText(FormatText(FLoadedValue));
  }
  try {
    FCurrentValue = EvaluateText();
  } catch (...) {
    FCurrentValue = FMin;
  }
  SetText(FormatText(FCurrentValue));
  FFormatting = false;
}

void TQvNumericEdit::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CM_ENTER:
      FValueChanged = false;
      try {
        FCurrentValue = EvaluateText();
      } catch (...) {
        FCurrentValue = FMin;
      }
      if (!FAllowBlank) SetText(FormatText(FCurrentValue));
      TQvEdit::Dispatch(M);
      return;
    case CM_EXIT: {
      if ((FAllowBlank && Text().empty()) || (gRefocusing && gRefocusing != this)) {
        TQvEdit::Dispatch(M);
        return;
      }
      bool violated = false;
      double entered;
      try {
        entered = EvaluateText();
      } catch (...) {
        entered = FMin;
      }
      double v = CheckValue(entered, violated);
      if (violated) {
        // The focus comes back once this focus change is over.
        if (HandleAllocated()) PostMessage(Handle(), CM_QVNUMERICREFOCUS, 0, 0);
        return;
      }
      SetText(FormatText(v));
      TQvEdit::Dispatch(M);
      return;
    }
    case CM_QVNUMERICREFOCUS:
      if (!FormClosing(this) && !Focused() && CanFocus()) {
        TOnExit refocused([] { gRefocusing = nullptr; });
        gRefocusing = this;
        SetFocus();
      }
      return;
    case WM_PASTE:
    case WM_CUT:
      if (!ReadOnly()) TQvEdit::Dispatch(M);
      return;
    default: TQvEdit::Dispatch(M);
  }
}

// ---------------------------------------------------------------------------
// TQvExpandEdit

TQvExpandEdit::TQvExpandEdit(TComponent* AOwner) : TQvEdit(AOwner), FRememberedWidth(Width()) {}

void TQvExpandEdit::SetExpandedWidth(int V) {
  if (FExpandedWidth == V) return;
  FExpandedWidth = V;
  Invalidate();
}

void TQvExpandEdit::SetExpandOn(TExpandOnType V) {
  if (FExpandOn == V) return;
  FExpandOn = V;
  Invalidate();
}

void TQvExpandEdit::Expand() {
  BringToFront();
  FExpanded = true;
  FRememberedWidth = Width();
  SetWidth(FExpandedWidth);
}

void TQvExpandEdit::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_SETFOCUS:
      if (FExpandOn == etFocus && !FExpanded && FExpandedWidth >= 1) {
        Expand();
        if (AutoSelect()) {
          SetSelStart(0);
          SelectAll();
        }
      }
      break;
    case WM_RBUTTONUP:
      if (FExpandOn == etMouseButton2Click && FExpandedWidth >= 1) {
        if (FExpanded) {
          SetWidth(FRememberedWidth);
          FExpanded = false;
        } else {
          Expand();
          if (CanFocus()) SetFocus();
          if (AutoSelect()) SelectAll();
        }
        return;  // no context menu
      }
      break;
    case WM_KILLFOCUS:
      if (FExpandOn != etNone && FExpandedWidth >= 1 && FExpanded) SetWidth(FRememberedWidth);
      FExpanded = false;
      break;
    default: break;
  }
  TQvEdit::Dispatch(M);
}

// ---------------------------------------------------------------------------

const TClassInfo& TQvNumericEdit::StaticClass() {
  using C = TQvNumericEdit;
  static const TClassInfo info = [] {
    TClassBuilder<C> b("TQvNumericEdit", &inherited::StaticClass());
    b.Component()
        .Bool("AllowBlank", &C::AllowBlank, &C::SetAllowBlank, false)
        .Float("BlankValue", &C::BlankValue, &C::SetBlankValue, [](C* x) { return x->BlankValue() != 0; })
        .Bool("CheckRange", &C::CheckRange, &C::SetCheckRange, false)
        .Bool("IntegersOnly", &C::IntegersOnly, &C::SetIntegersOnly, true)
        .Float("Max", &C::Max, &C::SetMax, [](C* x) { return x->Max() != 0; })
        .Float("Min", &C::Min, &C::SetMin, [](C* x) { return x->Min() != 0; })
        .Float("Value", &C::GetValue, &C::SetValue)
        .Str("DisplayFormat", &C::DisplayFormat, &C::SetDisplayFormat,
             [](C* x) { return x->DisplayFormat() != ",0;(,0)"; })
        .Event<TQvRangeErrorEvent>("OnRangeError", &C::OnRangeError)
        .Enum<TAlignment>("Alignment", &C::Alignment, &C::SetAlignment, taRightJustify)
        .Bool("BeepOnInvalidKey", &C::BeepOnInvalidKey, &C::SetBeepOnInvalidKey, true)
        .Prop([] {
          TPropInfo text = TControl::Property("Text");
          text.Stored = [](TObject*) { return false; };  // Value is stored instead
          return text;
        }());
    return b.Build();
  }();
  return info;
}

const TClassInfo& TQvExpandEdit::StaticClass() {
  using C = TQvExpandEdit;
  static const TClassInfo info = [] {
    TClassBuilder<C> b("TQvExpandEdit", &inherited::StaticClass());
    b.Component()
        .Int("ExpandedWidth", &C::ExpandedWidth, [](C* x, int64_t v) { x->SetExpandedWidth(static_cast<int>(v)); }, 0)
        .Enum<TExpandOnType>("ExpandOn", &C::ExpandOn, &C::SetExpandOn, etNone);
    return b.Build();
  }();
  return info;
}
