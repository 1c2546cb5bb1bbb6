#pragma once
// What the calendar and the time picker share. Both are framed panels that draw
// their own face with buttons on it, measure their font on the screen, take the
// focus on a press, repaint when the focus comes or goes, measure again when the
// font changes and answer the accelerators of their button captions. One copy
// here keeps the two from drifting apart.
#include <functional>
#include <initializer_list>
#include <string>

#include "controls/basic/panels.h"
#include "platform/controls/extctrls.h"

// Whether the themed look applies, whether an outer border style counts as flat for
// the buttons, the themed face (a one-pixel box in the theme's edit-border colour
// around a fill in Face), a separator line, and a Today/Clear/Set button (pressed,
// flat, themed).
bool CalendarThemed(bool ThemeAware);
bool IsFlatBorderStyle(TFrameStyle Style);
void PaintThemedFace(TCanvas* C, TRect Box, TColor Face);
void DrawCalendarSeparator(TCanvas* C, bool Themed, TColor Lines, int X1, int X2, int Y);
void DrawPopupButton(TCanvas* C, const TRect& R, const std::string& Caption, bool Pressed, bool Flat, bool Themed,
                     TColor ButtonColor, TColor ButtonFontColor);
// A button on a panel: flat while the panel's outer border is flat.
void DrawPanelButton(TQvCustomPanel* Panel, TCanvas* C, const TRect& R, const std::string& Caption, bool Pressed,
                     bool ThemeAware, TColor ButtonColor, TColor ButtonFontColor);

// A text's size and the font's line height, measured in a font on the screen.
TSize ScreenTextExtent(TFont* Font, const std::string& S);
int ScreenTextWidth(TFont* Font, const std::string& S);
int ScreenLineHeight(TFont* Font);

// A caption property, or the resource text while it is empty.
std::string CaptionOrDefault(const std::string& Caption, const std::string& Default);

// The colour sets address their colours by index: outside 0..N-1 a read gives
// clNone (0x1FFFFFFF) and a write does nothing; a write repaints the owner.
template <int N>
TColor GetIndexedColor(const TColor (&Colors)[N], int Index) {
  return Index >= 0 && Index < N ? Colors[Index] : clNone;
}
template <int N>
void SetIndexedColor(TColor (&Colors)[N], int Index, TColor Value, TControl* Owner) {
  if (Index < 0 || Index >= N) return;
  Colors[Index] = Value;
  if (Owner) Owner->Invalidate();
}

// The settings both constructors start from: no child controls and no caption, the
// window colour, no flat colour adjustment, a lowered outer border, a tab stop.
void InitPopupFace(TQvCustomPanel* Panel);
// A timer owned by Owner, disabled until asked for.
TTimer* NewDisabledTimer(TComponent* Owner, unsigned Interval, TNotifyEvent OnTimer);

// A press takes the focus, except at design time.
void FocusOnPress(TWinControl* Control);

// CM_DIALOGCHAR, when the control can take the focus: runs the action of the first
// caption whose accelerator the key is and marks the message handled. True when one
// ran.
struct TCaptionAccel {
  std::string Caption;
  std::function<void()> Run;
};
bool AnswerCaptionAccel(TWinControl* Control, TMessage& M, std::initializer_list<TCaptionAccel> Accels);

// The messages both answer alike: WM_GETDLGCODE wants the arrow keys, focus changes
// repaint and a font change measures again, each after the inherited handling. True
// when M was one of them (and is handled).
bool DispatchPopupFaceMessage(TControl* Control, TMessage& M, const std::function<void()>& Inherited,
                              const std::function<void()>& Remeasure);
