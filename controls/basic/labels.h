#pragma once
// TQvLabel: a label with a framed border, 3-D text styles, text rotated by any
// angle or laid along an arc, caption condensing with an ellipsis, blinking on the
// one shared blink timer and a fly-by colour under the mouse; it follows a frame
// controller. TQvURLLabel: a hyperlink label that opens its URL with the desktop's
// handler and colours itself visited or unvisited.
#include "controls/basic/buttons.h"
#include "controls/common/framecontroller.h"
#include "controls/common/utils.h"

enum class TRotation { roNone, roFlat, roCurve };
enum class TCenterPoint {
  cpUpperLeft, cpUpperCenter, cpUpperRight, cpLeftCenter, cpCenter, cpRightCenter, cpLowerLeft, cpLowerCenter,
  cpLowerRight
};
enum class TQvCondenseCaption { ccNone, ccAtEnd, ccWithinPath };
using enum TRotation;
using enum TCenterPoint;
using enum TQvCondenseCaption;
DTU_DECLARE_ENUM(TRotation)
DTU_DECLARE_ENUM(TCenterPoint)
DTU_DECLARE_ENUM(TQvCondenseCaption)

// DrawText flags by CondenseCaption: none, end ellipsis, path ellipsis.
extern const unsigned CondenseCaptionFlags[3];

class TQvLabel : public TLabel, public IQvCustomFramingNotification {
  DTU_CLASS(TQvLabel, TLabel)
public:
  explicit TQvLabel(TComponent* AOwner);
  ~TQvLabel() override;

  int Angle() const { return FAngle; }
  virtual void SetAngle(int Value);
  TColor BlinkColor() const { return FBlinkColor; }
  virtual void SetBlinkColor(TColor Value);
  bool Blinking() const { return FBlinking; }
  virtual void SetBlinking(bool Value);
  // The shared blink list's intervals: common to every label.
  int BlinkIntervalOff() const;
  void SetBlinkIntervalOff(int Value);
  int BlinkIntervalOn() const;
  void SetBlinkIntervalOn(int Value);
  int BevelWidth() const { return FBevelWidth; }
  virtual void SetBevelWidth(int Value);
  TFrameStyleEx BorderInner() const { return FBorderInner; }
  virtual void SetBorderInner(TFrameStyleEx Value);
  TFrameStyleEx BorderOuter() const { return FBorderOuter; }
  virtual void SetBorderOuter(TFrameStyleEx Value);
  TSides BorderSides() const { return FBorderSides; }
  virtual void SetBorderSides(TSides Value);
  TColor BorderColor() const { return FBorderColor; }
  virtual void SetBorderColor(TColor Value);
  TColor BorderHighlight() const { return FBorderHighlight; }
  virtual void SetBorderHighlight(TColor Value);
  TColor BorderShadow() const { return FBorderShadow; }
  virtual void SetBorderShadow(TColor Value);
  int BorderWidth() const { return FBorderWidth; }
  virtual void SetBorderWidth(int Value);
  TColor FlatColor() const { return FFlatColor; }
  virtual void SetFlatColor(TColor Value);
  int FlatColorAdjustment() const { return FFlatColorAdjustment; }
  virtual void SetFlatColorAdjustment(int Value);
  TQvFrameController* FrameController() const { return FFrameController; }
  virtual void SetFrameController(TQvFrameController* Value);
  TQvFrameControllerNotifications FrameControllerNotifications() const { return FNotifications; }
  void SetFrameControllerNotifications(TQvFrameControllerNotifications Value) { FNotifications = Value; }
  TCenterPoint CenterPoint() const { return FCenterPoint; }
  virtual void SetCenterPoint(TCenterPoint Value);
  bool FlyByEnabled() const { return FFlyByEnabled; }
  virtual void SetFlyByEnabled(bool Value);
  TColor FlyByColor() const { return FFlyByColor; }
  virtual void SetFlyByColor(TColor Value);
  bool LightTextStyle() const { return FLightTextStyle; }
  virtual void SetLightTextStyle(bool Value);
  TTextStyle TextStyle() const { return FTextStyle; }
  virtual void SetTextStyle(TTextStyle Value);
  TRotation Rotation() const { return FRotation; }
  virtual void SetRotation(TRotation Value);
  TColor HighlightColor() const { return FHighlightColor; }
  virtual void SetHighlightColor(TColor Value);
  TColor ShadowColor() const { return FShadowColor; }
  virtual void SetShadowColor(TColor Value);
  int ShadowDepth() const { return FShadowDepth; }
  virtual void SetShadowDepth(int Value);
  int TextMargin() const { return FTextMargin; }
  virtual void SetTextMargin(int Value);
  TQvCondenseCaption CondenseCaption() const { return FCondenseCaption; }
  virtual void SetCondenseCaption(TQvCondenseCaption Value);
  void SetAutoSize(bool Value) override;
  // The colour the text is drawn in now (the font colour, or BlinkColor while off).
  TColor DrawColor() const { return FDrawColor; }

  void CustomFramingChanged() override;
  void Dispatch(TMessage& Message) override;
  void Loaded() override;
  void DefineProperties(TFiler* Filer) override;

protected:
  virtual void Blink(TBlinkState State);
  virtual void AdjustForBorders(TRect& R);
  virtual void FixClientRect(TRect& R, bool ShrinkByBorder);
  void AdjustBounds() override;
  void Paint() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  TPoint CalcCenterPoint();
  TPoint CalcRadius();
  void Draw3DText();
  void DrawArcText();
  void AdjustForLayout(const std::string& Text, unsigned Flags, TRect& R);
  // A rotation needs a scalable font: a bitmap font is replaced by "Verdana".
  void RequireScalableFont();

private:
  int FAngle = 0;
  TColor FBlinkColor = clHighlight;
  bool FBlinkOn = true;
  bool FBlinking = false;
  int FBevelWidth = 1;
  TFrameStyleEx FBorderInner = fsNone;
  TFrameStyleEx FBorderOuter = fsNone;
  TSides FBorderSides = AllSides;
  TColor FBorderColor = clBtnFace;
  TColor FBorderHighlight = clBtnHighlight;
  TColor FBorderShadow = clBtnShadow;
  int FBorderWidth = 0;
  TColor FFlatColor = clBtnShadow;
  int FFlatColorAdjustment = 30;
  TColor FSavedFontColor = clWindowText;
  TQvFrameController* FFrameController = nullptr;
  TQvFrameControllerNotifications FNotifications = TQvFrameControllerNotifications::FromInt(0xFFFF);
  TCenterPoint FCenterPoint = cpCenter;
  bool FCenterPointRead = false;  // the stream being read has set CenterPoint (until Loaded)
  bool FAutoSizeRead = false;     // the stream being read has set AutoSize (until Loaded)
  bool FConstructing = false;
  bool FFlyByEnabled = false;
  TColor FSavedFlyByColor = clWindowText;
  bool FFlyByApplied = false;  // the font shows FlyByColor, FSavedFlyByColor holds its own colour
  TColor FFlyByColor = clHighlight;
  bool FLightTextStyle = false;
  TTextStyle FTextStyle = tsNormal;
  TRotation FRotation = roNone;
  TColor FHighlightColor = clBtnHighlight;
  TColor FShadowColor = clBtnShadow;
  int FShadowDepth = 2;
  int FTextMargin = 0;
  TQvCondenseCaption FCondenseCaption = ccNone;
  TColor FDrawColor = clWindowText;
};

class TQvURLLabel : public TQvLabel {
  DTU_CLASS(TQvURLLabel, TQvLabel)
public:
  explicit TQvURLLabel(TComponent* AOwner);
  const std::string& URL() const { return FURL; }
  void SetURL(const std::string& Value) { FURL = Value; }
  bool Visited() const { return FVisited; }
  virtual void SetVisited(bool Value);
  TColor UnvisitedColor() const { return FUnvisitedColor; }
  virtual void SetUnvisitedColor(TColor Value);
  TColor VisitedColor() const { return FVisitedColor; }
  virtual void SetVisitedColor(TColor Value);
  // Opens URL (the caption when URL is blank) with the desktop's handler; success
  // marks the label visited.
  void Click() override;

protected:
  virtual void UpdateFontColor();

private:
  std::string FURL;
  bool FVisited = false;
  TColor FUnvisitedColor = clHighlight;
  TColor FVisitedColor = static_cast<TColor>(0x800080);
};

// The screen cursor of link labels.
constexpr TCursor crQvHandCursor = 26000;
