#include "controls/editlist/fontlists.h"

#include "controls/common/utils.h"
#include "platform/controls/forms.h"
#include "platform/controls/winuser.h"
#include "platform/graphics/gdi.h"
#include "platform/stdctrls/edit.h"

DTU_DEFINE_ENUM(TQvFontDevice, "fdScreen", "fdPrinter")
DTU_DEFINE_ENUM(TQvFontType, "ftAll", "ftTrueType", "ftFixedPitch", "ftPrinter")
DTU_DEFINE_ENUM(TQvShowStyle, "ssFontName", "ssFontSample", "ssFontNameAndSample", "ssFontPreview")

namespace {
constexpr const char* kDefaultSample = "AaBbYyZz";

TObject* PitchObject(uint8_t B) { return reinterpret_cast<TObject*>(static_cast<uintptr_t>(B)); }
uint8_t PitchOf(TObject* O) { return static_cast<uint8_t>(reinterpret_cast<uintptr_t>(O) & 0x0F); }

// The glyphs, 12 x 12: o clOlive (transparent), K black, G gray, N navy, W white.
const char* const kGlyphArt[5][12] = {
    {"GGGGGGGooooo", "GooGooGooooo", "oooGoooooooo", "oooGoooooooo", "oooGKKKKKKKo", "oooGKooKooKo",
     "ooGGGooKoooo", "oooooooKoooo", "oooooooKoooo", "oooooooKoooo", "ooooooKKKooo", "oooooooooooo"},
    {"oooooooooooo", "oKKKKKKKKKKo", "oKWWWWWWWWKo", "oKWKKKWKKWKo", "oKWKWWWKWWKo", "oKWKKWWKKWKo",
     "oKWKWWWKWWKo", "oKWKWWWKWWKo", "oKWWWWWWWWKo", "oKKKKKKKKKKo", "oooooooooooo", "oooooooooooo"},
    {"GGGGGGGooooo", "GooGooGooooo", "oooGoooooooo", "oooGoooooooo", "oooGNNNNNNNo", "oooGNooNooNo",
     "ooGGGooNoooo", "oooooooNoooo", "oooooooNoooo", "oooooooNoooo", "ooooooNNNooo", "oooNNNNNNNNo"},
    {"oooooooooooo", "oooKKKKKKooo", "oooKWWWWKooo", "oooKWWWWKooo", "oKKKKKKKKKKo", "oKGGGGGGGGKo",
     "oKGGGGGGWGKo", "oKGGGGGGGGKo", "oKKKKKKKKKKo", "oooKWWWWKooo", "oooKKKKKKooo", "oooooooooooo"},
    {"oooooooooooo", "oKKKKKKKKKKo", "oKNNNNNNNNKo", "oKNNNNNNNNKo", "oKNNNNNNNNKo", "oKNNNNNNNNKo",
     "oKNNNNNNNNKo", "oKKKKKKKKKKo", "ooooKKKKoooo", "ooKKKKKKKKoo", "oooooooooooo", "oooooooooooo"},
};
}  // namespace

bool FontPassesFilter(TQvFontType Type, bool ShowSymbolFonts, uint8_t PitchAndFamily, uint8_t CharSet) {
  if (!ShowSymbolFonts && CharSet == SYMBOL_CHARSET) return false;
  switch (Type) {
    case ftAll: return true;
    case ftTrueType: return (PitchAndFamily & TMPF_TRUETYPE) != 0;
    case ftFixedPitch: return (PitchAndFamily & TMPF_FIXED_PITCH) == 0;
    case ftPrinter: return false;  // no printer fonts on this system
  }
  return false;
}

TBitmap* CreateFontGlyph(TQvFontGlyph Glyph) {
  auto* b = new TBitmap(12, 12);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) {
      TColor c = clOlive;
      switch (kGlyphArt[static_cast<int>(Glyph)][y][x]) {
        case 'K': c = clBlack; break;
        case 'G': c = clGray; break;
        case 'N': c = clNavy; break;
        case 'W': c = clWhite; break;
        default: break;
      }
      b->Canvas()->SetPixels(x, y, c);
    }
  return b;
}

TQvFontGlyph FontGlyphFor(uint8_t P, TQvFontDevice Device) {
  bool tt = (P & TMPF_TRUETYPE) != 0, fixed = (P & TMPF_FIXED_PITCH) == 0;
  if (tt) return fixed ? TQvFontGlyph::fgTrueTypeFixed : TQvFontGlyph::fgTrueType;
  if (fixed) return TQvFontGlyph::fgFixedPitch;
  return Device == fdPrinter ? TQvFontGlyph::fgPrinter : TQvFontGlyph::fgDevice;
}

// ---------------------------------------------------------------------------
// TQvPreviewFontPanel
// ---------------------------------------------------------------------------

const TClassInfo& TQvPreviewFontPanel::StaticClass() {
  static const TClassInfo info = TClassBuilder<TQvPreviewFontPanel>("TQvPreviewFontPanel", &TCustomPanel::StaticClass()).Build();
  return info;
}

TQvPreviewFontPanel::TQvPreviewFontPanel(TComponent* AOwner, TWinControl* FontControl)
    : TCustomPanel(AOwner), FFontControl(FontControl) {
  SetColor(clWindow);
  SetBounds(0, 0, 260, 65);
  SetVisible(false);
  SetCaption(kDefaultSample);
  SetBevelOuter(bvNone);
  Font()->SetSize(36);
}

void TQvPreviewFontPanel::CreateParams(TCreateParams& P) {
  inherited::CreateParams(P);
  P.Style = WS_POPUP;
  P.WindowClassStyle |= CS_SAVEBITS;
}

void TQvPreviewFontPanel::Paint() {
  inherited::Paint();
  Canvas()->Brush()->SetStyle(bsClear);
  Canvas()->Pen()->SetColor(clWindowText);
  Canvas()->Rectangle(TRect(0, 0, Width(), Height()));
  Canvas()->Brush()->SetStyle(bsSolid);
}

void TQvPreviewFontPanel::WndProc(TMessage& M) {
  switch (M.Msg) {
    case CM_SHOWINGCHANGED: return;
    case CM_CANCELMODE:
      if (reinterpret_cast<TControl*>(M.LParam) != this && FFontControl) FFontControl->Perform(CM_HIDEPREVIEWPANEL, 0, 0);
      break;
    case WM_KILLFOCUS:
      inherited::WndProc(M);
      if (FFontControl) FFontControl->Perform(CM_HIDEPREVIEWPANEL, 0, 0);
      return;
    default: break;
  }
  inherited::WndProc(M);
}

// ---------------------------------------------------------------------------
// TQvFontComboBox
// ---------------------------------------------------------------------------

TQvFontComboBox::TQvFontComboBox(TComponent* AOwner) : TQvCustomComboBox(AOwner) {
  SetStyle(csOwnerDrawFixed);
  SetSorted(true);
  SetDropDownCount(14);
  FSelectedFont = new TFont();
  FSelectedFont->SetSize(8);
  LoadBitmaps();
  if (!ComponentState().Contains(csDesigning)) FPreviewPanel = new TQvPreviewFontPanel(this, this);
}

TQvFontComboBox::~TQvFontComboBox() {
  delete FSelectedFont;
  for (TBitmap* b : FGlyphs) delete b;
}

void TQvFontComboBox::LoadBitmaps() {
  for (int i = 0; i < 5; ++i) {
    delete FGlyphs[i];
    FGlyphs[i] = CreateFontGlyph(static_cast<TQvFontGlyph>(i));
  }
}

void TQvFontComboBox::LoadFonts() {
  // The recent section was part of the old items.
  FLastMRUIndex = -1;
  TStrings* items = Items();
  items->BeginUpdate();
  HDC dc = GetDC(nullptr);
  EnumFontFamilies(dc, nullptr, [&](const LOGFONT& Lf, const TEXTMETRIC& Tm, int) {
    if (FontPassesFilter(FFontType, FShowSymbolFonts, Tm.tmPitchAndFamily, Lf.lfCharSet))
      items->AddObject(std::string(Lf.lfFaceName).substr(0, 32), PitchObject(Tm.tmPitchAndFamily));
    return 1;
  });
  ReleaseDC(nullptr, dc);
  items->EndUpdate();
}

void TQvFontComboBox::CreateWnd() {
  inherited::CreateWnd();
  Items()->Clear();
  LoadFonts();
  if (!FSavedFontName.empty()) SetFontName(FSavedFontName);
}

void TQvFontComboBox::DestroyWnd() {
  FSavedFontName = GetFontName();
  inherited::DestroyWnd();
}

#define QV_RELOAD_SETTER(Name, Type, Field) \
  void TQvFontComboBox::Set##Name(Type V) { \
    if (V == Field) return; \
    Field = V; \
    if (HandleAllocated()) RecreateWnd(); \
  }
QV_RELOAD_SETTER(FontDevice, TQvFontDevice, FFontDevice)
QV_RELOAD_SETTER(FontType, TQvFontType, FFontType)
QV_RELOAD_SETTER(ShowSymbolFonts, bool, FShowSymbolFonts)
#undef QV_RELOAD_SETTER

void TQvFontComboBox::SetShowStyle(TQvShowStyle V) {
  if (V == FShowStyle) return;
  FShowStyle = V;
  Invalidate();
}

void TQvFontComboBox::SetPreviewEdit(TCustomEdit* V) {
  if (V == FPreviewEdit) return;
  FPreviewEdit = V;
  if (V) V->FreeNotification(this);
}

void TQvFontComboBox::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FPreviewEdit) FPreviewEdit = nullptr;
  if (AComponent == FPreviewPanel) FPreviewPanel = nullptr;
}

std::string TQvFontComboBox::GetFontName() {
  int i = ItemIndex();
  return i >= 0 ? Items()->Strings(i) : std::string();
}

void TQvFontComboBox::SetFontName(const std::string& V) { SetItemIndex(Items()->IndexOf(V)); }

TFont* TQvFontComboBox::GetSelectedFont() {
  int i = ItemIndex();
  if (i < 0) return nullptr;
  FSelectedFont->SetName(Items()->Strings(i));
  FSelectedFont->SetSize(FFontSize);
  FSelectedFont->SetStyle(FFontStyle);
  return FSelectedFont;
}

void TQvFontComboBox::SetSelectedFont(TFont* F) {
  if (F) SetItemIndex(Items()->IndexOf(F->Name()));
}

void TQvFontComboBox::UpdatePreviewText() {
  if (!FPreviewPanel) return;
  std::string sample = FPreviewText.empty() ? kDefaultSample : FPreviewText;
  FPreviewPanel->SetAlignment(taCenter);
  if (FPreviewEdit) {
    FPreviewPanel->SetAlignment(taLeftJustify);
    sample = FPreviewEdit->SelLength() > 0 ? FPreviewEdit->SelText() : FPreviewEdit->Text().substr(0, 10);
  } else {
    TCanvas* c = FPreviewPanel->PanelCanvas();
    c->Font()->Assign(FPreviewPanel->Font());
    c->Font()->SetSize(FPreviewFontSize);
    if (c->TextWidth(sample) >= FPreviewWidth) sample = "AaBbYyZ";
    if (c->TextWidth(sample) >= FPreviewWidth) sample = "AaBbYy";
  }
  FPreviewPanel->SetCaption(sample);
}

void TQvFontComboBox::ShowPreviewPanel() {
  if (!FPreviewPanel || Items()->Count() == 0) return;
  TPoint p = ClientToScreen(TPoint(0, 0));
  int x = p.X + (DropDownWidth() > 0 ? DropDownWidth() : Width());
  int right;
  if (TMonitor* m = GetMonitorContainingPoint(p)) right = GetMonitorWorkArea(m).Right;
  else right = GetActiveWorkAreaWidth(Parent());
  if (x + FPreviewWidth > right) x = p.X - FPreviewWidth;
  FPreviewPanel->Font()->SetSize(FPreviewFontSize);
  FPreviewPanel->HandleNeeded();
  SetWindowPos(FPreviewPanel->Handle(), nullptr, x - 1, p.Y, FPreviewWidth, FPreviewHeight,
               SWP_SHOWWINDOW | SWP_NOACTIVATE);
  FPreviewPanel->FShown = true;
}

void TQvFontComboBox::HidePreviewPanel() {
  if (!FPreviewPanel || !FPreviewPanel->FShown) return;
  if (FPreviewPanel->HandleAllocated())
    SetWindowPos(FPreviewPanel->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  FPreviewPanel->FShown = false;
}

void TQvFontComboBox::DropDown() {
  UpdatePreviewText();
  std::weak_ptr<bool> alive = AliveToken();
  inherited::DropDown();
  if (alive.expired()) return;
  if (FShowStyle == ssFontPreview) ShowPreviewPanel();
}

void TQvFontComboBox::CloseUp() {
  std::weak_ptr<bool> alive = AliveToken();
  inherited::CloseUp();
  if (alive.expired()) return;
  HidePreviewPanel();
  AddSelectedToMRU();
}

void TQvFontComboBox::AddSelectedToMRU() {
  int sel = ItemIndex();
  if (!FMaintainMRUFonts || sel <= 0) return;
  std::string name = Items()->Strings(sel);
  int found = -1;
  for (int i = 0; i <= FLastMRUIndex && i < Items()->Count(); ++i)
    if (Items()->Strings(i) == name) {
      found = i;
      break;
    }
  if (found >= 0) {
    Items()->Move(found, 0);
  } else {
    Items()->InsertObject(0, name, Items()->Objects(sel));
    if (sel > FLastMRUIndex) ++FLastMRUIndex;
  }
  SetItemIndex(0);
}

void TQvFontComboBox::WndProc(TMessage& M) {
  switch (M.Msg) {
    case CM_HIDEPREVIEWPANEL:
      HidePreviewPanel();
      return;
    case CM_CANCELMODE:
      if (reinterpret_cast<TControl*>(M.LParam) != this) HidePreviewPanel();
      break;
    case CM_FONTCHANGED:
      inherited::WndProc(M);
      if (HandleAllocated()) RecreateWnd();
      return;
    case CN_DRAWITEM:
      if (auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(M.LParam)) {
        d->rcItem.Left += 24;
        d->rcItem.Right -= 1;
      }
      break;
    default: break;
  }
  inherited::WndProc(M);
}

// |glyph at Left-20| name (control font) | sample (own font)
void TQvFontComboBox::DrawItem(int Index, TRect Rect, TOwnerDrawState State) {
  TCanvas* c = Canvas();
  c->FillRect(Rect);
  std::string name = Items()->Strings(Index);
  uint8_t pitch = PitchOf(Items()->Objects(Index));
  std::unique_ptr<TBitmap> cell(new TBitmap(12, 12));
  cell->Canvas()->Brush()->SetColor(Color());
  cell->Canvas()->FillRect(TRect(0, 0, 12, 12));
  cell->Canvas()->BrushCopy(TRect(0, 0, 12, 12), FGlyphs[static_cast<int>(FontGlyphFor(pitch, FFontDevice))],
                            TRect(0, 0, 12, 12), clOlive);
  c->Draw(Rect.Left - 20, Rect.Top + (Rect.Height() - 12) / 2, cell.get());
  if (!Enabled()) c->Font()->SetColor(clBtnShadow);
  bool edit = State.Contains(odComboBoxEdit);
  TQvShowStyle style = FShowStyle;
  if (edit && style == ssFontNameAndSample) style = ssFontName;
  int dy = (Rect.Height() - c->TextHeight("Yy")) / 2;
  c->Brush()->SetStyle(bsClear);
  switch (style) {
    case ssFontName:
    case ssFontPreview:
      c->TextRect(Rect, Rect.Left + 2, Rect.Top + dy, name);
      break;
    case ssFontSample: {
      c->Font()->SetName(name);
      dy = (Rect.Height() - c->TextHeight("Yy")) / 2;
      c->TextRect(Rect, Rect.Left + 2, Rect.Top + dy, name);
      break;
    }
    case ssFontNameAndSample: {
      int mid = Rect.Left + Rect.Width() / 2;
      TRect left(Rect.Left, Rect.Top, mid - 4, Rect.Bottom);
      c->TextRect(left, Rect.Left + 2, Rect.Top + dy, name);
      c->Pen()->SetColor(Enabled() ? clWindowText : clBtnShadow);
      c->MoveTo(mid + 2, Rect.Top);
      c->LineTo(mid + 2, Rect.Bottom);
      c->Font()->SetName(name);
      int sdy = (Rect.Height() - c->TextHeight("Yy")) / 2;
      TRect right(mid + 4, Rect.Top, Rect.Right, Rect.Bottom);
      c->TextRect(right, mid + 4, Rect.Top + sdy, name);
      break;
    }
  }
  c->Brush()->SetStyle(bsSolid);
  if (FShowStyle == ssFontPreview && State.Contains(odFocused) && FPreviewPanel) {
    FPreviewPanel->Font()->SetName(name);
    FPreviewPanel->PanelCanvas()->Font()->Assign(FPreviewPanel->Font());
    UpdatePreviewText();
  }
  if (FMaintainMRUFonts && !edit && Index == FLastMRUIndex) {
    c->Pen()->SetColor(clWindowText);
    c->MoveTo(0, Rect.Bottom - 1);
    c->LineTo(Rect.Right, Rect.Bottom - 1);
  }
}

const TClassInfo& TQvFontComboBox::StaticClass() {
  using C = TQvFontComboBox;
  static const TClassInfo info = [] {
    TClassBuilder<C> b("TQvFontComboBox", &TQvCustomComboBox::StaticClass());
    b.Component();
    AddFramedComboProps(b);
    b.Int("DropDownCount", &C::DropDownCount, [](C* x, int64_t v) { x->SetDropDownCount(static_cast<int>(v)); }, 14)
        .Enum<TQvFontDevice>("FontDevice", &C::FontDevice, &C::SetFontDevice, fdScreen)
        .Str("FontName", &C::GetFontName, &C::SetFontName)
        .Int("FontSize", &C::FontSize, [](C* x, int64_t v) { x->SetFontSize(static_cast<int>(v)); }, 8)
        .Set<TFontStyle>("FontStyle", &C::FontStyle, &C::SetFontStyle, TFontStyles{})
        .Enum<TQvFontType>("FontType", &C::FontType, &C::SetFontType, ftAll)
        .Int("ItemHeight", &C::ItemHeight, [](C* x, int64_t v) { x->SetItemHeight(static_cast<int>(v)); }, 16)
        .Bool("MaintainMRUFonts", &C::MaintainMRUFonts, &C::SetMaintainMRUFonts, true)
        .Object<TCustomEdit>("PreviewEdit", &C::PreviewEdit, &C::SetPreviewEdit)
        .Int("PreviewFontSize", &C::PreviewFontSize, [](C* x, int64_t v) { x->SetPreviewFontSize(static_cast<int>(v)); }, 36)
        .Int("PreviewHeight", &C::PreviewHeight, [](C* x, int64_t v) { x->SetPreviewHeight(static_cast<int>(v)); }, 65)
        .Str("PreviewText", &C::PreviewText, &C::SetPreviewText)
        .Int("PreviewWidth", &C::PreviewWidth, [](C* x, int64_t v) { x->SetPreviewWidth(static_cast<int>(v)); }, 260)
        .Bool("ShowSymbolFonts", &C::ShowSymbolFonts, &C::SetShowSymbolFonts, true)
        .Enum<TQvShowStyle>("ShowStyle", &C::ShowStyle, &C::SetShowStyle, ssFontName);
    return b.Build();
  }();
  return info;
}

namespace {
const bool kRegistered = (RegisterClass(TQvFontComboBox::StaticClass()), true);
}
