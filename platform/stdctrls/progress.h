#pragma once
// TProgressBar: a position between Min and Max shown as a row of blocks (or a
// smooth bar) in the highlight colour inside a sunken frame, drawn by this layer.
// The OS's progress messages (PBM_) change and read it, so a program or a subclass
// can drive it by message as well as by property.
#include "platform/controls/controls.h"

constexpr UINT PBM_SETRANGE = WM_USER + 1, PBM_SETPOS = WM_USER + 2, PBM_DELTAPOS = WM_USER + 3,
               PBM_SETSTEP = WM_USER + 4, PBM_STEPIT = WM_USER + 5, PBM_SETRANGE32 = WM_USER + 6,
               PBM_GETRANGE = WM_USER + 7, PBM_GETPOS = WM_USER + 8;
// PBM_GETRANGE: WParam true asks for the low limit, false for the high one; LParam
// may point to this, which receives both.
struct PBRANGE {
  int iLow = 0;
  int iHigh = 0;
};

enum class TProgressBarOrientation { pbHorizontal, pbVertical };
using enum TProgressBarOrientation;
DTU_DECLARE_ENUM(TProgressBarOrientation)

class TProgressBar : public TCustomControl {
  DTU_CLASS(TProgressBar, TCustomControl)
public:
  explicit TProgressBar(TComponent* AOwner);

  // The range; a Min above Max (or Max below Min) is refused with EInvalidOperation
  // "Property value out of range". The position is kept inside the range.
  int Min() const { return FMin; }
  void SetMin(int Value);
  int Max() const { return FMax; }
  void SetMax(int Value);
  int Position() const { return FPosition; }
  void SetPosition(int Value);
  int Step() const { return FStep; }
  void SetStep(int Value);
  TProgressBarOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TProgressBarOrientation Value);
  bool Smooth() const { return FSmooth; }
  void SetSmooth(bool Value);
  // Advances by Step, starting over from Min past Max.
  void StepIt();
  // Advances by Delta, stopping at the ends.
  void StepBy(int Delta);

  void Dispatch(TMessage& Message) override;

protected:
  void Paint() override;

private:
  void SetRange(int Low, int High);
  int FMin = 0;
  int FMax = 100;
  int FPosition = 0;
  int FStep = 10;
  TProgressBarOrientation FOrientation = pbHorizontal;
  bool FSmooth = false;
};
