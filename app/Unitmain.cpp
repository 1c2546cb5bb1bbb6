#include "app/Unitmain.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "app/CollectSettings.h"
#include "app/DeviceCommands.h"
#include "app/PasteFilter.h"
#include "app/ProjectFile.h"
#include "app/Unitmodify.h"
#include "app/Unitnew.h"
#include "app/Workbook.h"
#include "controls/editlist/classes.h"
#include "controls/editlist/spinedit.h"
#include "platform/stdctrls/combobox.h"
#include "platform/stdctrls/dialogs.h"
#include "platform/stdctrls/edit.h"
#include "platform/controls/extctrls.h"
#include "platform/stdctrls/listview.h"
#include "platform/stdctrls/memo.h"
#include "platform/controls/menus.h"
#include "platform/stdctrls/comctrls_pages.h"
#include "platform/stdctrls/panels.h"
#include "platform/stdctrls/progress.h"
#include "platform/stdctrls/stdctrls_buttons.h"
#include "platform/core/filer.h"
#include "platform/core/gbk.h"
#include "platform/core/scope.h"
#include "platform/core/sysutils.h"
#include "platform/core/typinfo.h"
#include "platform/win32/clock.h"
#include "platform/win32/comm.h"
#include "platform/win32/devicemap.h"
#include "serial/commerror.h"
#include "serial/kxcommdevice.h"
#include "serial/portlist.h"

TFormMain* FormMain = nullptr;

namespace {

// The exchange's view of the form's serial device component.
class TDevicePort : public TCommandPort {
public:
  explicit TDevicePort(TKxCommDevice* Device) : FDevice(Device) {}
  bool Active() override { return FDevice->Active(); }
  void PurgeRead() override { FDevice->PurgeRead(false); }
  int Write(const char* Buffer, int Count) override { return FDevice->Write(Buffer, Count); }
  int Read(char* Buffer, int Size) override { return FDevice->Read(Buffer, Size); }
private:
  TKxCommDevice* FDevice;
};

// The cloud texts are sent as comma-separated fields of one line: a comma or a line
// break in one would shift or split the fields.
bool CloudSeparator(char C) { return C == ',' || C == '\r' || C == '\n'; }

std::string CloudText(const std::string& Text) {
  std::string out;
  for (char c : Text)
    if (!CloudSeparator(c)) out.push_back(c);
  return out;
}

std::string HomeDirectory() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (passwd* pw = ::getpwuid(::getuid())) return pw->pw_dir;
  return "/";
}

bool IsInputMessage(UINT Msg) {
  return (Msg >= WM_KEYFIRST && Msg <= WM_KEYLAST) || (Msg >= WM_MOUSEFIRST && Msg <= WM_MOUSELAST) ||
         (Msg >= WM_NCMOUSEMOVE && Msg <= WM_NCMBUTTONDBLCLK);
}

const bool kRegistered = [] {
  using F = TFormMain;
  RegisterClass(ClassEntry<F>());
  RegisterFields(F::StaticClass(),
                 {FieldOf("PageControl1", &F::PageControl1), FieldOf("TabSheet1", &F::TabSheet1),
                  FieldOf("TabSheet3", &F::TabSheet3), FieldOf("ListView1", &F::ListView1),
                  FieldOf("ButtonNew", &F::ButtonNew), FieldOf("ButtonModify", &F::ButtonModify),
                  FieldOf("ButtonDel", &F::ButtonDel), FieldOf("ComboBoxBaud", &F::ComboBoxBaud),
                  FieldOf("ComboBoxBits", &F::ComboBoxBits), FieldOf("ComboBoxCheck", &F::ComboBoxCheck),
                  FieldOf("ComboBoxStop", &F::ComboBoxStop), FieldOf("EditPLCAddr", &F::EditPLCAddr),
                  FieldOf("EditPLCVar", &F::EditPLCVar), FieldOf("EditPLCBVar", &F::EditPLCBVar),
                  FieldOf("EditAddr", &F::EditAddr), FieldOf("EditPort", &F::EditPort),
                  FieldOf("EditDeviceID", &F::EditDeviceID), FieldOf("EditPsw", &F::EditPsw),
                  FieldOf("QvSpinEdit1", &F::QvSpinEdit1), FieldOf("ButtonReadVer", &F::ButtonReadVer),
                  FieldOf("ButtonReadStrong", &F::ButtonReadStrong), FieldOf("Button1", &F::Button1),
                  FieldOf("ButtonDownload", &F::ButtonDownload), FieldOf("Button2", &F::Button2),
                  FieldOf("ProgressBar1", &F::ProgressBar1), FieldOf("RichEdit1", &F::RichEdit1),
                  FieldOf("Label9", &F::Label9), FieldOf("ComboBoxDownCom", &F::ComboBoxDownCom),
                  FieldOf("ButtonOpen", &F::ButtonOpen), FieldOf("MainMenu1", &F::MainMenu1),
                  FieldOf("OpenDialog1", &F::OpenDialog1), FieldOf("SaveDialog1", &F::SaveDialog1),
                  FieldOf("SaveDialog2", &F::SaveDialog2), FieldOf("KxCommDevice1", &F::KxCommDevice1),
                  FieldOf("Timer1", &F::Timer1)});
  return true;
}();

}  // namespace

const TClassInfo& TFormMain::StaticClass() {
  using F = TFormMain;
  static const TClassInfo info = TClassBuilder<F>("TFormMain", &TForm::StaticClass())
                                     .Component()
                                     .Method("ButtonNewClick", &F::ButtonNewClick)
                                     .Method("ButtonModifyClick", &F::ButtonModifyClick)
                                     .Method("ButtonDelClick", &F::ButtonDelClick)
                                     .Method("N4Click", &F::N4Click)
                                     .Method("NExitClick", &F::NExitClick)
                                     .Method("NNewClick", &F::NNewClick)
                                     .Method("NOpenClick", &F::NOpenClick)
                                     .Method("NSaveClick", &F::NSaveClick)
                                     .Method("NSaveasClick", &F::NSaveasClick)
                                     .Method("NExportClick", &F::NExportClick)
                                     .Method("PageControl1Change", &F::PageControl1Change)
                                     .Method("ComboBoxDownComDropDown", &F::ComboBoxDownComDropDown)
                                     .Method("ComboBoxDownComChange", &F::ComboBoxDownComChange)
                                     .Method("ButtonOpenClick", &F::ButtonOpenClick)
                                     .Method("Timer1Timer", &F::Timer1Timer)
                                     .Method("EditCloudKeyPress", &F::EditCloudKeyPress)
                                     .Method("ButtonDownloadClick", &F::ButtonDownloadClick)
                                     .Method("Button1Click", &F::Button1Click)
                                     .Method("Button2Click", &F::Button2Click)
                                     .Method("ButtonReadVerClick", &F::ButtonReadVerClick)
                                     .Method("ButtonReadStrongClick", &F::ButtonReadStrongClick)
                                     .Build();
  return info;
}

TFormMain::TFormMain(TComponent* AOwner) : TForm(AOwner) {
  RegisterEditListClasses();  // the framed spin edit of the communication page
  LoadForm();
  for (TEdit* e : {EditAddr, EditPort, EditDeviceID, EditPsw}) FilterPaste(e, CloudText);
  // The serial layer reports a device that went away as EV_ERR (the 100 ms timer
  // looks too, for a report that came while nobody listened).
  KxCommDevice1->OnCommNotify = [this](TObject*, DWORD Mask) {
    if (Mask & EV_ERR) CheckPortGone();
  };
}

// ---------------------------------------------------------------------------
// Variable page

void TFormMain::AddListRow(const TVarRecord& R, TTypeLabels Labels, int Index) {
  auto texts = VarRowTexts(R, Labels);
  TListItem* item = Index < 0 ? ListView1->Items()->Add() : ListView1->Items()->Insert(Index);
  item->SetCaption(texts[0]);
  for (size_t i = 1; i < texts.size(); ++i) item->SubItems()->Add(texts[i]);
}

void TFormMain::RebuildList() {
  ListView1->Items()->Clear();
  for (int i = 0; i < VarCount; ++i) AddListRow(VarTable[i], TTypeLabels::tlOpened);
}

void CreateVarDialogs() {
  if (!FormNew) Application->CreateForm(FormNew);
  if (!FormModify) Application->CreateForm(FormModify);
}

void TFormMain::ButtonNewClick(TObject*) {
  if (FBusy) return;
  if (VarCount >= MaxVarCount) {
    ShowMessage("数据变量个数已达到最大！");
    return;
  }
  CreateVarDialogs();  // normally made already, just after the window was first shown
  FormNew->ShowModal();
  if (DlgAccepted == 1) {
    AddListRow(VarTable[VarCount], TTypeLabels::tlDialog);
    ++VarCount;
  }
}

void TFormMain::ButtonModifyClick(TObject*) {
  if (FBusy) return;
  SelIndex = static_cast<int16_t>(ListView1->ItemIndex());
  if (SelIndex < 0 || SelIndex >= VarCount) return;
  CreateVarDialogs();
  FormModify->ShowModal();
  if (DlgAccepted == 1) {
    ListView1->Items()->Delete(SelIndex);
    AddListRow(VarTable[SelIndex], TTypeLabels::tlDialog, SelIndex);
  }
}

void TFormMain::ButtonDelClick(TObject*) {
  if (FBusy) return;
  SelIndex = static_cast<int16_t>(ListView1->ItemIndex());
  if (SelIndex < 0 || SelIndex >= VarCount) return;
  ListView1->DeleteSelected();
  --VarCount;
  std::memmove(&VarTable[SelIndex], &VarTable[SelIndex + 1], sizeof(TVarRecord) * (VarCount - SelIndex));
}

void TFormMain::N4Click(TObject*) {
  if (!FBusy) ShowMessage("版本V1.1 20200510");
}

void TFormMain::NExitClick(TObject*) { Close(); }

bool TFormMain::CloseQuery() { return !FBusy && TForm::CloseQuery(); }

// ---------------------------------------------------------------------------
// Project file and export

void TFormMain::SetProjectFileName(const std::string& Path) {
  ProjectFileName = Path;
  SetCaption(ProjectFileName);
  FLastDir = ExtractFilePath(Path);
}

bool TFormMain::RunFileDialog(TOpenDialog* Dialog, const std::string& Title) {
  Dialog->SetTitle(Title);
  std::string dir = FLastDir;
  if (dir.empty() || !std::filesystem::is_directory(GbkToUtf8(dir))) dir = Utf8ToGbk(HomeDirectory());
  Dialog->SetInitialDir(dir);
  // A name kept from the last choice would take the dialog back to its folder, which
  // may be one where saving or opening failed: only the name is offered again.
  Dialog->SetFileName(ExtractFileName(Dialog->FileName()));
  return Dialog->Execute();
}

// While a device exchange runs, none of the commands below may change the table, the
// file or the port: they return at once (their menu items are disabled meanwhile, and
// this also holds for a click already on its way).
void TFormMain::NNewClick(TObject*) {
  if (FBusy) return;
  if (!RunFileDialog(SaveDialog1, "新建文件")) return;
  SetProjectFileName(SaveDialog1->FileName());
  // A new project starts empty with the numbers of a fresh start; the cloud texts are
  // kept as the page shows them, so the refresh below cannot replace them with older
  // (at start-up empty) settings.
  NewProjectSettingsNumbers();
  SetFieldText(CloudAddr, EditAddr->Text());
  SetFieldText(CloudPort, EditPort->Text());
  SetFieldText(CloudDeviceId, EditDeviceID->Text());
  SetFieldText(CloudKey, EditPsw->Text());
  std::memset(VarTable, 0, sizeof VarTable);
  VarCount = 0;
  ListView1->Items()->Clear();
  RefreshCommPage();
}

void TFormMain::NOpenClick(TObject*) {
  if (FBusy) return;
  if (!RunFileDialog(OpenDialog1, "打开文件")) return;
  TProjectData data;
  TProjectResult result = ReadProjectFile(OpenDialog1->FileName(), data);
  if (result != TProjectResult::prOk) {
    ShowMessage(ProjectResultMessage(result));
    return;
  }
  SetProjectFileName(OpenDialog1->FileName());
  ApplyProject(data);
  // Refreshed whichever page shows, so a later save cannot copy stale edits over it.
  RefreshCommPage();
  RebuildList();
}

bool TFormMain::SaveProject(const std::string& Path) {
  // Only a file written whole becomes the project's file (its name and the title);
  // after a failure the next save aims at the old one again.
  std::string reason;
  if (WriteProjectFile(Path, CaptureProject(), &reason) != TProjectResult::prOk) {
    ShowMessage(SaveFailureMessage(Path, reason));
    return false;
  }
  SetProjectFileName(Path);
  return true;
}

void TFormMain::NSaveClick(TObject*) {
  if (FBusy) return;
  if (CollectSettings() == 1) return;
  std::string path = ProjectFileName;
  if (path.empty()) {
    if (!RunFileDialog(SaveDialog1, "保存文件为")) return;
    path = SaveDialog1->FileName();
  }
  SaveProject(path);
}

void TFormMain::NSaveasClick(TObject*) {
  if (FBusy) return;
  if (!RunFileDialog(SaveDialog1, "另存文件为")) return;
  if (CollectSettings() == 1) return;
  SaveProject(SaveDialog1->FileName());
}

void TFormMain::NExportClick(TObject*) {
  if (FBusy) return;
  if (!RunFileDialog(SaveDialog2, "导出云文件")) return;
  std::unique_ptr<TWorkbookAutomation> excel = TWorkbookAutomation::Create();
  if (CollectSettings() == 1) {
    excel->Quit();
    return;
  }
  ExportVariables(*excel, VarTable, VarCount, SaveDialog2->FileName());
  FLastDir = ExtractFilePath(SaveDialog2->FileName());
  ShowMessage("云文件导出成功！");
}

// ---------------------------------------------------------------------------
// Communication page and port

int TFormMain::CollectSettings() {
  TPageValues page;
  page.BaudIndex = ComboBoxBaud->ItemIndex();
  page.BitsIndex = ComboBoxBits->ItemIndex();
  page.ParityIndex = ComboBoxCheck->ItemIndex();
  page.StopIndex = ComboBoxStop->ItemIndex();
  page.Station = EditPLCAddr->Text();
  page.RegStart = EditPLCVar->Text();
  page.CoilStart = EditPLCBVar->Text();
  page.Addr = EditAddr->Text();
  page.Port = EditPort->Text();
  page.DeviceId = EditDeviceID->Text();
  page.Key = EditPsw->Text();
  page.Interval = QvSpinEdit1->GetValue();
  int result;
  try {
    result = CollectSettingsFrom(page);
  } catch (const EConvertError&) {
    // The settings still hold older values: showing the page again must not put them
    // over what the user typed.
    FPageUncollected = true;
    throw;
  }
  FPageUncollected = false;
  if (result == 0) return 0;
  ShowMessage("变量地址错误！");
  return 1;
}

void TFormMain::RefreshCommPage() {
  FPageUncollected = false;
  EditPLCAddr->SetText(IntToStr(PlcStation));
  EditPLCVar->SetText(IntToStr(PlcRegStart));
  EditPLCBVar->SetText(IntToStr(PlcCoilStart));
  EditAddr->SetText(FieldText(CloudAddr));
  EditPort->SetText(FieldText(CloudPort));
  EditDeviceID->SetText(FieldText(CloudDeviceId));
  EditPsw->SetText(FieldText(CloudKey));
  QvSpinEdit1->SetValue(UploadInterval);
}

void TFormMain::PageControl1Change(TObject*) {
  if (PageControl1->ActivePageIndex() != 1) CollectSettings();
  else if (!FPageUncollected) RefreshCommPage();
}

void TFormMain::FillPortCombo(bool FriendlyNames) {
  int k = ComboBoxDownCom->ItemIndex();
  TCommSerialPortInfo info;
  const TNimboSerialPortList& list = info.List();
  ComboBoxDownCom->Items()->BeginUpdate();
  ComboBoxDownCom->Items()->Clear();
  FPortNames.clear();
  for (int i = 0; i < list._FGetSPCount(); ++i) {
    const TNimboSerialPortInfo* port = list._FGetSPInfo(i);
    // A port without a description (a device-map alias of a pseudo-terminal) shows its
    // name rather than an empty line.
    bool friendly = FriendlyNames && !port->FriendlyName.empty();
    ComboBoxDownCom->Items()->Add(friendly ? port->FriendlyName : port->PortName);
    FPortNames.push_back(port->PortName);
    if (i < PortNameCount) PortNames[i] = port->PortName;
  }
  ComboBoxDownCom->Items()->EndUpdate();
  if (ComboBoxDownCom->Items()->Count() > k) ComboBoxDownCom->SetItemIndex(k);
}

void TFormMain::ComboBoxDownComDropDown(TObject*) {
  if (!FBusy) FillPortCombo(false);
}

void TFormMain::ComboBoxDownComChange(TObject*) {
  // Typing into the combo changes it too; refilling then would erase the typed name.
  int i = ComboBoxDownCom->ItemIndex();
  if (i < 0 || ComboBoxDownCom->Text() != ComboBoxDownCom->Items()->Strings(i)) return;
  FillPortCombo(true);
}

void TFormMain::ButtonOpenClick(TObject*) {
  if (FBusy) return;
  CollectSettings();
  static const char* const parity[] = {"N", "O", "E", ""};
  if (KxCommDevice1->Active()) {
    KxCommDevice1->SetActive(false);
    return;
  }
  int index = ComboBoxDownCom->ItemIndex();
  std::string port;
  if (index >= 0 && index < static_cast<int>(FPortNames.size())) port = FPortNames[static_cast<size_t>(index)];
  else port = Trim(ComboBoxDownCom->Text());  // a device name or path typed in
  if (port.empty()) {
    ShowMessage("请先选择下载端口！");
    return;
  }
  // The name goes in as a delimited item: a typed path with a blank or a comma is
  // quoted, so the device gets it whole.
  TStringList item;
  item.SetDelimiter(',');
  item.Add(port);
  KxCommDevice1->SetPortParams(item.DelimitedText() + "," + ComboBoxBaud->Text() + "," +
                               parity[(PlcSerialWord >> 2) & 3] + "," + ComboBoxBits->Text() + "," +
                               ComboBoxStop->Text());
  try {
    KxCommDevice1->SetActive(true);
    KxCommDevice1->SetUsePackage(false);
  } catch (const Exception& E) {
    auto* comm = dynamic_cast<const ENimboCommError*>(&E);
    ShowMessage(comm ? PortOpenFailureText(E.Message(), comm->OsError(), ResolvePortDevice(port), comm->Refusal())
                     : E.Message());
  }
}

void TFormMain::EditCloudKeyPress(TObject*, char& Key) {
  if (CloudSeparator(Key)) Key = 0;
}

void TFormMain::Timer1Timer(TObject*) {
  CheckPortGone();
  ButtonOpen->SetCaption(KxCommDevice1->Active() ? "关闭串口" : "打开串口");
}

void TFormMain::CheckPortGone() {
  if (!KxCommDevice1->Active() || !CommDeviceGone(KxCommDevice1->Handle())) return;
  std::string port = KxCommDevice1->PortName();
  KxCommDevice1->SetActive(false);
  ButtonOpen->SetCaption("打开串口");
  FPortGone = PortGoneText(port);
  // A waiting command ends on the closed port and shows the message itself.
  if (!FBusy) ReportPortGone();
}

bool TFormMain::ReportPortGone() {
  if (FPortGone.empty()) return false;
  std::string text = std::exchange(FPortGone, std::string());
  ShowMessage(text);
  return true;
}

// ---------------------------------------------------------------------------
// Device commands

TLineTexts TFormMain::LineTexts() {
  TLineTexts t;
  t.Baud = ComboBoxBaud->Text();
  t.Bits = ComboBoxBits->Text();
  t.Stop = ComboBoxStop->Text();
  t.ParityIndex = ComboBoxCheck->ItemIndex();
  t.Interval = QvSpinEdit1->Text();
  return t;
}

void TFormMain::BeginExchange() {
  FBusy = true;
  FPortGone.clear();
  // The menu bar is the window's own but outside the controls whose input is dropped
  // while waiting: its items (and with them their sub-items and shortcuts) are
  // disabled, so no click opens, saves or replaces the project mid-command.
  FMenuStates.clear();
  if (MainMenu1) {
    TMenuItem* items = MainMenu1->Items();
    for (int i = 0; i < items->Count(); ++i) FMenuStates.emplace_back(items->Items(i), items->Items(i)->Enabled());
    for (auto& [item, enabled] : FMenuStates) item->SetEnabled(false);
  }
}

void TFormMain::EndExchange() {
  for (auto& [item, enabled] : FMenuStates) item->SetEnabled(enabled);
  FMenuStates.clear();
  FBusy = false;
}

void TFormMain::BusyWait(uint32_t Ms) {
  // Input that arrives meanwhile is dropped; painting and timers go on.
  int hook = Application->AddMessageHook([](HWND, TMessage& M) { return IsInputMessage(M.Msg); });
  TOnExit unhook([hook] { Application->RemoveMessageHook(hook); });
  uint32_t start = GetTickCount();
  for (;;) {
    uint32_t elapsed = GetTickCount() - start;
    if (elapsed >= Ms) break;
    Sleep(std::min<uint32_t>(20, Ms - elapsed));
    Application->ProcessMessages();
  }
}

TCommandTiming TFormMain::Timing() {
  return {[this](uint32_t Ms) { BusyWait(Ms); }, [] { return GetTickCount(); }};
}

void TFormMain::ButtonDownloadClick(TObject*) {
  if (FBusy) return;
  if (CollectSettings() == 1) return;
  if (!KxCommDevice1->Active()) {
    ShowMessage("请先打开串口！");
    return;
  }
  TLineTexts line = LineTexts();
  if (std::string bad = CheckDownloadFields(line); !bad.empty()) {
    ShowMessage(bad);
    return;
  }
  // Every command is made before the first is sent: the terminal gets this one
  // project's table whatever happens to the globals meanwhile.
  const std::vector<std::string> setup = SetupCommands(line);
  std::vector<std::string> variables;
  variables.reserve(static_cast<size_t>(VarCount));
  for (int i = 0; i < VarCount; ++i) variables.push_back(VariableCommand(VarTable[i]));
  const int count = static_cast<int>(variables.size());

  int done = 0;
  ProgressBar1->SetPosition(0);
  ProgressBar1->SetVisible(true);
  bool ok = true;
  {
    BeginExchange();
    TOnExit end([this] { EndExchange(); });
    TDevicePort port(KxCommDevice1);
    for (size_t i = 0; ok && i < setup.size(); ++i) {
      ok = SendCommandWaitOK(port, setup[i], "OK", "ERROR", Timing());
      if (ok) ProgressBar1->SetPosition(ProgressPosition(++done, count));
    }
    for (size_t i = 0; ok && i < variables.size(); ++i) {
      ProgressBar1->SetPosition(ProgressPosition(++done, count));
      ok = SendCommandWaitOK(port, variables[i], "OK", "ERROR", Timing());
    }
  }
  // A vanished port is named first; the outcome follows, so the user learns that the
  // terminal may now hold part of a table.
  ReportPortGone();
  ShowMessage(ok ? "下载成功！" : "下载失败！");
  ProgressBar1->SetVisible(false);
}

void TFormMain::Button1Click(TObject*) {
  if (FBusy) return;
  if (!KxCommDevice1->Active()) {
    ShowMessage("请先打开串口！");
    return;
  }
  bool ok;
  {
    BeginExchange();
    TOnExit end([this] { EndExchange(); });
    TDevicePort port(KxCommDevice1);
    ok = SendCommandWaitOK(port, CmdEnterConfig, ReplyConfigMode, "", Timing());
  }
  ReportPortGone();
  ShowMessage(ok ? "成功进入配置模式！" : "进入配置模式失败！可能设备已经进入配置模式，或重启设备再试！");
}

void TFormMain::Query(const char* Command, uint32_t WaitMs) {
  if (FBusy) return;
  if (!KxCommDevice1->Active()) {
    ShowMessage("请先打开串口！");
    return;
  }
  std::string reply;
  {
    BeginExchange();
    TOnExit end([this] { EndExchange(); });
    TDevicePort port(KxCommDevice1);
    reply = QueryDevice(port, Command, WaitMs, Timing());
  }
  if (ReportPortGone()) return;
  RichEdit1->SetText(reply);
}

void TFormMain::Button2Click(TObject*) { Query(CmdReboot, 500); }

void TFormMain::ButtonReadVerClick(TObject*) { Query(CmdModuleInfo, 1000); }

void TFormMain::ButtonReadStrongClick(TObject*) { Query(CmdSignal, 1000); }
