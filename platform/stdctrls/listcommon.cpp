#include "platform/stdctrls/listcommon.h"

#include <algorithm>

#include "platform/core/scope.h"
#include "platform/core/sysutils.h"

namespace {
const char* const kListIndexError = "List index out of bounds (%d)";
}

void DrawOwnerItem(TWinControl* Control, TCanvas* Canvas, const DRAWITEMSTRUCT& D,
                   const std::function<void(int Index, TRect Rect, TOwnerDrawState State)>& Draw) {
  TOwnerDrawState state = TOwnerDrawState::FromInt(D.itemState & 0x1FFF);
  int index = static_cast<int>(D.itemID);
  Canvas->SetHandle(D.hDC);
  TOnExit release([Canvas] { Canvas->SetHandle(nullptr); });
  Canvas->Font()->Assign(Control->Font());
  Canvas->Brush()->Assign(Control->Brush());
  if (index >= 0 && state.Contains(odSelected)) {
    Canvas->Brush()->SetColor(clHighlight);
    Canvas->Font()->SetColor(clHighlightText);
  }
  if (index >= 0) Draw(index, D.rcItem, state);
  else Canvas->FillRect(D.rcItem);
  if (state.Contains(odFocused)) ::DrawFocusRect(D.hDC, &D.rcItem);
}

void TItemMessageStrings::Clear() { Send(FMsg.Reset, 0, 0); }

void TItemMessageStrings::Delete(int Index) {
  if (Send(FMsg.Delete, static_cast<WPARAM>(Index), 0) == FMsg.Err) Error(kListIndexError, Index);
}

void TItemMessageStrings::Insert(int Index, const std::string& S) {
  if (Index < 0 || Index > GetCount()) Error(kListIndexError, Index);
  if (Send(FMsg.Insert, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(S.c_str())) < 0)
    throw EOutOfResources("Unable to insert a line");
}

int TItemMessageStrings::Add(const std::string& S) {
  LRESULT r = Send(FMsg.Add, 0, reinterpret_cast<LPARAM>(S.c_str()));
  if (r < 0) throw EOutOfResources("Unable to insert a line");
  return static_cast<int>(r);
}

int TItemMessageStrings::IndexOf(const std::string& S) const {
  return static_cast<int>(Send(FMsg.FindExact, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(S.c_str())));
}

std::string TItemMessageStrings::Get(int Index) const {
  LRESULT len = Send(FMsg.GetTextLen, static_cast<WPARAM>(Index), 0);
  if (len == FMsg.Err) Error(kListIndexError, Index);
  std::string s(static_cast<size_t>(len) + 1, '\0');
  LRESULT got = Send(FMsg.GetText, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(s.data()));
  s.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, len)));
  return s;
}

int TItemMessageStrings::GetCount() const { return static_cast<int>(Send(FMsg.GetCount, 0, 0)); }

TObject* TItemMessageStrings::GetObject(int Index) const {
  LRESULT d = Send(FMsg.GetItemData, static_cast<WPARAM>(Index), 0);
  if (d == FMsg.Err && (Index < 0 || Index >= GetCount())) Error(kListIndexError, Index);
  return reinterpret_cast<TObject*>(d);
}

void TItemMessageStrings::PutObject(int Index, TObject* AObject) {
  if (Send(FMsg.SetItemData, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(AObject)) == FMsg.Err)
    Error(kListIndexError, Index);
}
