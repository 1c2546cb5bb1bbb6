// The toolbar customisation dialog and the toolbar's hooks (see customizedlg.h).
#include "controls/editlist/customizedlg.h"

#include "controls/basic/groupbox.h"
#include "controls/common/utils.h"
#include "controls/editlist/popuppanel.h"
#include "platform/core/filer.h"
#include "platform/core/typinfo.h"

namespace {

const bool kFieldsRegistered = [] {
  using F = TQvFrmCustomizeToolbar;
  RegisterFields(F::StaticClass(),
                 {FieldOf("LblHint", &F::LblHint), FieldOf("LstControls", &F::LstControls),
                  FieldOf("CbxTextOptions", &F::CbxTextOptions), FieldOf("LblTextOptions", &F::LblTextOptions),
                  FieldOf("BtnClose", &F::BtnClose), FieldOf("BtnMoveUp", &F::BtnMoveUp),
                  FieldOf("BtnMoveDown", &F::BtnMoveDown), FieldOf("BtnSpacer", &F::BtnSpacer),
                  FieldOf("BtnGrooveSpacer", &F::BtnGrooveSpacer), FieldOf("Timer1", &F::Timer1)});
  return true;
}();

// The first image of a speed button's glyph (its width divided by the glyph
// count), its bottom-left pixel's colour left out.
void DrawFirstGlyph(TCanvas* C, int X, int Y, TSpeedButton* Button, int Width = 0) {
  TBitmap* g = Button ? Button->Glyph() : nullptr;
  if (!g || g->Empty()) return;
  int w = Width ? Width : g->Width() / std::max(1, static_cast<int>(Button->NumGlyphs()));
  int h = Width ? Width : g->Height();
  TColor clear = static_cast<TColor>(g->Canvas()->Pixels(0, g->Height() - 1));
  C->BrushCopy(TRect{X, Y, X + w, Y + h}, g, TRect{0, 0, w, h}, clear);
}

}  // namespace

const TClassInfo& TQvFrmCustomizeToolbar::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TQvFrmCustomizeToolbar>("TQvFrmCustomizeToolbar", &TForm::StaticClass()).Build();
  return info;
}

TQvFrmCustomizeToolbar::TQvFrmCustomizeToolbar(TComponent* AOwner) : TForm(AOwner) {
  (void)kFieldsRegistered;
  LoadForm();
  SetPosition(poDesigned);
  BtnMoveUp->OnClick = [this](TObject* S) { BtnMoveUpClick(S); };
  BtnMoveDown->OnClick = [this](TObject* S) { BtnMoveDownClick(S); };
  LstControls->OnClick = [this](TObject* S) { LstControlsClick(S); };
  LstControls->OnChange = [this](TObject* S, int I, TCheckBoxState N) { LstControlsChange(S, I, N); };
  LstControls->OnMouseDown = [this](TObject* S, TMouseButton B, TShiftState Sh, int X, int Y) {
    LstControlsMouseDown(S, B, Sh, X, Y);
  };
  LstControls->OnDragOver = [this](TObject* S, TObject* Src, int X, int Y, TDragState St, bool& A) {
    LstControlsDragOver(S, Src, X, Y, St, A);
  };
  LstControls->OnDragDrop = [this](TObject* S, TObject* Src, int X, int Y) { LstControlsDragDrop(S, Src, X, Y); };
  LstControls->OnEndDrag = [this](TObject* S, TObject* T, int X, int Y) { LstControlsEndDrag(S, T, X, Y); };
  LstControls->OnDrawItem = [this](TWinControl* C, int I, TRect R, TOwnerDrawState St) { ListBoxDrawItem(C, I, R, St); };
  Timer1->OnTimer = [this](TObject* S) { Timer1Timer(S); };
  CbxTextOptions->OnChange = [this](TObject* S) { CbxTextOptionsClick(S); };
}

void TQvFrmCustomizeToolbar::Reposition() {
  if (!Toolbar || !ToolbarOwner) return;
  TRect b = Toolbar->BoundsRect();
  TPoint p{b.Left, b.Bottom};
  switch (Toolbar->Align()) {
    case alBottom: p = {b.Left, b.Top - Height() - 5}; break;
    case alLeft: p = {b.Right, b.Top}; break;
    case alRight: p = {b.Left - Width() - 5, b.Top}; break;
    default: break;
  }
  if (auto* c = dynamic_cast<TControl*>(ToolbarOwner)) p = c->ClientToScreen(p);
  int left = p.X + 15, top = p.Y + 25;
  TRect desk = GetDesktopClientRect();
  if (left + Width() > desk.Right) left = desk.Right - Width();
  if (top + Height() > desk.Bottom) top = desk.Bottom - Height();
  if (left < 0) left = 0;
  if (top < 0) top = 0;
  SetBounds(left, top, Width(), Height());
}

void TQvFrmCustomizeToolbar::UpdateControls(TQvCustomizeCaptions* Captions, bool ShowTextOptions) {
  SetCaption(Captions->Title());
  LblHint->SetCaption(Captions->Hint());
  BtnClose->SetCaption(Captions->Close());
  BtnMoveUp->SetCaption(Captions->MoveUp());
  BtnMoveDown->SetCaption(Captions->MoveDown());
  LblTextOptions->SetCaption(Captions->TextOptions());
  CbxTextOptions->Add(Captions->NoTextLabels());
  CbxTextOptions->Add(Captions->ShowTextLabels());
  CbxTextOptions->Add(Captions->SelectiveTextOnRight());
  if (Toolbar && Toolbar->TextOptions() != ttoCustom)
    CbxTextOptions->SetItemIndex(static_cast<int>(Toolbar->TextOptions()));
  if (!ShowTextOptions) {
    CbxTextOptions->SetVisible(false);
    LblTextOptions->SetVisible(false);
    SetClientHeight(LstControls->Top() + LstControls->Height() + 8);
  }
  if (!Toolbar) return;
  TQvToolbarControlList* list = Toolbar->ToolbarControls();
  for (int i = 0; i < list->Count(); ++i) {
    TControl* c = list->Items(i)->Control;
    std::string text = c ? c->Name() : list->Items(i)->Name;
    if (auto* b = dynamic_cast<TQvToolButton*>(c); b && !b->Caption().empty()) text = StripHotkey(b->Caption());
    else if (dynamic_cast<TQvSpacer*>(c)) text = "Spacer";
    else if (c && !c->Hint().empty()) text = c->Hint();
    LstControls->Items()->AddObject(text, c);
    LstControls->SetItemChecked(i, c && c->Visible());
  }
  bool any = LstControls->Items()->Count() > 0;
  BtnMoveUp->SetEnabled(any);
  BtnMoveDown->SetEnabled(any);
  if (any) {
    LstControls->SetItemIndex(0);
    EnableMoveButtons(0);
  }
}

void TQvFrmCustomizeToolbar::EnableMoveButtons(int Index) {
  BtnMoveUp->SetEnabled(Index >= 1);
  BtnMoveDown->SetEnabled(Index < LstControls->Items()->Count() - 1);
}

void TQvFrmCustomizeToolbar::MoveItem(int From, int To) {
  bool checked = LstControls->GetItemChecked(From);
  LstControls->Items()->BeginUpdate();
  LstControls->Items()->Move(From, To);
  LstControls->SetItemChecked(To, checked);
  LstControls->Items()->EndUpdate();
  if (Toolbar) {
    Toolbar->ToolbarControls()->Move(From, To);
    Toolbar->PositionControls();
  }
  LstControls->SetItemIndex(To);
  LstControls->Invalidate();
  EnableMoveButtons(To);
}

void TQvFrmCustomizeToolbar::BtnMoveUpClick(TObject*) {
  int i = LstControls->ItemIndex();
  if (i < 1) return;
  MoveItem(i, i - 1);
}

void TQvFrmCustomizeToolbar::BtnMoveDownClick(TObject*) {
  int i = LstControls->ItemIndex();
  if (i < 0 || i >= LstControls->Items()->Count() - 1) return;
  MoveItem(i, i + 1);
}

void TQvFrmCustomizeToolbar::LstControlsClick(TObject*) { EnableMoveButtons(LstControls->ItemIndex()); }

void TQvFrmCustomizeToolbar::LstControlsChange(TObject*, int Index, TCheckBoxState NewState) {
  if (!Toolbar || Index < 0 || Index >= Toolbar->ToolbarControls()->Count()) return;
  if (TControl* c = Toolbar->ToolbarControls()->Items(Index)->Control) c->SetVisible(NewState == cbChecked);
  Toolbar->PositionControls();
}

void TQvFrmCustomizeToolbar::LstControlsMouseDown(TObject*, TMouseButton, TShiftState, int X, int Y) {
  // A press on empty list space starts no drag of an item.
  FDragSource = LstControls->ItemAtPos(TPoint{X, Y}, true);
}

void TQvFrmCustomizeToolbar::LstControlsDragOver(TObject*, TObject* Source, int X, int Y, TDragState, bool& Accept) {
  FDropIndex = LstControls->ItemAtPos(TPoint{X, Y}, true);
  Accept = Source == LstControls && FDropIndex != -1 && FDragSource != -1;
  int h = LstControls->ItemHeight();
  if (Y > LstControls->Height() - h) {
    FScrollUp = false;
    Timer1->SetEnabled(true);
  } else if (Y < h) {
    FScrollUp = true;
    Timer1->SetEnabled(true);
  } else {
    Timer1->SetEnabled(false);
  }
  if (FDropIndex != -1) LstControls->SetItemIndex(FDropIndex);
}

void TQvFrmCustomizeToolbar::Timer1Timer(TObject*) {
  int top = LstControls->TopIndex();
  if (FScrollUp) {
    if (top < 1) Timer1->SetEnabled(false);
    else LstControls->SetTopIndex(top - 1);
  } else if (top < LstControls->Items()->Count() - 1) {
    LstControls->SetTopIndex(top + 1);
  } else {
    Timer1->SetEnabled(false);
  }
}

void TQvFrmCustomizeToolbar::LstControlsDragDrop(TObject*, TObject*, int, int) {
  // A drag from empty space (-1) or onto itself moves nothing.
  if (FDropIndex == -1 || FDragSource == -1 || FDragSource == FDropIndex) return;
  if (FDragSource >= LstControls->Items()->Count()) return;
  MoveItem(FDragSource, FDropIndex);
}

void TQvFrmCustomizeToolbar::LstControlsEndDrag(TObject*, TObject*, int, int) { Timer1->SetEnabled(false); }

void TQvFrmCustomizeToolbar::ListBoxDrawItem(TWinControl*, int Index, TRect Rect, TOwnerDrawState) {
  TCanvas* c = LstControls->Canvas();
  c->FillRect(Rect);
  auto* control = static_cast<TControl*>(LstControls->Items()->Objects(Index));
  int x = Rect.Left + 2, y = Rect.Top + 2;
  if (auto* b = dynamic_cast<TQvToolButton*>(control)) {
    if (TCustomImageList* il = b->ImageList(); il && b->ImageIndex() >= 0) il->Draw(c, x, y, b->ImageIndex(), true);
  } else if (auto* s = dynamic_cast<TSpeedButton*>(control)) {
    DrawFirstGlyph(c, x, y, s);
  } else if (auto* sp = dynamic_cast<TQvSpacer*>(control)) {
    DrawFirstGlyph(c, x, y, sp->Grooved() ? BtnGrooveSpacer : BtnSpacer, 16);
  }
  TRect tr = Rect;
  tr.Left += 28;
  std::string s = LstControls->Items()->Strings(Index);
  c->TextRect(tr, Rect.Left + 30, Rect.Top + (LstControls->ItemHeight() - c->TextHeight("Pp")) / 2, s);
}

void TQvFrmCustomizeToolbar::CbxTextOptionsClick(TObject*) {
  if (!Toolbar) return;
  int i = CbxTextOptions->ItemIndex();
  if (i >= 0 && i <= 2) Toolbar->SetTextOptions(static_cast<TQvToolbarTextOptions>(i));
}

// ---------------------------------------------------------------------------
// The hooks

void InstallToolbarHooks() {
  ToolbarCustomizeHook() = [](TQvToolbar* Toolbar, bool ShowTextOptions) {
    std::unique_ptr<TQvFrmCustomizeToolbar> dlg(new TQvFrmCustomizeToolbar(Application));
    dlg->Toolbar = Toolbar;
    dlg->ToolbarOwner = Toolbar->Owner();
    dlg->Reposition();
    dlg->UpdateControls(Toolbar->CustomizeCaptions(), ShowTextOptions);
    dlg->ShowModal();
  };
  ToolbarPopupHook() = [](TQvToolbarPopupButton* Chevron,
                          const std::vector<TQvToolButton*>& Buttons) -> TQvToolButton* {
    auto* bar = static_cast<TQvToolbar*>(Chevron->Parent());
    TCustomForm* form = GetParentForm(Chevron);
    std::unique_ptr<TQvPopupPanel> popup(new TQvPopupPanel(nullptr));
    auto* inner = new TQvToolbar(popup.get());
    inner->SetParent(popup.get());
    inner->SetBorderOuter(fsFlat);
    inner->SetBorderSides(AllSides);
    inner->SetAlign(alNone);
    inner->SetWidth(bar->ButtonWidth() * 3 + 8);
    inner->SetImages(bar->Images());
    inner->SetButtonWidth(bar->ButtonWidth());
    inner->SetButtonHeight(bar->ButtonHeight());
    inner->SetBiDiMode(bar->BiDiMode());
    inner->SetButtonLayout(bar->ButtonLayout());
    inner->SetRowHeight(bar->RowHeight());
    inner->SetShowButtonCaptions(bar->ShowButtonCaptions());
    inner->SetVisualStyle(bar->VisualStyle());
    inner->SetColor(bar->VisualStyle() == vsGradient ? clWindow : bar->Color());
    TQvPopupPanel* panel = popup.get();
    inner->OnClick = [panel](TObject*) { panel->Close(nullptr); };
    for (TQvToolButton* source : Buttons) {
      auto* copy = new TQvPopupToolButton(popup.get());
      copy->Chevron = Chevron;
      copy->Assign(source);
      copy->SetParent(inner);
      inner->ToolbarControls()->AddControl(copy);
    }
    inner->PositionControls();
    popup->SetParent(form);
    popup->Font()->SetName(Chevron->Font()->Name());
    popup->Font()->SetColor(Chevron->Font()->Color());
    popup->SetHeight(inner->Height());
    popup->SetWidth(inner->Width());
    if (!popup->Popup(Chevron)) return nullptr;
    return Chevron->ClickedButton;
  };
}
