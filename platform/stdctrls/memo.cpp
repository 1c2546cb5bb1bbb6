// TCustomMemo, its Lines, and TCustomRichEdit.
#include "platform/stdctrls/memo.h"

#include <cstring>

#include "platform/core/typinfo.h"

DTU_DEFINE_ENUM(TScrollStyle, "ssNone", "ssHorizontal", "ssVertical", "ssBoth")

namespace {

// The line operations Lines needs: over the memo's window (its messages), or over
// a text when there is no window yet.
struct TLineOps {
  std::function<int(int Line)> LineIndex;           // -1 past the last line
  std::function<int(int Index)> LineLength;
  std::function<int()> LineCount;
  std::function<void(int Start, int End, const std::string& Text)> Replace;
  std::function<std::string(int Line)> GetLine;
};

TLineOps WindowOps(TCustomMemo* M) {
  TLineOps o;
  o.LineIndex = [M](int L) { return static_cast<int>(M->Perform(EM_LINEINDEX, static_cast<WPARAM>(L), 0)); };
  o.LineLength = [M](int I) { return static_cast<int>(M->Perform(EM_LINELENGTH, static_cast<WPARAM>(I), 0)); };
  o.LineCount = [M] { return static_cast<int>(M->Perform(EM_GETLINECOUNT, 0, 0)); };
  o.Replace = [M](int S, int E, const std::string& T) {
    M->Perform(EM_SETSEL, static_cast<WPARAM>(S), E);
    M->Perform(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(T.c_str()));
  };
  o.GetLine = [M](int L) {
    int len = static_cast<int>(M->Perform(EM_LINELENGTH, static_cast<WPARAM>(M->Perform(EM_LINEINDEX, static_cast<WPARAM>(L), 0)), 0));
    std::string buf(static_cast<size_t>(std::max(len, 2)) + 1, '\0');
    WORD cap = static_cast<WORD>(std::min<size_t>(buf.size(), 0xFFFF));
    std::memcpy(buf.data(), &cap, sizeof cap);
    auto got = static_cast<size_t>(M->Perform(EM_GETLINE, static_cast<WPARAM>(L), reinterpret_cast<LPARAM>(buf.data())));
    buf.resize(std::min(got, buf.size()));
    return buf;
  };
  return o;
}

std::vector<size_t> Starts(const std::string& T) {
  std::vector<size_t> s{0};
  for (size_t i = 0; i + 1 < T.size(); ++i)
    if (T[i] == '\r' && T[i + 1] == '\n') s.push_back(i + 2);
  return s;
}

TLineOps TextOps(std::string& T) {
  TLineOps o;
  o.LineIndex = [&T](int L) {
    auto s = Starts(T);
    return L >= 0 && L < static_cast<int>(s.size()) ? static_cast<int>(s[L]) : -1;
  };
  o.LineLength = [&T](int I) {
    auto s = Starts(T);
    size_t line = std::upper_bound(s.begin(), s.end(), static_cast<size_t>(std::max(I, 0))) - s.begin() - 1;
    size_t end = line + 1 < s.size() ? s[line + 1] - 2 : T.size();
    return static_cast<int>(end - s[line]);
  };
  o.LineCount = [&T] { return static_cast<int>(Starts(T).size()); };
  o.Replace = [&T](int S, int E, const std::string& R) { T.replace(S, E - S, R); };
  o.GetLine = [&T](int L) {
    auto s = Starts(T);
    if (L < 0 || L >= static_cast<int>(s.size())) return std::string();
    size_t end = L + 1 < static_cast<int>(s.size()) ? s[L + 1] - 2 : T.size();
    return T.substr(s[L], end - s[L]);
  };
  return o;
}

// Runs F over the memo's window, or over its text (written back) without one.
template <class F>
auto WithLines(TCustomMemo* M, F&& Fn) {
  if (M->HandleAllocated()) return Fn(WindowOps(M));
  std::string text = M->Text();
  std::string before = text;
  auto r = Fn(TextOps(text));
  if (text != before) M->SetText(text);
  return r;
}

int CountOf(const TLineOps& O) {
  int n = O.LineCount();
  // A last line that is empty (the text ends with a line break) is no line.
  if (n > 0 && O.LineLength(O.LineIndex(n - 1)) == 0) --n;
  return n;
}

}  // namespace

// ---------------------------------------------------------------------------
// TMemoStrings

std::string TMemoStrings::Get(int Index) const {
  return WithLines(FMemo, [&](const TLineOps& o) {
    if (Index < 0 || Index >= CountOf(o)) throw EStringListError("List index out of bounds (" + std::to_string(Index) + ")");
    return o.GetLine(Index);
  });
}

int TMemoStrings::GetCount() const {
  return WithLines(FMemo, [](const TLineOps& o) { return CountOf(o); });
}

void TMemoStrings::Insert(int Index, const std::string& S) {
  if (Index < 0) return;
  WithLines(FMemo, [&](const TLineOps& o) {
    int start = o.LineIndex(Index);
    std::string line;
    if (start >= 0) {
      line = S + "\r\n";
    } else {
      start = o.LineIndex(Index - 1);
      if (start < 0) return 0;
      int len = o.LineLength(start);
      if (len == 0) return 0;
      start += len;
      line = "\r\n" + S;
    }
    o.Replace(start, start, line);
    return 0;
  });
}

void TMemoStrings::Delete(int Index) {
  WithLines(FMemo, [&](const TLineOps& o) {
    int start = o.LineIndex(Index);
    if (start < 0) return 0;
    int end = o.LineIndex(Index + 1);
    if (end < 0) end = start + o.LineLength(start);
    o.Replace(start, end, "");
    return 0;
  });
}

void TMemoStrings::Put(int Index, const std::string& S) {
  WithLines(FMemo, [&](const TLineOps& o) {
    int start = o.LineIndex(Index);
    if (start < 0) throw EStringListError("List index out of bounds (" + std::to_string(Index) + ")");
    o.Replace(start, start + o.LineLength(start), S);
    return 0;
  });
}

void TMemoStrings::Clear() { FMemo->SetText(""); }

std::string TMemoStrings::GetTextStr() const { return FMemo->Text(); }

void TMemoStrings::SetTextStr(const std::string& Value) {
  // Line breaks as the memo keeps them.
  std::string t;
  for (size_t i = 0; i < Value.size(); ++i) {
    if (Value[i] == '\n' && (i == 0 || Value[i - 1] != '\r')) t += '\r';
    t += Value[i];
  }
  if (t != FMemo->Text()) FMemo->SetText(t);
}

void TMemoStrings::SetUpdateState(bool Updating) {
  if (FMemo->HandleAllocated()) {
    FMemo->Perform(WM_SETREDRAW, Updating ? FALSE : TRUE, 0);
    if (!Updating) FMemo->Invalidate();
  }
}

const TClassInfo& TMemoStrings::StaticClass() {
  static const TClassInfo info = TClassBuilder<TMemoStrings>("TMemoStrings", &inherited::StaticClass()).Build();
  return info;
}

// ---------------------------------------------------------------------------
// TCustomMemo

TCustomMemo::TCustomMemo(TComponent* AOwner) : TCustomEdit(AOwner) {
  FLines = new TMemoStrings(this);
  SetAutoSize(false);
  SetBounds(0, 0, 185, 89);
  SetAutoSelect(false);
}

TCustomMemo::~TCustomMemo() { delete FLines; }

void TCustomMemo::SetLines(TStrings* Value) { FLines->Assign(Value); }

void TCustomMemo::SetScrollBars(TScrollStyle Value) {
  if (FScrollBars == Value) return;
  FScrollBars = Value;
  RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  RecreateWnd();
}

void TCustomMemo::CreateParams(TCreateParams& P) {
  TCustomEdit::CreateParams(P);
  P.Style |= ES_MULTILINE | ES_AUTOVSCROLL;
  if (FWordWrap) P.Style &= ~ES_AUTOHSCROLL;
  else P.Style |= ES_AUTOHSCROLL;
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) P.Style |= WS_VSCROLL;
  if ((FScrollBars == ssHorizontal || FScrollBars == ssBoth) && !FWordWrap) P.Style |= WS_HSCROLL;
}

void TCustomMemo::KeyPress(char& Key) {
  TCustomEdit::KeyPress(Key);
  if (Key == '\r' && !FWantReturns) Key = 0;
}

void TCustomMemo::Dispatch(TMessage& M) {
  if (M.Msg == WM_GETDLGCODE) {
    TCustomEdit::Dispatch(M);
    if (FWantTabs) M.Result |= DLGC_WANTTAB;
    else M.Result &= ~DLGC_WANTTAB;
    if (!FWantReturns) M.Result &= ~DLGC_WANTALLKEYS;
    return;
  }
  TCustomEdit::Dispatch(M);
}

TPoint TCustomMemo::CaretPos() {
  HandleNeeded();
  DWORD s = 0, e = 0;
  Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  int line = static_cast<int>(Perform(EM_LINEFROMCHAR, e, 0));
  int col = static_cast<int>(e) - static_cast<int>(Perform(EM_LINEINDEX, static_cast<WPARAM>(line), 0));
  return {col, line};
}

void TCustomMemo::SetCaretPos(TPoint Value) {
  HandleNeeded();
  auto start = static_cast<int>(Perform(EM_LINEINDEX, static_cast<WPARAM>(Value.Y), 0));
  if (start < 0) return;
  int p = start + std::clamp(Value.X, 0, static_cast<int>(Perform(EM_LINELENGTH, static_cast<WPARAM>(start), 0)));
  Perform(EM_SETSEL, static_cast<WPARAM>(p), p);
}

// ---------------------------------------------------------------------------
// TCustomRichEdit

TCustomRichEdit::TCustomRichEdit(TComponent* AOwner) : TCustomMemo(AOwner) {}

void TCustomRichEdit::SelectionChange() {
  if (OnSelectionChange) OnSelectionChange(this);
}

void TCustomRichEdit::Dispatch(TMessage& M) {
  if (M.Msg == CN_COMMAND && HIWORD(M.WParam) == EN_SELCHANGE && !FCreating) SelectionChange();
  TCustomMemo::Dispatch(M);
}

void TCustomRichEdit::CreateParams(TCreateParams& P) {
  TCustomMemo::CreateParams(P);
  P.WinClassName = "RICHEDIT";
}

// ---------------------------------------------------------------------------
// Published properties

namespace {

template <class E>
TClassInfo MemoClassInfo(const char* Name, const TClassInfo* Parent) {
  TClassBuilder<E> b(Name, Parent);
  b.Component()
      .Prop(TControl::Property("Align"))
      .template Enum<TAlignment>("Alignment", &E::Alignment, &E::SetAlignment, taLeftJustify)
      .Prop(TControl::Property("Anchors"))
      .template Enum<TBorderStyle>("BorderStyle", &E::BorderStyle, &E::SetBorderStyle, bsSingle)
      .Prop(TControl::Property("Color"))
      .Prop(TControl::Property("Ctl3D"))
      .Prop(TControl::Property("Enabled"))
      .Prop(TControl::Property("Font"))
      .Bool("HideSelection", &E::HideSelection, &E::SetHideSelection, true)
      .template Object<TStrings>("Lines", &E::Lines, &E::SetLines)
      .Int("MaxLength", &E::MaxLength, [](E* x, int64_t v) { x->SetMaxLength(static_cast<int>(v)); }, 0)
      .Prop(TControl::Property("ParentColor", 0))
      .Prop(TControl::Property("ParentCtl3D"))
      .Prop(TControl::Property("ParentFont"))
      .Prop(TControl::Property("BiDiMode"))
          .Prop(TControl::Property("ParentBiDiMode"))
          .Prop(TControl::Property("ParentShowHint"))
      .Prop(TControl::Property("PopupMenu"))
      .Bool("ReadOnly", &E::ReadOnly, &E::SetReadOnly, false)
      .template Enum<TScrollStyle>("ScrollBars", &E::ScrollBars, &E::SetScrollBars, ssNone)
      .Prop(TControl::Property("ShowHint"))
      .Prop(TControl::Property("TabOrder"))
      .Prop(TControl::Property("TabStop", 1))
      .Prop(TControl::Property("Visible"))
      .Bool("WantReturns", &E::WantReturns, &E::SetWantReturns, true)
      .Bool("WantTabs", &E::WantTabs, &E::SetWantTabs, false)
      .Bool("WordWrap", &E::WordWrap, &E::SetWordWrap, true)
      .Event("OnChange", static_cast<TNotifyEvent E::*>(&TCustomEdit::OnChange))
      .Prop(TControl::Property("OnClick"))
      .Prop(TControl::Property("OnContextPopup"))
      .Prop(TControl::Property("OnDblClick"))
      .Prop(TControl::Property("OnEnter"))
      .Prop(TControl::Property("OnExit"))
      .Prop(TControl::Property("OnKeyDown"))
      .Prop(TControl::Property("OnKeyPress"))
      .Prop(TControl::Property("OnKeyUp"))
      .Prop(TControl::Property("OnMouseDown"))
      .Prop(TControl::Property("OnMouseMove"))
      .Prop(TControl::Property("OnMouseUp"));
  if constexpr (std::is_base_of_v<TCustomRichEdit, E>) {
    b.Bool("PlainText", &E::PlainText, &E::SetPlainText, false)
        .Event("OnSelectionChange", static_cast<TNotifyEvent E::*>(&TCustomRichEdit::OnSelectionChange));
  }
  return b.Build();
}
}  // namespace

const TClassInfo& TCustomMemo::StaticClass() {
  static const TClassInfo info = TClassBuilder<TCustomMemo>("TCustomMemo", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TMemo::StaticClass() {
  static const TClassInfo info = MemoClassInfo<TMemo>("TMemo", &inherited::StaticClass());
  return info;
}

const TClassInfo& TCustomRichEdit::StaticClass() {
  static const TClassInfo info = TClassBuilder<TCustomRichEdit>("TCustomRichEdit", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TRichEdit::StaticClass() {
  static const TClassInfo info = MemoClassInfo<TRichEdit>("TRichEdit", &inherited::StaticClass());
  return info;
}

namespace {
struct TMemoRegistration {
  TMemoRegistration() { RegisterClasses({ClassEntry<TMemo>(), ClassEntry<TRichEdit>()}); }
} const kMemoRegistration;
}  // namespace
