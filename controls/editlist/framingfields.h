#pragma once
// The stored framing state every framed edit, memo, list box and combo box keeps
// behind its framing properties, with the same start values in each. Each control
// declares its own accessors (their setters repaint in the control's own way);
// this only keeps the fields and their defaults in one place.
#include "controls/common/framecontroller.h"
#include "controls/common/frames.h"

struct TQvFramingFields {
  TColor FDisabledColor = clBtnFace;
  TColor FFocusColor = clWindow;
  TColor FFrameColor = clBtnShadow;
  TColor FFrameHotColor = clBtnShadow;
  TQvFrameController* FFrameController = nullptr;
  TQvFrameControllerNotifications FFrameControllerNotifications =
      TQvFrameControllerNotifications::FromInt(AllFrameControllerNotifications);
  bool FFrameHotTrack = false;
  TFrameStyle FFrameHotStyle = fsFlatBold;
  TSides FFrameSides = AllSides;
  TFrameStyle FFrameStyle = fsFlat;
  bool FFrameVisible = false;
  TFramingPreference FFramingPreference = fpXPThemes;
};
