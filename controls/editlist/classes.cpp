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
  RegisterClasses({ClassEntry<TQvEdit>(), ClassEntry<TQvMaskEdit>()});
  RegisterClasses({ClassEntry<TQvRapidFireButton>(), ClassEntry<TQvSpinButtons>()});
  RegisterClasses({ClassEntry<TQvSpinEdit>()});
  RegisterClasses({ClassEntry<TQvComboBox>(), ClassEntry<TQvColorComboBox>(), ClassEntry<TQvFontComboBox>(),
                   ClassEntry<TQvFontListBox>(), ClassEntry<TQvMRUComboBox>(), ClassEntry<TQvImageComboBox>()});
  RegisterClasses({ClassEntry<TQvListBox>()});
  RegisterClasses({ClassEntry<TQvTabbedListBox>()});
  RegisterClasses({ClassEntry<TQvCheckList>()});
  RegisterClasses({ClassEntry<TQvEditListBox>(), ClassEntry<TQvRankListBox>()});
  RegisterClasses({ClassEntry<TQvCalendar>(), ClassEntry<TQvTimePicker>()});
  RegisterClasses({ClassEntry<TQvColorEdit>(), ClassEntry<TQvDateTimeEdit>()});
  RegisterClasses({ClassEntry<TQvPopupPanel>()});
  RegisterClasses({ClassEntry<TQvSpinner>()});
  RegisterClasses({ClassEntry<TQvNumericEdit>(), ClassEntry<TQvExpandEdit>()});
  RegisterClasses({ClassEntry<TQvMemo>(), ClassEntry<TQvRichEdit>(), ClassEntry<TQvHotKeyEdit>()});
  InstallToolbarHooks();
}
