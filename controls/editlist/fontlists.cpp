#include "controls/editlist/fontlists.h"

#include <memory>

#include "controls/common/utils.h"
#include "controls/editlist/listnames.h"
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
// Rect, then the name and/or the sample. Right to left (Rtl) the margin lies right
// of Rect and everything mirrors: the glyph at Right + 8, the texts ending 2
// pixels in from their right edges, the sample's half on the left.
//
//   |<-20->[glyph]  |name.........| sample (own font)
void DrawFontItem(TCanvas* C, TBitmap* const* Glyphs, TColor Color, bool Enabled, const std::string& Name,
                  uint8_t Pitch, TQvFontDevice Device, TQvShowStyle Style, TRect Rect, bool ClipText, bool Rtl) {
  C->FillRect(Rect);
  std::unique_ptr<TBitmap> cell(new TBitmap(12, 12));
  cell->Canvas()->Brush()->SetColor(Color);
  cell->Canvas()->FillRect(TRect(0, 0, 12, 12));
  cell->Canvas()->BrushCopy(TRect(0, 0, 12, 12), Glyphs[static_cast<int>(FontGlyphFor(Pitch, Device))],
                            TRect(0, 0, 12, 12), clOlive);
  C->Draw(Rtl ? Rect.Right + 8 : Rect.Left - 20, Rect.Top + (Rect.Height() - 12) / 2, cell.get());
  if (!Enabled) C->Font()->SetColor(clBtnShadow);
  int dy = (Rect.Height() - C->TextHeight("Yy")) / 2;
  C->Brush()->SetStyle(bsClear);
  const unsigned align = GetTextAlign(C->Handle());
  if (Rtl) SetTextAlign(C->Handle(), TA_RIGHT | TA_RTLREADING);
  // A span X..X + W of the left-to-right layout, mirrored within Rect.
  auto mirror = [&](const TRect& R) {
    return Rtl ? TRect(Rect.Left + Rect.Right - R.Right, R.Top, Rect.Left + Rect.Right - R.Left, R.Bottom) : R;
  };
  // Text whose left-to-right start is X in box R.
  auto textIn = [&](const TRect& R, int X, int Y, bool Clip) {
    TRect box = mirror(R);
    int x = Rtl ? Rect.Left + Rect.Right - X : X;
    if (Clip) C->TextRect(box, x, Y, Name);
    else C->TextOut(x, Y, Name);
  };
  switch (Style) {
    case ssFontName:
    case ssFontPreview: textIn(Rect, Rect.Left + 2, Rect.Top + dy, ClipText); break;
    case ssFontSample:
      C->Font()->SetName(Name);
      textIn(Rect, Rect.Left + 2, Rect.Top + (Rect.Height() - C->TextHeight("Yy")) / 2, ClipText);
      break;
    case ssFontNameAndSample: {
      int mid = Rect.Left + Rect.Width() / 2;
      textIn(TRect(Rect.Left, Rect.Top, mid - 4, Rect.Bottom), Rect.Left + 2, Rect.Top + dy, true);
      C->Pen()->SetColor(Enabled ? clWindowText : clBtnShadow);
      int line = Rtl ? Rect.Left + Rect.Right - (mid + 2) - 1 : mid + 2;
      C->MoveTo(line, Rect.Top);
      C->LineTo(line, Rect.Bottom);
      C->Font()->SetName(Name);
      int sdy = (Rect.Height() - C->TextHeight("Yy")) / 2;
      textIn(TRect(mid + 4, Rect.Top, Rect.Right, Rect.Bottom), mid + 4, Rect.Top + sdy, true);
      break;
    }
  }
  SetTextAlign(C->Handle(), align);
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
// TQvFontListCommon
// ---------------------------------------------------------------------------

template <class Control>
TQvFontListCommon<Control>::~TQvFontListCommon() {
  delete FSelectedFont;
  for (TBitmap* b : FGlyphs) delete b;
}

template <class Control>
void TQvFontListCommon<Control>::InitFontList() {
  FSelectedFont = new TFont();
  FSelectedFont->SetSize(8);
  LoadBitmaps();
  if (!Self().ComponentState().Contains(csDesigning)) FPreviewPanel = new TQvPreviewFontPanel(&Self(), &Self());
}

template <class Control>
void TQvFontListCommon<Control>::LoadBitmaps() {
  for (int i = 0; i < 5; ++i) {
    delete FGlyphs[i];
    FGlyphs[i] = CreateFontGlyph(static_cast<TQvFontGlyph>(i));
  }
}

template <class Control>
void TQvFontListCommon<Control>::LoadFonts() {
  // The recent section was part of the old items.
  FLastMRUIndex = -1;
  LoadFontFamilies(Self().Items(), FFontType, FShowSymbolFonts);
}

template <class Control>
void TQvFontListCommon<Control>::FontListWndCreated() {
  Self().Items()->Clear();
  LoadFonts();
  if (!FSavedFontName.empty()) SetFontName(FSavedFontName);
}

// The filters change what is read: the window (and with it the list) is made again.
template <class Control>
template <class T>
void TQvFontListCommon<Control>::SetReloading(T& Field, T V) {
  if (V == Field) return;
  Field = V;
  if (Self().HandleAllocated()) Self().RecreateWnd();
}

template <class Control>
void TQvFontListCommon<Control>::SetFontDevice(TQvFontDevice V) {
  SetReloading(FFontDevice, V);
}

template <class Control>
void TQvFontListCommon<Control>::SetFontType(TQvFontType V) {
  SetReloading(FFontType, V);
}

template <class Control>
void TQvFontListCommon<Control>::SetShowSymbolFonts(bool V) {
  SetReloading(FShowSymbolFonts, V);
}

template <class Control>
void TQvFontListCommon<Control>::SetShowStyle(TQvShowStyle V) {
  if (V == FShowStyle) return;
  FShowStyle = V;
  Self().Invalidate();
}

template <class Control>
void TQvFontListCommon<Control>::SetPreviewEdit(TCustomEdit* V) {
  if (V == FPreviewEdit) return;
  FPreviewEdit = V;
  if (V) V->FreeNotification(&Self());
}

template <class Control>
void TQvFontListCommon<Control>::ForgetRemoved(TComponent* AComponent) {
  if (AComponent == FPreviewEdit) FPreviewEdit = nullptr;
  if (AComponent == FPreviewPanel) FPreviewPanel = nullptr;
}

template <class Control>
std::string TQvFontListCommon<Control>::GetFontName() {
  int i = Self().ItemIndex();
  return i >= 0 ? Self().Items()->Strings(i) : std::string();
}

template <class Control>
void TQvFontListCommon<Control>::SetFontName(const std::string& V) {
  // Before the window exists there are no fonts yet: the name waits for them.
  if (!Self().HandleAllocated()) {
    FSavedFontName = V;
    return;
  }
  Self().SetItemIndex(Self().Items()->IndexOf(V));
}

template <class Control>
TFont* TQvFontListCommon<Control>::GetSelectedFont() {
  int i = Self().ItemIndex();
  if (i < 0) return nullptr;
  FSelectedFont->SetName(Self().Items()->Strings(i));
  FSelectedFont->SetSize(FFontSize);
  FSelectedFont->SetStyle(FFontStyle);
  return FSelectedFont;
}

template <class Control>
void TQvFontListCommon<Control>::SetSelectedFont(TFont* F) {
  if (F) Self().SetItemIndex(Self().Items()->IndexOf(F->Name()));
}

template <class Control>
void TQvFontListCommon<Control>::UpdatePreviewText() {
  if (FPreviewPanel) SetPreviewSample(FPreviewPanel, FPreviewText, FPreviewEdit, FPreviewWidth, FPreviewFontSize);
}

template <class Control>
void TQvFontListCommon<Control>::ShowPreviewAt(int DropWidth, int FitWidth) {
  if (!FPreviewPanel || Self().Items()->Count() == 0) return;
  ShowPreviewBeside(FPreviewPanel, &Self(), DropWidth, FPreviewWidth, FitWidth, FPreviewHeight, FPreviewFontSize);
  FPreviewPanel->FShown = true;
}

template <class Control>
void TQvFontListCommon<Control>::HidePreviewPanel() {
  if (!FPreviewPanel || !FPreviewPanel->FShown) return;
  if (FPreviewPanel->HandleAllocated())
    SetWindowPos(FPreviewPanel->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  FPreviewPanel->FShown = false;
}

template <class Control>
void TQvFontListCommon<Control>::AddSelectedToRecent() {
  if (FMaintainMRUFonts && AddToRecentFonts(Self().Items(), Self().ItemIndex(), FLastMRUIndex)) Self().SetItemIndex(0);
}

template <class Control>
void TQvFontListCommon<Control>::FontListWndProc(TMessage& M, int RightTrim) {
  Control& self = Self();
  switch (M.Msg) {
    case CM_HIDEPREVIEWPANEL:
      HidePreviewPanel();
      return;
    case CM_CANCELMODE:
      if (reinterpret_cast<TControl*>(M.LParam) != static_cast<TControl*>(&self)) HidePreviewPanel();
      break;
    case CM_FONTCHANGED:
      self.Control::inherited::WndProc(M);
      if (self.HandleAllocated()) self.RecreateWnd();
      return;
    case CN_DRAWITEM:
      if (auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(M.LParam)) {
        // The glyph's margin lies on the reading side.
        if (self.UseRightToLeftAlignment()) {
          d->rcItem.Right -= 24;
          d->rcItem.Left += RightTrim;
        } else {
          d->rcItem.Left += 24;
          d->rcItem.Right -= RightTrim;
        }
      }
      break;
    default: break;
  }
  self.Control::inherited::WndProc(M);
}

template <class Control>
void TQvFontListCommon<Control>::DrawFontListItem(int Index, TRect Rect, TOwnerDrawState State, TQvShowStyle Style,
                                                  bool ClipText, bool RecentSeparator) {
  Control& self = Self();
  std::string name = self.Items()->Strings(Index);
  TCanvas* c = self.Canvas();
  DrawFontItem(c, FGlyphs, self.Color(), self.Enabled(), name, PitchOf(self.Items()->Objects(Index)), FFontDevice,
               Style, Rect, ClipText, self.UseRightToLeftAlignment());
  if (FShowStyle == ssFontPreview && State.Contains(odFocused) && FPreviewPanel) {
    FPreviewPanel->Font()->SetName(name);
    UpdatePreviewText();
  }
  if (RecentSeparator && FMaintainMRUFonts && Index == FLastMRUIndex) {
    c->Pen()->SetColor(clWindowText);
    c->MoveTo(0, Rect.Bottom - 1);
    c->LineTo(Rect.Right, Rect.Bottom - 1);
  }
}

template class TQvFontListCommon<TQvFontComboBox>;
template class TQvFontListCommon<TQvFontListBox>;

// ---------------------------------------------------------------------------
// TQvFontComboBox
// ---------------------------------------------------------------------------

TQvFontComboBox::TQvFontComboBox(TComponent* AOwner) : TQvCustomComboBox(AOwner), TQvFontListCommon(true) {
  SetStyle(csOwnerDrawFixed);
  SetSorted(true);
  SetDropDownCount(14);
  InitFontList();
}

void TQvFontComboBox::CreateWnd() {
  inherited::CreateWnd();
  FontListWndCreated();
}

void TQvFontComboBox::DestroyWnd() {
  FontListWndDestroying();
  inherited::DestroyWnd();
}

void TQvFontComboBox::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove) ForgetRemoved(AComponent);
}

void TQvFontComboBox::ShowPreviewPanel() {
  ShowPreviewAt(DropDownWidth(), PreviewWidth());
}

void TQvFontComboBox::DropDown() {
  UpdatePreviewText();
  std::weak_ptr<bool> alive = AliveToken();
  inherited::DropDown();
  if (alive.expired()) return;
  if (ShowStyle() == ssFontPreview) ShowPreviewPanel();
}

void TQvFontComboBox::CloseUp() {
  std::weak_ptr<bool> alive = AliveToken();
  inherited::CloseUp();
  if (alive.expired()) return;
  HidePreviewPanel();
  AddSelectedToRecent();
}

void TQvFontComboBox::WndProc(TMessage& M) {
  FontListWndProc(M, 1);
}

void TQvFontComboBox::DrawItem(int Index, TRect Rect, TOwnerDrawState State) {
  // The edit part shows the name alone where the list shows name and sample.
  bool edit = State.Contains(odComboBoxEdit);
  TQvShowStyle style = ShowStyle();
  if (edit && style == ssFontNameAndSample) style = ssFontName;
  DrawFontListItem(Index, Rect, State, style, true, !edit);
}

const TClassInfo& TQvFontComboBox::StaticClass() {
  using C = TQvFontComboBox;
  static const TClassInfo info = [] {
    TClassBuilder<C> b("TQvFontComboBox", &TQvCustomComboBox::StaticClass());
    b.Component();
    AddFramedComboProps(b);
    PublishComboBoxNames(b);
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
const bool kRegistered = (RegisterClass(ClassEntry<TQvFontComboBox>()), true);
}

// ---------------------------------------------------------------------------
// TQvFontListBox
// ---------------------------------------------------------------------------

TQvFontListBox::TQvFontListBox(TComponent* AOwner) : TQvCustomListBox(AOwner), TQvFontListCommon(false) {
  SetStyle(lbOwnerDrawFixed);
  SetSorted(true);
  InitFontList();
}

void TQvFontListBox::CreateWnd() {
  inherited::CreateWnd();
  FontListWndCreated();
}

void TQvFontListBox::DestroyWnd() {
  FontListWndDestroying();
  inherited::DestroyWnd();
}

void TQvFontListBox::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove) ForgetRemoved(AComponent);
}

void TQvFontListBox::ShowPreviewPanel() {
  if (PreviewPanel()) ShowPreviewAt(0, PreviewPanel()->Width());
}

void TQvFontListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  UpdatePreviewText();
  std::weak_ptr<bool> alive = FAlive;
  inherited::MouseDown(Button, Shift, X, Y);
  if (alive.expired()) return;
  if (ShowStyle() == ssFontPreview) ShowPreviewPanel();
}

void TQvFontListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  std::weak_ptr<bool> alive = FAlive;
  inherited::MouseUp(Button, Shift, X, Y);
  if (alive.expired()) return;
  HidePreviewPanel();
}

void TQvFontListBox::WndProc(TMessage& M) {
  FontListWndProc(M, 0);
}

void TQvFontListBox::DrawItem(int Index, TRect Rect, TOwnerDrawState State) {
  DrawFontListItem(Index, Rect, State, ShowStyle(), ShowStyle() == ssFontNameAndSample, true);
}

const TClassInfo& TQvFontListBox::StaticClass() {
  using C = TQvFontListBox;
  static const TClassInfo info = [] {
    TClassBuilder<C> b("TQvFontListBox", &TQvCustomListBox::StaticClass());
    b.Component();
    PublishFramedListBox(b, false);
    PublishListBoxNames(b);
    // Owner-drawn and sorted from the start.
    b.Enum<TListBoxStyle>("Style", &C::Style, &C::SetReadStyle, lbOwnerDrawFixed)
        .Bool("Sorted", &C::Sorted, &C::SetSorted, true)
        .Enum<TQvFontDevice>("FontDevice", &C::FontDevice, &C::SetFontDevice, fdScreen)
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
const bool kListRegistered = (RegisterClass(ClassEntry<TQvFontListBox>()), true);
}
