// TPanel, TBevel, TPicture and TImage.
#include "platform/stdctrls/panels.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include "platform/core/filer.h"
#include "platform/core/streams.h"
#include "platform/core/typinfo.h"
#include "platform/stdctrls/stdctrls_buttons.h"

DTU_DEFINE_ENUM(TBevelCut, "bvNone", "bvLowered", "bvRaised", "bvSpace")
DTU_DEFINE_ENUM(TBevelShape, "bsBox", "bsFrame", "bsTopLine", "bsBottomLine", "bsLeftLine", "bsRightLine",
                "bsSpacer")
DTU_DEFINE_ENUM(TBevelStyle, "bsLowered", "bsRaised")

void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width) {
  Canvas->Pen()->SetWidth(1);
  Canvas->Pen()->SetStyle(psSolid);
  --Rect.Bottom;
  --Rect.Right;
  while (Width-- > 0) {
    TPoint topRight{Rect.Right, Rect.Top}, bottomLeft{Rect.Left, Rect.Bottom};
    Canvas->Pen()->SetColor(TopColor);
    Canvas->Polyline({bottomLeft, Rect.TopLeft(), topRight});
    Canvas->Pen()->SetColor(BottomColor);
    --bottomLeft.X;
    Canvas->Polyline({topRight, Rect.BottomRight(), bottomLeft});
    InflateRect(Rect, -1, -1);
  }
  ++Rect.Bottom;
  ++Rect.Right;
}

// ---------------------------------------------------------------------------
// TCustomPanel
// ---------------------------------------------------------------------------

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque, csDoubleClicks,
                   csReplicatable};
  SetBounds(0, 0, 185, 41);
  SetColor(clBtnFace);
}

void TCustomPanel::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  Invalidate();
}

void TCustomPanel::SetBevelInner(TPanelBevel Value) {
  if (FBevelInner == Value) return;
  FBevelInner = Value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelOuter(TPanelBevel Value) {
  if (FBevelOuter == Value) return;
  FBevelOuter = Value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelWidth(int Value) {
  if (FBevelWidth == Value) return;
  FBevelWidth = Value;
  Realign();
  Invalidate();
}

void TCustomPanel::AdjustClientRect(TRect& Rect) {
  inherited::AdjustClientRect(Rect);  // the border width
  int bevels = 0;
  if (FBevelOuter != bvNone) bevels += FBevelWidth;
  if (FBevelInner != bvNone) bevels += FBevelWidth;
  InflateRect(Rect, -bevels, -bevels);
}

void TCustomPanel::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  auto bevel = [&](TPanelBevel B) {
    if (B == bvNone) return;
    TColor top = B == bvLowered ? clBtnShadow : clBtnHighlight;
    TColor bottom = B == bvLowered ? clBtnHighlight : clBtnShadow;
    if (B == bvSpace) top = bottom = Color();
    Frame3D(c, r, top, bottom, FBevelWidth);
  };
  bevel(FBevelOuter);
  Frame3D(c, r, Color(), Color(), BorderWidth());
  bevel(FBevelInner);
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  std::string text = Caption();
  if (text.empty()) return;
  c->SetFont(Font());
  int h = c->TextHeight("W");
  r.Top = (r.Bottom + r.Top - h) / 2;
  r.Bottom = r.Top + h;
  DrawControlText(c, text, r, DT_EXPANDTABS | DT_VCENTER | AlignmentFlag(FAlignment), Enabled());
}

void TCustomPanel::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case CM_TEXTCHANGED:
      Invalidate();
      inherited::Dispatch(M);
      break;
    case WM_SIZE:
      inherited::Dispatch(M);
      // The bevels sit at the edges: a new size moves them.
      Invalidate();
      break;
    default:
      inherited::Dispatch(M);
  }
}

// ---------------------------------------------------------------------------
// TBevel
// ---------------------------------------------------------------------------

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) {
  FControlStyle << csReplicatable;
  SetBounds(0, 0, 50, 50);
}

void TBevel::SetShape(TBevelShape Value) {
  if (FShape == Value) return;
  FShape = Value;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  Invalidate();
}

void TBevel::Paint() {
  TCanvas* c = TGraphicControl::Canvas();
  c->Pen()->SetWidth(1);
  c->Pen()->SetStyle(psSolid);
  TColor c1 = FStyle == bsLowered ? clBtnShadow : clBtnHighlight;
  TColor c2 = FStyle == bsLowered ? clBtnHighlight : clBtnShadow;
  auto rect = [&](TRect R, TColor A, TColor B) {
    c->Pen()->SetColor(A);
    c->Polyline({{R.Left, R.Bottom}, {R.Left, R.Top}, {R.Right, R.Top}});
    c->Pen()->SetColor(B);
    c->Polyline({{R.Right, R.Top}, {R.Right, R.Bottom}, {R.Left, R.Bottom}});
  };
  auto line = [&](TColor C, int X1, int Y1, int X2, int Y2) {
    c->Pen()->SetColor(C);
    c->MoveTo(X1, Y1);
    c->LineTo(X2, Y2);
  };
  int w = Width(), h = Height();
  switch (FShape) {
    case bsBox: rect({0, 0, w - 1, h - 1}, c1, c2); break;
    case bsFrame:
      rect({1, 1, w - 1, h - 1}, c2, c2);
      rect({0, 0, w - 2, h - 2}, c1, c1);
      break;
    case bsTopLine:
      line(c1, 0, 0, w, 0);
      line(c2, 0, 1, w, 1);
      break;
    case bsBottomLine:
      line(c1, 0, h - 2, w, h - 2);
      line(c2, 0, h - 1, w, h - 1);
      break;
    case bsLeftLine:
      line(c1, 0, 0, 0, h);
      line(c2, 1, 0, 1, h);
      break;
    case bsRightLine:
      line(c1, w - 2, 0, w - 2, h);
      line(c2, w - 1, 0, w - 1, h);
      break;
    case bsSpacer: break;
  }
}

// ---------------------------------------------------------------------------
// TPicture
// ---------------------------------------------------------------------------

TPicture::~TPicture() { delete FGraphic; }

void TPicture::Changed() {
  if (OnChange) OnChange(this);
}

void TPicture::Adopt(TGraphic* Graphic) {
  delete FGraphic;
  FGraphic = Graphic;
  if (FGraphic) FGraphic->OnChange = [this](TObject*) { Changed(); };
  Changed();
}

void TPicture::SetGraphic(TGraphic* Value) {
  if (Value == FGraphic) return;
  std::unique_ptr<TGraphic> copy;
  if (dynamic_cast<TBitmap*>(Value)) copy = std::make_unique<TBitmap>();
  else if (dynamic_cast<TIcon*>(Value)) copy = std::make_unique<TIcon>();
  else if (Value) throw EInvalidGraphic("Unsupported picture graphic " + Value->ClassName());
  if (copy) copy->Assign(Value);
  Adopt(copy.release());
}

TBitmap* TPicture::Bitmap() {
  auto* b = dynamic_cast<TBitmap*>(FGraphic);
  if (!b) {
    b = new TBitmap;
    Adopt(b);
  }
  return b;
}

TIcon* TPicture::Icon() {
  auto* i = dynamic_cast<TIcon*>(FGraphic);
  if (!i) {
    i = new TIcon;
    Adopt(i);
  }
  return i;
}

void TPicture::Assign(TPersistent* Source) {
  if (!Source) {
    Adopt(nullptr);
    return;
  }
  if (auto* p = dynamic_cast<TPicture*>(Source)) {
    SetGraphic(p->FGraphic);
    return;
  }
  if (auto* g = dynamic_cast<TGraphic*>(Source)) {
    SetGraphic(g);
    return;
  }
  inherited::Assign(Source);
}

void TPicture::LoadFromFile(const std::string& FileName) {
  std::string ext;
  size_t dot = FileName.rfind('.'), slash = FileName.find_last_of("/\\");
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) ext = FileName.substr(dot + 1);
  for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  std::unique_ptr<TGraphic> g;
  if (ext == "bmp") g = std::make_unique<TBitmap>();
  else if (ext == "ico") g = std::make_unique<TIcon>();
  else throw EInvalidGraphic("Unknown picture file extension (." + ext + ")");
  g->LoadFromFile(FileName);
  Adopt(g.release());
}

void TPicture::SaveToFile(const std::string& FileName) {
  if (FGraphic) FGraphic->SaveToFile(FileName);
}

void TPicture::ReadData(TStream* Stream) {
  uint8_t n = 0;
  Stream->ReadBuffer(&n, 1);
  std::string name(n, '\0');
  if (n) Stream->ReadBuffer(name.data(), n);
  std::unique_ptr<TGraphic> g;
  if (name == "TBitmap") g = std::make_unique<TBitmap>();
  else if (name == "TIcon") g = std::make_unique<TIcon>();
  else throw EReadError("Unsupported picture graphic " + name);
  // The graphic's form data: a 32-bit little-endian byte count, then its file.
  uint8_t sz[4];
  Stream->ReadBuffer(sz, 4);
  int64_t size = int64_t(sz[0]) | (int64_t(sz[1]) << 8) | (int64_t(sz[2]) << 16) | (int64_t(sz[3]) << 24);
  if (size > Stream->Size() - Stream->Position()) throw EReadError("Picture data is truncated");
  if (size > 0) {  // (CopyFrom takes a count of 0 as "everything")
    TMemoryStream m;
    m.CopyFrom(Stream, size);
    m.SetPosition(0);
    g->LoadFromStream(&m);
  }
  Adopt(g.release());
}

void TPicture::WriteData(TStream* Stream) {
  std::string name = FGraphic->ClassName();
  uint8_t n = static_cast<uint8_t>(name.size());
  Stream->WriteBuffer(&n, 1);
  Stream->WriteBuffer(name.data(), n);
  TMemoryStream m;
  FGraphic->SaveToStream(&m);
  uint32_t size = static_cast<uint32_t>(m.Size());
  uint8_t sz[4] = {uint8_t(size), uint8_t(size >> 8), uint8_t(size >> 16), uint8_t(size >> 24)};
  Stream->WriteBuffer(sz, 4);
  Stream->WriteBuffer(m.Memory(), m.Size());
}

void TPicture::DefineProperties(TFiler* Filer) {
  Filer->DefineBinaryProperty("Data", [this](TStream* s) { ReadData(s); }, [this](TStream* s) { WriteData(s); },
                              FGraphic && !FGraphic->Empty());
}

// ---------------------------------------------------------------------------
// TImage
// ---------------------------------------------------------------------------

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(new TPicture) {
  FControlStyle << csReplicatable;
  FPicture->OnChange = [this](TObject*) { PictureChanged(); };
  SetBounds(0, 0, 105, 105);
}

TImage::~TImage() { delete FPicture; }

TCanvas* TImage::Canvas() {
  if (!FPicture->Graphic()) {
    auto* b = FPicture->Bitmap();
    b->SetSize(Width(), Height());
  }
  auto* b = dynamic_cast<TBitmap*>(FPicture->Graphic());
  if (!b) throw EInvalidOperation("Can only modify an image if it contains a bitmap");
  return b->Canvas();
}

void TImage::SetAutoSize(bool Value) {
  if (FAutoSize == Value) return;
  FAutoSize = Value;
  PictureChanged();
}

void TImage::SetCenter(bool Value) {
  if (FCenter == Value) return;
  FCenter = Value;
  Invalidate();
}

void TImage::SetStretch(bool Value) {
  if (FStretch == Value) return;
  FStretch = Value;
  Invalidate();
}

void TImage::SetProportional(bool Value) {
  if (FProportional == Value) return;
  FProportional = Value;
  Invalidate();
}

void TImage::SetTransparent(bool Value) {
  if (FTransparent == Value) return;
  FTransparent = Value;
  PictureChanged();
}

void TImage::Loaded() {
  inherited::Loaded();
  PictureChanged();
}

void TImage::PictureChanged() {
  if (ComponentState().Contains(csLoading)) return;
  TGraphic* g = FPicture->Graphic();
  // Icons carry their own transparency.
  if (g && !dynamic_cast<TIcon*>(g) && g->Transparent() != FTransparent) {
    auto keep = FPicture->OnChange;
    FPicture->OnChange = nullptr;
    g->SetTransparent(FTransparent);
    FPicture->OnChange = keep;
  }
  if (FAutoSize && g && !g->Empty()) SetBounds(Left(), Top(), g->Width(), g->Height());
  Invalidate();
}

TRect TImage::DestRect() {
  int w = FPicture->Width(), h = FPicture->Height();
  int cw = ClientWidth(), ch = ClientHeight();
  if (FStretch || (FProportional && (w > cw || h > ch))) {
    if (FProportional && w > 0 && h > 0) {
      double aspect = static_cast<double>(w) / h;
      if (w > h) {
        w = cw;
        h = static_cast<int>(cw / aspect);
        if (h > ch) {
          h = ch;
          w = static_cast<int>(ch * aspect);
        }
      } else {
        h = ch;
        w = static_cast<int>(ch * aspect);
        if (w > cw) {
          w = cw;
          h = static_cast<int>(cw / aspect);
        }
      }
    } else {
      w = cw;
      h = ch;
    }
  }
  TRect r{0, 0, w, h};
  if (FCenter) OffsetRect(r, (cw - w) / 2, (ch - h) / 2);
  return r;
}

void TImage::Paint() {
  TGraphic* g = FPicture->Graphic();
  if (g && !g->Empty()) TGraphicControl::Canvas()->StretchDraw(DestRect(), g);
}

// ---------------------------------------------------------------------------
// Property tables
// ---------------------------------------------------------------------------

namespace {
const TPropInfo& Pr(const char* Name) { return TControl::Property(Name); }
TPropInfo WithDefault(const char* Name, std::optional<int64_t> Default) {
  TPropInfo p = Pr(Name);
  p.Default = Default;
  return p;
}
}  // namespace

const TClassInfo& TCustomPanel::StaticClass() {
  static const TClassInfo info = TClassBuilder<TCustomPanel>("TCustomPanel", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TPanel::StaticClass() {
  using C = TPanel;
  static const TClassInfo info = [] {
    TClassBuilder<C> b("TPanel", &inherited::StaticClass());
    b.Component()
        .Enum<TAlignment>("Alignment", &C::Alignment, &C::SetAlignment, taCenter)
        .Enum<TBevelCut>("BevelInner", &C::BevelInner, &C::SetBevelInner, bvNone)
        .Enum<TBevelCut>("BevelOuter", &C::BevelOuter, &C::SetBevelOuter, bvRaised)
        .Int("BevelWidth", &C::BevelWidth, [](C* x, int64_t v) { x->SetBevelWidth(static_cast<int>(v)); }, 1)
        .Bool("FullRepaint", &C::FullRepaint, &C::SetFullRepaint, true)
        .Bool("Locked", &C::Locked, &C::SetLocked, false)
        .Prop(WithDefault("Color", clBtnFace));
    for (const char* n : {"Align", "Anchors", "BiDiMode", "BorderWidth", "Caption", "Ctl3D", "Enabled", "Font",
                          "ParentBiDiMode", "ParentColor", "ParentCtl3D", "ParentFont", "ParentShowHint", "PopupMenu",
                          "ShowHint", "TabOrder",
                          "TabStop", "Visible", "OnClick", "OnContextPopup", "OnDblClick", "OnEnter", "OnExit",
                          "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnResize"})
      b.Prop(Pr(n));
    return b.Build();
  }();
  return info;
}

const TClassInfo& TBevel::StaticClass() {
  using C = TBevel;
  static const TClassInfo info = TClassBuilder<C>("TBevel", &inherited::StaticClass())
                                     .Component()
                                     .Prop(Pr("Align"))
                                     .Prop(Pr("Anchors"))
                                     .Prop(Pr("ParentShowHint"))
                                     .Enum<TBevelShape>("Shape", &C::Shape, &C::SetShape, bsBox)
                                     .Prop(Pr("ShowHint"))
                                     .Enum<TBevelStyle>("Style", &C::Style, &C::SetStyle, bsLowered)
                                     .Prop(Pr("Visible"))
                                     .Build();
  return info;
}

const TClassInfo& TPicture::StaticClass() {
  static const TClassInfo info = TClassBuilder<TPicture>("TPicture", &inherited::StaticClass()).Build();
  return info;
}

const TClassInfo& TImage::StaticClass() {
  using C = TImage;
  static const TClassInfo info = TClassBuilder<C>("TImage", &inherited::StaticClass())
                                     .Component()
                                     .Prop(Pr("Align"))
                                     .Prop(Pr("Anchors"))
                                     .Bool("AutoSize", &C::AutoSize, &C::SetAutoSize, false)
                                     .Bool("Center", &C::Center, &C::SetCenter, false)
                                     .Prop(Pr("Enabled"))
                                     .Prop(Pr("ParentShowHint"))
                                     .Object<TPicture>("Picture", &C::Picture, &C::SetPicture)
                                     .Prop(Pr("PopupMenu"))
                                     .Bool("Proportional", &C::Proportional, &C::SetProportional, false)
                                     .Prop(Pr("ShowHint"))
                                     .Bool("Stretch", &C::Stretch, &C::SetStretch, false)
                                     .Bool("Transparent", &C::Transparent, &C::SetTransparent, false)
                                     .Prop(Pr("Visible"))
                                     .Prop(Pr("OnClick"))
                                     .Prop(Pr("OnDblClick"))
                                     .Prop(Pr("OnMouseDown"))
                                     .Prop(Pr("OnMouseMove"))
                                     .Prop(Pr("OnMouseUp"))
                                     .Build();
  return info;
}

namespace {
struct TRegistration {
  TRegistration() {
    RegisterClasses({ClassEntry<TPanel>(), ClassEntry<TBevel>(), ClassEntry<TImage>()});
  }
} const kRegistration;
}  // namespace
