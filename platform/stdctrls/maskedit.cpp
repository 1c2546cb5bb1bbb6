// TCustomMaskEdit: the edit-mask language and masked typing over TCustomEdit.
#include "platform/stdctrls/maskedit.h"

#include "platform/core/gbk.h"
#include "platform/core/sysutils.h"
#include "platform/core/typinfo.h"

namespace {

// The length of the GBK character at S[I].
size_t CharLen(const std::string& S, size_t I) {
  return I + 1 < S.size() && IsGbkLeadByte(static_cast<unsigned char>(S[I])) ? 2 : 1;
}

bool IsAsciiLetter(unsigned char C) { return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z'); }
bool IsDigit(unsigned char C) { return C >= '0' && C <= '9'; }

std::string WithCase(std::string Ch, int Case) {
  if (Ch.size() != 1) return Ch;
  unsigned char c = static_cast<unsigned char>(Ch[0]);
  if (Case == 1 && c >= 'a' && c <= 'z') Ch[0] = static_cast<char>(c - 32);
  if (Case == 2 && c >= 'A' && c <= 'Z') Ch[0] = static_cast<char>(c + 32);
  return Ch;
}

}  // namespace

TParsedMask ParseEditMask(const std::string& EditMask) {
  TParsedMask m;
  int kase = 0;
  size_t i = 0;
  for (; i < EditMask.size(); ++i) {
    char c = EditMask[i];
    if (c == ';') break;
    TMaskPosition p;
    switch (c) {
      case '!': m.LeadingBlanks = true; continue;
      case '>':
        if (i + 1 < EditMask.size() && EditMask[i + 1] == '<') {
          kase = 0;
          ++i;
        } else {
          kase = 1;
        }
        continue;
      case '<':
        if (i + 1 < EditMask.size() && EditMask[i + 1] == '>') {
          kase = 0;
          ++i;
        } else {
          kase = 2;
        }
        continue;
      case '\\':
        if (i + 1 >= EditMask.size()) continue;
        ++i;
        p.Literal = true;
        p.Text = EditMask.substr(i, CharLen(EditMask, i));
        i += p.Text.size() - 1;
        break;
      case 'L': case 'l': case 'A': case 'a': case 'C': case 'c': case '0': case '9': case '#':
        p.Code = c;
        p.Case = kase;
        break;
      case ':': p.Literal = true; p.Text = std::string(1, TimeSeparator); break;
      case '/': p.Literal = true; p.Text = std::string(1, DateSeparator); break;
      case '_': p.Literal = true; p.Text = " "; break;
      default:
        p.Literal = true;
        p.Text = EditMask.substr(i, CharLen(EditMask, i));
        i += p.Text.size() - 1;
        break;
    }
    m.Positions.push_back(std::move(p));
  }
  // The save and blank fields.
  if (i < EditMask.size() && EditMask[i] == ';') {
    ++i;
    if (i < EditMask.size() && EditMask[i] != ';') m.SaveLiterals = EditMask[i++] != '0';
    if (i < EditMask.size() && EditMask[i] == ';' && i + 1 < EditMask.size()) m.Blank = EditMask[i + 1];
  }
  return m;
}

bool MaskCharAccepts(const TMaskPosition& P, const std::string& Ch) {
  if (P.Literal || Ch.empty()) return false;
  if (Ch.size() > 1) return P.Code == 'C' || P.Code == 'c';
  auto c = static_cast<unsigned char>(Ch[0]);
  if (c < 0x20) return false;
  switch (P.Code) {
    case 'L': case 'l': return IsAsciiLetter(c);
    case 'A': case 'a': return IsAsciiLetter(c) || IsDigit(c);
    case 'C': case 'c': return true;
    case '0': case '9': return IsDigit(c);
    case '#': return IsDigit(c) || c == '+' || c == '-';
    default: return false;
  }
}

namespace {

// The input characters of a value: with the literals in place when they are saved,
// else the characters in order; a space (or the blank) leaves a position empty.
std::vector<std::string> ValueInputs(const TParsedMask& M, const std::string& Value) {
  std::vector<std::string> inputs;
  size_t v = 0;
  for (const TMaskPosition& p : M.Positions) {
    if (p.Literal) {
      if (M.SaveLiterals && Value.compare(v, p.Text.size(), p.Text) == 0) v += p.Text.size();
      else if (M.SaveLiterals && v < Value.size()) v += CharLen(Value, v);
      continue;
    }
    std::string ch;
    if (v < Value.size()) {
      ch = Value.substr(v, CharLen(Value, v));
      v += ch.size();
    }
    if (ch == " " || (ch.size() == 1 && ch[0] == M.Blank)) ch.clear();
    inputs.push_back(WithCase(ch, p.Case));
  }
  return inputs;
}

std::string Compose(const TParsedMask& M, const std::vector<std::string>& Inputs, char Blank) {
  std::string out;
  size_t k = 0;
  for (const TMaskPosition& p : M.Positions) {
    if (p.Literal) {
      out += p.Text;
      continue;
    }
    const std::string& ch = k < Inputs.size() ? Inputs[k] : std::string();
    ++k;
    out += ch.empty() ? std::string(1, Blank) : ch;
  }
  return out;
}

}  // namespace

std::string FormatMaskText(const std::string& EditMask, const std::string& Value) {
  TParsedMask m = ParseEditMask(EditMask);
  if (m.Empty()) return Value;
  return Compose(m, ValueInputs(m, Value), ' ');
}

// ---------------------------------------------------------------------------

TCustomMaskEdit::TCustomMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

void TCustomMaskEdit::SetEditMask(const std::string& Value) {
  if (FEditMask == Value) return;
  // What was typed stays: the input characters of the old mask, or the plain text.
  bool was = IsMasked();
  std::vector<std::string> inputs = was ? InputsOf(WindowText()) : std::vector<std::string>();
  std::string text = was ? std::string() : GetText();
  FEditMask = Value;
  FMask = ParseEditMask(Value);
  if (HandleAllocated()) Perform(EM_LIMITTEXT, IsMasked() ? 0 : static_cast<WPARAM>(MaxLength()), 0);
  if (IsMasked()) {
    if (!was) inputs = ValueInputs(FMask, text);
    std::vector<std::string> cased;
    size_t k = 0;
    for (const TMaskPosition& p : FMask.Positions)
      if (!p.Literal) cased.push_back(k < inputs.size() ? WithCase(inputs[k++], p.Case) : std::string());
    SetEditText(Compose(FMask, cased, FMask.Blank));
  } else if (was) {
    std::string plain;
    for (const std::string& ch : inputs) plain += ch.empty() ? " " : ch;
    SetEditText(plain);
  }
}

void TCustomMaskEdit::CreateWnd() {
  TCustomEdit::CreateWnd();
  if (IsMasked()) Perform(EM_LIMITTEXT, 0, 0);
}

void TCustomMaskEdit::SetEditText(const std::string& Value) { TCustomEdit::SetText(Value); }

std::string TCustomMaskEdit::GetText() {
  if (!IsMasked()) return TCustomEdit::GetText();
  std::vector<std::string> inputs = InputsOf(WindowText());
  if (!FMask.SaveLiterals) {
    std::string out;
    for (const std::string& ch : inputs) out += ch.empty() ? " " : ch;
    return out;
  }
  return Compose(FMask, inputs, ' ');
}

void TCustomMaskEdit::SetText(const std::string& Value) {
  if (!IsMasked()) {
    TCustomEdit::SetText(Value);
    return;
  }
  SetEditText(Compose(FMask, ValueInputs(FMask, Value), FMask.Blank));
}

std::vector<TCustomMaskEdit::TCell> TCustomMaskEdit::Cells(const std::string& Text) const {
  std::vector<TCell> cells;
  size_t b = 0;
  for (const TMaskPosition& p : FMask.Positions) {
    size_t n = p.Literal ? p.Text.size() : (b < Text.size() ? CharLen(Text, b) : 0);
    size_t e = std::min(Text.size(), b + n);
    cells.push_back({b, e});
    b = e;
  }
  return cells;
}

size_t TCustomMaskEdit::CellAt(const std::vector<TCell>& C, size_t P) const {
  for (size_t i = 0; i < C.size(); ++i)
    if (P < C[i].End || (P == C[i].Start && C[i].Start == C[i].End)) return i;
  return C.size();
}

std::vector<std::string> TCustomMaskEdit::InputsOf(const std::string& Text) const {
  std::vector<std::string> inputs;
  std::vector<TCell> cells = Cells(Text);
  for (size_t i = 0; i < cells.size(); ++i) {
    if (FMask.Positions[i].Literal) continue;
    std::string ch = Text.substr(cells[i].Start, cells[i].End - cells[i].Start);
    if (ch.size() == 1 && ch[0] == FMask.Blank) ch.clear();
    inputs.push_back(ch);
  }
  return inputs;
}

size_t TCustomMaskEdit::NextInput(size_t From) const {
  while (From < FMask.Positions.size() && FMask.Positions[From].Literal) ++From;
  return From;
}

bool TCustomMaskEdit::PrevInput(size_t From, size_t& At) const {
  while (From > 0) {
    --From;
    if (!FMask.Positions[From].Literal) {
      At = From;
      return true;
    }
  }
  return false;
}

// Writes positions First..Last (inclusive) of the window text anew, as one undoable
// replacement, and puts the caret at the start of CaretCell.
void TCustomMaskEdit::ReplaceCells(size_t First, size_t Last, const std::vector<std::string>& With, size_t CaretCell) {
  std::string text = WindowText();
  std::vector<TCell> cells = Cells(text);
  std::string repl;
  for (size_t i = First; i <= Last && i < cells.size(); ++i) {
    const TMaskPosition& p = FMask.Positions[i];
    if (p.Literal) repl += p.Text;
    else repl += With[i - First].empty() ? std::string(1, FMask.Blank) : With[i - First];
  }
  size_t a = First < cells.size() ? cells[First].Start : text.size();
  size_t b = Last < cells.size() ? cells[Last].End : text.size();
  Perform(EM_SETSEL, a, static_cast<LPARAM>(b));
  EditState(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(repl.c_str()));
  std::vector<TCell> now = Cells(WindowText());
  size_t caret = CaretCell < now.size() ? now[CaretCell].Start : WindowText().size();
  Perform(EM_SETSEL, caret, static_cast<LPARAM>(caret));
}

// Empties the selected input positions; First is the first selected position.
void TCustomMaskEdit::ClearSelection(size_t& First) {
  DWORD s = 0, e = 0;
  Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  std::vector<TCell> cells = Cells(WindowText());
  First = CellAt(cells, s);
  if (s == e) return;
  size_t last = CellAt(cells, e - 1);
  if (last >= cells.size()) last = cells.size() - 1;
  if (First > last) return;
  ReplaceCells(First, last, std::vector<std::string>(last - First + 1), First);
}

void TCustomMaskEdit::TypeChar(const std::string& Ch) {
  if (!IsMasked()) {
    TCustomEdit::TypeChar(Ch);
    return;
  }
  if (ReadOnly()) {
    MessageBeep(0);
    return;
  }
  size_t at;
  ClearSelection(at);
  // A literal typed where it stands moves past it.
  if (at < FMask.Positions.size() && FMask.Positions[at].Literal && FMask.Positions[at].Text == Ch) {
    std::vector<TCell> cells = Cells(WindowText());
    Perform(EM_SETSEL, cells[at].End, static_cast<LPARAM>(cells[at].End));
    return;
  }
  size_t pos = NextInput(at);
  if (pos >= FMask.Positions.size() || !MaskCharAccepts(FMask.Positions[pos], Ch)) {
    MessageBeep(0);
    return;
  }
  ReplaceCells(pos, pos, {WithCase(Ch, FMask.Positions[pos].Case)}, NextInput(pos + 1));
}

void TCustomMaskEdit::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomEdit::KeyDown(Key, Shift);
  if (!IsMasked() || Key == 0) return;
  DWORD s = 0, e = 0;
  Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  std::vector<TCell> cells = Cells(WindowText());
  size_t caretCell = CellAt(cells, s == e ? s : e);
  auto moveTo = [&](size_t Cell) {
    size_t b = Cell < cells.size() ? cells[Cell].Start : WindowText().size();
    if (Shift.Contains(ssShift)) Perform(EM_SETSEL, s, static_cast<LPARAM>(b));
    else Perform(EM_SETSEL, b, static_cast<LPARAM>(b));
    Key = 0;
  };
  switch (Key) {
    case VK_LEFT: {
      size_t at;
      moveTo(PrevInput(caretCell, at) ? at : NextInput(0));
      break;
    }
    case VK_RIGHT:
      moveTo(caretCell < cells.size() ? NextInput(NextInput(caretCell) + 1) : cells.size());
      break;
    case VK_HOME: moveTo(NextInput(0)); break;
    case VK_END: moveTo(cells.size()); break;
    case VK_DELETE: {
      if (Shift.Contains(ssShift)) break;  // Shift+Delete cuts
      Key = 0;
      if (ReadOnly()) {
        MessageBeep(0);
        break;
      }
      if (s != e) {
        size_t first;
        ClearSelection(first);
        break;
      }
      size_t pos = NextInput(caretCell);
      if (pos < FMask.Positions.size()) ReplaceCells(pos, pos, {std::string()}, caretCell);
      break;
    }
    default:
      break;
  }
}

void TCustomMaskEdit::KeyPress(char& Key) {
  TCustomEdit::KeyPress(Key);
  if (!IsMasked() || Key == 0) return;
  if (Key == 27) {
    Reset();
    Key = 0;
  } else if (Key == 8) {
    Key = 0;
    if (ReadOnly()) {
      MessageBeep(0);
      return;
    }
    DWORD s = 0, e = 0;
    Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    if (s != e) {
      size_t first;
      ClearSelection(first);
      return;
    }
    std::vector<TCell> cells = Cells(WindowText());
    size_t at;
    if (PrevInput(CellAt(cells, s), at)) ReplaceCells(at, at, {std::string()}, at);
  }
}

// Pasted characters fill the input positions from the caret on; literals of the
// mask in the pasted text line up with the mask's own. A character that fits
// nowhere ends the paste.
void TCustomMaskEdit::MaskedPaste() {
  if (ReadOnly() || !ClipboardHasText()) return;
  std::string clip = GetClipboardText();
  size_t at;
  ClearSelection(at);
  size_t n = FMask.Positions.size();
  std::vector<std::string> with;
  size_t cell = at;
  for (size_t i = 0; i < clip.size() && cell < n;) {
    std::string ch = clip.substr(i, CharLen(clip, i));
    i += ch.size();
    const TMaskPosition& p = FMask.Positions[cell];
    if (p.Literal) {
      with.emplace_back();
      ++cell;
      if (ch != p.Text) i -= ch.size();  // not the literal: the character goes to the next position
      continue;
    }
    if (!MaskCharAccepts(p, ch)) {
      MessageBeep(0);
      break;
    }
    with.push_back(WithCase(ch, p.Case));
    ++cell;
  }
  while (!with.empty() && with.back().empty() && FMask.Positions[at + with.size() - 1].Literal) with.pop_back();
  if (with.empty()) return;
  ReplaceCells(at, at + with.size() - 1, with, NextInput(at + with.size()));
}

void TCustomMaskEdit::MaskedCut() {
  Perform(WM_COPY, 0, 0);
  if (ReadOnly()) return;
  size_t first;
  ClearSelection(first);
}

void TCustomMaskEdit::Reset() {
  if (!IsMasked() || !Modified()) return;
  SetEditText(FOldValue);
  SetModified(false);
}

void TCustomMaskEdit::ValidateError() {
  MessageBeep(0);
  throw EDBEditError("Invalid input value.  Use escape key to abandon changes");
}

void TCustomMaskEdit::ValidateEdit() {
  if (!IsMasked() || !Modified()) return;
  std::string text = WindowText();
  std::vector<TCell> cells = Cells(text);
  for (size_t i = 0; i < cells.size(); ++i) {
    const TMaskPosition& p = FMask.Positions[i];
    if (!p.Required()) continue;
    std::string ch = text.substr(cells[i].Start, cells[i].End - cells[i].Start);
    if (ch.empty() || (ch.size() == 1 && (ch[0] == FMask.Blank || ch[0] == ' '))) {
      if (CanFocus() && !Focused()) SetFocus();
      Perform(EM_SETSEL, cells[i].Start, static_cast<LPARAM>(cells[i].Start));
      ValidateError();
      return;
    }
  }
}

void TCustomMaskEdit::Dispatch(TMessage& M) {
  if (!IsMasked()) {
    TCustomEdit::Dispatch(M);
    return;
  }
  switch (M.Msg) {
    case WM_PASTE: MaskedPaste(); break;
    case WM_CUT: MaskedCut(); break;
    case WM_CLEAR: {
      if (ReadOnly()) break;
      size_t first;
      ClearSelection(first);
      break;
    }
    case CM_ENTER:
      FOldValue = EditText();
      TCustomEdit::Dispatch(M);
      break;
    case CM_EXIT:
      ValidateEdit();
      TCustomEdit::Dispatch(M);
      break;
    default:
      TCustomEdit::Dispatch(M);
  }
}

// ---------------------------------------------------------------------------

const TClassInfo& TCustomMaskEdit::StaticClass() {
  static const TClassInfo info = TClassBuilder<TCustomMaskEdit>("TCustomMaskEdit", &inherited::StaticClass()).Build();
  return info;
}

