#include "platform/stdctrls/header.h"

#include <algorithm>

#include "platform/controls/winuser.h"
#include "platform/core/sysutils.h"
#include "platform/core/typinfo.h"
#include "platform/graphics/gdi.h"

// ---------------------------------------------------------------------------
// Sections
// ---------------------------------------------------------------------------

void THeaderSection::SetText(const std::string& Value) {
  if (FText == Value) return;
  FText = Value;
  Changed(false);
}

void THeaderSection::SetWidth(int Value) {
  Value = std::max(0, Value);
  if (FWidth == Value) return;
  FWidth = Value;
  Changed(false);
}

void THeaderSection::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  Changed(false);
}

int THeaderSection::Left() const {
  int x = 0;
  if (TCollection* c = Collection())
    for (int i = 0; i < c->Count() && c->Items(i) != this; ++i) x += static_cast<THeaderSection*>(c->Items(i))->Width();
  return x;
}

void THeaderSection::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<THeaderSection*>(Source)) {
    FText = s->FText;
    FWidth = s->FWidth;
    FAlignment = s->FAlignment;
    Changed(false);
    return;
  }
  inherited::Assign(Source);
}

THeaderSections::THeaderSections(THeaderControl* AOwner)
    : TCollection(THeaderSection::StaticClass(), AOwner), FHeaderControl(AOwner) {}

void THeaderSections::Update(TCollectionItem*) {
  if (FHeaderControl) FHeaderControl->Invalidate();
}

// ---------------------------------------------------------------------------
// Painting and the mouse
// ---------------------------------------------------------------------------

TCustomHeaderBase::TCustomHeaderBase(TComponent* AOwner) : TCustomControl(AOwner) {
  SetBounds(0, 0, 250, 17);
}

void TCustomHeaderBase::Paint() {
  TCanvas* c = Canvas();
  c->Font()->Assign(Font());
  c->Brush()->SetColor(clBtnFace);
  TRect client = ClientRect();
  c->FillRect(client);
  int x = 0;
  for (int i = 0, n = SectionCountOf(); i < n; ++i) {
    TRect r(x, 0, x + SectionWidthOf(i), client.Bottom);
    x = r.Right;
    if (r.Width() <= 0) continue;
    TRect edge = r;
    DrawEdge(c->Handle(), &edge, EDGE_RAISED, BF_RECT | BF_SOFT | BF_ADJUST);
    static const unsigned align[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    std::string text = SectionTextOf(i);
    TRect t(r.Left + 4, r.Top, r.Right - 4, r.Bottom);
    c->Brush()->SetStyle(bsClear);
    DrawText(c->Handle(), text.c_str(), static_cast<int>(text.size()), &t,
             DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX |
                 align[static_cast<int>(SectionAlignmentOf(i))]);
    c->Brush()->SetStyle(bsSolid);
  }
  if (x < client.Right) {
    TRect rest(x, 0, client.Right, client.Bottom);
    DrawEdge(c->Handle(), &rest, EDGE_RAISED, BF_RECT | BF_SOFT);
  }
}

int TCustomHeaderBase::EdgeAt(int X) {
  int x = 0;
  for (int i = 0, n = SectionCountOf(); i < n; ++i) {
    x += SectionWidthOf(i);
    if (X >= x - 2 && X <= x + 2) return i;
  }
  return -1;
}

int TCustomHeaderBase::SectionAt(int X) {
  int x = 0;
  for (int i = 0, n = SectionCountOf(); i < n; ++i) {
    int w = SectionWidthOf(i);
    if (X >= x && X < x + w) return i;
    x += w;
  }
  return -1;
}

void TCustomHeaderBase::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  inherited::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  int edge = EdgeAt(X);
  if (edge >= 0) {
    FTracking = edge;
    FTrackStartX = X;
    FTrackStartWidth = SectionWidthOf(edge);
    SetCaptureControl(this);
    Tracked(edge, FTrackStartWidth, tsTrackBegin);
  } else {
    FPressed = SectionAt(X);
  }
}

void TCustomHeaderBase::MouseMove(TShiftState Shift, int X, int Y) {
  inherited::MouseMove(Shift, X, Y);
  if (FTracking >= 0) {
    int w = std::max(0, FTrackStartWidth + X - FTrackStartX);
    if (w != SectionWidthOf(FTracking)) {
      SetSectionWidthOf(FTracking, w);
      Tracked(FTracking, w, tsTrackMove);
    }
    return;
  }
  SetCursor(EdgeAt(X) >= 0 ? crHSplit : crDefault);
}

void TCustomHeaderBase::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  inherited::MouseUp(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  if (FTracking >= 0) {
    int i = FTracking;
    FTracking = -1;
    SetCaptureControl(nullptr);
    Tracked(i, SectionWidthOf(i), tsTrackEnd);
    return;
  }
  int pressed = FPressed;
  FPressed = -1;
  if (pressed >= 0 && pressed == SectionAt(X)) SectionClicked(pressed);
}

// ---------------------------------------------------------------------------
// THeaderControl
// ---------------------------------------------------------------------------

THeaderControl::THeaderControl(TComponent* AOwner) : TCustomHeaderBase(AOwner) {
  FSections = new THeaderSections(this);
}

THeaderControl::~THeaderControl() { delete FSections; }

void THeaderControl::Tracked(int Index, int Width, TSectionTrackState State) {
  THeaderSection* s = FSections->Items(Index);
  if (OnSectionTrack) OnSectionTrack(this, s, Width, State);
  if (State == tsTrackEnd && OnSectionResize) OnSectionResize(this, s);
}

void THeaderControl::SectionClicked(int Index) {
  if (OnSectionClick) OnSectionClick(this, FSections->Items(Index));
}

// ---------------------------------------------------------------------------
// THeader
// ---------------------------------------------------------------------------

THeader::THeader(TComponent* AOwner) : TCustomHeaderBase(AOwner) {
  auto* list = new TStringList;
  list->OnChange = [this](TObject*) { Invalidate(); };
  FSections = list;
}

THeader::~THeader() { delete FSections; }

int THeader::SectionWidth(int Index) {
  if (Index < 0 || Index >= SectionCount()) throw EListError(Format("List index out of bounds (%d)", {Index}));
  return Index < static_cast<int>(FWidths.size()) ? FWidths[static_cast<size_t>(Index)] : 50;
}

void THeader::SetSectionWidth(int Index, int Value) {
  if (Index < 0 || Index >= SectionCount()) throw EListError(Format("List index out of bounds (%d)", {Index}));
  if (Index >= static_cast<int>(FWidths.size())) FWidths.resize(static_cast<size_t>(Index) + 1, 50);
  Value = std::max(0, Value);
  if (FWidths[static_cast<size_t>(Index)] == Value) return;
  FWidths[static_cast<size_t>(Index)] = Value;
  Invalidate();
}

void THeader::Tracked(int, int, TSectionTrackState State) {
  if (State == tsTrackEnd && OnSized) OnSized(this);
}

// ---------------------------------------------------------------------------
// Property tables
// ---------------------------------------------------------------------------

const TClassInfo& THeaderSection::StaticClass() {
  using C = THeaderSection;
  static const TClassInfo info = TClassBuilder<C>("THeaderSection", &inherited::StaticClass())
                                     .Creatable()
                                     .Enum<TAlignment>("Alignment", &C::Alignment, &C::SetAlignment, taLeftJustify)
                                     .Str("Text", &C::Text, &C::SetText)
                                     .Int("Width", &C::Width, [](C* x, int64_t v) { x->SetWidth(static_cast<int>(v)); }, 50)
                                     .Build();
  return info;
}

const TClassInfo& THeaderSections::StaticClass() {
  static const TClassInfo info = TClassBuilder<THeaderSections>("THeaderSections", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TCustomHeaderBase::StaticClass() {
  static const TClassInfo info = TClassBuilder<TCustomHeaderBase>("TCustomHeaderBase", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& THeaderControl::StaticClass() {
  using H = THeaderControl;
  static const TClassInfo info =
      TClassBuilder<H>("THeaderControl", &inherited::StaticClass())
          .Component()
          .Prop(TControl::Property("Align"))
          .Prop(TControl::Property("Anchors"))
          .Prop(TControl::Property("Enabled"))
          .Prop(TControl::Property("Font"))
          .Prop(TControl::Property("ParentFont"))
          .Object<THeaderSections>("Sections", &H::Sections, &H::SetSections,
                                   [](H* h) { return h->Sections()->Count() > 0; })
          .Prop(TControl::Property("Visible"))
          .Build();
  return info;
}

const TClassInfo& THeader::StaticClass() {
  using H = THeader;
  static const TClassInfo info = TClassBuilder<H>("THeader", &inherited::StaticClass())
                                     .Component()
                                     .Prop(TControl::Property("Align"))
                                     .Prop(TControl::Property("Enabled"))
                                     .Prop(TControl::Property("Font"))
                                     .Object<TStrings>("Sections", &H::Sections, &H::SetSections)
                                     .Prop(TControl::Property("Visible"))
                                     .Build();
  return info;
}

namespace {
struct TRegistration {
  TRegistration() { RegisterClasses({ClassEntry<THeaderControl>(), ClassEntry<THeader>()}); }
} const kRegistration;
}  // namespace
