// The "services" page: a frame controller drives three framed test boxes (one of
// them keeps its own frame style by leaving fcpFrameStyle out of its
// notifications); the controller's settings make a round trip through an ini
// file, whose lines are shown; two label-like controls share the blink timer,
// one of them blinking.
//
// Layout (tests check it): the boxes at (16, 32), (176, 32) and (336, 32), each
// 144 x 48; the ini lines from (16, 112); the blinking labels at (496, 32) and
// (496, 64), 128 x 24.
#include <cstdlib>
#include <unistd.h>

#include "controls/common/framecontroller.h"
#include "controls/common/storage.h"
#include "controls/common/utils.h"
#include "platform/core/typinfo.h"
#include "tools/gallery/gallery.h"

namespace {

// A framed test control: its colour, frame style, sides and frame colour come
// from its frame controller.
class TGalleryFramedBox : public TCustomControl {
  DTU_CLASS(TGalleryFramedBox, TCustomControl)
public:
  explicit TGalleryFramedBox(TComponent* AOwner) : TCustomControl(AOwner) { SetBounds(0, 0, 144, 48); }
  ~TGalleryFramedBox() override {
    if (FController) FController->RemoveControl(this);
  }
  TQvFrameController* FrameController() const { return FController; }
  void SetFrameController(TQvFrameController* Value) {
    if (Value == FController) return;
    if (FController) FController->RemoveControl(this);
    FController = Value;
    if (FController) {
      FController->FreeNotification(this);
      FController->AddControl(this);
    }
  }
#define BOX_PROP(Type, Name)                                   \
  Type Name() const { return F##Name; }                        \
  void Set##Name(Type Value) {                                 \
    if (Value == F##Name) return;                              \
    F##Name = Value;                                           \
    Invalidate();                                              \
  }
  BOX_PROP(TColor, FocusColor)
  BOX_PROP(TColor, FrameColor)
  BOX_PROP(TFrameStyle, FrameStyle)
  BOX_PROP(TSides, FrameSides)
  BOX_PROP(bool, FrameVisible)
#undef BOX_PROP
  TQvFrameControllerNotifications Notifications = TQvFrameControllerNotifications::FromInt(0xFFFF);

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FController) FController = nullptr;
  }
  void Paint() override {
    TCanvas* c = Canvas();
    if (FFrameVisible) DrawFrame(c, Width(), Height(), FFrameStyle, Color(), FFrameColor, FFrameSides, false);
    else {
      c->Brush()->SetColor(Color());
      c->FillRect(ClientRect());
    }
    c->Brush()->SetStyle(bsClear);
    c->TextOut(10, (Height() - c->TextHeight("Ag")) / 2, Caption());
    c->Brush()->SetStyle(bsSolid);
  }

private:
  TQvFrameController* FController = nullptr;
  TColor FFocusColor = clWindow;
  TColor FFrameColor = clBtnShadow;
  TFrameStyle FFrameStyle = fsFlat;
  TSides FFrameSides = AllSides;
  bool FFrameVisible = false;
};

const TClassInfo& TGalleryFramedBox::StaticClass() {
  using C = TGalleryFramedBox;
  static const TClassInfo info =
      TClassBuilder<C>("TGalleryFramedBox", &TCustomControl::StaticClass())
          .Component()
          .Prop(TControl::Property("Caption"))
          .Prop(TControl::Property("Color"))
          .Prop(TControl::Property("ParentColor", false))
          .Int("FocusColor", &C::FocusColor, &C::SetFocusColor, clWindow, {}, &ColorIdents())
          .Int("FrameColor", &C::FrameColor, &C::SetFrameColor, clBtnShadow, {}, &ColorIdents())
          .Enum<TFrameStyleEx>("FrameStyle", &C::FrameStyle, &C::SetFrameStyle, fsFlat)
          .Set<TSide>("FrameSides", &C::FrameSides, &C::SetFrameSides, AllSides)
          .Bool("FrameVisible", &C::FrameVisible, &C::SetFrameVisible, false)
          .Set<TQvFrameControllerProperty>(
              "FrameControllerNotifications", [](C* x) { return x->Notifications; },
              [](C* x, TQvFrameControllerNotifications v) { x->Notifications = v; },
              TQvFrameControllerNotifications::FromInt(0xFFFF))
          .Object<TQvFrameController>("FrameController", &C::FrameController, &C::SetFrameController)
          .Build();
  return info;
}

// Saves the controller's settings into the ini file, loads them back into it and
// lists the file's lines. Without a path of its own the file is a temporary one,
// removed with the control.
class TGallerySettingsView : public TCustomControl {
  DTU_CLASS(TGallerySettingsView, TCustomControl)
public:
  explicit TGallerySettingsView(TComponent* AOwner) : TCustomControl(AOwner) {}
  ~TGallerySettingsView() override {
    if (!FTempFile.empty()) ::unlink(FTempFile.c_str());
  }
  TQvFrameController* FrameController() const { return FController; }
  void SetFrameController(TQvFrameController* Value) { FController = Value; }
  TQvRegIniFile* RegIniFile() const { return FRegIniFile; }
  void SetRegIniFile(TQvRegIniFile* Value) { FRegIniFile = Value; }
  const std::string& Section() const { return FSection; }
  void SetSection(const std::string& Value) { FSection = Value; }
  void Loaded() override {
    TCustomControl::Loaded();
    if (!FController || !FRegIniFile) return;
    if (FRegIniFile->Path().empty()) {
      char name[] = "/tmp/gallery-services-XXXXXX";
      int fd = mkstemp(name);
      if (fd >= 0) ::close(fd);
      FTempFile = name;
      FRegIniFile->SetPath(FTempFile);
    }
    FController->Save(FSection);
    FController->Load(FSection);
    FRegIniFile->ReadSectionValues(FSection, &FLines);
  }

protected:
  void Paint() override {
    TCanvas* c = Canvas();
    c->Brush()->SetColor(clWindow);
    c->FillRect(ClientRect());
    // A sunken edge: two rings, so the lower right shows against the window colour.
    DrawSides(c, DrawSides(c, ClientRect(), clBtnShadow, clBtnHighlight), cl3DDkShadow, clBtnFace);
    int h = c->TextHeight("Ag");
    c->Brush()->SetStyle(bsClear);
    c->TextOut(6, 4, "[" + FSection + "]");
    for (int i = 0; i < FLines.Count(); ++i)
      c->TextOut(6 + (i / 9) * 200, 4 + h * (1 + i % 9), FLines.Strings(i));
    c->Brush()->SetStyle(bsSolid);
  }

private:
  TQvFrameController* FController = nullptr;
  TQvRegIniFile* FRegIniFile = nullptr;
  std::string FSection = "Framing";
  std::string FTempFile;
  TStringList FLines;
};

const TClassInfo& TGallerySettingsView::StaticClass() {
  using C = TGallerySettingsView;
  static const TClassInfo info =
      TClassBuilder<C>("TGallerySettingsView", &TCustomControl::StaticClass())
          .Component()
          .Object<TQvFrameController>("FrameController", &C::FrameController, &C::SetFrameController)
          .Object<TQvRegIniFile>("RegIniFile", &C::RegIniFile, &C::SetRegIniFile)
          .Str("Section", &C::Section, &C::SetSection)
          .Build();
  return info;
}

// A label-like control on the shared blink timer: while Blinking, each tick swaps
// its text colour between the font colour and BlinkColor.
class TGalleryBlinkLabel : public TGraphicControl {
  DTU_CLASS(TGalleryBlinkLabel, TGraphicControl)
public:
  explicit TGalleryBlinkLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetBounds(0, 0, 128, 24);
    if (!BlinkingControls) BlinkingControls = new TQvBlinkingControlsList;
    BlinkingControls->Add(this);
  }
  ~TGalleryBlinkLabel() override {
    if (BlinkingControls) BlinkingControls->Remove(this);
    FreeBlinkingControlsListIfEmpty();
  }
  bool Blinking() const { return FBlinking; }
  void SetBlinking(bool Value) {
    if (Value == FBlinking) return;
    FBlinking = Value;
    if (!Value) FShowBlink = false;
    Invalidate();
  }
  TColor BlinkColor() const { return FBlinkColor; }
  void SetBlinkColor(TColor Value) {
    if (Value == FBlinkColor) return;
    FBlinkColor = Value;
    Invalidate();
  }
  void Dispatch(TMessage& M) override {
    if (M.Msg == CM_GETBLINKING) {
      M.Result = FBlinking ? 1 : 0;
    } else if (M.Msg == CM_BLINK) {
      FShowBlink = M.WParam == static_cast<WPARAM>(bsOn);
      Invalidate();
    } else {
      TGraphicControl::Dispatch(M);
    }
  }

protected:
  void Paint() override {
    TCanvas* c = Canvas();
    c->Brush()->SetColor(Color());
    c->FillRect(ClientRect());
    c->Font()->SetColor(FShowBlink ? FBlinkColor : Font()->Color());
    c->Brush()->SetStyle(bsClear);
    c->TextOut(4, (Height() - c->TextHeight("Ag")) / 2, Caption());
    c->Brush()->SetStyle(bsSolid);
  }

private:
  bool FBlinking = false;
  bool FShowBlink = false;
  TColor FBlinkColor = clRed;
};

const TClassInfo& TGalleryBlinkLabel::StaticClass() {
  using C = TGalleryBlinkLabel;
  static const TClassInfo info =
      TClassBuilder<C>("TGalleryBlinkLabel", &TGraphicControl::StaticClass())
          .Component()
          .Prop(TControl::Property("Caption"))
          .Prop(TControl::Property("Color"))
          .Prop(TControl::Property("ParentColor"))
          .Bool("Blinking", &C::Blinking, &C::SetBlinking, false)
          .Int("BlinkColor", &C::BlinkColor, &C::SetBlinkColor, clRed, {}, &ColorIdents())
          .Build();
  return info;
}

const char* const ServicesForm = R"(object Page: TForm
  object Ini: TQvRegIniFile
  end
  object Frames: TQvFrameController
    Color = clInfoBk
    FrameColor = clNavy
    FrameStyle = fsFlatBold
    FrameVisible = True
    FrameSides = [sdLeft, sdTop, sdRight, sdBottom]
    RegIniFile = Ini
  end
  object Box1: TGalleryFramedBox
    Left = 16
    Top = 32
    Caption = 'framed 1'
    FrameController = Frames
  end
  object Box2: TGalleryFramedBox
    Left = 176
    Top = 32
    Caption = 'framed 2'
    FrameController = Frames
  end
  object Box3: TGalleryFramedBox
    Left = 336
    Top = 32
    Caption = 'own style (fsRaised)'
    FrameStyle = fsRaised
    FrameControllerNotifications = [fcpColor, fcpFocusColor, fcpDisabledColor, fcpReadOnlyColor, fcpReadOnlyColorOnFocus, fcpParentColor, fcpFlatButtonColor, fcpFlatButtons, fcpFrameColor, fcpFrameHotColor, fcpFrameHotTrack, fcpFrameHotStyle, fcpFrameSides, fcpFrameVisible, fcpFramingPreference]
    FrameController = Frames
  end
  object Settings: TGallerySettingsView
    Left = 16
    Top = 112
    Width = 608
    Height = 184
    FrameController = Frames
    RegIniFile = Ini
    Section = 'Framing'
  end
  object Blink1: TGalleryBlinkLabel
    Left = 496
    Top = 32
    Caption = 'blinking label'
    Color = clWindow
    Blinking = True
  end
  object Blink2: TGalleryBlinkLabel
    Left = 496
    Top = 64
    Caption = 'steady label'
    Color = clWindow
  end
end
)";

const bool Registered = [] {
  RegisterClasses({ClassEntry<TQvRegIniFile>(), ClassEntry<TQvFrameController>(),
                   ClassEntry<TGalleryFramedBox>(), ClassEntry<TGallerySettingsView>(),
                   ClassEntry<TGalleryBlinkLabel>()});
  return true;
}();

void PaintServices(TCanvas* Canvas, const TRect&) {
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->TextOut(16, 10, "Frame controller: three framed boxes (the third keeps its own style)");
  Canvas->TextOut(496, 10, "Blink timer (top: blinks)");
  Canvas->TextOut(16, 92, "The controller's settings after a save and load through an ini file:");
  Canvas->Brush()->SetStyle(bsSolid);
}

TGalleryPageRegistrar reg{{"services", 640, 320, ServicesForm, PaintServices, nullptr}};

}  // namespace
