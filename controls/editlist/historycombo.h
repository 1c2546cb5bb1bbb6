#pragma once
// The history combo box: a framed combo box that keeps a most-recently-used
// history of the texts entered or chosen (newest first), stored as numbered
// values in a section of a TQvRegIniFile and read back when the control loads,
// with its own edit context menu.
#include <string>

#include "controls/common/storage.h"
#include "controls/editlist/combobox.h"
#include "platform/controls/menus.h"

class TQvMRUComboBox : public TQvCustomComboBox {
  DTU_CLASS(TQvMRUComboBox, TQvCustomComboBox)
public:
  explicit TQvMRUComboBox(TComponent* AOwner);
  ~TQvMRUComboBox() override;

  // The most entries read from a stored history, whatever count it claims.
  static constexpr int MaxStoredEntries = 10000;

  const std::string& RemoveItemCaption() const { return FRemoveItemCaption; }
  void SetRemoveItemCaption(const std::string& V);
  bool SelectFirstItemOnLoad() const { return FSelectFirstItemOnLoad; }
  void SetSelectFirstItemOnLoad(bool V) { FSelectFirstItemOnLoad = V; }
  TQvRegIniFile* MruRegIniFile() const { return FMruRegIniFile; }
  virtual void SetMruRegIniFile(TQvRegIniFile* V);
  const std::string& MruPath() const { return FMruPath; }
  void SetMruPath(const std::string& V) { FMruPath = V; }
  const std::string& MruSection() const { return FMruSection; }
  void SetMruSection(const std::string& V) { FMruSection = V; }
  const std::string& MruID() const { return FMruID; }
  void SetMruID(const std::string& V) { FMruID = V; }
  int MaxHistory() const { return FMaxHistory; }
  void SetMaxHistory(int V) { FMaxHistory = V; }
  TPopupMenu* EditMenu() const { return FMenu; }
  TMenuItem* MenuItem(int I) const { return FItems[I]; }

  TNotifyEvent OnEscapeKeyPressed, OnEnterKeyPressed;

  virtual void LoadMRUData(bool Merge);
  virtual void SaveMRUData();
  virtual void UpdateMRUList();
  void Loaded() override;

protected:
  virtual void CreatePopupMenuItems();
  virtual void InitializePopupMenuItems();
  virtual void AddMenuItemsToPopupMenu();
  virtual void SetupMenuItem(TMenuItem* Item, const std::string& Caption, bool Checked, bool RadioItem,
                             int GroupIndex, TShortCut ShortCut, TNotifyEvent OnClick);
  virtual void EnterKeyPressed();
  virtual void EscapeKeyPressed();
  void CreateWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void KeyPress(char& Key) override;
  void CloseUp() override;
  void DoExit() override;

private:
  // Runs Fn on the storage in use; false when there is none.
  template <class Fn>
  bool WithStorage(Fn F);
  void MenuPopup(TObject*);
  void RemoveItemClick(TObject*);

  std::string FRemoveItemCaption = "&Remove item from history list";
  TPopupMenu* FMenu;
  bool FSelectFirstItemOnLoad = false;
  TMenuItem* FItems[10] = {};
  TQvRegIniFile* FMruRegIniFile = nullptr;
  std::string FMruPath, FMruSection, FMruID;
  int FMaxHistory = 25;
  int FTag = 0;
  bool FLoaded = false;
};

// The edit menu's captions for a locale (2052: Chinese, anything else: English):
// undo, cut, copy, paste, delete, select all.
const std::string* HistoryMenuCaptions(LCID Locale);
