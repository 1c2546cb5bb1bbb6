#include "app/PasteFilter.h"

#include "platform/controls/backend.h"
#include "platform/stdctrls/edit.h"
#include "platform/controls/winuser.h"

void FilterPaste(TCustomEdit* Edit, std::function<std::string(const std::string&)> Filter) {
  TWndMethod inner = Edit->WindowProc;
  Edit->WindowProc = [Edit, inner, Filter = std::move(Filter)](TMessage& M) {
    if (M.Msg != WM_PASTE) {
      inner(M);
      return;
    }
    if (Edit->ReadOnly() || !Backend().ClipboardHasText()) return;
    std::string text = Filter(Backend().ClipboardText());
    // The edit's own replacement keeps the text within its limit.
    if (!text.empty()) Edit->Perform(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
  };
}
