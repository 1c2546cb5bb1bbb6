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
  RegisterClasses({ClassEntry<TQvControlButton>()});
  RegisterClasses({ClassEntry<TQvPanel>()});
  RegisterClasses({ClassEntry<TQvGroupBox>(), ClassEntry<TQvSpacer>()});
  RegisterClasses({ClassEntry<TQvStatusBar>()});
  RegisterClasses({ClassEntry<TQvBorder>(), ClassEntry<TQvLEDDisplay>(), ClassEntry<TQvMeter>()});
  RegisterClasses({ClassEntry<TQvButton>()});
  RegisterClasses({ClassEntry<TQvLabel>(), ClassEntry<TQvURLLabel>()});
  RegisterClasses({ClassEntry<TQvShapeButton>()});
  RegisterClasses({ClassEntry<TQvRadioButton>(), ClassEntry<TQvCheckBox>()});
  RegisterClasses({ClassEntry<TQvRadioGroup>(), ClassEntry<TQvCheckGroup>()});
  RegisterClasses({ClassEntry<TQvToolButton>(), ClassEntry<TQvToolbar>(), ClassEntry<TQvPopupToolButton>()});
  RegisterClasses({ClassEntry<TQvBitBtn>(), ClassEntry<TQvMenuButton>()});
  RegisterClasses({ClassEntry<TQvToolbarButton>(), ClassEntry<TQvMenuToolbarButton>()});
  RegisterClasses({ClassEntry<TQvColorPicker>()});
}
