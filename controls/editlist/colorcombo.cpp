#include "controls/editlist/colorcombo.h"

#include <cstdio>
#include <memory>
#include <utility>

#include "controls/common/frames.h"
#include "controls/editlist/listnames.h"
#include "platform/core/sysutils.h"
#include "platform/graphics/gdi.h"

const TQvColorRec DefaultColorItem{"Default", 0};
const TQvColorRec CustomColorItem{"Custom", 0};
const TQvColorRec StdColorItems[16] = {
    {"Black", 0x000000}, {"Maroon", 0x000080}, {"Green", 0x008000},  {"Olive", 0x008080},
    {"Navy", 0x800000},  {"Purple", 0x800080}, {"Teal", 0x808000},   {"Gray", 0x808080},
    {"Silver", 0xC0C0C0}, {"Red", 0x0000FF},   {"Lime", 0x00FF00},   {"Yellow", 0x00FFFF},
    {"Blue", 0xFF0000},  {"Fuchsia", 0xFF00FF}, {"Aqua", 0xFFFF00},  {"White", 0xFFFFFF}};
const TQvColorRec SysColorItems[25] = {
    {"ScrollBar", TColor(0x80000000)},       {"Background", TColor(0x80000001)},
    {"ActiveCaption", TColor(0x80000002)},   {"InactiveCaption", TColor(0x80000003)},
    {"Menu", TColor(0x80000004)},            {"Window", TColor(0x80000005)},
    {"WindowFrame", TColor(0x80000006)},     {"MenuText", TColor(0x80000007)},
    {"WindowText", TColor(0x80000008)},      {"CaptionText", TColor(0x80000009)},
    {"ActiveBorder", TColor(0x8000000A)},    {"InactiveBorder", TColor(0x8000000B)},
    {"AppWorkSpace", TColor(0x8000000C)},    {"Highlight", TColor(0x8000000D)},
    {"HighlightText", TColor(0x8000000E)},   {"BtnFace", TColor(0x8000000F)},
    {"BtnShadow", TColor(0x80000010)},       {"GrayText", TColor(0x80000011)},
    {"BtnText", TColor(0x80000012)},         {"InactiveCaptionText", TColor(0x80000013)},
    {"BtnHighlight", TColor(0x80000014)},    {"3DDkShadow", TColor(0x80000015)},
    {"3DLight", TColor(0x80000016)},         {"InfoText", TColor(0x80000017)},
    {"InfoBk", TColor(0x80000018)}};

// ---------------------------------------------------------------------------
// TQvColorNames
// ---------------------------------------------------------------------------

namespace {
// Published names of the system captions ("3DDkShadow" is no identifier).
const char* const kSysPropNames[25] = {
    "ScrollBar", "Background", "ActiveCaption", "InactiveCaption", "Menu", "Window", "WindowFrame",
    "MenuText", "WindowText", "CaptionText", "ActiveBorder", "InactiveBorder", "AppWorkSpace",
    "Highlight", "HighlightText", "BtnFace", "BtnShadow", "GrayText", "BtnText", "InactiveCaptionText",
    "BtnHighlight", "DkShadow3D", "Light3D", "InfoText", "InfoBk"};
}  // namespace

const TClassInfo& TQvColorNames::StaticClass() {
  using N = TQvColorNames;
  static const TClassInfo info = [] {
    TClassBuilder<N> b("TQvColorNames", &TPersistent::StaticClass());
    b.Str("Default", &N::Default, &N::SetDefault, [](N* n) { return n->Default() != DefaultColorItem.Caption; });
    for (int i = 0; i < 16; ++i)
      b.Str(
          StdColorItems[i].Caption, [i](N* n) { return n->Std(i); }, [i](N* n, const std::string& v) { n->SetStd(i, v); },
          [i](N* n) { return n->Std(i) != StdColorItems[i].Caption; });
    for (int i = 0; i < 25; ++i)
      b.Str(
          kSysPropNames[i], [i](N* n) { return n->Sys(i); }, [i](N* n, const std::string& v) { n->SetSys(i, v); },
          [i](N* n) { return n->Sys(i) != SysColorItems[i].Caption; });
    b.Str("Custom", &N::Custom, &N::SetCustom, [](N* n) { return n->Custom() != CustomColorItem.Caption; });
    return b.Build();
  }();
  return info;
}

TQvColorNames::TQvColorNames(TQvColorComboBox* Owner) : FOwner(Owner) {
  FDefault = DefaultColorItem.Caption;
  FCustom = CustomColorItem.Caption;
  for (int i = 0; i < 16; ++i) FStd[i] = StdColorItems[i].Caption;
  for (int i = 0; i < 25; ++i) FSys[i] = SysColorItems[i].Caption;
}

// A caption was changed, shown or not: the owner's names are stored from now on.
void TQvColorNames::Changed() {
  if (FOwner) FOwner->FNamesChanged = true;
}

// Renames the owner's item Index (when it exists), keeping the selection.
void TQvColorNames::Put(int Index, const std::string& V) {
  if (!FOwner) return;
  TStrings* items = FOwner->Items();
  if (!FOwner->HandleAllocated() || Index < 0 || Index >= items->Count()) return;
  int sel = FOwner->ItemIndex();
  TObject* o = items->Objects(Index);
  items->SetStrings(Index, V);
  items->SetObjects(Index, o);
  FOwner->SetItemIndex(sel);
}

void TQvColorNames::SetDefault(const std::string& V) {
  FDefault = V;
  Changed();
  if (ShowDefaultColor) Put(0, V);
}

void TQvColorNames::SetStd(int I, const std::string& V) {
  FStd[I] = V;
  Changed();
  Put(ShowDefaultColor ? I + 1 : I, V);
}

void TQvColorNames::SetSys(int I, const std::string& V) {
  FSys[I] = V;
  Changed();
  if (ShowSysColors) Put(ShowDefaultColor ? 17 + I : 16 + I, V);
}

void TQvColorNames::SetCustom(const std::string& V) {
  FCustom = V;
  Changed();
  if (ShowCustomColor && FOwner) Put(FOwner->Items()->Count() - 1, V);
}

void TQvColorNames::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TQvColorNames*>(Source);
  if (!s) return inherited::Assign(Source);
  if (ShowDefaultColor) SetDefault(s->FDefault);
  for (int i = 0; i < 16; ++i) SetStd(i, s->FStd[i]);
  if (ShowSysColors)
    for (int i = 0; i < 25; ++i) SetSys(i, s->FSys[i]);
  if (ShowCustomColor) SetCustom(s->FCustom);
}

// ---------------------------------------------------------------------------
// TQvColorComboBox
// ---------------------------------------------------------------------------

TQvColorComboBox::TQvColorComboBox(TComponent* AOwner) : TQvCustomComboBox(AOwner) {
  SetStyle(csOwnerDrawFixed);
  FColorNames = new TQvColorNames(this);
  FCustomColors = new TStringList();
  InitColorNames();
}

TQvColorComboBox::~TQvColorComboBox() {
  delete FColorNames;
  delete FSavedNames;
  delete FCustomColors;
}

void TQvColorComboBox::InitColorNames() {
  TQvColorNames fresh;
  FColorNames->FDefault = fresh.FDefault;
  FColorNames->FCustom = fresh.FCustom;
  for (int i = 0; i < 16; ++i) FColorNames->FStd[i] = fresh.FStd[i];
  for (int i = 0; i < 25; ++i) FColorNames->FSys[i] = fresh.FSys[i];
}

TColor TQvColorComboBox::GetColorFromItem(int Index) {
  return static_cast<TColor>(reinterpret_cast<intptr_t>(Items()->Objects(Index)));
}

static TObject* ColorObject(TColor C) { return reinterpret_cast<TObject*>(static_cast<intptr_t>(static_cast<uint32_t>(C))); }

void TQvColorComboBox::CreateWnd() {
  inherited::CreateWnd();
  TStrings* items = Items();
  items->Clear();
  if (FShowDefaultColor) {
    items->AddObject(DefaultColorItem.Caption, ColorObject(FDefaultColor));
  }
  for (const TQvColorRec& r : StdColorItems) items->AddObject(r.Caption, ColorObject(r.Color));
  if (FShowSysColors)
    for (const TQvColorRec& r : SysColorItems) items->AddObject(r.Caption, ColorObject(r.Color));
  if (FShowCustomColor) {
    items->AddObject(CustomColorItem.Caption, ColorObject(FCustomColor));
  }
  if (FSavedNames) {
    FColorNames->Assign(FSavedNames);
    delete FSavedNames;
    FSavedNames = nullptr;
  } else if (FNamesChanged) {
    TQvColorNames copy;
    copy.Assign(FColorNames);
    FColorNames->Assign(&copy);
  }
  SetItemIndex(FSavedIndex);
}

void TQvColorComboBox::DestroyWnd() {
  FSavedIndex = ItemIndex();
  if (Items()->Count() > 0 && FNamesChanged) {
    delete FSavedNames;
    // Every caption is kept, shown or not: a group shown before the window comes
    // back must get its own captions, not the table's.
    FSavedNames = new TQvColorNames();
    FSavedNames->Assign(FColorNames);
    FSavedNames->ShowSysColors = FShowSysColors;
    FSavedNames->ShowDefaultColor = FShowDefaultColor;
    FSavedNames->ShowCustomColor = FShowCustomColor;
  }
  inherited::DestroyWnd();
}

void TQvColorComboBox::Loaded() {
  inherited::Loaded();
  // The colour read is chosen now that the list and its colours are all read.
  if (std::optional<TColor> read = std::exchange(FReadSelected, std::nullopt)) SetSelectedColor(*read);
  if (ItemIndex() < 0 && !FKeepCustom && Items()->Count() > 0) SetItemIndex(0);
}

void TQvColorComboBox::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FRegIniFile) FRegIniFile = nullptr;
}

void TQvColorComboBox::SetRegIniFile(TQvRegIniFile* V) {
  if (V == FRegIniFile) return;
  FRegIniFile = V;
  if (V) V->FreeNotification(this);
}

void TQvColorComboBox::SetDefaultColor(TColor V) {
  if (V == FDefaultColor) return;
  FDefaultColor = V;
  if (FShowDefaultColor && Items()->Count() > 0) {
    Items()->SetObjects(0, ColorObject(V));
    Invalidate();
  }
}

void TQvColorComboBox::SetCustomColor(TColor V) {
  if (V == -1) V = 0;
  if (V == FCustomColor) return;
  FCustomColor = V;
  if (FShowCustomColor && Items()->Count() > 0) {
    Items()->SetObjects(Items()->Count() - 1, ColorObject(V));
    Invalidate();
  }
}

void TQvColorComboBox::SetCustomColors(TStrings* V) {
  FCustomColors->Assign(V);
  FixupCustomColors();
}

void TQvColorComboBox::FixupCustomColors() {
  for (int i = 0; i < FCustomColors->Count(); ++i) {
    std::string line = FCustomColors->Strings(i);
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    int v = StrToInt("$" + line.substr(eq + 1));
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.6x", static_cast<unsigned>(v) & 0xFFFFFF);
    FCustomColors->SetStrings(i, line.substr(0, eq + 1) + buf);
  }
}

#define QV_SHOW_SETTER(Name, Field, Flag) \
  void TQvColorComboBox::Set##Name(bool V) { \
    if (V == Field) return; \
    Field = V; \
    FColorNames->Flag = V; \
    if (HandleAllocated()) RecreateWnd(); \
  }
QV_SHOW_SETTER(ShowSysColors, FShowSysColors, ShowSysColors)
QV_SHOW_SETTER(ShowDefaultColor, FShowDefaultColor, ShowDefaultColor)
QV_SHOW_SETTER(ShowCustomColor, FShowCustomColor, ShowCustomColor)
#undef QV_SHOW_SETTER

void TQvColorComboBox::SetShowColorNames(bool V) {
  if (V == FShowColorNames) return;
  FShowColorNames = V;
  Invalidate();
}

TColor TQvColorComboBox::GetSelectedColor() {
  if (FReadSelected && ComponentState().Contains(csLoading)) return *FReadSelected;
  int i = ItemIndex();
  if (i >= 0) return GetColorFromItem(i);
  // A colour that is in no item and has no Custom item to show it stays custom.
  return FKeepCustom ? FCustomColor : FDefaultColor;
}

void TQvColorComboBox::SetSelectedColor(TColor V) {
  // While a form is read the item is chosen in Loaded: DefaultColor, CustomColor and
  // the Show... flags read after this line would move or replace it.
  if (ComponentState().Contains(csLoading)) {
    FReadSelected = V;
    return;
  }
  // The list is built with the window (a form being read sets this in Loaded).
  if (Items()->Count() == 0 && Parent() && !HandleAllocated()) HandleNeeded();
  int found = -1;
  for (int i = 0; i < Items()->Count(); ++i)
    if (GetColorFromItem(i) == V) {
      found = i;
      break;
    }
  FKeepCustom = false;
  if (found < 0) {
    SetCustomColor(V);
    if (FShowCustomColor) {
      found = Items()->Count() - 1;
    } else {
      FKeepCustom = true;
    }
  }
  SetItemIndex(found);
  Change();
}

void TQvColorComboBox::SetFrameVisible(bool V) {
  TColor c = GetSelectedColor();
  inherited::SetFrameVisible(V);
  if (HandleAllocated() && !ComponentState().Contains(csLoading)) SetSelectedColor(c);
}

void TQvColorComboBox::LoadCustomColors(const std::string& Section) {
  if (!FRegIniFile) throw ENoRegIniFile("Cannot load Custom Colors--No TQvRegIniFile component specified");
  FRegIniFile->ReadSectionValues(Section, FCustomColors);
  FixupCustomColors();
}

void TQvColorComboBox::SaveCustomColors(const std::string& Section) {
  if (!FRegIniFile) throw ENoRegIniFile("Cannot save Custom Colors--No TQvRegIniFile component specified");
  for (int i = 0; i < FCustomColors->Count(); ++i)
    FRegIniFile->WriteString(Section, FCustomColors->Names(i), FCustomColors->ValueFromIndex(i));
}

void TQvColorComboBox::WndProc(TMessage& M) {
  if (M.Msg == CN_COMMAND) {
    // Escape sends SELENDCANCEL and then CLOSEUP: the close-up still sees it.
    if (HIWORD(M.WParam) != CBN_CLOSEUP) FCancelled = HIWORD(M.WParam) == CBN_SELENDCANCEL;
    if (HIWORD(M.WParam) == CBN_SELCHANGE) FKeepCustom = false;
  } else if (M.Msg == CN_DRAWITEM && FShowColorNames) {
    // The names' margin for the swatch lies on the reading side.
    if (auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(M.LParam)) {
      if (UseRightToLeftAlignment()) d->rcItem.Right -= 24;
      else d->rcItem.Left += 24;
    }
  } else if (M.Msg == CM_FONTCHANGED) {
    inherited::WndProc(M);
    if (HandleAllocated()) RecreateWnd();
    return;
  }
  inherited::WndProc(M);
}

void TQvColorComboBox::CloseUp() {
  std::weak_ptr<bool> alive = AliveToken();
  inherited::CloseUp();  // OnCloseUp may free the control
  if (alive.expired()) return;
  if (FCancelled || !FShowCustomColor || ItemIndex() != Items()->Count() - 1 || ItemIndex() < 0) return;
  // The dialog is not owned by the combo box: a handler that frees the combo box
  // while the dialog shows leaves the dialog whole, and the combo box is not
  // touched afterwards.
  auto dialog = std::make_unique<TColorDialog>(nullptr);
  dialog->SetColor(GetSelectedColor());
  dialog->SetCustomColors(FCustomColors);
  dialog->SetOptions(FColorDlgOptions);
  bool ok = dialog->Execute();
  if (alive.expired() || !ok) return;
  SetCustomColors(dialog->CustomColors());
  SetCustomColor(dialog->Color());
}

// Swatch, border, name:
//
//   |<-24->|
//   | [##] |Name          (names shown: a 16-px swatch in the freed margin)
//   | [######]  ...       (custom item without names: 20 px left free on the right)
void TQvColorComboBox::DrawItem(int Index, TRect Rect, TOwnerDrawState State) {
  TCanvas* c = Canvas();
  c->FillRect(Rect);
  bool edit = State.Contains(odComboBoxEdit);
  bool custom = FShowCustomColor && Index == Items()->Count() - 1;
  // Right to left the swatch and the dots are laid out as left to right, then
  // mirrored within the whole item (the names' margin included).
  const bool rtl = UseRightToLeftAlignment();
  TRect whole = Rect, item = Rect;
  if (FShowColorNames && rtl) {
    whole.Right += 24;
    OffsetRect(item, 24, 0);
  } else if (FShowColorNames) {
    whole.Left -= 24;
  }
  auto mirror = [&](const TRect& R) {
    return rtl ? TRect(whole.Left + whole.Right - R.Right, R.Top, whole.Left + whole.Right - R.Left, R.Bottom) : R;
  };
  TRect swatch = item;
  InflateRect(swatch, -2, -2);
  if (!edit) OffsetRect(swatch, 2, 0);
  if (FShowColorNames) {
    swatch.Left = item.Left - 24 + (edit ? 0 : 2);
    swatch.Right = swatch.Left + 16;
  } else if (custom) {
    swatch.Right -= 20;
  }
  swatch = mirror(swatch);
  TColor color = GetColorFromItem(Index);
  TColor oldBrush = c->Brush()->Color();
  c->Brush()->SetColor(color);
  c->Pen()->SetColor(clBtnShadow);
  c->Rectangle(swatch);
  uint32_t rgb = static_cast<uint32_t>(ColorToRGB(color));
  bool dark = ((rgb >> 16) & 0xFF) <= 0x80 && ((rgb >> 8) & 0xFF) <= 0x80 && (rgb & 0xFF) <= 0x80;
  TColor border = dark ? TColor(0x000000) : TColor(0x808080);
  DrawSides(c, swatch, border, border, AllSides);
  bool selected = State.Contains(odSelected);
  c->Brush()->SetColor(selected ? clHighlight : Color());
  c->Pen()->SetColor(selected ? clHighlightText : (Enabled() ? clWindowText : clBtnShadow));
  (void)oldBrush;
  if (custom) {
    c->Brush()->SetColor(c->Pen()->Color());
    for (int x : {item.Right - 16, item.Right - 12, item.Right - 8})
      c->Rectangle(mirror(TRect(x, Rect.Bottom - 7, x + 2, Rect.Bottom - 4)));
    c->Brush()->SetColor(selected ? clHighlight : Color());
  }
  if (FShowColorNames) {
    if (!Enabled()) c->Font()->SetColor(clBtnShadow);
    int h = Rect.Height() - c->TextHeight("Yy");
    c->Brush()->SetStyle(bsClear);
    unsigned align = GetTextAlign(c->Handle());
    if (rtl) SetTextAlign(c->Handle(), TA_RIGHT | TA_RTLREADING);
    c->TextOut(rtl ? Rect.Right - 2 : Rect.Left + 2, Rect.Top + h / 2, Items()->Strings(Index));
    SetTextAlign(c->Handle(), align);
    c->Brush()->SetStyle(bsSolid);
  }
}

const TClassInfo& TQvColorComboBox::StaticClass() {
  using C = TQvColorComboBox;
  static const TClassInfo info = [] {
    TClassBuilder<C> b("TQvColorComboBox", &TQvCustomComboBox::StaticClass());
    b.Component();
    AddFramedComboProps(b);
    PublishComboBoxNames(b);
    auto& idents = ColorIdents();
    b.Set<TColorDialogOption>("ColorDlgOptions", &C::ColorDlgOptions, &C::SetColorDlgOptions,
                              TColorDialogOptions{cdFullOpen})
        .Object<TQvColorNames>("ColorNames", &C::ColorNames, &C::SetColorNames, [](C* x) { return x->NamesChanged(); })
        .Int("CustomColor", &C::CustomColor, &C::SetCustomColor, 0, {}, &idents)
        .Object<TStrings>("CustomColors", &C::CustomColors, &C::SetCustomColors)
        .Int("DefaultColor", &C::DefaultColor, &C::SetDefaultColor, 0, {}, &idents)
        .Int("DropDownCount", &C::DropDownCount, [](C* x, int64_t v) { x->SetDropDownCount(static_cast<int>(v)); }, 8)
        .Int("ItemHeight", &C::ItemHeight, [](C* x, int64_t v) { x->SetItemHeight(static_cast<int>(v)); }, 16)
        .Object<TQvRegIniFile>("RegIniFile", &C::RegIniFile, &C::SetRegIniFile)
        .Int("SelectedColor", &C::GetSelectedColor, &C::SetSelectedColor, std::nullopt, {}, &idents)
        .Bool("ShowColorNames", &C::ShowColorNames, &C::SetShowColorNames, true)
        .Bool("ShowCustomColor", &C::ShowCustomColor, &C::SetShowCustomColor, true)
        .Bool("ShowDefaultColor", &C::ShowDefaultColor, &C::SetShowDefaultColor, true)
        .Bool("ShowSysColors", &C::ShowSysColors, &C::SetShowSysColors, true);
    return b.Build();
  }();
  return info;
}

namespace {
const bool kRegistered = (RegisterClass(ClassEntry<TQvColorComboBox>()), true);
}
