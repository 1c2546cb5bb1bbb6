#include "controls/basic/radiogroups.h"

#include <algorithm>

#include "controls/common/utils.h"
#include "platform/core/filer.h"
#include "platform/core/scope.h"
#include "platform/core/typinfo.h"

namespace {

// A * B / C rounded to the nearest integer (halves away from zero).
int MulDiv(int A, int B, int C) {
  long long p = static_cast<long long>(A) * B;
  long long q = (p >= 0) == (C > 0) ? (2 * p + C) / (2LL * C) : (2 * p - C) / (2LL * C);
  return static_cast<int>(q);
}

template <class S>
TClassBuilder<S>& ItemGroupProps(TClassBuilder<S>& b) {
  auto intSet = [](void (S::*f)(int)) { return [f](S* s, int64_t v) { (s->*f)(static_cast<int>(v)); }; };
  return b.Component()
      .Int("Columns", &S::Columns, intSet(&S::SetColumns), 1)
      .template Object<TBitmap>("CustomGlyphs", &S::CustomGlyphs, &S::SetCustomGlyphs,
                                [](S* s) { return !s->CustomGlyphs()->Empty(); })
      .template Object<TFont>("ItemFont", &S::PublishedItemFont, &S::SetItemFont, [](S* s) { return s->ItemFontSet(); })
      .Int("ItemFrameColor", &S::ItemFrameColor, &S::SetItemFrameColor, clBtnShadow, {}, &ColorIdents())
      .Int("ItemHighlightColor", &S::ItemHighlightColor, &S::SetItemHighlightColor, clHighlight, {}, &ColorIdents())
      .Bool("ItemHotTrack", &S::ItemHotTrack, &S::SetItemHotTrack, false)
      .Int("ItemHotTrackColor", &S::ItemHotTrackColor, &S::SetItemHotTrackColor, 0x149BF0, {}, &ColorIdents())
      .template Enum<TQvHotTrackColorType>("ItemHotTrackColorType", &S::ItemHotTrackColorType,
                                           &S::SetItemHotTrackColorType, htctActual)
      .Int("ItemHeight", &S::ItemHeight, intSet(&S::SetItemHeight), 17)
      .template Object<TStrings>("Items", &S::Items, &S::SetItems)
      .Bool("LightTextStyle", &S::LightTextStyle, &S::SetLightTextStyle, false)
      .Bool("SpaceEvenly", &S::SpaceEvenly, &S::SetSpaceEvenly, false)
      .Int("StartXPos", &S::StartXPos, [](S* s, int64_t v) { s->SetStartPos(1, static_cast<int>(v)); }, 8)
      .Int("StartYPos", &S::StartYPos, [](S* s, int64_t v) { s->SetStartPos(2, static_cast<int>(v)); }, 2)
      .Bool("TabOnEnter", &S::TabOnEnter, &S::SetTabOnEnter, false)
      .Int("TextHighlightColor", &S::TextHighlightColor, &S::SetTextHighlightColor, clBtnHighlight, {},
           &ColorIdents())
      .Int("TextShadowColor", &S::TextShadowColor, &S::SetTextShadowColor, clBtnShadow, {}, &ColorIdents())
      .Int("TextShadowDepth", &S::TextShadowDepth, intSet(&S::SetTextShadowDepth), 2)
      .template Enum<TTextStyle>("TextStyle", &S::TextStyle, &S::SetTextStyle, tsNormal)
      .Int("TransparentColor", &S::TransparentColor, &S::SetTransparentColor, 0x008080, {}, &ColorIdents())
      .Bool("UseCustomGlyphs", &S::UseCustomGlyphs, &S::SetUseCustomGlyphs, false)
      .Int("VerticalSpacing", &S::VerticalSpacing, intSet(&S::SetVerticalSpacing), 3)
      .Int("WinMaskColor", &S::WinMaskColor, &S::SetWinMaskColor, 0x808000, {}, &ColorIdents());
}

// The group box's published set.
template <class S>
void GroupBoxProps(TClassBuilder<S>& b) {
  b.template Enum<TAlignment>("Alignment", &S::Alignment, &S::SetAlignment, taLeftJustify)
      .template Enum<TQvGroupBoxStyle>("GroupStyle", &S::GroupStyle, &S::SetGroupStyle, gsFlat)
      .Int("Height", &S::Height, [](S* x, int64_t v) { x->SetHeight(static_cast<int>(v)); }, 105);
  AddPanelFraming(b, fsNone);
  AddPanelInherited(b);
}

}  // namespace

// ---------------------------------------------------------------------------
// TQvCustomItemGroup
// ---------------------------------------------------------------------------

const TClassInfo& TQvCustomItemGroup::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TQvCustomItemGroup>("TQvCustomItemGroup", &TQvCustomGroupBox::StaticClass()).Build();
  return info;
}

TQvCustomItemGroup::TQvCustomItemGroup(TComponent* AOwner) : TQvCustomGroupBox(AOwner) {
  FControlStyle >> csReplicatable;
  FItemFont = new TFont();
  FItemFont->SetName("MS Sans Serif");
  FItemFont->SetSize(8);
  FItemFont->OnChange = [this](TObject* s) { ItemFontChanged(s); };
  FItems = new TStringList();
  FItems->OnChange = [this](TObject* s) { ItemsChange(s); };
  FCustomGlyphs = new TBitmap();
  FCustomGlyphs->OnChange = [this](TObject* s) { CustomGlyphsChanged(s); };
}

TQvCustomItemGroup::~TQvCustomItemGroup() {
  FItems->OnChange = nullptr;
  // The children are freed by the owner; they must not reach back into a list
  // that is going away.
  for (TQvCustomGlyphButton* b : FButtons) b->OnClick = nullptr;
  std::vector<TQvCustomGlyphButton*> buttons;
  buttons.swap(FButtons);
  for (TQvCustomGlyphButton* b : buttons) delete b;
  delete FItems;
  delete FItemFont;
  delete FCustomGlyphs;
}

#define QV_ITEM_SETTER(Name, Type, Field) \
  void TQvCustomItemGroup::Set##Name(Type Value) { \
    if (Value == Field) return;                   \
    Field = Value;                                \
    ArrangeButtons();                             \
  }

QV_ITEM_SETTER(SpaceEvenly, bool, FSpaceEvenly)
QV_ITEM_SETTER(VerticalSpacing, int, FVerticalSpacing)
QV_ITEM_SETTER(ItemHeight, int, FItemHeight)
QV_ITEM_SETTER(TransparentColor, TColor, FTransparentColor)
QV_ITEM_SETTER(WinMaskColor, TColor, FWinMaskColor)
QV_ITEM_SETTER(LightTextStyle, bool, FLightTextStyle)
QV_ITEM_SETTER(TextStyle, TTextStyle, FTextStyle)
QV_ITEM_SETTER(TextHighlightColor, TColor, FTextHighlightColor)
QV_ITEM_SETTER(TextShadowColor, TColor, FTextShadowColor)
QV_ITEM_SETTER(TextShadowDepth, int, FTextShadowDepth)
QV_ITEM_SETTER(ItemFrameColor, TColor, FItemFrameColor)
QV_ITEM_SETTER(ItemHotTrack, bool, FItemHotTrack)
QV_ITEM_SETTER(ItemHotTrackColor, TColor, FItemHotTrackColor)
QV_ITEM_SETTER(ItemHotTrackColorType, TQvHotTrackColorType, FItemHotTrackColorType)
QV_ITEM_SETTER(ItemHighlightColor, TColor, FItemHighlightColor)

void TQvCustomItemGroup::SetStartPos(int Index, int Value) {
  int& field = Index == 1 ? FStartXPos : FStartYPos;
  if (Value == field) return;
  field = Value;
  ArrangeButtons();
}

void TQvCustomItemGroup::SetColumns(int Value) {
  Value = std::clamp(Value, 1, 16);
  if (Value == FColumns) return;
  FColumns = Value;
  ArrangeButtons();
  Invalidate();
}

void TQvCustomItemGroup::SetGroupBoxStyle(TQvGroupBoxStyle Value) {
  inherited::SetGroupBoxStyle(Value);
  ArrangeButtons();
  Invalidate();
}

void TQvCustomItemGroup::SetTransparent(bool Value) {
  inherited::SetTransparent(Value);
  ArrangeButtons();
}

void TQvCustomItemGroup::SetCaption(const std::string& Value) {
  SetText(Value);
  ArrangeButtons();
}

void TQvCustomItemGroup::SetItemFont(TFont* Value) {
  FItemFont->Assign(Value);
  ArrangeButtons();
}

TFont* TQvCustomItemGroup::PublishedItemFont() {
  if (FReading && !FItemFontSet) {
    // A line of the form being read names the item font ("ItemFont.Height"): it is
    // the item font's own, whatever Font is read before or after. A line the writer
    // leaves out holds its declared default (the item font is only written once it
    // no longer follows Font), not the value taken from Font; read over an
    // ancestor's stream, it holds the ancestor's value, which is what is there.
    FItemFontSet = true;
    if (FStreamsRead == 1)
      for (const TPropInfo* p : FItemFont->ClassInfo().AllProps())
        if (p->Default && p->SetOrd && p->IsStored(FItemFont)) p->SetOrd(FItemFont, *p->Default);
  }
  return FItemFont;
}

void TQvCustomItemGroup::ItemFontChanged(TObject*) {
  FItemFontSet = true;
  ArrangeButtons();
  Invalidate();
}

void TQvCustomItemGroup::SetCustomGlyphs(TBitmap* Value) {
  FCustomGlyphs->Assign(Value);
  ArrangeButtons();
}

void TQvCustomItemGroup::SetUseCustomGlyphs(bool Value) {
  if (Value == FUseCustomGlyphs) return;
  FUseCustomGlyphs = Value;
  if (Value && !FCustomGlyphs->Empty()) {
    FGlyphWidth = FCustomGlyphs->Width() / FGlyphCount;
    FGlyphHeight = FCustomGlyphs->Height();
  } else {
    FGlyphWidth = 13;
    FGlyphHeight = 13;
  }
  ArrangeButtons();
}

void TQvCustomItemGroup::CustomGlyphsChanged(TObject*) {
  SetUseCustomGlyphs(true);
  Invalidate();
}

void TQvCustomItemGroup::ButtonDestroyed(TQvCustomGlyphButton* Button) {
  auto it = std::find(FButtons.begin(), FButtons.end(), Button);
  if (it != FButtons.end()) FButtons.erase(it);
}

void TQvCustomItemGroup::SetButtonCount(int Value) {
  while (ButtonCount() < Value) {
    TQvCustomGlyphButton* b = CreateButton();
    FButtons.push_back(b);
    b->SetVisible(false);
    b->SetEnabled(Enabled());
    b->SetParentShowHint(false);
    b->SetParent(this);
    b->SetParentFont(false);
  }
  while (ButtonCount() > Value) delete FButtons.back();  // the child's destructor leaves the list
}

void TQvCustomItemGroup::UpdateButtons() {
  SetButtonCount(FItems->Count());
  for (int i = 0; i < ButtonCount(); ++i) FButtons[i]->SetCaption(FItems->Strings(i));
  ArrangeButtons();
  Invalidate();
}

void TQvCustomItemGroup::ItemsChange(TObject*) {
  if (!FReading) UpdateButtons();
}

void TQvCustomItemGroup::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  inherited::GetChildren(
      [&](TComponent* Child) {
        if (std::find(FButtons.begin(), FButtons.end(), Child) == FButtons.end()) Proc(Child);
      },
      Root);
}

void TQvCustomItemGroup::ReadState(TReader* Reader) {
  {
    FReading = true;
    ++FStreamsRead;
    TOnExit read([this] { FReading = false; });
    inherited::ReadState(Reader);
  }
  UpdateButtons();
}

// Each column as wide as its widest entry: the caption without accelerator prefixes,
// the glyph and 12 pixels (at most 16 columns).
std::vector<int> TQvCustomItemGroup::ColumnWidths(int Rows) const {
  std::vector<int> widths(FColumns, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, FItemFont->Handle());
  for (int i = 0; i < ButtonCount(); ++i) {
    std::string text = RemovePrefixChars(FButtons[i]->Caption());
    TSize size{};
    GetTextExtentPoint32(dc, text.c_str(), static_cast<int>(text.size()), &size);
    int c = std::min(i / Rows, 15);
    widths[c] = std::max(widths[c], static_cast<int>(size.cx) + FGlyphWidth + 12);
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  return widths;
}

// Auto-sized, the group takes the size its items need, whatever its width and
// reading direction: the columns are measured from the items, not from where the
// buttons stand (right to left they stand against the width being replaced). The
// width is what the left-to-right layout reaches plus the frame; evenly spaced, it
// is the width whose even columns are each as wide as the widest entry.
bool TQvCustomItemGroup::CanAutoSize(int& NewWidth, int& NewHeight) {
  if (FButtons.empty()) return inherited::CanAutoSize(NewWidth, NewHeight);
  const int count = ButtonCount();
  const int rows = (count + FColumns - 1) / FColumns;
  std::vector<int> widths = ColumnWidths(rows);
  TRect client = GetClientRect();
  TRect adjusted = client;
  AdjustClientRect(adjusted);
  if (FSpaceEvenly) {
    int widest = *std::max_element(widths.begin(), widths.end());
    NewWidth = FStartXPos + 2 * BorderWidth() + 10 + FColumns * widest;
  } else {
    int reach = FStartXPos + FButtons[0]->BorderWidth() - 4;
    for (int w : widths) reach += w;
    NewWidth = reach + (Width() - adjusted.Right);
  }
  int bottom = adjusted.Top + FStartYPos + (rows - 1) * (FItemHeight + FVerticalSpacing) + FItemHeight;
  NewHeight = bottom + (Height() - adjusted.Bottom);
  return true;
}

void TQvCustomItemGroup::ArrangeButtons() {
  if (FButtons.empty() || FReading) return;
  // The size first: the columns are placed against the width they end up in.
  if (AutoSize()) AdjustSize();
  int count = ButtonCount();
  int rows = (count + FColumns - 1) / FColumns;
  std::vector<int> widths;
  int even = 0;
  if (FSpaceEvenly) even = (Width() - FStartXPos - 2 * BorderWidth() - 10) / FColumns;
  else widths = ColumnWidths(rows);
  TRect r = ClientRect();
  AdjustClientRect(r);
  int top = r.Top + FStartYPos;
  const bool rtl = UseRightToLeftAlignment();
  const int clientWidth = ClientWidth();
  for (int i = 0; i < count; ++i) {
    TQvCustomGlyphButton* b = FButtons[i];
    int c = i / rows;
    int x = 0, w = 0;
    if (FSpaceEvenly) {
      x = c * even;
      w = even;
    } else {
      for (int k = 0; k < c; ++k) x += widths[k];
      w = widths[c] - 4;
    }
    x += b->BorderWidth();
    // Right to left the columns mirror: each button's right edge lies where its
    // left edge would (an uneven column's button is 4 narrower than its column).
    x = rtl ? MirrorX(x, w, clientWidth) - FStartXPos : x + FStartXPos;
    int y = top + (i % rows) * (FItemHeight + FVerticalSpacing);
    b->SetBounds(x, y, w, FItemHeight);
    b->SetVisible(true);
    b->Font()->Assign(FItemFont);
    b->SetBiDiMode(BiDiMode());
    b->SetTextHighlightColor(FTextHighlightColor);
    b->SetTextShadowColor(FTextShadowColor);
    b->SetTextShadowDepth(FTextShadowDepth);
    b->SetLightTextStyle(FLightTextStyle);
    b->SetTextStyle(FTextStyle);
    b->SetTransparent(Transparent());
    b->SetWinMaskColor(FWinMaskColor);
    b->SetTransparentColor(FTransparentColor);
    b->SetCustomGlyphs(FCustomGlyphs);
    b->SetUseCustomGlyphs(FUseCustomGlyphs);
    b->SetFrameColor(FItemFrameColor);
    b->SetHotTrack(FItemHotTrack);
    b->SetHighlightColor(FItemHighlightColor);
    b->SetHotTrackColor(FItemHotTrackColor);
    b->SetHotTrackColorType(FItemHotTrackColorType);
  }
}

void TQvCustomItemGroup::CustomFramingChanged() {
  if (!FrameController() || !FrameController()->FrameVisible()) return;
  if (GroupStyle() == gsCustom) inherited::CustomFramingChanged();
  SetItemFrameColor(FrameController()->FrameColor());
  for (TQvCustomGlyphButton* b : FButtons) b->SetDisabledColor(FrameController()->DisabledColor());
}

void TQvCustomItemGroup::KeyPress(char& Key) {
  if (FTabOnEnter && Key == '\r') {
    Key = 0;
    PostMessage(Handle(), WM_KEYDOWN, VK_TAB, 0);
    return;
  }
  inherited::KeyPress(Key);
}

void TQvCustomItemGroup::ChangeScale(int M, int D) {
  inherited::ChangeScale(M, D);
  if (D == 0) return;
  if (FItemFontSet) FItemFont->SetSize(MulDiv(FItemFont->Size(), M, D));
  FVerticalSpacing = MulDiv(FVerticalSpacing, M, D);
  FItemHeight = MulDiv(FItemHeight, M, D);
  FStartYPos = MulDiv(FStartYPos, M, D);
  ArrangeButtons();
}

void TQvCustomItemGroup::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineProperty(
      "Flat",
      [this](TReader* R) {
        TValueType t = R->NextValue();
        if (t != vaTrue && t != vaFalse) return R->SkipValue();
        SetItemHotTrack(R->ReadBoolean());
      },
      nullptr, false);
}

void TQvCustomItemGroup::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CM_DIALOGCHAR: {
      TWMKey k(M);
      if (IsAccel(k.CharCode(), Caption()) && CanFocus()) {
        // The first child that takes the focus (a radio group's checked button
        // takes it when it is the only tab stop).
        if (TWinControl* first = FindNextControl(nullptr, true, true, false)) first->SetFocus();
        M.Result = 1;
      } else {
        inherited::Dispatch(M);
      }
      break;
    }
    case CM_BIDIMODECHANGED:
      inherited::Dispatch(M);
      ArrangeButtons();
      break;
    case CM_ENABLEDCHANGED:
      inherited::Dispatch(M);
      Repaint();
      for (TQvCustomGlyphButton* b : FButtons) b->SetEnabled(Enabled());
      break;
    case CM_FONTCHANGED:
      inherited::Dispatch(M);
      if (!FItemFontSet) {
        FItemFont->Assign(Font());
        FItemFontSet = false;
        ArrangeButtons();
      }
      Invalidate();
      break;
    case WM_SIZE:
      inherited::Dispatch(M);
      ArrangeButtons();
      break;
    default:
      inherited::Dispatch(M);
  }
}

// ---------------------------------------------------------------------------
// TQvCustomRadioGroup
// ---------------------------------------------------------------------------

const TClassInfo& TQvCustomRadioGroup::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TQvCustomRadioGroup>("TQvCustomRadioGroup", &TQvCustomItemGroup::StaticClass()).Build();
  return info;
}

const TClassInfo& TQvRadioGroup::StaticClass() {
  using S = TQvRadioGroup;
  static const TClassInfo info = [] {
    TClassBuilder<S> b("TQvRadioGroup", &TQvCustomRadioGroup::StaticClass());
    GroupBoxProps(b);
    ItemGroupProps(b)
        .Int("ItemIndex", &S::ItemIndex, [](S* s, int64_t v) { s->SetItemIndex(static_cast<int>(v)); }, -1)
        .Event("OnChanging", static_cast<TQvIndexChangingEvent S::*>(&TQvCustomRadioGroup::OnChanging));
    return b.Build();
  }();
  return info;
}

TQvCustomRadioGroup::TQvCustomRadioGroup(TComponent* AOwner) : TQvCustomItemGroup(AOwner) { FGlyphCount = 6; }

TQvCustomGlyphButton* TQvCustomRadioGroup::CreateButton() {
  auto* b = new TQvGroupButton(this);
  b->OnClick = [this](TObject* s) { ButtonClick(s); };
  return b;
}

void TQvCustomRadioGroup::UpdateButtons() {
  SetButtonCount(Items()->Count());
  for (int i = 0; i < ButtonCount(); ++i) FButtons[i]->SetCaption(Items()->Strings(i));
  // A streamed index beyond the items points at none of them.
  if (FItemIndex >= ButtonCount()) FItemIndex = ButtonCount() - 1;
  if (FItemIndex >= 0) {
    FInClick = true;
    FButtons[FItemIndex]->SetChecked(true);
    FInClick = false;
  }
  ArrangeButtons();
  Invalidate();
}

void TQvCustomRadioGroup::ItemsChange(TObject*) {
  if (FReading) return;
  if (FItemIndex >= Items()->Count()) FItemIndex = Items()->Count() - 1;
  UpdateButtons();
}

void TQvCustomRadioGroup::SetItemIndex(int Value) {
  if (FReading) {
    FItemIndex = Value;
    return;
  }
  if (Value < -1) Value = -1;
  if (Value >= ButtonCount()) Value = ButtonCount() - 1;
  if (Value == FItemIndex) return;
  if (FItemIndex >= 0 && FItemIndex < ButtonCount()) FButtons[FItemIndex]->SetChecked(false);
  FItemIndex = Value;
  if (FItemIndex >= 0) FButtons[FItemIndex]->SetChecked(true);
}

bool TQvCustomRadioGroup::CanChange(int NewIndex) {
  bool allow = true;
  if (OnChanging) OnChanging(this, NewIndex, allow);
  return allow;
}

void TQvCustomRadioGroup::ButtonClick(TObject* Sender) {
  if (FInClick) return;
  auto it = std::find(FButtons.begin(), FButtons.end(), Sender);
  if (it == FButtons.end()) return;
  int index = static_cast<int>(it - FButtons.begin());
  if (CanChange(index)) {
    FItemIndex = index;
    Changed();
    Click();
    return;
  }
  TRestore inClick(FInClick, true);
  if (FItemIndex < 0) {
    FButtons[index]->SetChecked(false);
  } else {
    // Focusing the old button checks it only when it had no focus before, so it
    // is checked here first (which unchecks the refused one).
    TQvCustomGlyphButton* old = FButtons[FItemIndex];
    old->SetChecked(true);
    if (old->CanFocus()) old->SetFocus();
  }
}

// ---------------------------------------------------------------------------
// TQvCustomCheckGroup
// ---------------------------------------------------------------------------

const TClassInfo& TQvCustomCheckGroup::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TQvCustomCheckGroup>("TQvCustomCheckGroup", &TQvCustomItemGroup::StaticClass()).Build();
  return info;
}

const TClassInfo& TQvCheckGroup::StaticClass() {
  using S = TQvCheckGroup;
  static const TClassInfo info = [] {
    TClassBuilder<S> b("TQvCheckGroup", &TQvCustomCheckGroup::StaticClass());
    GroupBoxProps(b);
    ItemGroupProps(b)
        .Bool("AllowGrayed", &S::AllowGrayed, &S::SetAllowGrayed, false)
        .Event("OnChange", static_cast<TStateChangeEvent S::*>(&TQvCustomCheckGroup::OnChange));
    return b.Build();
  }();
  return info;
}

TQvCustomCheckGroup::TQvCustomCheckGroup(TComponent* AOwner) : TQvCustomItemGroup(AOwner) {
  FGlyphCount = 9;
  FCheckStates = new TQvIntegerList();
  FCheckStates->SetDuplicates(dupAccept);
}

TQvCustomCheckGroup::~TQvCustomCheckGroup() { delete FCheckStates; }

void TQvCustomCheckGroup::SetAllowGrayed(bool Value) {
  if (Value == FAllowGrayed) return;
  FAllowGrayed = Value;
  ArrangeButtons();
}

TQvCustomGlyphButton* TQvCustomCheckGroup::CreateButton() {
  auto* b = new TQvGroupCheck(this);
  b->OnClick = [this](TObject* s) { CheckClick(s); };
  return b;
}

void TQvCustomCheckGroup::ArrangeButtons() {
  inherited::ArrangeButtons();
  if (FReading) return;
  for (TQvCustomGlyphButton* b : FButtons) static_cast<TQvCheckBox*>(b)->SetAllowGrayed(FAllowGrayed);
}

bool TQvCustomCheckGroup::GetItemChecked(int Index) { return FButtons.at(Index)->Checked(); }
void TQvCustomCheckGroup::SetItemChecked(int Index, bool Value) { FButtons.at(Index)->SetChecked(Value); }
TCheckBoxState TQvCustomCheckGroup::GetItemState(int Index) {
  return static_cast<TQvCheckBox*>(FButtons.at(Index))->State();
}
void TQvCustomCheckGroup::SetItemState(int Index, TCheckBoxState Value) {
  static_cast<TQvCheckBox*>(FButtons.at(Index))->SetState(Value);
}

void TQvCustomCheckGroup::Change(int Index, TCheckBoxState NewState) {
  if (OnChange) OnChange(this, Index, NewState);
}

void TQvCustomCheckGroup::CheckClick(TObject* Sender) {
  auto it = std::find(FButtons.begin(), FButtons.end(), Sender);
  if (it == FButtons.end()) return;
  Change(static_cast<int>(it - FButtons.begin()), static_cast<TQvCheckBox*>(*it)->State());
}

void TQvCustomCheckGroup::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineProperty(
      "CheckStates", [this](TReader* R) { ReadCheckStates(R); }, [this](TWriter* W) { WriteCheckStates(W); },
      ButtonCount() > 0);
}

void TQvCustomCheckGroup::ReadCheckStates(TReader* Reader) {
  FCheckStates->Clear();
  Reader->ReadListBegin();
  while (!Reader->EndOfList()) FCheckStates->Add(Reader->ReadInteger());
  Reader->ReadListEnd();
}

void TQvCustomCheckGroup::WriteCheckStates(TWriter* Writer) {
  Writer->WriteListBegin();
  for (TQvCustomGlyphButton* b : FButtons) Writer->WriteInteger(static_cast<int>(static_cast<TQvCheckBox*>(b)->State()));
  Writer->WriteListEnd();
}

void TQvCustomCheckGroup::Loaded() {
  inherited::Loaded();
  // A stream may hold more states than there are checks, or values that are no
  // state: only the states of existing checks are applied, and only valid ones.
  int n = std::min(FCheckStates->Count(), ButtonCount());
  for (int i = 0; i < n; ++i) {
    int32_t v = FCheckStates->Items(i);
    if (v >= 0 && v <= 2) SetItemState(i, static_cast<TCheckBoxState>(v));
  }
}

// ---------------------------------------------------------------------------
// The children
// ---------------------------------------------------------------------------

const TClassInfo& TQvGroupButton::StaticClass() {
  static const TClassInfo info = TClassBuilder<TQvGroupButton>("TQvGroupButton", &TQvRadioButton::StaticClass()).Build();
  return info;
}

TQvGroupButton::TQvGroupButton(TQvCustomItemGroup* Group) : TQvRadioButton(Group), FGroup(Group) {}

TQvGroupButton::~TQvGroupButton() {
  if (FGroup) FGroup->ButtonDestroyed(this);
}

void TQvGroupButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FGroup->CanModify()) inherited::MouseDown(Button, Shift, X, Y);
}

void TQvGroupButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FInMouseUp || !FGroup->CanModify()) return;
  TRestore inMouseUp(FInMouseUp, true);
  inherited::MouseUp(Button, Shift, X, Y);
}

void TQvGroupButton::KeyPress(char& Key) {
  inherited::KeyPress(Key);
  FGroup->GroupKeyPress(Key);
  if ((Key == '\b' || Key == ' ') && !FGroup->CanModify()) Key = 0;
}

void TQvGroupButton::KeyDown(WORD& Key, TShiftState Shift) {
  inherited::KeyDown(Key, Shift);
  FGroup->GroupKeyDown(Key, Shift);
}

const TClassInfo& TQvGroupCheck::StaticClass() {
  static const TClassInfo info = TClassBuilder<TQvGroupCheck>("TQvGroupCheck", &TQvCheckBox::StaticClass()).Build();
  return info;
}

TQvGroupCheck::TQvGroupCheck(TQvCustomItemGroup* Group) : TQvCheckBox(Group), FGroup(Group) {}

TQvGroupCheck::~TQvGroupCheck() {
  if (FGroup) FGroup->ButtonDestroyed(this);
}

void TQvGroupCheck::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FInMouseUp || !FGroup->CanModify()) return;
  TRestore inMouseUp(FInMouseUp, true);
  inherited::MouseUp(Button, Shift, X, Y);
}

void TQvGroupCheck::KeyPress(char& Key) {
  inherited::KeyPress(Key);
  FGroup->GroupKeyPress(Key);
  if ((Key == '\b' || Key == ' ') && !FGroup->CanModify()) Key = 0;
}

void TQvGroupCheck::KeyDown(WORD& Key, TShiftState Shift) {
  // The space key changes a check through its release; a group that may not be
  // modified lets neither reach the check.
  if (Key == VK_SPACE && !FGroup->CanModify()) return;
  inherited::KeyDown(Key, Shift);
  FGroup->GroupKeyDown(Key, Shift);
}

void TQvGroupCheck::KeyUp(WORD& Key, TShiftState Shift) {
  if (Key == VK_SPACE && !FGroup->CanModify()) return;
  inherited::KeyUp(Key, Shift);
}
