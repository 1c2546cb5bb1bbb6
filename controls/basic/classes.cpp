// The basic controls' class registration.
#include "controls/basic/classes.h"

#include "controls/basic/bitbuttons.h"
#include "controls/basic/border.h"
#include "controls/basic/buttons.h"
#include "controls/basic/colorpicker.h"
#include "controls/basic/controlbutton.h"
#include "controls/basic/groupbox.h"
#include "controls/basic/labels.h"
#include "controls/basic/led.h"
#include "controls/basic/meter.h"
#include "controls/basic/panels.h"
#include "controls/basic/radiocheck.h"
#include "controls/basic/radiogroups.h"
#include "controls/basic/shapebutton.h"
#include "controls/basic/statusbar.h"
#include "controls/basic/tbspeedbuttons.h"
#include "controls/basic/toolbar.h"
#include "controls/basic/toolbutton.h"
#include "controls/common/classes.h"
#include "platform/core/object.h"

void RegisterBasicClasses() {
  RegisterCommonClasses();
  RegisterClasses({&TQvControlButton::StaticClass()});
  RegisterClasses({&TQvPanel::StaticClass()});
  RegisterClasses({&TQvGroupBox::StaticClass(), &TQvSpacer::StaticClass()});
  RegisterClasses({&TQvStatusBar::StaticClass()});
  RegisterClasses({&TQvBorder::StaticClass(), &TQvLEDDisplay::StaticClass(), &TQvMeter::StaticClass()});
  RegisterClasses({&TQvButton::StaticClass()});
  RegisterClasses({&TQvLabel::StaticClass(), &TQvURLLabel::StaticClass()});
  RegisterClasses({&TQvShapeButton::StaticClass()});
  RegisterClasses({&TQvRadioButton::StaticClass(), &TQvCheckBox::StaticClass()});
  RegisterClasses({&TQvRadioGroup::StaticClass(), &TQvCheckGroup::StaticClass()});
  RegisterClasses({&TQvToolButton::StaticClass(), &TQvToolbar::StaticClass(), &TQvPopupToolButton::StaticClass()});
  RegisterClasses({&TQvBitBtn::StaticClass(), &TQvMenuButton::StaticClass()});
  RegisterClasses({&TQvToolbarButton::StaticClass(), &TQvMenuToolbarButton::StaticClass()});
  RegisterClasses({&TQvColorPicker::StaticClass()});
}
