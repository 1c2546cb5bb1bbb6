#pragma once
// The main window: the variable list page, the communication and download page, the
// menus, the file commands, the workbook export and the device commands. The
// application's working data (app/VarTable.h) is shared with the two dialogs.
#include <string>
#include <utility>
#include <vector>

#include "app/VarTable.h"
#include "platform/controls/forms.h"

class TButton;
class TComboBox;
class TEdit;
class TGroupBox;
class TKxCommDevice;
class TLabel;
class TListView;
class TMainMenu;
class TMenuItem;
class TOpenDialog;
class TPageControl;
class TProgressBar;
class TQvSpinEdit;
class TRichEdit;
class TSaveDialog;
class TTabSheet;
class TTimer;
struct TCommandTiming;
struct TLineTexts;

// Makes the two variable dialogs, owned by the application, where they do not exist
// yet: the new-variable dialog first, then the modify dialog, so the application
// lists its forms in the same order whenever they are made.
void CreateVarDialogs();

class TFormMain : public TForm {
  DTU_CLASS(TFormMain, TForm)
public:
  explicit TFormMain(TComponent* AOwner);

  TPageControl* PageControl1 = nullptr;
  TTabSheet* TabSheet1 = nullptr;
  TTabSheet* TabSheet3 = nullptr;
  TListView* ListView1 = nullptr;
  TButton* ButtonNew = nullptr;
  TButton* ButtonModify = nullptr;
  TButton* ButtonDel = nullptr;
  TComboBox* ComboBoxBaud = nullptr;
  TComboBox* ComboBoxBits = nullptr;
  TComboBox* ComboBoxCheck = nullptr;
  TComboBox* ComboBoxStop = nullptr;
  TEdit* EditPLCAddr = nullptr;
  TEdit* EditPLCVar = nullptr;
  TEdit* EditPLCBVar = nullptr;
  TEdit* EditAddr = nullptr;
  TEdit* EditPort = nullptr;
  TEdit* EditDeviceID = nullptr;
  TEdit* EditPsw = nullptr;
  TQvSpinEdit* QvSpinEdit1 = nullptr;
  TButton* ButtonReadVer = nullptr;
  TButton* ButtonReadStrong = nullptr;
  TButton* Button1 = nullptr;
  TButton* ButtonDownload = nullptr;
  TButton* Button2 = nullptr;
  TProgressBar* ProgressBar1 = nullptr;
  TRichEdit* RichEdit1 = nullptr;
  TLabel* Label9 = nullptr;
  TComboBox* ComboBoxDownCom = nullptr;
  TButton* ButtonOpen = nullptr;
  TMainMenu* MainMenu1 = nullptr;
  TOpenDialog* OpenDialog1 = nullptr;
  TSaveDialog* SaveDialog1 = nullptr;
  TSaveDialog* SaveDialog2 = nullptr;
  TKxCommDevice* KxCommDevice1 = nullptr;
  TTimer* Timer1 = nullptr;

  // Variable page and menus.
  void ButtonNewClick(TObject* Sender);
  void ButtonModifyClick(TObject* Sender);
  void ButtonDelClick(TObject* Sender);
  void N4Click(TObject* Sender);
  void NExitClick(TObject* Sender);
  // Project file and export.
  void NNewClick(TObject* Sender);
  void NOpenClick(TObject* Sender);
  void NSaveClick(TObject* Sender);
  void NSaveasClick(TObject* Sender);
  void NExportClick(TObject* Sender);
  // Communication page and port.
  void PageControl1Change(TObject* Sender);
  void ComboBoxDownComDropDown(TObject* Sender);
  void ComboBoxDownComChange(TObject* Sender);
  void ButtonOpenClick(TObject* Sender);
  void Timer1Timer(TObject* Sender);
  // A port whose device went away (an adapter pulled, the far end hung up) is closed
  // at once and the user told; a command waiting for it ends with that message.
  void CheckPortGone();
  // The cloud edits refuse the comma and line breaks: the download sends their texts
  // as comma-separated fields of one command line.
  void EditCloudKeyPress(TObject* Sender, char& Key);
  // Device commands.
  void ButtonDownloadClick(TObject* Sender);
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void ButtonReadVerClick(TObject* Sender);
  void ButtonReadStrongClick(TObject* Sender);

  // Copies the communication page into the settings and checks every variable
  // against its window: 0, or 1 after "变量地址错误！" was shown.
  int CollectSettings();
  // The port names behind the port combo's items, by index.
  const std::vector<std::string>& ComboPortNames() const { return FPortNames; }
  // Whether a device exchange is running (input is ignored, the menu bar's items are
  // disabled and closing is refused).
  bool Busy() const { return FBusy; }

  bool CloseQuery() override;

private:
  void AddListRow(const TVarRecord& R, TTypeLabels Labels, int Index = -1);
  void RebuildList();
  // The communication page's edits and spin edit from the settings.
  void RefreshCommPage();
  void SetProjectFileName(const std::string& Path);
  // Runs a file dialog starting in the directory last used (else the home directory).
  bool RunFileDialog(TOpenDialog* Dialog, const std::string& Title);
  bool SaveProject(const std::string& Path);
  void FillPortCombo(bool FriendlyNames);
  TLineTexts LineTexts();
  // A device exchange starts and ends: the window takes no input meanwhile and the
  // menu bar's items are disabled, then put back as they were.
  void BeginExchange();
  void EndExchange();
  // Waits Ms milliseconds keeping the window painted but ignoring its input.
  void BusyWait(uint32_t Ms);
  TCommandTiming Timing();
  // Sends a query or the reboot and shows the reply in the rich edit.
  void Query(const char* Command, uint32_t WaitMs);

  std::vector<std::string> FPortNames;
  // The communication page holds numbers that could not be taken into the settings;
  // it is then not refreshed from them when it is shown again.
  bool FPageUncollected = false;
  // The folder of the last file opened, saved or exported: the file dialogs start there.
  std::string FLastDir;
  bool FBusy = false;
  // Set when the port went away during an exchange: its message, shown when the
  // exchange has ended.
  std::string FPortGone;
  // Shows and clears FPortGone; false when there is none.
  bool ReportPortGone();
  // The menu bar's items and whether each was enabled before the exchange.
  std::vector<std::pair<TMenuItem*, bool>> FMenuStates;
};

extern TFormMain* FormMain;
