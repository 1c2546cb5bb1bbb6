#include "controls/editlist/popupface.h"

#include "controls/common/frames.h"
#include "controls/common/themes.h"
#include "platform/controls/winmsg.h"
#include "platform/graphics/gdi.h"
#include "platform/stdctrls/stdctrls_buttons.h"

bool CalendarThemed(bool ThemeAware) { return ThemeAware && ThemeServices()->ThemesEnabled(); }

bool IsFlatBorderStyle(TFrameStyle Style) { return Style == fsFlat || Style == fsFlatBold || Style == fsFlatRounded; }

void PaintThemedFace(TCanvas* C, TRect Box, TColor Face) {
  C->Brush()->SetColor(GetXPThemeColor(xptcEditBorder));
  C->FrameRect(Box);
  InflateRect(Box, -1, -1);
  C->Brush()->SetColor(Face);
  C->FillRect(Box);
}

// A separator line under the caption or above the buttons: the toolbar separator
// element 3 pixels high with themes, else a line in the Lines colour.
void DrawCalendarSeparator(TCanvas* C, bool Themed, TColor Lines, int X1, int X2, int Y) {
  if (Themed) {
    TThemeServices* t = ThemeServices();
    t->DrawElement(C->Handle(), t->GetElementDetails(ttbSeparatorNormal), TRect{X1, Y - 1, X2, Y + 2});
    return;
  }
  C->Pen()->SetColor(Lines);
  C->MoveTo(X1, Y);
  C->LineTo(X2, Y);
}

// A Today, Clear or Set button; with themes the push-button element.
void DrawPopupButton(TCanvas* C, const TRect& R, const std::string& Caption, bool Pressed, bool Flat, bool Themed,
                     TColor ButtonColor, TColor ButtonFontColor) {
  TRect r = R;
  if (Themed) {
    TThemeServices* t = ThemeServices();
    t->DrawElement(C->Handle(), t->GetElementDetails(Pressed ? tbPushButtonPressed : tbPushButtonNormal), r);
  } else {
    if (ButtonColor == clBtnFace) {
      if (Pressed) r = DrawButtonBorder(C, r, true);
      else if (Flat) r = DrawBorder(C, r, fsFlat);
      else r = DrawButtonBorder(C, r, false);
    } else {
      if (Flat && !Pressed) r = DrawBorder(C, r, fsFlat);
      else r = DrawColorButtonBorder(C, r, ButtonColor, Pressed);
    }
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(ButtonColor);
    C->FillRect(r);
    if (Pressed) OffsetRect(r, 2, 2);
  }
  C->Font()->SetColor(ButtonFontColor);
  C->Brush()->SetStyle(bsClear);
  DrawText(C->Handle(), Caption.c_str(), static_cast<int>(Caption.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  C->Brush()->SetStyle(bsSolid);
}

void DrawPanelButton(TQvCustomPanel* Panel, TCanvas* C, const TRect& R, const std::string& Caption, bool Pressed,
                     bool ThemeAware, TColor ButtonColor, TColor ButtonFontColor) {
  DrawPopupButton(C, R, Caption, Pressed, IsFlatBorderStyle(Panel->BorderOuter()), CalendarThemed(ThemeAware),
                  ButtonColor, ButtonFontColor);
}

TSize ScreenTextExtent(TFont* Font, const std::string& S) { return TextExtentOf(Font, S); }

int ScreenTextWidth(TFont* Font, const std::string& S) { return ScreenTextExtent(Font, S).cx; }

int ScreenLineHeight(TFont* Font) { return FontMetricsOf(Font).tmHeight; }

std::string CaptionOrDefault(const std::string& Caption, const std::string& Default) {
  return Caption.empty() ? Default : Caption;
}

void InitPopupFace(TQvCustomPanel* Panel) {
  TControlStyle st = Panel->ControlStyle();
  st >> csAcceptsControls;
  st >> csSetCaption;
  Panel->SetControlStyle(st);
  Panel->SetColor(clWindow);
  Panel->SetFlatColorAdjustment(0);
  Panel->SetBorderOuter(fsLowered);
  Panel->SetTabStop(true);
}

TTimer* NewDisabledTimer(TComponent* Owner, unsigned Interval, TNotifyEvent OnTimer) {
  auto* t = new TTimer(Owner);
  t->SetEnabled(false);
  t->SetInterval(Interval);
  t->OnTimer = std::move(OnTimer);
  return t;
}

void FocusOnPress(TWinControl* Control) {
  if (!Control->ComponentState().Contains(csDesigning) && Control->CanFocus()) Control->SetFocus();
}

bool AnswerCaptionAccel(TWinControl* Control, TMessage& M, std::initializer_list<TCaptionAccel> Accels) {
  if (M.Msg != CM_DIALOGCHAR || !Control->CanFocus()) return false;
  WORD key = static_cast<WORD>(M.WParam);
  for (const TCaptionAccel& a : Accels)
    if (IsAccel(key, a.Caption)) {
      a.Run();
      M.Result = 1;
      return true;
    }
  return false;
}

bool DispatchPopupFaceMessage(TControl* Control, TMessage& M, const std::function<void()>& Inherited,
                              const std::function<void()>& Remeasure) {
  switch (M.Msg) {
    case WM_GETDLGCODE: M.Result = DLGC_WANTARROWS; return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      Inherited();
      Control->Invalidate();
      return true;
    case CM_FONTCHANGED:
      Inherited();
      Remeasure();
      return true;
    default: return false;
  }
}
