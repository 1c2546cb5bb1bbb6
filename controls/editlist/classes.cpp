// The edit and list controls' class registration.
#include "controls/editlist/classes.h"

#include "controls/basic/classes.h"
#include "controls/editlist/calendar.h"
#include "controls/editlist/checklist.h"
#include "controls/editlist/colorcombo.h"
#include "controls/editlist/combobox.h"
#include "controls/editlist/customizedlg.h"
#include "controls/editlist/dateedits.h"
#include "controls/editlist/editlists.h"
#include "controls/editlist/edits.h"
#include "controls/editlist/fontlists.h"
#include "controls/editlist/historycombo.h"
#include "controls/editlist/imagecombo.h"
#include "controls/editlist/listboxes.h"
#include "controls/editlist/memos.h"
#include "controls/editlist/numedits.h"
#include "controls/editlist/popuppanel.h"
#include "controls/editlist/spinbuttons.h"
#include "controls/editlist/spinedit.h"
#include "controls/editlist/spinner.h"
#include "controls/editlist/tabbedlist.h"
#include "controls/editlist/timepicker.h"
#include "platform/core/object.h"

void RegisterEditListClasses() {
  RegisterBasicClasses();
  RegisterClasses({&TQvEdit::StaticClass(), &TQvMaskEdit::StaticClass()});
  RegisterClasses({&TQvRapidFireButton::StaticClass(), &TQvSpinButtons::StaticClass()});
  RegisterClasses({&TQvSpinEdit::StaticClass()});
  RegisterClasses({&TQvComboBox::StaticClass(), &TQvColorComboBox::StaticClass(), &TQvFontComboBox::StaticClass(),
                   &TQvFontListBox::StaticClass(), &TQvMRUComboBox::StaticClass(), &TQvImageComboBox::StaticClass()});
  RegisterClasses({&TQvListBox::StaticClass()});
  RegisterClasses({&TQvTabbedListBox::StaticClass()});
  RegisterClasses({&TQvCheckList::StaticClass()});
  RegisterClasses({&TQvEditListBox::StaticClass(), &TQvRankListBox::StaticClass()});
  RegisterClasses({&TQvCalendar::StaticClass(), &TQvTimePicker::StaticClass()});
  RegisterClasses({&TQvColorEdit::StaticClass(), &TQvDateTimeEdit::StaticClass()});
  RegisterClasses({&TQvPopupPanel::StaticClass()});
  RegisterClasses({&TQvSpinner::StaticClass()});
  RegisterClasses({&TQvNumericEdit::StaticClass(), &TQvExpandEdit::StaticClass()});
  RegisterClasses({&TQvMemo::StaticClass(), &TQvRichEdit::StaticClass(), &TQvHotKeyEdit::StaticClass()});
  InstallToolbarHooks();
}
