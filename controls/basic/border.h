#pragma once
// TQvBorder: a windowless control that paints only a frame (outer style, a band of
// BorderWidth pixels, inner style, each inside the last, on the chosen sides). Its
// client rectangle is what the frame leaves, so descendants (LED display, meter,
// colour picker) paint inside it. A frame controller can drive it.
#include "controls/common/colors.h"
#include "controls/common/framecontroller.h"
#include "controls/common/frames.h"
#include "platform/controls/docking.h"
#include "platform/core/typinfo.h"

class TQvBorder : public TGraphicControl, public IQvCustomFramingNotification {
  DTU_CLASS(TQvBorder, TGraphicControl)
public:
  explicit TQvBorder(TComponent* AOwner);
  ~TQvBorder() override;

  int BevelWidth() const { return FBevelWidth; }
  virtual void SetBevelWidth(int Value);
  TFrameStyleEx BorderInner() const { return FBorderInner; }
  virtual void SetBorderInner(TFrameStyleEx Value);
  TFrameStyleEx BorderOuter() const { return FBorderOuter; }
  virtual void SetBorderOuter(TFrameStyleEx Value);
  int BorderWidth() const { return FBorderWidth; }
  virtual void SetBorderWidth(int Value);
  TColor BorderColor() const { return FBorderColor; }
  virtual void SetBorderColor(TColor Value);
  TColor BorderHighlight() const { return FBorderHighlight; }
  virtual void SetBorderHighlight(TColor Value);
  TColor BorderShadow() const { return FBorderShadow; }
  virtual void SetBorderShadow(TColor Value);
  TSides BorderSides() const { return FBorderSides; }
  virtual void SetBorderSides(TSides Value);
  TColor FlatColor() const { return FFlatColor; }
  virtual void SetFlatColor(TColor Value);
  int FlatColorAdjustment() const { return FFlatColorAdjustment; }
  virtual void SetFlatColorAdjustment(int Value);
  TQvFrameController* FrameController() const { return FFrameController; }
  virtual void SetFrameController(TQvFrameController* Value);
  TQvFrameControllerNotifications FrameControllerNotifications() const { return FFrameControllerNotifications; }
  void SetFrameControllerNotifications(TQvFrameControllerNotifications Value) {
    FFrameControllerNotifications = Value;
  }

  // The area inside the frame; (0, 0, 0, 0) when the frame is thicker than the control.
  TRect GetClientRect() override;
  // The colour the frame painter takes as the control's own.
  virtual TColor InteriorColor();
  void CustomFramingChanged() override;
  void Dispatch(TMessage& Message) override;

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

protected:
  virtual void AdjustClientRect(TRect& Rect);
  void Paint() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  int FBevelWidth = 1;
  TFrameStyleEx FBorderInner = fsNone;
  TFrameStyleEx FBorderOuter = fsGroove;
  int FBorderWidth = 0;
  TColor FBorderColor = clBtnFace;
  TColor FBorderHighlight = clBtnHighlight;
  TColor FBorderShadow = clBtnShadow;
  TSides FBorderSides = AllSides;
  TColor FFlatColor = clBtnShadow;
  int FFlatColorAdjustment = 30;
  TQvFrameController* FFrameController = nullptr;
  TQvFrameControllerNotifications FFrameControllerNotifications =
      TQvFrameControllerNotifications::FromInt(AllFrameControllerNotifications);
};

// The border's published framing properties (descendants give BorderOuter's default).
template <class C>
inline void AddBorderFraming(TClassBuilder<C>& b, TFrameStyleEx OuterDefault, bool WithOuter = true) {
  b.Int("BevelWidth", &C::BevelWidth, [](C* x, int64_t v) { x->SetBevelWidth(static_cast<int>(v)); }, 1)
      .template Enum<TFrameStyleEx>("BorderInner", &C::BorderInner, &C::SetBorderInner, fsNone);
  if (WithOuter) b.template Enum<TFrameStyleEx>("BorderOuter", &C::BorderOuter, &C::SetBorderOuter, OuterDefault);
  b.Int("BorderWidth", &C::BorderWidth, [](C* x, int64_t v) { x->SetBorderWidth(static_cast<int>(v)); }, 0)
      .Int("BorderColor", &C::BorderColor, &C::SetBorderColor, clBtnFace, {}, &ColorIdents())
      .Int("BorderHighlight", &C::BorderHighlight, &C::SetBorderHighlight, clBtnHighlight, {}, &ColorIdents())
      .Int("BorderShadow", &C::BorderShadow, &C::SetBorderShadow, clBtnShadow, {}, &ColorIdents())
      .template Set<TSide>("BorderSides", &C::BorderSides, &C::SetBorderSides, AllSides)
      .Int("FlatColor", &C::FlatColor, &C::SetFlatColor, clBtnShadow, {}, &ColorIdents())
      .Int("FlatColorAdjustment", &C::FlatColorAdjustment,
           [](C* x, int64_t v) { x->SetFlatColorAdjustment(static_cast<int>(v)); }, 30)
      .template Object<TQvFrameController>("FrameController", &C::FrameController, &C::SetFrameController)
      .template Set<TQvFrameControllerProperty>("FrameControllerNotifications", &C::FrameControllerNotifications,
                                                &C::SetFrameControllerNotifications,
                                                TQvFrameControllerNotifications::FromInt(AllFrameControllerNotifications));
}
