#include "controls/editlist/fontlists.h"

#include <memory>

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

void LoadFontFamilies(TStrings* Items, TQvFontType Type, bool ShowSymbolFonts) {
  Items->BeginUpdate();
  HDC dc = GetDC(nullptr);
  EnumFontFamilies(dc, nullptr, [&](const LOGFONT& Lf, const TEXTMETRIC& Tm, int) {
    if (FontPassesFilter(Type, ShowSymbolFonts, Tm.tmPitchAndFamily, Lf.lfCharSet))
      Items->AddObject(std::string(Lf.lfFaceName).substr(0, 32), PitchObject(Tm.tmPitchAndFamily));
    return 1;
  });
  ReleaseDC(nullptr, dc);
  Items->EndUpdate();
}

bool AddToRecentFonts(TStrings* Items, int Selected, int& LastMRUIndex) {
  if (Selected <= 0 || Selected >= Items->Count()) return false;
  std::string name = Items->Strings(Selected);
  for (int i = 0; i <= LastMRUIndex && i < Items->Count(); ++i)
    if (Items->Strings(i) == name) {
      Items->Move(i, 0);
      return true;
    }
  Items->InsertObject(0, name, Items->Objects(Selected));
  if (Selected > LastMRUIndex) ++LastMRUIndex;
  return true;
}

namespace {

// One item of either control: the type glyph in the 24-pixel margin left of
// Rect, then the name and/or the sample.
//
//   |<-20->[glyph]  |name.........| sample (own font)
void DrawFontItem(TCanvas* C, TBitmap* const* Glyphs, TColor Color, bool Enabled, const std::string& Name,
                  uint8_t Pitch, TQvFontDevice Device, TQvShowStyle Style, TRect Rect, bool ClipText) {
  C->FillRect(Rect);
  std::unique_ptr<TBitmap> cell(new TBitmap(12, 12));
  cell->Canvas()->Brush()->SetColor(Color);
  cell->Canvas()->FillRect(TRect(0, 0, 12, 12));
  cell->Canvas()->BrushCopy(TRect(0, 0, 12, 12), Glyphs[static_cast<int>(FontGlyphFor(Pitch, Device))],
                            TRect(0, 0, 12, 12), clOlive);
  C->Draw(Rect.Left - 20, Rect.Top + (Rect.Height() - 12) / 2, cell.get());
  if (!Enabled) C->Font()->SetColor(clBtnShadow);
  int dy = (Rect.Height() - C->TextHeight("Yy")) / 2;
  C->Brush()->SetStyle(bsClear);
  auto text = [&](const TRect& R, int X, int Y) {
    if (ClipText) C->TextRect(R, X, Y, Name);
    else C->TextOut(X, Y, Name);
  };
  switch (Style) {
    case ssFontName:
    case ssFontPreview: text(Rect, Rect.Left + 2, Rect.Top + dy); break;
    case ssFontSample:
      C->Font()->SetName(Name);
      text(Rect, Rect.Left + 2, Rect.Top + (Rect.Height() - C->TextHeight("Yy")) / 2);
      break;
    case ssFontNameAndSample: {
      int mid = Rect.Left + Rect.Width() / 2;
      C->TextRect(TRect(Rect.Left, Rect.Top, mid - 4, Rect.Bottom), Rect.Left + 2, Rect.Top + dy, Name);
      C->Pen()->SetColor(Enabled ? clWindowText : clBtnShadow);
      C->MoveTo(mid + 2, Rect.Top);
      C->LineTo(mid + 2, Rect.Bottom);
      C->Font()->SetName(Name);
      int sdy = (Rect.Height() - C->TextHeight("Yy")) / 2;
      C->TextRect(TRect(mid + 4, Rect.Top, Rect.Right, Rect.Bottom), mid + 4, Rect.Top + sdy, Name);
      break;
    }
  }
  C->Brush()->SetStyle(bsSolid);
}

// The preview's sample: PreviewText or the default, shortened while it does not
// fit; with a preview edit its selection or first 10 characters.
void SetPreviewSample(TQvPreviewFontPanel* Panel, const std::string& PreviewText, TCustomEdit* Edit, int Width,
                      int FontSize) {
  std::string sample = PreviewText.empty() ? kDefaultSample : PreviewText;
  Panel->SetAlignment(taCenter);
  if (Edit) {
    Panel->SetAlignment(taLeftJustify);
    sample = Edit->SelLength() > 0 ? Edit->SelText() : Edit->Text().substr(0, 10);
  } else {
    // Measured on a bitmap of its own: the panel may have no window yet.
    std::unique_ptr<TBitmap> measure(new TBitmap(1, 1));
    TCanvas* c = measure->Canvas();
    c->Font()->Assign(Panel->Font());
    c->Font()->SetSize(FontSize);
    if (c->TextWidth(sample) >= Width) sample = "AaBbYyZ";
    if (c->TextWidth(sample) >= Width) sample = "AaBbYy";
  }
  Panel->SetCaption(sample);
}

// Shows the panel beside the control, or left of it when the work area ends.
void ShowPreviewBeside(TQvPreviewFontPanel* Panel, TWinControl* Control, int DropWidth, int Width, int FitWidth,
                       int Height, int FontSize) {
  TPoint p = Control->ClientToScreen(TPoint(0, 0));
  int x = p.X + (DropWidth > 0 ? DropWidth : Control->Width());
  int right;
  if (TMonitor* m = GetMonitorContainingPoint(p)) right = GetMonitorWorkArea(m).Right;
  else right = GetActiveWorkAreaWidth(Control->Parent());
  if (x + FitWidth > right) x = p.X - Width;
  Panel->Font()->SetSize(FontSize);
  Panel->HandleNeeded();
  SetWindowPos(Panel->Handle(), nullptr, x - 1, p.Y, Width, Height, SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

}  // namespace

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
  LoadFontFamilies(Items(), FFontType, FShowSymbolFonts);
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

void TQvFontComboBox::SetFontName(const std::string& V) {
  // Before the window exists there are no fonts yet: the name waits for them.
  if (!HandleAllocated()) {
    FSavedFontName = V;
    return;
  }
  SetItemIndex(Items()->IndexOf(V));
}

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
  if (FPreviewPanel) SetPreviewSample(FPreviewPanel, FPreviewText, FPreviewEdit, FPreviewWidth, FPreviewFontSize);
}

void TQvFontComboBox::ShowPreviewPanel() {
  if (!FPreviewPanel || Items()->Count() == 0) return;
  ShowPreviewBeside(FPreviewPanel, this, DropDownWidth(), FPreviewWidth, FPreviewWidth, FPreviewHeight,
                    FPreviewFontSize);
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
  if (FMaintainMRUFonts && AddToRecentFonts(Items(), ItemIndex(), FLastMRUIndex)) SetItemIndex(0);
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

void TQvFontComboBox::DrawItem(int Index, TRect Rect, TOwnerDrawState State) {
  std::string name = Items()->Strings(Index);
  bool edit = State.Contains(odComboBoxEdit);
  TQvShowStyle style = FShowStyle;
  if (edit && style == ssFontNameAndSample) style = ssFontName;
  DrawFontItem(Canvas(), FGlyphs, Color(), Enabled(), name, PitchOf(Items()->Objects(Index)), FFontDevice, style, Rect,
               true);
  TCanvas* c = Canvas();
  if (FShowStyle == ssFontPreview && State.Contains(odFocused) && FPreviewPanel) {
    FPreviewPanel->Font()->SetName(name);
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

// ---------------------------------------------------------------------------
// TQvFontListBox
// ---------------------------------------------------------------------------

TQvFontListBox::TQvFontListBox(TComponent* AOwner) : TQvCustomListBox(AOwner) {
  SetStyle(lbOwnerDrawFixed);
  SetSorted(true);
  FSelectedFont = new TFont();
  FSelectedFont->SetSize(8);
  LoadBitmaps();
  if (!ComponentState().Contains(csDesigning)) FPreviewPanel = new TQvPreviewFontPanel(this, this);
}

TQvFontListBox::~TQvFontListBox() {
  delete FSelectedFont;
  for (TBitmap* b : FGlyphs) delete b;
}

void TQvFontListBox::LoadBitmaps() {
  for (int i = 0; i < 5; ++i) {
    delete FGlyphs[i];
    FGlyphs[i] = CreateFontGlyph(static_cast<TQvFontGlyph>(i));
  }
}

void TQvFontListBox::LoadFonts() {
  FLastMRUIndex = -1;
  LoadFontFamilies(Items(), FFontType, FShowSymbolFonts);
}

void TQvFontListBox::CreateWnd() {
  inherited::CreateWnd();
  Items()->Clear();
  LoadFonts();
  if (!FSavedFontName.empty()) SetFontName(FSavedFontName);
}

void TQvFontListBox::DestroyWnd() {
  FSavedFontName = GetFontName();
  inherited::DestroyWnd();
}

#define QV_RELOAD_SETTER(Name, Type, Field) \
  void TQvFontListBox::Set##Name(Type V) { \
    if (V == Field) return; \
    Field = V; \
    if (HandleAllocated()) RecreateWnd(); \
  }
QV_RELOAD_SETTER(FontDevice, TQvFontDevice, FFontDevice)
QV_RELOAD_SETTER(FontType, TQvFontType, FFontType)
QV_RELOAD_SETTER(ShowSymbolFonts, bool, FShowSymbolFonts)
#undef QV_RELOAD_SETTER

void TQvFontListBox::SetShowStyle(TQvShowStyle V) {
  if (V == FShowStyle) return;
  FShowStyle = V;
  Invalidate();
}

void TQvFontListBox::SetPreviewEdit(TCustomEdit* V) {
  if (V == FPreviewEdit) return;
  FPreviewEdit = V;
  if (V) V->FreeNotification(this);
}

void TQvFontListBox::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FPreviewEdit) FPreviewEdit = nullptr;
  if (AComponent == FPreviewPanel) FPreviewPanel = nullptr;
}

std::string TQvFontListBox::GetFontName() {
  int i = ItemIndex();
  return i >= 0 ? Items()->Strings(i) : std::string();
}

void TQvFontListBox::SetFontName(const std::string& V) {
  // Before the window exists there are no fonts yet: the name waits for them.
  if (!HandleAllocated()) {
    FSavedFontName = V;
    return;
  }
  SetItemIndex(Items()->IndexOf(V));
}

TFont* TQvFontListBox::GetSelectedFont() {
  int i = ItemIndex();
  if (i < 0) return nullptr;
  FSelectedFont->SetName(Items()->Strings(i));
  FSelectedFont->SetSize(FFontSize);
  FSelectedFont->SetStyle(FFontStyle);
  return FSelectedFont;
}

void TQvFontListBox::SetSelectedFont(TFont* F) {
  if (F) SetItemIndex(Items()->IndexOf(F->Name()));
}

void TQvFontListBox::UpdatePreviewText() {
  if (FPreviewPanel) SetPreviewSample(FPreviewPanel, FPreviewText, FPreviewEdit, FPreviewWidth, FPreviewFontSize);
}

void TQvFontListBox::ShowPreviewPanel() {
  if (!FPreviewPanel || Items()->Count() == 0) return;
  ShowPreviewBeside(FPreviewPanel, this, 0, FPreviewWidth, FPreviewPanel->Width(), FPreviewHeight, FPreviewFontSize);
  FPreviewPanel->FShown = true;
}

void TQvFontListBox::HidePreviewPanel() {
  if (!FPreviewPanel || !FPreviewPanel->FShown) return;
  if (FPreviewPanel->HandleAllocated())
    SetWindowPos(FPreviewPanel->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  FPreviewPanel->FShown = false;
}

void TQvFontListBox::AddFontToMRUList() {
  if (FMaintainMRUFonts && AddToRecentFonts(Items(), ItemIndex(), FLastMRUIndex)) SetItemIndex(0);
}

void TQvFontListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  UpdatePreviewText();
  std::weak_ptr<bool> alive = FAlive;
  inherited::MouseDown(Button, Shift, X, Y);
  if (alive.expired()) return;
  if (FShowStyle == ssFontPreview) ShowPreviewPanel();
}

void TQvFontListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  std::weak_ptr<bool> alive = FAlive;
  inherited::MouseUp(Button, Shift, X, Y);
  if (alive.expired()) return;
  HidePreviewPanel();
}

void TQvFontListBox::WndProc(TMessage& M) {
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
      if (auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(M.LParam)) d->rcItem.Left += 24;
      break;
    default: break;
  }
  inherited::WndProc(M);
}

void TQvFontListBox::DrawItem(int Index, TRect Rect, TOwnerDrawState State) {
  std::string name = Items()->Strings(Index);
  DrawFontItem(Canvas(), FGlyphs, Color(), Enabled(), name, PitchOf(Items()->Objects(Index)), FFontDevice, FShowStyle,
               Rect, FShowStyle == ssFontNameAndSample);
  TCanvas* c = Canvas();
  if (FShowStyle == ssFontPreview && State.Contains(odFocused) && FPreviewPanel) {
    FPreviewPanel->Font()->SetName(name);
    UpdatePreviewText();
  }
  if (FMaintainMRUFonts && Index == FLastMRUIndex) {
    c->Pen()->SetColor(clWindowText);
    c->MoveTo(0, Rect.Bottom - 1);
    c->LineTo(Rect.Right, Rect.Bottom - 1);
  }
}

const TClassInfo& TQvFontListBox::StaticClass() {
  using C = TQvFontListBox;
  static const TClassInfo info = [] {
    TClassBuilder<C> b("TQvFontListBox", &TQvCustomListBox::StaticClass());
    b.Component();
    PublishFramedListBox(b, false);
    b.Enum<TQvFontDevice>("FontDevice", &C::FontDevice, &C::SetFontDevice, fdScreen)
        .Str("FontName", &C::GetFontName, &C::SetFontName)
        .Int("FontSize", &C::FontSize, [](C* x, int64_t v) { x->SetFontSize(static_cast<int>(v)); }, 8)
        .Set<TFontStyle>("FontStyle", &C::FontStyle, &C::SetFontStyle, TFontStyles{})
        .Enum<TQvFontType>("FontType", &C::FontType, &C::SetFontType, ftAll)
        .Bool("MaintainMRUFonts", &C::MaintainMRUFonts, &C::SetMaintainMRUFonts, false)
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
const bool kListRegistered = (RegisterClass(TQvFontListBox::StaticClass()), true);
}
