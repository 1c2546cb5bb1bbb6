#include "controls/editlist/listboxes.h"

#include <algorithm>

#include "controls/common/colors.h"
#include "controls/common/dialogs.h"
#include "controls/common/gradients.h"
#include "controls/common/themes.h"
#include "controls/common/utils.h"
#include "controls/editlist/edits.h"
#include "controls/editlist/listnames.h"
#include "platform/controls/winuser.h"
#include "platform/core/filer.h"
#include "platform/core/gbk.h"
#include "platform/core/scope.h"
#include "platform/core/typinfo.h"
#include "platform/graphics/gdi.h"

namespace {

// The update count of a TStrings, read through the protected accessor.
struct TStringsUpdateAccess : TStrings {
  static int Of(const TStrings* S) {
    int (TStrings::*count)() const = &TStringsUpdateAccess::UpdateCount;
    return (S->*count)();
  }
};

// The search text without its last character (a double-byte character whole).
std::string DropLastChar(const std::string& S) {
  if (S.empty()) return S;
  size_t last = S.size() - 1;
  if (last > 0 && ByteType(S, last) == mbTrailByte) --last;
  return S.substr(0, last);
}

// Each tab as eight blanks.
std::string ExpandTabs(const std::string& S) {
  std::string out;
  for (char c : S) {
    if (c == '\t') out += "        ";
    else out += c;
  }
  return out;
}

}  // namespace

std::string TQvCustomListBox::FontKey(TFont* F) {
  return F->Name() + '/' + std::to_string(F->Height()) + '/' + std::to_string(F->Style().ToInt()) + '/' +
         std::to_string(static_cast<int>(F->Charset())) + '/' + std::to_string(static_cast<int>(F->Pitch()));
}

// ---------------------------------------------------------------------------
// Construction
// ---------------------------------------------------------------------------

TQvCustomListBox::TQvCustomListBox(TComponent* AOwner) : inherited(AOwner) {
  FMeasuredFont = FontKey(Font());
  FSearchTimer = new TTimer(nullptr);
  FSearchTimer->SetEnabled(false);
  FSearchTimer->SetInterval(IncrementalSearchResetDelay);
  FSearchTimer->OnTimer = [this](TObject* Sender) { SearchTimerExpired(Sender); };
  FGroupFont = new TFont;
  FGroupFont->Assign(Font());
  FGroupFont->SetStyle(FGroupFont->Style() + TFontStyles{fsBold});
  FGroupFont->SetColor(clHighlight);
  FGroupFont->OnChange = [this](TObject*) {
    FGroupFontStored = true;
    GroupFontChanged();
    Invalidate();
  };
  FFrameCanvas = new TControlCanvas;
  FFrameCanvas->SetControl(this);
  FNormalColor = Color();
}

TQvCustomListBox::~TQvCustomListBox() {
  SetFrameController(nullptr);
  delete FHintWindow;
  delete FFrameCanvas;
  delete FGroupFont;
  delete FSearchTimer;
}

bool TQvCustomListBox::ItemsUpdating() { return TStringsUpdateAccess::Of(Items()) > 0; }

void TQvCustomListBox::InvalidKeyPressed() {
  if (FBeepOnInvalidKey) MessageBeep(0);
}

// ---------------------------------------------------------------------------
// Items
// ---------------------------------------------------------------------------

void TQvCustomListBox::Delete(int Index) {
  int old = ItemIndex();
  Items()->Delete(Index);
  if (Items()->Count() > 0 && old != -1) {
    if (old == Items()->Count()) --old;
    SetItemIndex(old);
  }
  Click();
}

std::string TQvCustomListBox::SelectedItem() {
  if (MultiSelect() && SelCount() == 0) return "";
  int i = ItemIndex();
  if (i == -1) return "";
  return Items()->Strings(i);
}

bool TQvCustomListBox::FindItem(const std::string& S) {
  int i = Items()->IndexOf(S);
  if (i != -1) SetItemIndex(i);
  return i != -1;
}

void TQvCustomListBox::SelectAll() {
  if (MultiSelect()) Perform(LB_SETSEL, 1, -1);
}

void TQvCustomListBox::UnselectAll() {
  if (MultiSelect()) Perform(LB_SETSEL, 0, -1);
}

void TQvCustomListBox::DeleteSelectedItems() {
  if (Screen) Screen->SetCursor(crHourGlass);
  TOnExit cursor([] {
    if (Screen) Screen->SetCursor(crDefault);
  });
  {
    Items()->BeginUpdate();
    TOnExit done([this] { Items()->EndUpdate(); });
    for (int i = Items()->Count() - 1; i >= 0; --i)
      if (Selected(i)) Items()->Delete(i);
  }
  DoDeleteItems();
}

void TQvCustomListBox::Match() {
  if (OnMatch) OnMatch(this);
}

void TQvCustomListBox::DoDeleteItems() {
  if (OnDeleteItems) OnDeleteItems(this);
}

// ---------------------------------------------------------------------------
// Groups
// ---------------------------------------------------------------------------

bool TQvCustomListBox::GetItemIsGroup(int Index) {
  if (Index < 0 || Index >= Items()->Count()) return false;
  return Items()->Strings(Index).compare(0, FGroupPrefix.size(), FGroupPrefix) == 0;
}

int TQvCustomListBox::AddGroup(const std::string& S) { return Items()->Add(FGroupPrefix + S); }

int TQvCustomListBox::ItemIndexOfGroup(int GroupIndex) {
  int n = Items()->Count();
  if (n == 0 || GroupIndex < 0 || GroupIndex >= n) return -1;
  int seen = -1;
  for (int i = 0; i < n; ++i)
    if (GetItemIsGroup(i) && ++seen == GroupIndex) return i;
  return -1;
}

int TQvCustomListBox::ItemsInGroup(int GroupIndex) {
  int header = ItemIndexOfGroup(GroupIndex);
  if (header < 0) return 0;
  int n = Items()->Count(), count = 0;
  for (int i = header + 1; i < n && !GetItemIsGroup(i); ++i) ++count;
  return count;
}

int TQvCustomListBox::InsertItemIntoGroup(int GroupIndex, int Position, const std::string& S) {
  int header = ItemIndexOfGroup(GroupIndex);
  if (header < 0 || Position < 0 || Position > ItemsInGroup(GroupIndex)) return -1;
  int at = header + 1 + Position;
  Items()->Insert(at, S);
  return at;
}

int TQvCustomListBox::AddItemToGroup(int GroupIndex, const std::string& S) {
  return InsertItemIntoGroup(GroupIndex, ItemsInGroup(GroupIndex), S);
}

std::string TQvCustomListBox::ItemCaption(int Index) {
  if (Index < 0 || Index >= Items()->Count()) return "";
  std::string s = Items()->Strings(Index);
  if (GetItemIsGroup(Index)) s.erase(0, FGroupPrefix.size());
  return s;
}

void TQvCustomListBox::ItemToGroup(int Index) {
  if (Index < 0 || Index >= Items()->Count() || GetItemIsGroup(Index)) return;
  bool selected = Selected(Index);
  Items()->SetStrings(Index, FGroupPrefix + Items()->Strings(Index));
  if (selected) SetSelected(Index, true);
}

void TQvCustomListBox::GroupToItem(int Index) {
  if (!GetItemIsGroup(Index)) return;
  bool selected = Selected(Index);
  Items()->SetStrings(Index, Items()->Strings(Index).substr(FGroupPrefix.size()));
  if (selected) SetSelected(Index, true);
}

int TQvCustomListBox::ItemGroupIndex(int Index) {
  if (Index < 0) return -1;
  for (int i = std::min(Index, Items()->Count() - 1); i >= 0; --i)
    if (GetItemIsGroup(i)) return i;
  return -1;
}

bool TQvCustomListBox::ItemInsideGroup(int Index) { return ItemGroupIndex(Index) != -1; }

int TQvCustomListBox::GroupIndexOfItem(int Index) {
  if (!GetItemIsGroup(Index)) return -1;
  int count = 0;
  for (int i = 0; i < Index; ++i)
    if (GetItemIsGroup(i)) ++count;
  return count;
}

// ---------------------------------------------------------------------------
// Property setters
// ---------------------------------------------------------------------------

void TQvCustomListBox::SetHorzExtent(uint16_t Value) {
  if (Value == FHorzExtent) return;
  FHorzExtent = Value;
  Perform(LB_SETHORIZONTALEXTENT, FHorzExtent, 0);
}

void TQvCustomListBox::SetHorzScrollBar(bool Value) {
  if (Value == FHorzScrollBar) return;
  FHorzScrollBar = Value;
  RecreateWnd();
  if (!Loading()) MeasureHorzExtent();
}

void TQvCustomListBox::SetOwnerDrawIndent(int Value) {
  if (Value == FOwnerDrawIndent) return;
  FOwnerDrawIndent = Value;
  Invalidate();
}

void TQvCustomListBox::SetUseGradients(bool Value) {
  if (Value == FUseGradients) return;
  FUseGradients = Value;
  Invalidate();
}

void TQvCustomListBox::SetGroupColor(TColor Value) {
  if (Value == FGroupColor) return;
  FGroupColor = Value;
  Invalidate();
}

void TQvCustomListBox::SetGroupFont(TFont* Value) { FGroupFont->Assign(Value); }

void TQvCustomListBox::SetGroupPrefix(const std::string& Value) {
  if (Value == FGroupPrefix) return;
  FGroupPrefix = Value;
  Invalidate();
}

void TQvCustomListBox::SetShowGroups(bool Value) {
  if (Value == FShowGroups) return;
  FShowGroups = Value;
  if (Value) {
    if (!(FRead & rdStyle)) SetStyle(lbOwnerDrawFixed);
    if (!(FRead & rdItemHeight)) UpdateItemHeight();
  }
  Invalidate();
}

void TQvCustomListBox::UpdateItemHeight() {
  if (FRead & rdItemHeight) return;  // a height the stream being read gives stays
  SetItemHeight(std::max(GetMinFontHeight(Font()), ItemHeight()));
}

int TQvCustomListBox::OwnerDrawItemIndent() { return FOwnerDrawIndent; }

// ---------------------------------------------------------------------------
// Colours and frame
// ---------------------------------------------------------------------------

void TQvCustomListBox::RepaintFrame() { RepaintWindowFrame(this, BoundsRect()); }

void TQvCustomListBox::ColorChanged(TMessage& M) {
  inherited::Dispatch(M);
  FollowOutsideColor(M.Msg == CM_PARENTCOLORCHANGED);
  if (FFrameVisible && !UseThemes()) RepaintFrame();
}

void TQvCustomListBox::WMNCPaint(TMessage& M) {
  inherited::Dispatch(M);
  if (!FFrameVisible || UseThemes() || !HandleAllocated()) return;
  HDC dc = GetWindowDC(Handle());
  if (!dc) return;
  FFrameCanvas->SetHandle(dc);
  TOnExit release([&] {
    FFrameCanvas->SetHandle(nullptr);
    ReleaseDC(Handle(), dc);
  });
  DrawWindowFrame(FFrameCanvas);
  M.Result = 0;
}

// ---------------------------------------------------------------------------
// Window
// ---------------------------------------------------------------------------

void TQvCustomListBox::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  if (FHorzScrollBar) Params.Style |= WS_HSCROLL;
  else Params.Style &= ~static_cast<DWORD>(WS_HSCROLL);
}

void TQvCustomListBox::CreateWnd() {
  inherited::CreateWnd();
  Perform(LB_SETHORIZONTALEXTENT, FHorzExtent, 0);
}

void TQvCustomListBox::Loaded() {
  inherited::Loaded();
  FRead = 0;
  MeasureHorzExtent();
  FNormalColor = Color();
  UpdateColors();
  UpdateFrame(false, false);
}

void TQvCustomListBox::Resize() {
  inherited::Resize();
  if (FUseGradients) Invalidate();
}

void TQvCustomListBox::AdjustHorzExtent() {
  HDC dc = GetDC(nullptr);
  if (!dc) return;
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  int widest = 0;
  for (int i = 0, n = Items()->Count(); i < n; ++i) {
    std::string s = Items()->Strings(i) + "x";
    TSize size;
    GetTextExtentPoint32(dc, s.c_str(), static_cast<int>(s.size()), &size);
    widest = std::max(widest, size.cx);
  }
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  SetHorzExtent(static_cast<uint16_t>(std::clamp(widest, 0, 0xFFFF)));
}

void TQvCustomListBox::MeasureHorzExtent() {
  if (!FHorzScrollBar) return;
  if (ItemsUpdating()) FExtentStale = true;
  else AdjustHorzExtent();
}

void TQvCustomListBox::ItemsChanged(UINT) { MeasureHorzExtent(); }

// Items added, inserted or deleted inside the block were not measured one by one:
// they are measured once here, as they would have been outside a block.
void TQvCustomListBox::ItemsUpdateEnded() {
  inherited::ItemsUpdateEnded();
  if (!FExtentStale) return;
  FExtentStale = false;
  if (!Loading()) MeasureHorzExtent();  // a form being read measures in Loaded
}

void TQvCustomListBox::WndProc(TMessage& M) {
  inherited::WndProc(M);
  switch (M.Msg) {
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
    case LB_DELETESTRING:
    case LB_RESETCONTENT:
      ItemsChanged(M.Msg);
      break;
    default:
      break;
  }
}

void TQvCustomListBox::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_CHAR:
      if (FIncrementalSearch) WMChar(M);
      else inherited::Dispatch(M);
      return;
    case WM_LBUTTONDOWN:
      FSearchText.clear();
      inherited::Dispatch(M);
      return;
    case WM_KEYDOWN:
      switch (M.WParam) {
        case VK_ESCAPE: case VK_PRIOR: case VK_NEXT: case VK_END: case VK_HOME:
        case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN:
          FSearchText.clear();
          break;
        default:
          break;
      }
      inherited::Dispatch(M);
      return;
    case WM_MOUSEMOVE:
      inherited::Dispatch(M);
      if (FShowItemHints) ShowItemHint(LParamToPoint(M.LParam));
      return;
    case WM_NCPAINT:
      WMNCPaint(M);
      return;
    case WM_SIZE:
      inherited::Dispatch(M);
      if (FFrameVisible && !UseThemes()) RepaintFrame();
      return;
    case CN_DRAWITEM:
      CNDrawItem(M);
      return;
    case CM_COLORCHANGED:
    case CM_PARENTCOLORCHANGED:
      ColorChanged(M);
      return;
    case CM_ENTER:
      UpdateFrame(false, true);
      inherited::Dispatch(M);
      return;
    case CM_EXIT:
      inherited::Dispatch(M);
      UpdateFrame(false, false);
      return;
    case CM_MOUSEENTER:
      inherited::Dispatch(M);
      if (M.LParam != 0) return;
      if (OnMouseEnter) OnMouseEnter(this);
      UpdateFrame(true, true);
      if (FShowItemHints && HandleAllocated()) ShowItemHint(ScreenToClient(Mouse->CursorPos()));
      return;
    case CM_MOUSELEAVE:
      inherited::Dispatch(M);
      if (M.LParam != 0) return;
      if (OnMouseLeave) OnMouseLeave(this);
      UpdateFrame(true, false);
      ReleaseItemHint();
      return;
    case CM_ENABLEDCHANGED:
      inherited::Dispatch(M);
      UpdateColors();
      return;
    case CM_FONTCHANGED: {
      inherited::Dispatch(M);
      // The parent's font comes again, unchanged, after a form is read: the item
      // height read is measured again only for another font.
      std::string font = FontKey(Font());
      FFontChanged = font != FMeasuredFont;
      FMeasuredFont = font;
      if (FShowGroups && FFontChanged) UpdateItemHeight();
      MeasureHorzExtent();
      return;
    }
    default:
      inherited::Dispatch(M);
  }
}

// ---------------------------------------------------------------------------
// Incremental search
// ---------------------------------------------------------------------------

void TQvCustomListBox::WMChar(TMessage& M) {
  std::string copy = FSearchText;
  unsigned char ch = static_cast<unsigned char>(M.WParam & 0xFF);
  switch (ch) {
    case 8:
      if (!copy.empty()) {
        copy = DropLastChar(copy);
        if (copy.empty()) {
          SetItemIndex(0);
          Click();
          FSearchText.clear();
          DoKeyPress(M);
          return;
        }
      } else {
        InvalidKeyPressed();
      }
      SelectClosestMatch(copy, M);
      return;
    case 13:
      if (FTabOnEnter) PostMessage(Handle(), WM_KEYDOWN, VK_TAB, 0);
      else DoKeyPress(M);
      return;
    case 27:
      SetItemIndex(-1);
      return;
    default:
      break;
  }
  if (ch < 32) return;
  if (ch == ' ' && MultiSelect() && !ExtendedSelect()) return;
  FKeyInProgress = true;
  TOnExit done([this] { FKeyInProgress = false; });
  copy += static_cast<char>(ch);
  SelectClosestMatch(copy, M);
  FSearchTimer->SetEnabled(false);
  FSearchTimer->SetInterval(IncrementalSearchResetDelay);
  FSearchTimer->SetEnabled(true);
}

int TQvCustomListBox::FindClosest(const std::string& S) {
  return static_cast<int>(Perform(LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(S.c_str())));
}

void TQvCustomListBox::SelectClosestMatch(const std::string& Copy, TMessage& M) {
  int old = ItemIndex();
  int index = FindClosest(Copy);
  if (index == -1) {
    InvalidKeyPressed();
    return;
  }
  if (MultiSelect()) {
    if (old >= 0 && old < Items()->Count()) SetSelected(old, false);
    SetSelected(index, true);
    Perform(LB_SETCARETINDEX, static_cast<WPARAM>(index), 0);
  } else {
    SetItemIndex(index);
  }
  FSearchText = Copy;
  DoKeyPress(M);
  Match();
}

void TQvCustomListBox::SearchTimerExpired(TObject*) {
  if (FKeyInProgress) return;
  FSearchText.clear();
  FSearchTimer->SetEnabled(false);
}

// ---------------------------------------------------------------------------
// Owner drawing
// ---------------------------------------------------------------------------

void TQvCustomListBox::CNDrawItem(TMessage& M) {
  auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(M.LParam);
  if (!d) return;
  TOwnerDrawState state = TOwnerDrawState::FromInt(d->itemState & 0x1FFF);
  int index = static_cast<int>(d->itemID);
  bool group = FShowGroups && index >= 0 && GetItemIsGroup(index);
  TRect r = d->rcItem;
  TCanvas* c = Canvas();
  c->SetHandle(d->hDC);
  TOnExit release([c] { c->SetHandle(nullptr); });
  c->Font()->Assign(Font());
  c->Brush()->Assign(Brush());
  if (!group) {
    int indent = OwnerDrawItemIndent();
    if (indent > 0) {
      // The indent's strip shows the control's colour (a descendant draws in it);
      // it lies at the right edge under right-to-left alignment.
      TRect strip(r.Left, r.Top, r.Left + indent, r.Bottom);
      if (UseRightToLeftAlignment()) strip = TRect(r.Right - indent, r.Top, r.Right, r.Bottom);
      c->FillRect(strip);
      if (UseRightToLeftAlignment()) r.Right -= indent;
      else r.Left += indent;
    }
  }
  if (index >= 0) {
    if (state.Contains(odSelected)) {
      c->Brush()->SetColor(clHighlight);
      c->Font()->SetColor(clHighlightText);
    }
    if (group) DrawGroup(index, r, state);
    else DrawItem(index, r, state);
  } else {
    c->FillRect(r);
  }
  if (state.Contains(odFocused)) ::DrawFocusRect(d->hDC, &r);
  M.Result = 1;
}

void TQvCustomListBox::DrawItem(int Index, TRect Rect, TOwnerDrawState State) { DrawListItem(Index, Rect, State); }

void TQvCustomListBox::DrawListItem(int Index, TRect Rect, TOwnerDrawState State) {
  if (OnDrawItem) OnDrawItem(this, Index, Rect, State);
  else DefaultDrawItem(Index, Rect, State);
}

void TQvCustomListBox::DefaultDrawItem(int Index, TRect Rect, TOwnerDrawState) {
  TCanvas* c = Canvas();
  c->FillRect(Rect);
  if (Index >= Items()->Count()) return;
  std::string text = Items()->Strings(Index);
  DrawItemText(text, Rect);
}

void TQvCustomListBox::DrawItemText(const std::string& Text, TRect R) {
  // 2 pixels in from the side the text starts on.
  if (UseRightToLeftAlignment()) R.Right -= 2;
  else R.Left += 2;
  ::DrawText(Canvas()->Handle(), Text.c_str(), static_cast<int>(Text.size()), &R,
             DrawTextBiDiModeFlags(DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX));
}

void TQvCustomListBox::DrawGroup(int Index, TRect Rect, TOwnerDrawState State) {
  TCanvas* c = Canvas();
  c->Font()->Assign(FGroupFont);
  TColor back = FGroupColor;
  if (ThemeServices()->ThemesEnabled()) {
    c->Font()->SetColor(GetXPThemeColor(xptcListGroupFont));
    back = GetXPThemeColor(xptcListGroupFill);
  }
  if (State.Contains(odSelected)) {
    c->Font()->SetColor(clHighlightText);
    c->Brush()->SetColor(clHighlight);
    c->FillRect(Rect);
  } else if (!FUseGradients || !FullColorSupported) {
    c->Brush()->SetColor(back);
    c->FillRect(Rect);
  } else {
    if (UseRightToLeftAlignment()) PaintGradient(c, Rect, gdVerticalEnd, Color(), back, 1);
    else PaintGradient(c, Rect, gdVerticalEnd, back, Color(), 1);
  }
  c->Brush()->SetStyle(bsClear);
  HDC dc = c->Handle();
  int saved = SaveDC(dc);
  IntersectClipRect(dc, Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
  DrawItemText(ItemCaption(Index), Rect);
  RestoreDC(dc, saved);
  c->Refresh();
  c->Brush()->SetStyle(bsSolid);
}

// ---------------------------------------------------------------------------
// Item hints
// ---------------------------------------------------------------------------

void TQvCustomListBox::ShowItemHint(TPoint P) {
  if (!FShowItemHints || !HandleAllocated()) return;
  int index = ItemAtPos(P, true);
  TCanvas* c = Canvas();
  c->Font()->Assign(Font());
  std::string caption = ItemCaption(index);
  bool designing = ComponentState().Contains(csDesigning);
  const int indent = OwnerDrawItemIndent();  // a check list's is its glyph's width
  if (designing || index < 0 || c->TextWidth(caption) + 2 <= ClientWidth() - indent ||
      !Application->ShowHint()) {
    ReleaseItemHint();
    return;
  }
  if (!FHintWindow) {
    FHintWindow = new THintWindow(nullptr);
    FHintWindow->SetColor(Application->HintColor());
  }
  caption = ExpandTabs(caption);
  FHintWindow->Font()->Assign(Font());
  TRect hint = FHintWindow->CalcHintRect(Screen ? Screen->Width() : 1024, caption);
  TRect item = ItemRect(index);
  TPoint origin = ClientToScreen(TPoint(item.Left, item.Top));
  int left = origin.X + indent - 1;
  int top = origin.Y + (item.Height() - hint.Height()) / 2 - 2;
  if (FHintWindow->Shown() && FHintWindow->Left() == left && FHintWindow->Top() == top) return;
  FHintWindow->ActivateHint(TRect(left, top, left + hint.Width(), top + hint.Height()), caption);
}

void TQvCustomListBox::ReleaseItemHint() {
  if (FHintWindow) FHintWindow->ReleaseHandle();
}

// ---------------------------------------------------------------------------
// Form streams
// ---------------------------------------------------------------------------

const TClassInfo& TQvCustomListBox::StaticClass() {
  static const TClassInfo info = TClassBuilder<TQvCustomListBox>("TQvCustomListBox", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TQvListBox::StaticClass() {
  static const TClassInfo info = [] {
    TClassBuilder<TQvListBox> b("TQvListBox", &inherited::StaticClass());
    b.Component();
    PublishFramedListBox(b, true);
    PublishListBoxNames(b);
    return b.Build();
  }();
  return info;
}
