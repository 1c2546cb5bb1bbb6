#include "controls/editlist/historycombo.h"

#include <algorithm>
#include <memory>
#include <unordered_set>

#include "controls/common/utils.h"
#include "controls/editlist/listnames.h"
#include "platform/controls/winuser.h"
#include "platform/stdctrls/edit.h"
#include "platform/win32/locale.h"
#include "platform/win32/messages.h"
#include "platform/core/scope.h"

const std::string* HistoryMenuCaptions(LCID Locale) {
  static const std::string english[6] = {"&Undo", "Cu&t", "&Copy", "&Paste", "&Delete", "Select &All"};
  // 撤消(&U) 剪切(&T) 复制(&C) 粘贴(&P) 删除(&D) 全选(&A), in GBK.
  static const std::string chinese[6] = {"\xB3\xB7\xCF\xFB(&U)", "\xBC\xF4\xC7\xD0(&T)", "\xB8\xB4\xD6\xC6(&C)",
                                         "\xD5\xB3\xCC\xF9(&P)", "\xC9\xBE\xB3\xFD(&D)", "\xC8\xAB\xD1\xA1(&A)"};
  return Locale == LOCALE_ZH_CN ? chinese : english;
}

TQvMRUComboBox::TQvMRUComboBox(TComponent* AOwner) : TQvCustomComboBox(AOwner) {
  SetSorted(false);
  FMenu = new TPopupMenu(this);
  SetPopupMenu(FMenu);
  CreatePopupMenuItems();
  InitializePopupMenuItems();
  AddMenuItemsToPopupMenu();
}

TQvMRUComboBox::~TQvMRUComboBox() = default;

void TQvMRUComboBox::SetRemoveItemCaption(const std::string& V) {
  FRemoveItemCaption = V;
  if (FItems[9]) FItems[9]->SetCaption(V);
}

void TQvMRUComboBox::SetMruRegIniFile(TQvRegIniFile* V) {
  if (V == FMruRegIniFile) return;
  FMruRegIniFile = V;
  if (V) V->FreeNotification(this);
}

void TQvMRUComboBox::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FMruRegIniFile) FMruRegIniFile = nullptr;
}

template <class Fn>
bool TQvMRUComboBox::WithStorage(Fn F) {
  if (FMruSection.empty() || FMruID.empty()) return false;
  // The whole list in one reading and at most one replacement of the store.
  auto batch = [&](TQvRegIniFile* Ini) {
    Ini->BeginUpdate();
    TOnExit done([Ini] { Ini->EndUpdate(); });
    F(Ini);
  };
  if (FMruRegIniFile) {
    batch(FMruRegIniFile);
    return true;
  }
  if (FMruPath.empty()) return false;
  std::unique_ptr<TQvRegIniFile> temp(new TQvRegIniFile(nullptr));
  temp->SetPathType(ptRegistry);
  temp->SetPath(FMruPath);
  batch(temp.get());
  return true;
}

void TQvMRUComboBox::LoadMRUData(bool Merge) {
  if (ComponentState().Contains(csDesigning)) return;
  WithStorage([&](TQvRegIniFile* ini) {
    int count = ini->ReadInteger(FMruSection, FMruID + "_Count", 0);
    // A damaged store may claim any count: at most MaxStoredEntries numbers are
    // tried, and only the values the section holds are read.
    count = std::clamp(count, 0, MaxStoredEntries);
    std::unique_ptr<TStringList> names(new TStringList());
    ini->ReadSection(FMruSection, names.get());
    std::unordered_set<std::string> present;
    for (int i = 0; i < names->Count(); ++i) present.insert(names->Strings(i));
    TStrings* items = Items();
    items->BeginUpdate();
    for (int n = 0; n < count; ++n) {
      std::string name = FMruID + "_Item" + std::to_string(n);
      if (!present.count(name)) continue;
      std::string s = ini->ReadString(FMruSection, name, "");
      if (s.empty()) continue;
      int at = items->IndexOf(s);
      if (Merge) {
        if (at < 0) at = items->Add(s);
        items->Move(at, std::min(n, items->Count() - 1));
      } else if (at < 0) {
        items->Add(s);
      }
    }
    items->EndUpdate();
  });
  if (FSelectFirstItemOnLoad && Items()->Count() > 0) SetItemIndex(0);
  FLoaded = true;
}

void TQvMRUComboBox::SaveMRUData() {
  WithStorage([&](TQvRegIniFile* ini) {
    int n = std::min(Items()->Count(), FMaxHistory);
    ini->WriteInteger(FMruSection, FMruID + "_Count", n);
    for (int i = 0; i < n; ++i) ini->WriteString(FMruSection, FMruID + "_Item" + std::to_string(i), Items()->Strings(i));
    for (int i = n; i < FMaxHistory; ++i) ini->DeleteKey(FMruSection, FMruID + "_Item" + std::to_string(i));
  });
}

void TQvMRUComboBox::UpdateMRUList() {
  std::string text = Text();
  if (!text.empty()) {
    int at = Items()->IndexOf(text);
    if (at >= 0) {
      Items()->Move(at, 0);
      if (Style() == csDropDownList) SetItemIndex(0);
      else ForceText(text);
    } else {
      Items()->Insert(0, text);
    }
  }
  SaveMRUData();
}

void TQvMRUComboBox::CreateWnd() {
  inherited::CreateWnd();
  if (!ComponentState().Contains(csLoading) && !FLoaded) LoadMRUData(false);
}

void TQvMRUComboBox::Loaded() {
  inherited::Loaded();
  LoadMRUData(true);
}

void TQvMRUComboBox::CloseUp() {
  std::weak_ptr<bool> alive = AliveToken();
  inherited::CloseUp();  // OnCloseUp may free the control
  if (alive.expired()) return;
  int i = ItemIndex();
  if (i < 0) return;
  Items()->Move(i, 0);
  SetItemIndex(0);
  SaveMRUData();
}

void TQvMRUComboBox::DoExit() {
  std::weak_ptr<bool> alive = AliveToken();
  inherited::DoExit();  // OnExit may free the control
  if (!alive.expired()) UpdateMRUList();
}

void TQvMRUComboBox::EnterKeyPressed() {
  if (OnEnterKeyPressed) OnEnterKeyPressed(this);
}

void TQvMRUComboBox::EscapeKeyPressed() {
  if (OnEscapeKeyPressed) OnEscapeKeyPressed(this);
}

void TQvMRUComboBox::KeyPress(char& Key) {
  if (Key == '\r' && !DroppedDown()) {
    std::weak_ptr<bool> alive = AliveToken();
    UpdateMRUList();
    EnterKeyPressed();
    if (alive.expired()) return;
    if (TabOnEnter()) {
      Key = 0;
      PostMessage(Handle(), WM_KEYDOWN, VK_TAB, 0);
    }
    return;
  }
  if (Key == 27) {
    EscapeKeyPressed();
    return;
  }
  inherited::KeyPress(Key);
}

// ---------------------------------------------------------------------------
// The edit menu
// ---------------------------------------------------------------------------

void TQvMRUComboBox::SetupMenuItem(TMenuItem* Item, const std::string& Caption, bool Checked, bool RadioItem,
                                   int GroupIndex, TShortCut ShortCut, TNotifyEvent OnClick) {
  Item->SetCaption(Caption);
  Item->SetChecked(Checked);
  Item->SetRadioItem(RadioItem);
  Item->SetGroupIndex(GroupIndex);
  Item->SetShortCut(ShortCut);
  Item->OnClick = std::move(OnClick);
  Item->SetTag(FTag++);
}

void TQvMRUComboBox::CreatePopupMenuItems() {
  for (TMenuItem*& i : FItems) i = new TMenuItem(FMenu);
}

void TQvMRUComboBox::InitializePopupMenuItems() {
  // The system has no shell string table: the captions come by thread locale.
  const std::string* c = HistoryMenuCaptions(GetThreadLocale());
  auto edit = [this](UINT Msg, WPARAM W = 0, LPARAM L = 0) {
    return [this, Msg, W, L](TObject*) {
      if (!HandleAllocated()) return;
      if (Msg == EM_UNDO) {
        if (EditControl()) SendMessage(EditHandle(), EM_UNDO, 0, 0);
      } else {
        Perform(Msg, W, L);
      }
    };
  };
  SetupMenuItem(FItems[0], c[0], false, false, 0, 0, edit(EM_UNDO));
  SetupMenuItem(FItems[1], "-", false, false, 0, 0, nullptr);
  SetupMenuItem(FItems[2], c[1], false, false, 0, 0, edit(WM_CUT));
  SetupMenuItem(FItems[3], c[2], false, false, 0, 0, edit(WM_COPY));
  SetupMenuItem(FItems[4], c[3], false, false, 0, 0, edit(WM_PASTE));
  SetupMenuItem(FItems[5], c[4], false, false, 0, 0, edit(WM_CLEAR));
  SetupMenuItem(FItems[6], "-", false, false, 0, 0, nullptr);
  SetupMenuItem(FItems[7], c[5], false, false, 0, 0, edit(CB_SETEDITSEL, 0, MAKELPARAM(0, 65535)));
  SetupMenuItem(FItems[8], "-", false, false, 0, 0, nullptr);
  SetupMenuItem(FItems[9], FRemoveItemCaption, false, false, 0, 0, [this](TObject* S) { RemoveItemClick(S); });
}

void TQvMRUComboBox::AddMenuItemsToPopupMenu() {
  for (TMenuItem* i : FItems) FMenu->Items()->Add(i);
  FMenu->OnPopup = [this](TObject* S) { MenuPopup(S); };
}

void TQvMRUComboBox::MenuPopup(TObject*) {
  std::weak_ptr<bool> alive = AliveToken();
  if (CanFocus()) SetFocus();  // OnEnter handlers may free the control
  if (alive.expired() || !Focused()) return;
  bool selection = SelLength() > 0;
  bool text = !Text().empty();
  FItems[0]->SetEnabled(EditControl() && SendMessage(EditHandle(), EM_CANUNDO, 0, 0) != 0);
  FItems[2]->SetEnabled(selection);
  FItems[3]->SetEnabled(selection);
  FItems[4]->SetEnabled(!GetClipboardText().empty());
  FItems[5]->SetEnabled(selection);
  FItems[7]->SetEnabled(text);
  FItems[9]->SetEnabled(text);
}

void TQvMRUComboBox::RemoveItemClick(TObject*) {
  int at = Items()->IndexOf(Text());
  if (at >= 0) {
    Items()->Delete(at);
    SaveMRUData();
  }
  SetText("");
  Change();
}

const TClassInfo& TQvMRUComboBox::StaticClass() {
  using C = TQvMRUComboBox;
  static const TClassInfo info = [] {
    TClassBuilder<C> b("TQvMRUComboBox", &TQvCustomComboBox::StaticClass());
    b.Component().Enum<TComboBoxStyle>("Style", &C::Style, &C::SetStyle, csDropDown);
    AddFramedComboProps(b, false);  // the control's own edit menu
    PublishComboBoxNames(b);
    b.Enum<TEditCharCase>("CharCase", &C::CharCase, &C::SetCharCase, ecNormal)
        .Int("DropDownCount", &C::DropDownCount, [](C* x, int64_t v) { x->SetDropDownCount(static_cast<int>(v)); }, 8)
        .Int("ItemHeight", &C::ItemHeight, [](C* x, int64_t v) { x->SetItemHeight(static_cast<int>(v)); }, 16)
        .Int("MaxHistory", &C::MaxHistory, [](C* x, int64_t v) { x->SetMaxHistory(static_cast<int>(v)); }, 25)
        .Int("MaxLength", &C::MaxLength, [](C* x, int64_t v) { x->SetMaxLength(static_cast<int>(v)); }, 0)
        .Str("MruID", &C::MruID, &C::SetMruID)
        .Str("MruPath", &C::MruPath, &C::SetMruPath)
        .Object<TQvRegIniFile>("MruRegIniFile", &C::MruRegIniFile, &C::SetMruRegIniFile)
        .Str("MruSection", &C::MruSection, &C::SetMruSection)
        .Str("RemoveItemCaption", &C::RemoveItemCaption, &C::SetRemoveItemCaption,
             [](C* x) { return x->RemoveItemCaption() != "&Remove item from history list"; })
        .Bool("SelectFirstItemOnLoad", &C::SelectFirstItemOnLoad, &C::SetSelectFirstItemOnLoad, false)
        .Event("OnEnterKeyPressed", static_cast<TNotifyEvent C::*>(&C::OnEnterKeyPressed))
        .Event("OnEscapeKeyPressed", static_cast<TNotifyEvent C::*>(&C::OnEscapeKeyPressed))
        // Items before Text: filling the list empties the edit.
        .Object<TStrings>("Items", &C::Items, &C::SetItems)
        .Prop(TControl::Property("Text"));
    return b.Build();
  }();
  return info;
}

namespace {
const bool kRegistered = (RegisterClass(ClassEntry<TQvMRUComboBox>()), true);
}
