#include "controls/editlist/tabbedlist.h"

#include <algorithm>
#include <cmath>

#include "controls/common/colors.h"
#include "controls/common/gradients.h"
#include "controls/common/utils.h"
#include "controls/editlist/listnames.h"
#include "platform/core/scope.h"
#include "platform/controls/winuser.h"
#include "platform/graphics/gdi.h"
#include "platform/stdctrls/header.h"

DTU_DEFINE_ENUM(TQvTabStopsMode, "tsmManual", "tsmAutomatic")

namespace {
constexpr int MaxTabs = 1000;
const char* const kRowError = "Row parameter out of range";
const char* const kColumnError = "Column parameter out of range";
}  // namespace

// ---------------------------------------------------------------------------
// TQvTabStopList
// ---------------------------------------------------------------------------

TQvTabStopList::TQvTabStopList() {
  SetMax(2147483647);
  SetMin(-2147483647);
}

void TQvTabStopList::SetItem(int Index, int32_t Value) {
  inherited::SetItem(Index, Value);
  if (Owner) Owner->UpdateTabStops();
}

void TQvTabStopList::Delete(int Index) {
  inherited::Delete(Index);
  if (Owner) Owner->UpdateTabStops();
}

void TQvTabStopList::Insert(int Index, int32_t Value) {
  inherited::Insert(Index, Value);
  if (Owner) Owner->UpdateTabStops();
}

int TQvTabStopList::Add(int32_t Value) {
  int i = inherited::Add(Value);
  if (Owner) Owner->UpdateTabStops();
  return i;
}

// ---------------------------------------------------------------------------
// TQvCustomTabbedListBox
// ---------------------------------------------------------------------------

TQvCustomTabbedListBox::TQvCustomTabbedListBox(TComponent* AOwner) : TQvCustomListBox(AOwner) {
  FTabStops = new TQvTabStopList;
  FTabStops->Owner = this;
  SetShowItemHints(false);
}

TQvCustomTabbedListBox::~TQvCustomTabbedListBox() {
  FTabStops->Owner = nullptr;
  delete FTabStops;
}

bool TQvCustomTabbedListBox::Automatic() {
  return FTabStopsMode == tsmAutomatic && !Loading() && !ComponentState().Contains(csDestroying);
}

void TQvCustomTabbedListBox::MeasureTabStops() {
  if (!Automatic()) return;
  if (ItemsUpdating()) FTabsStale = true;
  else AdjustTabStops();
}

void TQvCustomTabbedListBox::SetTabStops(TQvTabStopList* Value) {
  FTabStops->Assign(Value);
  UpdateTabStops();
}

void TQvCustomTabbedListBox::SetTabStopsMode(TQvTabStopsMode Value) {
  if (Value == FTabStopsMode) return;
  FTabStopsMode = Value;
  MeasureTabStops();
}

void TQvCustomTabbedListBox::GetTabArray(int& Count, std::vector<int>& Tabs) {
  Count = std::min(FTabStops->Count(), MaxTabs);
  Tabs.resize(static_cast<size_t>(Count));
  for (int i = 0; i < Count; ++i) Tabs[static_cast<size_t>(i)] = (*FTabStops)[i] * 4;
}

void TQvCustomTabbedListBox::UpdateTabStops() {
  int count = 0;
  std::vector<int> tabs;
  GetTabArray(count, tabs);
  if (count > 0) Perform(LB_SETTABSTOPS, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(tabs.data()));
  else Perform(LB_SETTABSTOPS, 0, 0);
  Invalidate();
}

void TQvCustomTabbedListBox::AdjustTabStops() {
  if (Loading() || ComponentState().Contains(csDestroying)) return;
  FTabStops->Clear();
  int n = Items()->Count();
  std::vector<std::string> rest(static_cast<size_t>(n));
  std::vector<bool> group(static_cast<size_t>(n));
  int columns = 0;
  for (int i = 0; i < n; ++i) {
    rest[static_cast<size_t>(i)] = Items()->Strings(i);
    group[static_cast<size_t>(i)] = GetItemIsGroup(i);
    columns = std::max(columns, CountChar('\t', rest[static_cast<size_t>(i)]));
  }
  // Cells are measured in memory: the widths do not depend on a window.
  TBitmap measure;
  TCanvas* c = measure.Canvas();
  int previous = 0;
  for (int col = 0; col < columns; ++col) {
    int width = 0;
    for (int i = 0; i < n; ++i) {
      std::string& s = rest[static_cast<size_t>(i)];
      size_t tab = s.find('\t');
      std::string cell = s.substr(0, tab);
      s = tab == std::string::npos ? std::string() : s.substr(tab + 1);
      int w;
      if (group[static_cast<size_t>(i)]) {
        c->Font()->Assign(GroupFont());
        if (col == 0) cell.erase(0, std::min(cell.size(), GroupPrefix().size()));
        w = c->TextWidth(cell);
      } else {
        c->Font()->Assign(Font());
        w = c->TextWidth(cell) + (col == 0 ? InitialTabStopOffset() : 0);
      }
      width = std::max(width, w);
    }
    previous = width / std::max(1, FAvgCharWidth) + previous + 4;
    FTabStops->Add(previous);
  }
  if (FTabStops->Count() == 0) UpdateTabStops();
}

std::string TQvCustomTabbedListBox::GetCellText(int Col, int Row) {
  if (Row < 0 || Row >= Items()->Count()) throw EListError(kRowError);
  if (Col < 0) throw EListError(kColumnError);
  std::string s = Items()->Strings(Row);
  for (int i = 0; i < Col; ++i) {
    size_t tab = s.find('\t');
    if (tab == std::string::npos) throw EListError(kColumnError);
    s.erase(0, tab + 1);
  }
  return s.substr(0, s.find('\t'));
}

void TQvCustomTabbedListBox::SetCellText(int Col, int Row, const std::string& Value) {
  if (Row < 0 || Row >= Items()->Count()) throw EListError(kRowError);
  if (Col < 0) throw EListError(kColumnError);
  std::string s = Items()->Strings(Row);
  size_t start = 0;
  for (int i = 0; i < Col; ++i) {
    size_t tab = s.find('\t', start);
    if (tab == std::string::npos) throw EListError(kColumnError);
    start = tab + 1;
  }
  size_t end = s.find('\t', start);
  s.replace(start, end == std::string::npos ? std::string::npos : end - start, Value);
  Items()->SetStrings(Row, s);
}

void TQvCustomTabbedListBox::UpdateFromHeader(TControl* Header) {
  int avg = std::max(1, FAvgCharWidth);
  int w = 0;
  if (auto* h = dynamic_cast<THeader*>(Header)) {
    int last = std::min(h->SectionCount() - 2, FTabStops->Count() - 1);
    for (int i = 0; i <= last; ++i) {
      w += h->SectionWidth(i);
      if ((*FTabStops)[i] < 0) FTabStops->SetItem(i, 1 - (h->SectionWidth(i + 1) + w) / avg);
      else FTabStops->SetItem(i, w / avg + 1);
    }
  } else if (auto* hc = dynamic_cast<THeaderControl*>(Header)) {
    THeaderSections* sections = hc->Sections();
    int last = std::min(sections->Count() - 1, FTabStops->Count() - 1);
    for (int i = 0; i <= last; ++i) {
      w += sections->Items(i)->Width();
      if ((*FTabStops)[i] >= 0) FTabStops->SetItem(i, w / avg + 1);
      else if (i == sections->Count() - 1) FTabStops->SetItem(i, 1 - Width() / avg);
      else FTabStops->SetItem(i, 1 - (sections->Items(i + 1)->Width() + w) / avg);
    }
  } else {
    throw EHeaderError(
        "Only THeader and THeaderControl components can be passed to TQvCustomTabbedListBox.UpdateFromHeader");
  }
}

DWORD TQvCustomTabbedListBox::ListBoxStyleBits() const { return inherited::ListBoxStyleBits() | LBS_USETABSTOPS; }

void TQvCustomTabbedListBox::CreateWnd() {
  inherited::CreateWnd();
  UpdateTabStops();
}

void TQvCustomTabbedListBox::Loaded() {
  inherited::Loaded();
  MeasureTabStops();
  UpdateTabStops();
}

// The stops first: the extent measures the items at the stops they now have.
void TQvCustomTabbedListBox::ItemsChanged(UINT Msg) {
  if (Msg != LB_RESETCONTENT) MeasureTabStops();
  inherited::ItemsChanged(Msg);
}

void TQvCustomTabbedListBox::ItemsUpdateEnded() {
  if (FTabsStale) {
    FTabsStale = false;
    MeasureTabStops();
  }
  inherited::ItemsUpdateEnded();
}

void TQvCustomTabbedListBox::Dispatch(TMessage& M) {
  if (M.Msg != CM_FONTCHANGED) return inherited::Dispatch(M);
  inherited::Dispatch(M);
  FAvgCharWidth = GetAvgCharWidth(Font());
  MeasureTabStops();
}

void TQvCustomTabbedListBox::GroupFontChanged() {
  MeasureTabStops();
}

std::vector<int> TQvCustomTabbedListBox::PixelTabs() {
  int count = 0;
  std::vector<int> tabs;
  GetTabArray(count, tabs);
  // Rounded to the nearest pixel, halves to the even neighbour.
  for (int& t : tabs) t = static_cast<int>(std::nearbyint(static_cast<double>(t) * FAvgCharWidth / 4.0));
  return tabs;
}

void TQvCustomTabbedListBox::DrawTabbedText(const TRect& Rect, const std::string& Text) {
  TCanvas* c = Canvas();
  int offset = (ItemHeight() - c->TextHeight("Pp")) / 2;
  std::vector<int> tabs = PixelTabs();
  // Right to left the line ends 2 pixels in from the right edge and reads right to left.
  const bool rtl = UseRightToLeftAlignment();
  unsigned align = GetTextAlign(c->Handle());
  if (rtl) SetTextAlign(c->Handle(), TA_RIGHT | TA_RTLREADING);
  TabbedTextOut(c->Handle(), rtl ? Rect.Right - 2 : Rect.Left + 2, Rect.Top + offset, Text.c_str(),
                static_cast<int>(Text.size()), static_cast<int>(tabs.size()), tabs.data(), 0);
  if (rtl) SetTextAlign(c->Handle(), align);
}

void TQvCustomTabbedListBox::DefaultDrawItem(int Index, TRect Rect, TOwnerDrawState) {
  TCanvas* c = Canvas();
  c->FillRect(Rect);
  if (Index >= Items()->Count()) return;
  HDC dc = c->Handle();
  int saved = SaveDC(dc);
  IntersectClipRect(dc, Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
  DrawTabbedText(Rect, Items()->Strings(Index));
  RestoreDC(dc, saved);
  c->Refresh();
}

void TQvCustomTabbedListBox::DrawGroup(int Index, TRect Rect, TOwnerDrawState State) {
  TCanvas* c = Canvas();
  c->Font()->Assign(GroupFont());
  if (State.Contains(odSelected)) {
    c->Font()->SetColor(clHighlightText);
    c->Brush()->SetColor(clHighlight);
    c->FillRect(Rect);
  } else if (!UseGradients() || !FullColorSupported) {
    c->Brush()->SetColor(GroupColor());
    c->FillRect(Rect);
  } else {
    if (UseRightToLeftAlignment()) PaintGradient(c, Rect, gdVerticalEnd, Color(), GroupColor(), 1);
    else PaintGradient(c, Rect, gdVerticalEnd, GroupColor(), Color(), 1);
  }
  c->Brush()->SetStyle(bsClear);
  HDC dc = c->Handle();
  int saved = SaveDC(dc);
  IntersectClipRect(dc, Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
  DrawTabbedText(Rect, ItemCaption(Index));
  RestoreDC(dc, saved);
  c->Refresh();
  c->Brush()->SetStyle(bsSolid);
}

void TQvCustomTabbedListBox::AdjustHorzExtent() {
  int count = std::min(FTabStops->Count(), MaxTabs);
  std::vector<int> tabs(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) tabs[static_cast<size_t>(i)] = (*FTabStops)[i] * FAvgCharWidth;
  HDC dc = GetDC(nullptr);
  if (!dc) return;
  HGDIOBJ old = SelectObject(dc, Font()->Handle());
  int widest = 0;
  for (int i = 0, n = Items()->Count(); i < n; ++i) {
    std::string s = Items()->Strings(i) + "x";
    uint32_t ext = GetTabbedTextExtent(dc, s.c_str(), static_cast<int>(s.size()), count, tabs.data());
    widest = std::max(widest, static_cast<int>(ext & 0xFFFF));
  }
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  SetHorzExtent(static_cast<uint16_t>(std::clamp(OwnerDrawItemIndent() + widest, 0, 0xFFFF)));
}

const TClassInfo& TQvTabStopList::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TQvTabStopList>("TQvTabStopList", &inherited::StaticClass()).Creatable().Build();
  return info;
}

const TClassInfo& TQvCustomTabbedListBox::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TQvCustomTabbedListBox>("TQvCustomTabbedListBox", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TQvTabbedListBox::StaticClass() {
  static const TClassInfo info = [] {
    TClassBuilder<TQvTabbedListBox> b("TQvTabbedListBox", &inherited::StaticClass());
    b.Component();
    PublishTabbedListBox(b);
    PublishListBoxNames(b);
    return b.Build();
  }();
  return info;
}
