#include "controls/basic/colorpicker.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "controls/common/colors.h"
#include "controls/common/frames.h"
#include "controls/common/themes.h"
#include "platform/controls/winuser.h"
#include "platform/core/typinfo.h"
#include "platform/graphics/gdi.h"

namespace {
const char* const kNoneCaption = "None";
const char* const kDefaultCaption = "Default";
const char* const kMoreCaption = "More Colors...";

TColorData kTable[PickerColorCount] = {
    {0x000000, "Black"}, {0x003399, "Brown"}, {0x003333, "Olive Green"}, {0x003300, "Dark Green"},
    {0x663300, "Dark Teal"}, {0x800000, "Dark Blue"}, {0x993333, "Indigo"}, {0x333333, "Gray 80%"},
    {0x000080, "Dark Red"}, {0x0066FF, "Orange"}, {0x008080, "Dark Yellow"}, {0x008000, "Green"},
    {0x808000, "Teal"}, {0xFF0000, "Blue"}, {0x996666, "Blue Gray"}, {0x808080, "Gray 50%"},
    {0x0000FF, "Red"}, {0x0099FF, "Light Orange"}, {0x00CC99, "Lime"}, {0x669933, "Sea Green"},
    {0x999933, "Aqua"}, {0xFF6633, "Light Blue"}, {0x800080, "Violet"}, {0x999999, "Gray 40%"},
    {0xFF00FF, "Pink"}, {0x00CCFF, "Gold"}, {0x00FFFF, "Yellow"}, {0x00FF00, "Bright Green"},
    {0xFFFF00, "Turquoise"}, {0xFFCC00, "Sky Blue"}, {0x663399, "Plum"}, {0xC0C0C0, "Gray 25%"},
    {0xCC99FF, "Rose"}, {0x99CCFF, "Tan"}, {0x99FFFF, "Light Yellow"}, {0xCCFFCC, "Light Green"},
    {0xFFFFCC, "Light Turquoise"}, {0xFFCC99, "Pale Blue"}, {0xFF99CC, "Lavender"}, {0xFFFFFF, "White"},
    // system colours: 0x80000000 + the system colour index (25 is absent)
    {TColor(0x80000000), "Scroll Bar"}, {TColor(0x80000001), "Background"},
    {TColor(0x80000002), "Active Caption"}, {TColor(0x80000003), "Inactive Caption"},
    {TColor(0x80000004), "Menu"}, {TColor(0x80000005), "Window"}, {TColor(0x80000006), "Window Frame"},
    {TColor(0x80000007), "Menu Text"}, {TColor(0x80000008), "Window Text"},
    {TColor(0x80000009), "Caption Text"}, {TColor(0x8000000A), "Active Border"},
    {TColor(0x8000000B), "Inactive Border"}, {TColor(0x8000000C), "App WorkSpace"},
    {TColor(0x8000000D), "Highlight"}, {TColor(0x8000000E), "Highlight Text"},
    {TColor(0x8000000F), "Button Face"}, {TColor(0x80000010), "Button Shadow"},
    {TColor(0x80000011), "Gray Text"}, {TColor(0x80000012), "Button Text"},
    {TColor(0x80000013), "Inactive Caption Text"}, {TColor(0x80000014), "Button Highlight"},
    {TColor(0x80000015), "3D Dark Shadow"}, {TColor(0x80000016), "3D Light"}, {TColor(0x80000017), "Info Text"},
    {TColor(0x80000018), "Info Background"}, {TColor(0x8000001A), "Hot Light"},
    {TColor(0x8000001B), "Gradient Active Caption"}, {TColor(0x8000001C), "Gradient Inactive Caption"},
    {TColor(0x8000001D), "Menu Highlight"}, {TColor(0x8000001E), "Menu Bar"},
};

bool Inside(const TRect& R, int X, int Y) { return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom; }
}  // namespace

const TColorData& PickerColors(int Index) { return kTable[Index]; }

TQvColorPicker::TQvColorPicker(TComponent* AOwner) : TQvBorder(AOwner) {
  FControlStyle << csOpaque;
  if (ThemeServices()->ThemesEnabled()) FFrameColor = GetXPThemeColor(xptcEditBorder);
  SetAutoSize(true);
  SetBorderWidth(2);
  SetColor(clWindow);
  SetBorderColor(clWindow);
  SetFlatColorAdjustment(0);
  SetParentColor(false);
  if (ThemeServices()->ThemesEnabled()) {
    SetBorderOuter(fsFlat);
    SetFlatColor(FFrameColor);
  } else {
    SetBorderOuter(fsLowered);
  }
  AdjustSize();
}

TQvColorPicker::~TQvColorPicker() = default;  // the hint window is owned (component chain)

void TQvColorPicker::Loaded() {
  TQvBorder::Loaded();
  if (FHasLoadedColor) {
    FHasLoadedColor = false;
    SetSelectedColor(FLoadedColor);
  }
  if (ThemeServices()->ThemesEnabled()) {
    FFrameColor = GetXPThemeColor(xptcEditBorder);
    SetBorderOuter(fsFlat);
    SetFlatColor(FFrameColor);
    SetFlatColorAdjustment(0);
  }
}

int TQvColorPicker::Margin() const { return std::abs(Font()->Height()) + 12; }

// ---------------------------------------------------------------------------
// Layout: the one place that says where each part lies.
//
//   +--------------------------+ Client.Top
//   | None          (Margin)   |
//   | Default  [sw] (Margin)   |
//   | 8 x 5 standard cells     | GridTop, RowHeight each
//   | -- separator (8 px) --   |
//   | 8 x 4 system cells       | SystemTop; bottom meets the custom row
//   | More Colors... [sw]      | (Margin) at Client.Bottom
//   +--------------------------+

TQvColorPicker::TLayout TQvColorPicker::Layout() {
  TLayout L;
  L.Client = GetClientRect();
  const TRect& cr = L.Client;
  int m = Margin();
  int top = cr.Top, bottom = cr.Bottom;
  if (FShowNoColor) {
    L.NoneRow = {cr.Left, top, cr.Right, top + m};
    top += m;
  }
  if (FShowDefaultColor) {
    L.DefaultRow = {cr.Left, top, cr.Right, top + m};
    top += m;
  }
  if (FShowCustomColor) {
    L.CustomRow = {cr.Left, bottom - m, cr.Right, bottom};
    bottom -= m;
  }
  int g = std::max(0, bottom - top);
  L.ColWidth = cr.Width() / 8;
  L.RowHeight = FShowSystemColors ? std::max(0, g - 8) / 9 : g / 5;
  L.GridTop = top;
  L.SystemTop = bottom - 4 * L.RowHeight;
  return L;
}

TRect TQvColorPicker::GetCellRect(int Index) {
  TLayout L = Layout();
  if (Index >= 0 && Index < 40)
    return Bounds(L.Client.Left + (Index % 8) * L.ColWidth, L.GridTop + (Index / 8) * L.RowHeight, L.ColWidth,
                  L.RowHeight);
  if (Index >= 40 && Index < PickerColorCount) {
    int i = Index - 40;
    return Bounds(L.Client.Left + (i % 8) * L.ColWidth, L.SystemTop + (i / 8) * L.RowHeight, L.ColWidth,
                  L.RowHeight);
  }
  int m = Margin();
  switch (Index) {
    case -1: return L.NoneRow;
    case -4: return {L.DefaultRow.Right - m, L.DefaultRow.Top, L.DefaultRow.Right, L.DefaultRow.Bottom};
    case -2: return {L.CustomRow.Right - m, L.CustomRow.Top, L.CustomRow.Right, L.CustomRow.Bottom};
    case -3: return {L.CustomRow.Left, L.CustomRow.Top, L.CustomRow.Right - m, L.CustomRow.Bottom};
    default: return {};
  }
}

int TQvColorPicker::HitTestAt(const TLayout& L, int X, int Y, bool& Nothing) {
  Nothing = false;
  if (FShowNoColor && Inside(L.NoneRow, X, Y)) return -1;
  if (FShowDefaultColor && Inside(L.DefaultRow, X, Y)) return -4;
  if (FShowCustomColor && Inside(L.CustomRow, X, Y)) return X >= L.CustomRow.Right - Margin() ? -2 : -3;
  if (L.ColWidth > 0 && L.RowHeight > 0) {
    int col = (X - L.Client.Left) / L.ColWidth;
    bool inColumns = X >= L.Client.Left && col < 8;
    if (inColumns && Y >= L.GridTop && Y < L.GridTop + 5 * L.RowHeight)
      return (Y - L.GridTop) / L.RowHeight * 8 + col;
    if (FShowSystemColors && X >= L.Client.Left && X < L.Client.Right) {
      if (Y >= L.GridTop + 5 * L.RowHeight && Y < L.SystemTop) return -5;
      if (inColumns && Y >= L.SystemTop && Y < L.SystemTop + 4 * L.RowHeight) {
        int i = (Y - L.SystemTop) / L.RowHeight * 8 + col;
        return i >= 30 ? -5 : 40 + i;
      }
    }
  }
  Nothing = true;
  return -1;
}

int TQvColorPicker::HitTest(int X, int Y) {
  bool nothing;
  return HitTestAt(Layout(), X, Y, nothing);
}

bool TQvColorPicker::CanAutoSize(int& NewWidth, int& NewHeight) {
  TRect cr = GetClientRect();
  // The frame's width measured on this control's own rectangle.
  TRect whole{0, 0, std::max(Width(), 100), std::max(Height(), 100)};
  TRect inner = whole;
  AdjustClientRect(inner);
  int left = inner.Left, top = inner.Top;
  (void)cr;
  int m = Margin();
  NewWidth = 2 * left + 144;
  NewHeight = 2 * top + 90;
  if (FShowSystemColors) NewHeight += 80;
  if (FShowNoColor) NewHeight += m + 1;
  if (FShowDefaultColor) NewHeight += m + 1;
  if (FShowCustomColor) NewHeight += m;
  return true;
}

// ---------------------------------------------------------------------------
// Properties

void TQvColorPicker::SetButtonColor(TColor Value) {
  if (FButtonColor == Value) return;
  FButtonColor = Value;
  Invalidate();
}

#define QV_CAPTION_SETTER(Name, Field)                          \
  void TQvColorPicker::Set##Name(const std::string& Value) {    \
    if (Field == Value) return;                                 \
    Field = Value;                                              \
    Invalidate();                                               \
  }
QV_CAPTION_SETTER(CustomColorCaption, FCustomColorCaption)
QV_CAPTION_SETTER(NoColorCaption, FNoColorCaption)
QV_CAPTION_SETTER(DefaultColorCaption, FDefaultColorCaption)
#undef QV_CAPTION_SETTER

void TQvColorPicker::SetCustomColor(TColor Value) {
  FCustomColor = Value;
  if (FShowCustomColor) Invalidate();
}

void TQvColorPicker::SetDefaultColor(TColor Value) {
  FDefaultColor = Value;
  if (FShowDefaultColor) Invalidate();
}

void TQvColorPicker::SetCustomColors(TQvCustomColors* Value) {
  if (FCustomColors == Value) return;
  if (FCustomColors) FCustomColors->RemoveFreeNotification(this);
  FCustomColors = Value;
  if (Value) Value->FreeNotification(this);
}

void TQvColorPicker::Notification(TComponent* AComponent, TOperation Operation) {
  TQvBorder::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FCustomColors) FCustomColors = nullptr;
  if (Operation == opRemove && AComponent == FHintWindow) FHintWindow = nullptr;
}

// While a form is read the rows only change: the size is the form's own (what an
// auto-sized picker had when written, or the user's with AutoSize off).
void TQvColorPicker::ShowChanged() {
  if (AutoSize() && !ComponentState().Contains(csLoading)) {
    int w = Width(), h = Height();
    if (CanAutoSize(w, h)) SetBounds(Left(), Top(), w, h);
  }
  Invalidate();
}

#define QV_SHOW_SETTER(Name, Field)           \
  void TQvColorPicker::Set##Name(bool Value) { \
    if (Field == Value) return;               \
    Field = Value;                            \
    ShowChanged();                            \
  }
QV_SHOW_SETTER(ShowCustomColor, FShowCustomColor)
QV_SHOW_SETTER(ShowNoColor, FShowNoColor)
QV_SHOW_SETTER(ShowDefaultColor, FShowDefaultColor)
QV_SHOW_SETTER(ShowSystemColors, FShowSystemColors)
#undef QV_SHOW_SETTER

void TQvColorPicker::SetSelColorIndex(int Index) {
  if (Index == FSelColorIndex && !(Index == -2 && FSelColorIndex == -2)) return;
  FSelColorIndex = Index;
  Invalidate();
  ColorChanged();
  if (Index == -2) Click();
}

void TQvColorPicker::SetHighlightColorIndex(int Index) {
  if (FHighlightColorIndex == Index) return;
  FHighlightColorIndex = Index;
  Invalidate();
}

void TQvColorPicker::ColorChanged() {
  if (OnChange) OnChange(this);
}

TColor TQvColorPicker::GetSelectedColor() {
  int i = FSelColorIndex;
  if (i >= 0 && i < PickerColorCount) return kTable[i].Color;
  if (i == -4) return FDefaultColor;
  if (i == -3 || i == -2) return FCustomColor;
  return clNone;
}

void TQvColorPicker::SetSelectedColor(TColor Value) {
  // A form stream names the colour before the rows it may belong to (a system
  // colour before ShowSystemColors): it is matched once all of them are read.
  if (ComponentState().Contains(csLoading)) {
    FLoadedColor = Value;
    FHasLoadedColor = true;
    return;
  }
  int index = -1;
  if (Value != clNone) {
    index = -2;
    COLORREF rgb = ColorToRGB(Value);
    if (FShowDefaultColor && rgb == ColorToRGB(FDefaultColor)) {
      index = -4;
    } else {
      bool found = false;
      if (FShowSystemColors)
        for (int i = 40; i < PickerColorCount && !found; ++i)
          if (kTable[i].Color == Value) index = i, found = true;
      for (int i = 0; i < 40 && !found; ++i)
        if (ColorToRGB(kTable[i].Color) == rgb) index = i, found = true;
      if (!found) FCustomColor = static_cast<TColor>(rgb);
    }
  }
  SetSelColorIndex(index);
}

void TQvColorPicker::PickCustomColor() {
  auto dialog = std::make_unique<TColorDialog>(nullptr);
  dialog->SetColor(GetSelectedColor());
  if (FCustomColors) dialog->SetCustomColors(FCustomColors->Colors());
  dialog->SetOptions(FColorDlgOptions);
  if (dialog->Execute()) {
    if (FCustomColors) FCustomColors->SetColors(dialog->CustomColors());
    SetCustomColor(dialog->Color());
    SetSelColorIndex(-2);
  }
}

// ---------------------------------------------------------------------------
// Mouse and hint

void TQvColorPicker::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    bool nothing;
    int index = HitTestAt(Layout(), X, Y, nothing);
    if (index == -3) {
      SetHighlightColorIndex(-6);
      Repaint();
      PickCustomColor();
    } else if (index != -5 && !nothing) {
      SetSelColorIndex(index);
    }
  }
  TQvBorder::MouseDown(Button, Shift, X, Y);
}

void TQvColorPicker::MouseMove(TShiftState Shift, int X, int Y) {
  if (FShowColorHints) DoHint(X, Y);
  bool nothing;
  int index = HitTestAt(Layout(), X, Y, nothing);
  if (Shift.Contains(ssLeft)) {
    // Dragging selects only real choices: never the gap, the empty cells or
    // the space outside every cell.
    if (index != -3 && index != -5 && !nothing) SetSelColorIndex(index);
  } else {
    SetHighlightColorIndex(nothing ? -6 : index);
  }
  TQvBorder::MouseMove(Shift, X, Y);
}

void TQvColorPicker::HideHint() {
  if (FHintWindow && FHintWindow->HandleAllocated())
    SetWindowPos(FHintWindow->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TQvColorPicker::DoHint(int X, int Y) {
  int index = HitTest(X, Y);
  TRect cr = GetClientRect();
  if (ComponentState().Contains(csDesigning) || index < 0 || !Inside(cr, X, Y) || !GetActiveWindow()) {
    HideHint();
    Invalidate();
    return;
  }
  if (!FHintWindow) {
    FHintWindow = new THintWindow(this);
    FHintWindow->FreeNotification(this);
    FHintWindow->SetColor(Application->HintColor());
  }
  const std::string& caption = kTable[index].Caption;
  FHintWindow->Font()->Assign(Font());
  TRect r = FHintWindow->CalcHintRect(Screen->Width(), caption);
  TRect cell = GetCellRect(index);
  TPoint p = ClientToScreen({cell.Left, cell.Bottom});
  p.X += 4;
  p.Y += 12;
  if (FHintWindow->Shown() && FHintWindow->Left() == p.X && FHintWindow->Top() == p.Y) return;
  OffsetRect(r, p.X, p.Y);
  FHintWindow->ActivateHint(r, caption);
}

void TQvColorPicker::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CM_FONTCHANGED:
      TQvBorder::Dispatch(M);
      Invalidate();
      break;
    case CM_MOUSEENTER:
      TQvBorder::Dispatch(M);
      if (FShowColorHints) {
        TPoint p;
        GetCursorPos(&p);
        p = ScreenToClient(p);
        DoHint(p.X, p.Y);
      }
      break;
    case CM_MOUSELEAVE:
      TQvBorder::Dispatch(M);
      SetHighlightColorIndex(-6);
      Repaint();
      HideHint();
      break;
    default: TQvBorder::Dispatch(M);
  }
}

// ---------------------------------------------------------------------------
// Painting

// A cell: the swatch is the cell less 4 pixels each side, framed one pixel
// further out. A selected cell is white with a highlight box; a hot one is a
// raised flat edge.
//
//   ##################   selected: # clHighlight box, . clWindow
//   #................#
//   #..+----------+..#   + flat frame (clBtnShadow)
//   #..|  colour  |..#
//   #..+----------+..#
//   ##################
void TQvColorPicker::PaintCell(const TRect& Cell, TColor C, bool Selected, bool Hot, bool Soft) {
  TCanvas* cv = Canvas();
  TThemeServices* t = ThemeServices();
  if (Selected) {
    cv->Brush()->SetColor(clWindow);
    cv->FillRect(Cell);
    if (t->ThemesEnabled())
      t->DrawElement(cv->Handle(), t->GetElementDetails(ttbButtonChecked), Cell);
    else
      DrawBox(cv, Cell, clHighlight);
  } else if (Hot) {
    if (t->ThemesEnabled()) {
      t->DrawElement(cv->Handle(), t->GetElementDetails(ttbButtonHot), Cell);
    } else {
      TRect r = Cell;
      DrawEdge(cv->Handle(), &r, BDR_RAISEDOUTER, BF_RECT | BF_MIDDLE | BF_FLAT | (Soft ? BF_SOFT : 0));
    }
  }
  TRect swatch = Cell;
  InflateRect(swatch, -4, -4);
  cv->Brush()->SetStyle(bsSolid);
  cv->Brush()->SetColor(C);
  cv->FillRect(swatch);
  TRect frame = swatch;
  InflateRect(frame, 1, 1);
  DrawEdge(cv->Handle(), &frame, BDR_RAISEDOUTER, BF_RECT | BF_FLAT);
}

void TQvColorPicker::PaintButtonRow(const TRect& Row, bool WithSwatch, TColor Swatch, const std::string& Caption,
                                    int Index) {
  TCanvas* cv = Canvas();
  int m = Margin();
  TRect text = Row;
  if (WithSwatch) text.Right -= m;
  bool selected = FSelColorIndex == Index;
  bool hot = !selected && FHighlightColorIndex == Index;
  cv->Font()->Assign(Font());
  SetBkMode(cv->Handle(), TRANSPARENT);
  // A hot area: the toolbar button's hot element with the caption written over it
  // when themed, like the grid cells; else a flat raised edge.
  auto hotArea = [&](TRect R, bool Middle) {
    TThemeServices* t = ThemeServices();
    if (t->ThemesEnabled()) {
      t->DrawElement(cv->Handle(), t->GetElementDetails(ttbButtonHot), R);
      DrawText(cv->Handle(), Caption.c_str(), -1, &R, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    } else {
      DrawEdge(cv->Handle(), &R, BDR_RAISEDOUTER, BF_RECT | BF_SOFT | BF_FLAT | (Middle ? BF_MIDDLE : 0));
    }
  };
  if (Index == -1) {  // the None row is marked whole
    if (selected) {
      cv->Brush()->SetColor(clWindow);
      cv->FillRect(Row);
      DrawBox(cv, Row, clHighlight);
    } else if (hot) {
      hotArea(Row, true);
    }
  } else if (Index == -4 && hot) {
    hotArea(Row, false);
  } else if (Index == -2 && FHighlightColorIndex == -3) {
    hotArea(text, false);
  }
  InflateRect(text, -3, -3);
  TRect inner = DrawBox(cv, text, FlatColor());
  cv->Brush()->SetColor(FButtonColor);
  cv->FillRect(inner);
  TRect tr = inner;
  DrawText(cv->Handle(), Caption.c_str(), -1, &tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  if (WithSwatch) {
    TRect cell{Row.Right - m, Row.Top, Row.Right, Row.Bottom};
    bool swatchHot = Index == -2 && FHighlightColorIndex == -2;
    PaintCell(cell, Swatch, selected, swatchHot, true);
  }
}

void TQvColorPicker::Paint() {
  TQvBorder::Paint();
  TCanvas* cv = Canvas();
  TLayout L = Layout();
  cv->Brush()->SetStyle(bsSolid);
  cv->Brush()->SetColor(Color());
  cv->FillRect(L.Client);
  cv->Pen()->SetWidth(1);
  cv->Pen()->SetColor(clBtnShadow);
  if (L.ColWidth <= 0 || L.RowHeight <= 0) return;
  for (int i = 0; i < 40; ++i)
    PaintCell(GetCellRect(i), kTable[i].Color, i == FSelColorIndex, i == FHighlightColorIndex, false);
  if (FShowSystemColors) {
    int y = L.GridTop + 5 * L.RowHeight + 4;
    cv->MoveTo(L.Client.Left + 3, y);
    cv->LineTo(L.Client.Right - 3, y);
    for (int i = 40; i < PickerColorCount; ++i)
      PaintCell(GetCellRect(i), kTable[i].Color, i == FSelColorIndex, i == FHighlightColorIndex, true);
  }
  if (FShowNoColor) PaintButtonRow(L.NoneRow, false, clNone, FNoColorCaption.empty() ? kNoneCaption : FNoColorCaption, -1);
  if (FShowDefaultColor)
    PaintButtonRow(L.DefaultRow, true, FDefaultColor,
                   FDefaultColorCaption.empty() ? kDefaultCaption : FDefaultColorCaption, -4);
  if (FShowCustomColor)
    PaintButtonRow(L.CustomRow, true, FCustomColor, FCustomColorCaption.empty() ? kMoreCaption : FCustomColorCaption,
                   -2);
}

// ---------------------------------------------------------------------------
// Published properties

const TClassInfo& TQvColorPicker::StaticClass() {
  using C = TQvColorPicker;
  static const TClassInfo info = [] {
    TClassBuilder<C> b("TQvColorPicker", &inherited::StaticClass());
    b.Component()
        .Int("ButtonColor", &C::ButtonColor, &C::SetButtonColor, clBtnFace, {}, &ColorIdents())
        .Str("CustomColorCaption", &C::CustomColorCaption, &C::SetCustomColorCaption)
        .Int("CustomColor", &C::CustomColor, &C::SetCustomColor, 0xFFFFFF, {}, &ColorIdents())
        .Object<TQvCustomColors>("CustomColors", &C::CustomColors, &C::SetCustomColors)
        .Set<TColorDialogOption>("ColorDlgOptions", &C::ColorDlgOptions, &C::SetColorDlgOptions,
                                 TColorDialogOptions{cdFullOpen})
        .Int("DefaultColor", &C::DefaultColor, &C::SetDefaultColor, clHighlight, {}, &ColorIdents())
        .Str("DefaultColorCaption", &C::DefaultColorCaption, &C::SetDefaultColorCaption)
        .Bool("ShowColorHints", &C::ShowColorHints, &C::SetShowColorHints, true)
        .Str("NoColorCaption", &C::NoColorCaption, &C::SetNoColorCaption)
        .Int("SelectedColor", &C::GetSelectedColor, &C::SetSelectedColor, clNone, {}, &ColorIdents())
        .Bool("ShowNoColor", &C::ShowNoColor, &C::SetShowNoColor, false)
        .Bool("ShowCustomColor", &C::ShowCustomColor, &C::SetShowCustomColor, false)
        .Bool("ShowDefaultColor", &C::ShowDefaultColor, &C::SetShowDefaultColor, false)
        .Bool("ShowSystemColors", &C::ShowSystemColors, &C::SetShowSystemColors, false)
        .Event<TNotifyEvent>("OnChange", &C::OnChange)
        .Int("BorderWidth", &C::BorderWidth, [](C* x, int64_t v) { x->SetBorderWidth(static_cast<int>(v)); }, 2)
        .Int("BorderColor", &C::BorderColor, &C::SetBorderColor, clWindow, {}, &ColorIdents())
        .Int("FlatColorAdjustment", &C::FlatColorAdjustment,
             [](C* x, int64_t v) { x->SetFlatColorAdjustment(static_cast<int>(v)); }, 0)
        .Prop(TControl::Property("Color", clWindow));
    PublishInherited(b, {"Align", "AutoSize", "Font", "ParentFont", "ParentShowHint", "ParentColor", "ShowHint",
                         "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnClick", "OnDblClick"});
    return b.Build();
  }();
  return info;
}
