// The "Open With" dialog (see openwith.h).
#include "platform/stdctrls/openwith.h"

#include <memory>
#include <vector>

#include "platform/controls/forms.h"
#include "platform/controls/modal.h"
#include "platform/core/gbk.h"
#include "platform/core/sysutils.h"
#include "platform/stdctrls/listbox.h"
#include "platform/stdctrls/stdctrls_buttons.h"
#include "platform/win32/desktopapps.h"

namespace {

const char* const kTitle = "Open With";

// The dialog: the file's name, the list of programs, OK and Cancel.
std::unique_ptr<TForm> MakeOpenWithForm(const std::string& Target, const std::vector<TDesktopApp>& Apps) {
  auto form = std::make_unique<TForm>(nullptr);
  form->SetName("OpenWithDialog");
  form->SetCaption(kTitle);
  form->SetBorderStyle(bsDialog);
  form->SetPosition(TPosition::poScreenCenter);
  form->SetClientSize(360, 300);
  auto* prompt = new TLabel(form.get());
  prompt->SetName("Prompt");
  prompt->SetParent(form.get());
  prompt->SetAutoSize(false);
  prompt->SetBounds(12, 10, 336, 16);
  prompt->SetCaption("Choose the program you want to use to open this file:");
  // The file's name (a URL's last part); a long one is cut at the dialog's edge.
  auto* file = new TLabel(form.get());
  file->SetName("FileName");
  file->SetParent(form.get());
  file->SetAutoSize(false);
  file->SetBounds(12, 28, 336, 16);
  file->SetCaption("File: " + ExtractFileName(Target));
  auto* list = new TListBox(form.get());
  list->SetName("Programs");
  list->SetParent(form.get());
  list->SetBounds(12, 48, 336, 204);
  // A name the system's text cannot hold shows as the entry's ID.
  for (const TDesktopApp& app : Apps)
    list->Items()->Add(TryUtf8ToGbk(app.Name.empty() ? app.Id : app.Name).value_or(app.Id));
  list->SetItemIndex(0);
  auto* ok = new TButton(form.get());
  ok->SetName("OkButton");
  ok->SetParent(form.get());
  ok->SetBounds(192, 264, 75, 25);
  ok->SetCaption("OK");
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  auto* cancel = new TButton(form.get());
  cancel->SetName("CancelButton");
  cancel->SetParent(form.get());
  cancel->SetBounds(273, 264, 75, 25);
  cancel->SetCaption("Cancel");
  cancel->SetCancel(true);
  cancel->SetModalResult(mrCancel);
  list->OnDblClick = [form = form.get()](TObject*) { form->SetModalResult(mrOk); };
  return form;
}

}  // namespace

bool ShowOpenWithDialog(const std::string& Target, HWND Owner) {
  const std::string target = GbkToUtf8(Target);
  const std::string type = MimeTypeOfName(target);
  std::vector<TDesktopApp> apps = DesktopAppsForType(type);
  if (apps.empty()) {
    ModalRunner().MessageBox(Owner, "No program is registered for opening this file:\n" + Target, kTitle,
                             MB_OK | MB_ICONINFORMATION);
    return false;
  }
  std::unique_ptr<TForm> form = MakeOpenWithForm(Target, apps);
  auto* list = static_cast<TListBox*>(form->FindComponent("Programs"));
  if (form->ShowModal() != mrOk) return false;
  int chosen = list->ItemIndex();
  if (chosen < 0 || chosen >= static_cast<int>(apps.size())) return false;
  std::vector<std::string> argv;
  std::string error;
  if (!ExpandExec(apps[chosen], target, argv, error) || !StartDetached(argv, error)) {
    ModalRunner().MessageBox(Owner, "The program could not be started:\n" + TryUtf8ToGbk(error).value_or(apps[chosen].Id), kTitle,
                             MB_OK | MB_ICONERROR);
    return false;
  }
  return true;
}
