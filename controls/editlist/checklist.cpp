#include "controls/editlist/checklist.h"

#include <algorithm>

#include "controls/common/glyphs.h"
#include "controls/common/themes.h"
#include "controls/common/utils.h"
#include "controls/editlist/listnames.h"
#include "platform/controls/winuser.h"
#include "platform/core/filer.h"
#include "platform/core/scope.h"
#include "platform/core/sysutils.h"
#include "platform/graphics/gdi.h"

namespace {
const char* const kListIndexError = "List index out of bounds (%d)";

[[noreturn]] void BadState(const std::string& Text) {
  throw EConvertError("'" + Text + "' is not a valid integer value");
}
}  // namespace

// ---------------------------------------------------------------------------
// TPacketStringList
// ---------------------------------------------------------------------------

int TPacketStringList::AddObject(const std::string& S, TObject* AObject) {
  int i = inherited::AddObject(S, AObject);
  FPackets.insert(FPackets.begin() + i, TPacket{});
  return i;
}

void TPacketStringList::Clear() {
  inherited::Clear();
  FPackets.clear();
}

void TPacketStringList::Delete(int Index) {
  inherited::Delete(Index);
  FPackets.erase(FPackets.begin() + Index);
}

void TPacketStringList::AddStrings(TStrings* Strings) {
  auto* items = dynamic_cast<TQvCheckListStrings*>(Strings);
  if (!items) return inherited::AddStrings(Strings);
  BeginUpdate();
  TOnExit done([this] { EndUpdate(); });
  for (int i = 0, n = items->Count(); i < n; ++i) {
    int at = AddObject(items->Strings(i), items->Objects(i));
    FPackets[static_cast<size_t>(at)] = items->Packet(i);
  }
}

// ---------------------------------------------------------------------------
// TQvCheckListStrings
// ---------------------------------------------------------------------------

LRESULT TQvCheckListStrings::Send(UINT Msg, WPARAM W, LPARAM L) const {
  return FCheckList ? FCheckList->Perform(Msg, W, L) : LB_ERR;
}

TPacket& TQvCheckListStrings::Packet(int Index) {
  if (Index < 0 || Index >= static_cast<int>(FPackets.size())) Error(kListIndexError, Index);
  return FPackets[static_cast<size_t>(Index)];
}

const TPacket& TQvCheckListStrings::Packet(int Index) const {
  if (Index < 0 || Index >= static_cast<int>(FPackets.size())) Error(kListIndexError, Index);
  return FPackets[static_cast<size_t>(Index)];
}

int TQvCheckListStrings::GetCount() const { return FCheckList ? static_cast<int>(Send(LB_GETCOUNT, 0, 0)) : -1; }

// The length first: an item of any length comes back whole.
std::string TQvCheckListStrings::Get(int Index) const {
  LRESULT len = Send(LB_GETTEXTLEN, static_cast<WPARAM>(Index), 0);
  if (len < 0) Error(kListIndexError, Index);
  std::string s(static_cast<size_t>(len) + 1, '\0');
  LRESULT got = Send(LB_GETTEXT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(s.data()));
  if (got < 0) Error(kListIndexError, Index);
  s.resize(static_cast<size_t>(std::min(got, len)));
  return s;
}

TObject* TQvCheckListStrings::GetObject(int Index) const {
  LRESULT d = Send(LB_GETITEMDATA, static_cast<WPARAM>(Index), 0);
  if (d == LB_ERR && (Index < 0 || Index >= GetCount())) Error(kListIndexError, Index);
  return reinterpret_cast<TObject*>(d);
}

void TQvCheckListStrings::PutObject(int Index, TObject* AObject) {
  Send(LB_SETITEMDATA, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(AObject));
}

int TQvCheckListStrings::Add(const std::string& S) {
  if (FCheckList) FCheckList->FAdding = true;
  TOnExit done([this] {
    if (FCheckList) FCheckList->FAdding = false;
  });
  LRESULT r = Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(S.c_str()));
  if (r < 0) throw EOutOfResources("Unable to insert a line");
  return static_cast<int>(r);
}

void TQvCheckListStrings::Insert(int Index, const std::string& S) {
  if (FCheckList) FCheckList->FAdding = true;
  TOnExit done([this] {
    if (FCheckList) FCheckList->FAdding = false;
  });
  if (Send(LB_INSERTSTRING, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(S.c_str())) < 0)
    throw EOutOfResources("Unable to insert a line");
}

void TQvCheckListStrings::Delete(int Index) {
  if (Send(LB_DELETESTRING, static_cast<WPARAM>(Index), 0) == LB_ERR) Error(kListIndexError, Index);
}

void TQvCheckListStrings::Clear() { Send(LB_RESETCONTENT, 0, 0); }

int TQvCheckListStrings::IndexOf(const std::string& S) const {
  return static_cast<int>(Send(LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(S.c_str())));
}

void TQvCheckListStrings::Put(int Index, const std::string& S) {
  TPacket p = Packet(Index);
  TObject* obj = GetObject(Index);
  int itemIndex = FCheckList->ItemIndex();
  BeginUpdate();
  TOnExit done([this] { EndUpdate(); });
  Delete(Index);
  InsertObject(Index, S, obj);
  Packet(Index) = p;
  FCheckList->SetItemIndex(itemIndex);
}

void TQvCheckListStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  TPacket p = Packet(CurIndex);
  inherited::Move(CurIndex, NewIndex);
  Packet(NewIndex) = p;
}

void TQvCheckListStrings::Exchange(int Index1, int Index2) {
  if (Index1 == Index2) return;
  TPacket p1 = Packet(Index1), p2 = Packet(Index2);
  BeginUpdate();
  TOnExit done([this] { EndUpdate(); });
  inherited::Exchange(Index1, Index2);  // Put keeps each place's packet
  Packet(Index1) = p2;
  Packet(Index2) = p1;
}

void TQvCheckListStrings::SetUpdateState(bool Updating) {
  if (!Updating && FCheckList) FCheckList->ItemsUpdateEnded();
  if (!FCheckList || !FCheckList->HandleAllocated()) return;
  SendMessage(FCheckList->Handle(), WM_SETREDRAW, Updating ? 0 : 1, 0);
  if (!Updating) FCheckList->Refresh();
}

int TQvCheckListStrings::AddWithPacket(const std::string& S, TObject* Obj, TPacket P) {
  int i = AddObject(S, Obj);
  Packet(i) = P;
  return i;
}

bool TQvCheckListStrings::DecodeLine(const std::string& Line, std::string& Text, TPacket& P) {
  if (Line.empty() || Line[0] != '&') return false;
  // "&E S text": the state digit is the fourth character and must name a glyph of
  // the strip (0..2); a shorter line or another character is refused.
  if (Line.size() < 4) BadState(Line.substr(std::min<size_t>(3, Line.size())));
  char s = Line[3];
  if (s < '0' || s > '9') StrToInt(std::string(1, s));  // raises the conversion error
  if (s > '2') BadState(std::string(1, s));
  P.Enabled = Line[1] == '1';
  P.State = static_cast<uint8_t>(s - '0');
  Text = Line.size() > 5 ? Line.substr(5) : std::string();
  return true;
}

void TQvCheckListStrings::AddStrings(TStrings* Strings) {
  if (!Strings) return;
  BeginUpdate();
  TOnExit done([this] { EndUpdate(); });
  const int n = Strings->Count();
  if (auto* packets = dynamic_cast<TPacketStringList*>(Strings)) {
    for (int i = 0; i < n; ++i) AddWithPacket(packets->Strings(i), packets->Objects(i), packets->Packet(i));
  } else if (auto* items = dynamic_cast<TQvCheckListStrings*>(Strings)) {
    for (int i = 0; i < n; ++i) AddWithPacket(items->Strings(i), items->Objects(i), items->Packet(i));
  } else {
    for (int i = 0; i < n; ++i) {
      std::string line = Strings->Strings(i), text;
      TPacket p;
      if (DecodeLine(line, text, p)) AddWithPacket(text, Strings->Objects(i), p);
      else AddObject(line, Strings->Objects(i));
    }
  }
}

void TQvCheckListStrings::LoadFromStream(TStream* Stream) {
  BeginUpdate();
  TOnExit done([this] { EndUpdate(); });
  Clear();
  TStringList lines;
  lines.LoadFromStream(Stream);
  for (int i = 0; i < lines.Count(); ++i) {
    std::string line = lines.Strings(i), text;
    TPacket p;
    if (DecodeLine(line, text, p)) AddWithPacket(text, nullptr, p);
    else Add(line);
  }
}

void TQvCheckListStrings::SaveToStream(TStream* Stream) const {
  std::string out;
  for (int i = 0, n = GetCount(); i < n; ++i) {
    const TPacket& p = Packet(i);
    out += '&';
    out += p.Enabled ? '1' : '0';
    out += ' ';
    out += static_cast<char>('0' + p.State);
    out += ' ';
    out += Get(i);
    out += "\r\n";
  }
  Stream->WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
}

// ---------------------------------------------------------------------------
// TQvCheckList
// ---------------------------------------------------------------------------

TQvCheckList::TQvCheckList(TComponent* AOwner) : TQvCustomTabbedListBox(AOwner) {
  FItems = new TQvCheckListStrings(this);
  FCustomGlyphs = new TBitmap;
  FCustomGlyphs->OnChange = [this](TObject* Sender) { CustomGlyphsChanged(Sender); };
  SetStyle(lbOwnerDrawFixed);
  UpdateItemHeight();
  SetShowGroups(true);
}

TQvCheckList::~TQvCheckList() {
  delete FSaveItems;
  delete FCustomGlyphs;
  // The items stay with the list box window; only the flags go with this list.
  FItems->FCheckList = nullptr;
  delete FItems;
}

// The flags follow every item message the window answers.
void TQvCheckList::WndProc(TMessage& M) {
  inherited::WndProc(M);
  auto& packets = FItems->FPackets;
  switch (M.Msg) {
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
      if (M.Result >= 0 && M.Result <= static_cast<LRESULT>(packets.size()))
        packets.insert(packets.begin() + M.Result, TPacket{});
      break;
    case LB_DELETESTRING: {
      int i = static_cast<int>(static_cast<std::intptr_t>(M.WParam));
      if (M.Result != LB_ERR && i >= 0 && i < static_cast<int>(packets.size())) packets.erase(packets.begin() + i);
      break;
    }
    case LB_RESETCONTENT:
      packets.clear();
      break;
    default:
      break;
  }
}

bool TQvCheckList::GetItemChecked(int Index) { return FItems->Packet(Index).State == static_cast<uint8_t>(cbChecked); }

void TQvCheckList::SetItemChecked(int Index, bool Value) { SetItemState(Index, Value ? cbChecked : cbUnchecked); }

bool TQvCheckList::GetItemEnabled(int Index) { return FItems->Packet(Index).Enabled; }

void TQvCheckList::SetItemEnabled(int Index, bool Value) {
  TPacket& p = FItems->Packet(Index);
  if (p.Enabled == Value) return;
  p.Enabled = Value;
  Invalidate();
}

TCheckBoxState TQvCheckList::GetItemState(int Index) {
  return static_cast<TCheckBoxState>(FItems->Packet(Index).State);
}

TRect TQvCheckList::CheckBoxRect(int Index) {
  TRect item = ItemRect(Index);
  int offset = (ItemHeight() - FGlyphHeight) / 2;
  TRect r(item.Left, item.Top + offset, item.Left + FGlyphWidth + 4, item.Top + ItemHeight() - offset);
  // At the right edge under right-to-left alignment.
  return UseRightToLeftAlignment() ? TRect(item.Right - r.Width(), r.Top, item.Right, r.Bottom) : r;
}

void TQvCheckList::SetItemState(int Index, TCheckBoxState Value) {
  TPacket& p = FItems->Packet(Index);
  if (p.State == static_cast<uint8_t>(Value)) return;
  p.State = static_cast<uint8_t>(Value);
  if (HandleAllocated()) {
    // Only the box: the glyph is drawn 4 pixels in from the item's edge.
    TRect r = CheckBoxRect(Index);
    r.Right += 4;
    InvalidateRect(Handle(), &r, FALSE);
  }
}

void TQvCheckList::SetSorted(bool Value) {
  if (Value == Sorted() || HandleAllocated() || Items()->Count() == 0) return inherited::SetSorted(Value);
  TPacketStringList saved;
  saved.AddStrings(FItems);
  inherited::SetSorted(Value);
  FItems->Assign(&saved);
}

int TQvCheckList::AddEx(const std::string& S, bool Checked, bool Enabled) {
  int i = Items()->Add(S);
  SetItemChecked(i, Checked);
  SetItemEnabled(i, Enabled);
  return i;
}

void TQvCheckList::CheckAll() {
  for (int i = 0, n = Items()->Count(); i < n; ++i) SetItemChecked(i, true);
}

void TQvCheckList::UncheckAll() {
  for (int i = 0, n = Items()->Count(); i < n; ++i) SetItemChecked(i, false);
}

int TQvCheckList::ItemsChecked() {
  int count = 0;
  for (int i = 0, n = Items()->Count(); i < n; ++i)
    if (GetItemChecked(i) && !GetItemIsGroup(i)) ++count;
  return count;
}

namespace {
// The items of group G: after its header up to the next header (from the first
// item when the group does not exist).
template <class F>
void ForGroup(TQvCheckList* L, int G, F Body) {
  int header = L->ItemIndexOfGroup(G);
  for (int i = header + 1, n = L->Items()->Count(); i < n && !L->GetItemIsGroup(i); ++i) Body(i);
}
}  // namespace

void TQvCheckList::EnableGroup(int GroupIndex) {
  ForGroup(this, GroupIndex, [this](int i) { SetItemEnabled(i, true); });
}

void TQvCheckList::DisableGroup(int GroupIndex) {
  ForGroup(this, GroupIndex, [this](int i) { SetItemEnabled(i, false); });
}

void TQvCheckList::SetGroupState(int GroupIndex, TCheckBoxState State) {
  ForGroup(this, GroupIndex, [this, State](int i) { SetItemState(i, State); });
}

bool TQvCheckList::CanChange(int Index, TCheckBoxState NewState) {
  bool allow = true;
  if (OnChanging) OnChanging(this, Index, NewState, allow);
  return allow;
}

void TQvCheckList::Change(int Index, TCheckBoxState NewState) {
  if (OnChange) OnChange(this, Index, NewState);
}

void TQvCheckList::ToggleCheckState() {
  int i = ItemIndex();
  if (i == -1 || !GetItemEnabled(i) || GetItemIsGroup(i)) return;
  TCheckBoxState next;
  switch (GetItemState(i)) {
    case cbUnchecked: next = FAllowGrayed ? cbGrayed : cbChecked; break;
    case cbChecked: next = cbUnchecked; break;
    default: next = cbChecked; break;
  }
  if (CanChange(i, next)) {
    SetItemState(i, next);
    FTogglePending = false;
    Change(i, next);
  } else {
    FTogglePending = false;
  }
}

// ---------------------------------------------------------------------------
// Mouse and keys
// ---------------------------------------------------------------------------

void TQvCheckList::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  int index = ItemAtPos(TPoint(X, Y), true);
  if (Button == mbLeft && index >= 0) {
    TRect box = ItemRect(index);
    if (UseRightToLeftAlignment()) box.Left = box.Right - FGlyphWidth - 4;
    else box.Right = box.Left + FGlyphWidth + 4;
    if (FToggleOnItemClick || box.Contains(TPoint(X, Y))) {
      FTogglePending = true;
      FPressedIndex = ItemIndex();
    }
  } else if (Button == mbRight && index >= 0 && index != ItemIndex()) {
    SetItemIndex(index);
    Click();
  }
  inherited::MouseDown(Button, Shift, X, Y);
}

void TQvCheckList::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && FTogglePending) {
    FTogglePending = false;
    if (ItemIndex() == FPressedIndex && GetClientRect().Contains(TPoint(X, Y))) ToggleCheckState();
  }
  inherited::MouseUp(Button, Shift, X, Y);
}

void TQvCheckList::KeyDown(WORD& Key, TShiftState Shift) {
  FPressedIndex = ItemIndex();
  if (Key == VK_SPACE) FTogglePending = true;
  inherited::KeyDown(Key, Shift);
}

void TQvCheckList::KeyUp(WORD& Key, TShiftState Shift) {
  if (Key == VK_SPACE && FTogglePending) ToggleCheckState();
  inherited::KeyUp(Key, Shift);
}

void TQvCheckList::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_CHAR:
      if ((M.WParam & 0xFF) == ' ') return;  // the space toggles; it is not searched for
      inherited::Dispatch(M);
      return;
    case CM_FONTCHANGED:
      inherited::Dispatch(M);
      if (FFontChanged) UpdateItemHeight();
      return;
    case CM_ENABLEDCHANGED:
      inherited::Dispatch(M);
      for (int i = 0, n = Items()->Count(); i < n; ++i) SetItemEnabled(i, Enabled());
      return;
    default:
      inherited::Dispatch(M);
  }
}

// ---------------------------------------------------------------------------
// Glyphs and drawing
// ---------------------------------------------------------------------------

void TQvCheckList::UpdateItemHeight() {
  if (FRead & rdItemHeight) return;  // a height the stream being read gives stays
  SetItemHeight(std::max(FGlyphHeight + 4, GetMinFontHeight(Font())));
}

void TQvCheckList::SetUseCustomGlyphs(bool Value) {
  if (Value == FUseCustomGlyphs) return;
  FUseCustomGlyphs = Value;
  if (Value && !FCustomGlyphs->Empty()) {
    FGlyphWidth = FCustomGlyphs->Width() / FGlyphCount;
    FGlyphHeight = FCustomGlyphs->Height();
  } else {
    FGlyphWidth = 13;
    FGlyphHeight = 13;
  }
  UpdateItemHeight();
  Invalidate();
}

// While a form is read UseCustomGlyphs is the form's own; a strip read after it still
// gives custom glyphs their size.
void TQvCheckList::CustomGlyphsChanged(TObject*) {
  if (Loading()) {
    if (FUseCustomGlyphs) {
      FUseCustomGlyphs = false;
      SetUseCustomGlyphs(true);
    }
    return;
  }
  bool use = !FCustomGlyphs->Empty();
  if (use == FUseCustomGlyphs) SetUseCustomGlyphs(!use);  // sizes from the new strip
  SetUseCustomGlyphs(use);
  Invalidate();
}

void TQvCheckList::SetTransparentColor(TColor Value) {
  if (Value == FTransparentColor) return;
  FTransparentColor = Value;
  Invalidate();
}

void TQvCheckList::SetHighlightColor(TColor Value) {
  if (Value == FHighlightColor) return;
  FHighlightColor = Value;
  Invalidate();
}

void TQvCheckList::SetItemFillColor(TColor Value) {
  if (Value == FItemFillColor) return;
  FItemFillColor = Value;
  Invalidate();
}

void TQvCheckList::SetItemFocusColor(TColor Value) {
  if (Value == FItemFocusColor) return;
  FItemFocusColor = Value;
  Invalidate();
}

void TQvCheckList::SetItemFrameColor(TColor Value) {
  if (Value == FItemFrameColor) return;
  FItemFrameColor = Value;
  Invalidate();
}

void TQvCheckList::SelectGlyph(int Index, TBitmap* Bitmap) {
  Bitmap->SetWidth(FGlyphWidth);
  Bitmap->SetHeight(FGlyphHeight);
  TRect r(0, 0, FGlyphWidth, FGlyphHeight);
  TCheckBoxState state = GetItemState(Index);
  bool enabled = GetItemEnabled(Index);
  if (FUseCustomGlyphs) {
    int number = static_cast<int>(state) + (enabled ? 0 : 3);
    TRect src(number * FGlyphWidth, 0, (number + 1) * FGlyphWidth, FGlyphHeight);
    Bitmap->Canvas()->CopyRect(r, FCustomGlyphs->Canvas(), src);
  } else if (!ThemeServices()->ThemesEnabled()) {
    DrawCheckBox(Bitmap->Canvas(), r, state, enabled ? bdsNormal : bdsDisabled, IsFocused(), htsInterior,
                 FItemFrameColor, FHighlightColor, FItemFillColor, FItemFocusColor, DisabledColor(),
                 static_cast<TColor>(0x00FF00), static_cast<TColor>(0x0000FF), false, false, clWindow);
  } else {
    static const TThemedButton normal[] = {tbCheckBoxUncheckedNormal, tbCheckBoxCheckedNormal,
                                           tbCheckBoxMixedNormal};
    static const TThemedButton disabled[] = {tbCheckBoxUncheckedDisabled, tbCheckBoxCheckedDisabled,
                                             tbCheckBoxMixedDisabled};
    int s = std::clamp(static_cast<int>(state), 0, 2);
    TThemeServices* t = ThemeServices();
    t->DrawElement(Bitmap->Canvas()->Handle(), t->GetElementDetails(enabled ? normal[s] : disabled[s]), r);
  }
}

void TQvCheckList::DrawListItem(int Index, TRect Rect, TOwnerDrawState State) {
  if (FAdding) return;
  TCanvas* c = Canvas();
  TBitmap glyph;
  SelectGlyph(Index, &glyph);
  c->FillRect(Rect);
  TBitmap keyed;
  keyed.SetWidth(FGlyphWidth);
  keyed.SetHeight(FGlyphHeight);
  TRect g(0, 0, FGlyphWidth, FGlyphHeight);
  keyed.Canvas()->Brush()->SetColor(Color());
  keyed.Canvas()->FillRect(g);
  keyed.Canvas()->BrushCopy(g, &glyph, g, FTransparentColor);
  int x = UseRightToLeftAlignment() ? Rect.Right + 4 : Rect.Left - FGlyphWidth - 4;
  c->Draw(x, Rect.Top + (ItemHeight() - FGlyphHeight) / 2, &keyed);

  c->Font()->Assign(Font());
  if (!GetItemEnabled(Index) || !Enabled())
    c->Font()->SetColor(ColorToRGB(Color()) == ColorToRGB(clBtnShadow) ? clBtnFace : clBtnShadow);
  HDC dc = c->Handle();
  int saved = SaveDC(dc);
  IntersectClipRect(dc, Rect.Left, Rect.Top, Rect.Right, Rect.Bottom);
  if (State.Contains(odSelected)) {
    c->Brush()->SetColor(clHighlight);
    c->Font()->SetColor(clHighlightText);
  }
  if (OnDrawItem) OnDrawItem(this, Index, Rect, State);
  else DefaultDrawItem(Index, Rect, State);
  RestoreDC(dc, saved);
  c->Refresh();
}

void TQvCheckList::DefaultDrawItem(int Index, TRect Rect, TOwnerDrawState) {
  if (Index < Items()->Count()) DrawTabbedText(Rect, Items()->Strings(Index));
}

// ---------------------------------------------------------------------------
// Window re-creation and streams
// ---------------------------------------------------------------------------

void TQvCheckList::DestroyWnd() {
  if (!Loading() && !ComponentState().Contains(csDestroying) && Items()->Count() > 0) {
    delete FSaveItems;
    FSaveItems = new TPacketStringList;
    FSaveItems->AddStrings(FItems);
    FSaveTopIndex = TopIndex();
    FSaveItemIndex = ItemIndex();
  }
  inherited::DestroyWnd();
}

void TQvCheckList::CreateWnd() {
  inherited::CreateWnd();
  if (!FSaveItems) return;
  // The items come back in the new window's order (a sorted window sorts them),
  // each with its flags.
  TPacketStringList* saved = FSaveItems;
  FSaveItems = nullptr;
  TOnExit free([saved] { delete saved; });
  FItems->Assign(saved);
  // The selection first: selecting scrolls, the top index then gives the old view.
  SetItemIndex(FSaveItemIndex);
  SetTopIndex(FSaveTopIndex);
}

void TQvCheckList::Loaded() {
  inherited::Loaded();
  FItems->ApplyReadFlags();
  if (ComponentState().Contains(csDesigning) && Items()->Count() > 0) Invalidate();
}

// Forms written before the flags moved to the items list carry them on the
// check list itself: still read there, never written there.
void TQvCheckList::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineProperty("ItemEnabled", [this](TReader* R) { FItems->ReadItemEnabled(R); }, nullptr, false);
  Filer->DefineProperty("ItemState", [this](TReader* R) { FItems->ReadItemState(R); }, nullptr, false);
}

void TQvCheckListStrings::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  bool has = FCheckList && Count() > 0;
  Filer->DefineProperty(
      "ItemEnabled", [this](TReader* R) { ReadItemEnabled(R); },
      [this](TWriter* W) {
        W->WriteListBegin();
        for (int i = 0, n = Count(); i < n; ++i) W->WriteBoolean(FCheckList->GetItemEnabled(i));
        W->WriteListEnd();
      },
      has);
  Filer->DefineProperty(
      "ItemState", [this](TReader* R) { ReadItemState(R); },
      [this](TWriter* W) {
        W->WriteListBegin();
        for (int i = 0, n = Count(); i < n; ++i) W->WriteInteger(static_cast<int>(FCheckList->GetItemState(i)));
        W->WriteListEnd();
      },
      has);
}

// The flags are given to the items there are now and, while the form is read, kept
// for Loaded: a form may name them before the item texts. Values beyond the items
// are dropped; a state outside 0..2 names no glyph and the item keeps its state.
void TQvCheckListStrings::ReadItemEnabled(TReader* Reader) {
  FEnabledRead.clear();
  Reader->ReadListBegin();
  while (!Reader->EndOfList()) FEnabledRead.push_back(Reader->ReadBoolean());
  Reader->ReadListEnd();
  ApplyReadFlags();
}

void TQvCheckListStrings::ReadItemState(TReader* Reader) {
  FStatesRead.clear();
  Reader->ReadListBegin();
  while (!Reader->EndOfList()) {
    int v = Reader->ReadInteger();
    FStatesRead.push_back(v >= 0 && v <= 2 ? v : -1);
  }
  Reader->ReadListEnd();
  ApplyReadFlags();
}

void TQvCheckListStrings::ApplyReadFlags() {
  if (!FCheckList) return;
  int n = Count();
  for (int i = 0; i < n && i < static_cast<int>(FEnabledRead.size()); ++i)
    FCheckList->SetItemEnabled(i, FEnabledRead[static_cast<size_t>(i)]);
  for (int i = 0; i < n && i < static_cast<int>(FStatesRead.size()); ++i)
    if (int v = FStatesRead[static_cast<size_t>(i)]; v >= 0) FCheckList->SetItemState(i, static_cast<TCheckBoxState>(v));
  if (!FCheckList->ComponentState().Contains(csLoading)) {
    FEnabledRead.clear();
    FStatesRead.clear();
  }
}

// ---------------------------------------------------------------------------
// Property tables
// ---------------------------------------------------------------------------

const TClassInfo& TPacketStringList::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TPacketStringList>("TPacketStringList", &inherited::StaticClass()).Creatable().Build();
  return info;
}

const TClassInfo& TQvCheckListStrings::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TQvCheckListStrings>("TQvCheckListStrings", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TQvCheckList::StaticClass() {
  using L = TQvCheckList;
  static const TClassInfo info = [] {
    TClassBuilder<L> b("TQvCheckList", &inherited::StaticClass());
    b.Component();
    PublishTabbedListBox(b, false);
    PublishListBoxNames(b);
    // It draws its own items: owner-drawn from the start.
    b.Enum<TListBoxStyle>("Style", &L::Style, &L::SetReadStyle, lbOwnerDrawFixed)
        .Bool("AllowGrayed", &L::AllowGrayed, &L::SetAllowGrayed, false)
        .Object<TBitmap>("CustomGlyphs", &L::CustomGlyphs, &L::SetCustomGlyphs,
                         [](L* l) { return !l->CustomGlyphs()->Empty(); })
        .Int("HighlightColor", &L::HighlightColor, [](L* l, int64_t v) { l->SetHighlightColor(static_cast<TColor>(v)); },
             clHighlight, {}, &ColorIdents())
        .Int("ItemFillColor", &L::ItemFillColor, [](L* l, int64_t v) { l->SetItemFillColor(static_cast<TColor>(v)); },
             clWindow, {}, &ColorIdents())
        .Int("ItemFocusColor", &L::ItemFocusColor,
             [](L* l, int64_t v) { l->SetItemFocusColor(static_cast<TColor>(v)); }, clWindow, {}, &ColorIdents())
        .Int("ItemFrameColor", &L::ItemFrameColor,
             [](L* l, int64_t v) { l->SetItemFrameColor(static_cast<TColor>(v)); }, clBtnShadow, {}, &ColorIdents())
        .Bool("ToggleOnItemClick", &L::ToggleOnItemClick, &L::SetToggleOnItemClick, false)
        .Int("TransparentColor", &L::TransparentColor,
             [](L* l, int64_t v) { l->SetTransparentColor(static_cast<TColor>(v)); }, clOlive, {}, &ColorIdents())
        .Bool("UseCustomGlyphs", &L::UseCustomGlyphs, &L::SetUseCustomGlyphs, false)
        .Event("OnChange", &L::OnChange)
        .Event("OnChanging", &L::OnChanging);
    return b.Build();
  }();
  return info;
}
