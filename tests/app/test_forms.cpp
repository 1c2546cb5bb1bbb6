// The application's forms driven as a user would, with scripted dialogs: start-up,
// the variable dialogs, the list, and the project file commands.
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "app/ProjectFile.h"
#include "controls/editlist/spinedit.h"
#include "platform/stdctrls/comctrls_pages.h"
#include "platform/stdctrls/dialogs.h"
#include "platform/win32/devicemap.h"
#include "tests/app/app_fixture.h"

TEST_F(AppForms, StartsOnTheCommunicationPageWithAnEmptyListAndTheStartValues) {
  EXPECT_EQ(FormMain->Caption(), "KOV R220-4GA&B云网关&KOV PX&PY&PZ系列云PLC 配置");
  EXPECT_EQ(FormMain->ClientWidth(), 738);
  EXPECT_EQ(FormMain->ClientHeight(), 593);
  EXPECT_EQ(FormMain->PageControl1->ActivePageIndex(), 1);
  EXPECT_EQ(FormMain->ListView1->Items()->Count(), 0);
  EXPECT_EQ(FormMain->ListView1->Columns()->Count(), 12);
  EXPECT_EQ(FormMain->ComboBoxBaud->Text(), "9600");
  EXPECT_EQ(FormMain->ComboBoxBits->Text(), "8");
  EXPECT_EQ(FormMain->ComboBoxCheck->Text(), "NONE");
  EXPECT_EQ(FormMain->ComboBoxStop->Text(), "1");
  EXPECT_EQ(FormMain->EditPLCAddr->Text(), "1");
  EXPECT_EQ(FormMain->EditPort->Text(), "1811");
  EXPECT_EQ(FormMain->QvSpinEdit1->Text(), "6");
  EXPECT_EQ(FormMain->ButtonOpen->Caption(), "打开串口");
  EXPECT_FALSE(FormNew->ComboBoxDecimal->Visible());
  EXPECT_EQ(FormNew->EditVarName->Text(), "D");
}

TEST_F(AppForms, NewModifyAndDeleteKeepListAndTableInStep) {
  AddVariable(0, "5", "Coil1");
  AddVariable(1, "40", "Reg1", 2);
  AddVariable(4, "7", "Reg2");
  ASSERT_EQ(VarCount, 3);
  EXPECT_EQ(Cell(0, 0), "0X(M)5");
  EXPECT_EQ(Cell(0, 1), "位变量");
  EXPECT_EQ(Cell(1, 0), "4X(D)40");
  EXPECT_EQ(Cell(1, 2), "2");
  EXPECT_EQ(VarDecimals(VarTable[1]), 2);

  FormMain->ListView1->SetItemIndex(1);
  Runner->OnLoop([](TWinControl*) {
    EXPECT_EQ(FormModify->EditVarName->Text(), "Reg1");
    EXPECT_TRUE(FormModify->ComboBoxDecimal->Visible());
    FormModify->EditVarName->SetText("Renamed");
    FormModify->ButtonOk->Click();
  });
  FormMain->ButtonModifyClick(nullptr);
  EXPECT_EQ(Cell(1, 3), "Renamed");
  EXPECT_EQ(FieldText(VarTable[1].Name), "Renamed");

  FormMain->ListView1->SetItemIndex(0);
  FormMain->ButtonDelClick(nullptr);
  ASSERT_EQ(VarCount, 2);
  EXPECT_EQ(FieldText(VarTable[0].Name), "Renamed");
  EXPECT_EQ(FieldText(VarTable[1].Name), "Reg2");
  EXPECT_EQ(Cell(0, 3), "Renamed");
  EXPECT_EQ(FormMain->ListView1->Items()->Count(), 2);

  // Modify or delete with nothing selected does nothing.
  FormMain->ListView1->SetItemIndex(-1);
  FormMain->ButtonDelClick(nullptr);
  EXPECT_EQ(VarCount, 2);
}

// The program makes the two dialogs just after its window is first shown; a command
// that comes before then makes both itself, owned by the application, the
// new-variable dialog first, and the command goes on as usual.
TEST_F(AppForms, NewAndModifyMakeTheDialogsWhenTheyDoNotExistYet) {
  for (bool modify : {false, true}) {
    SCOPED_TRACE(modify ? "modify" : "new");
    if (modify) {
      AddVariable(0, "5", "Coil1");
      FormMain->ListView1->SetItemIndex(1);
    }
    delete FormModify;
    delete FormNew;
    FormModify = nullptr;
    FormNew = nullptr;
    const int owned = Application->ComponentCount();
    Runner->OnLoop([modify](TWinControl*) {
      TVarDialog* shown = modify ? static_cast<TVarDialog*>(FormModify) : FormNew;
      ASSERT_NE(shown, nullptr);
      EXPECT_TRUE(shown->Visible());
      shown->EditVarName->SetText(modify ? "Renamed" : "Added");
      shown->ButtonOk->Click();
    });
    if (modify) FormMain->ButtonModifyClick(nullptr);
    else FormMain->ButtonNewClick(nullptr);
    ASSERT_NE(FormNew, nullptr);
    ASSERT_NE(FormModify, nullptr);
    ASSERT_EQ(Application->ComponentCount(), owned + 2);
    EXPECT_EQ(Application->Components(owned), FormNew);
    EXPECT_EQ(Application->Components(owned + 1), FormModify);
    EXPECT_EQ(VarCount, modify ? 2 : 1);
    EXPECT_EQ(Cell(modify ? 1 : 0, 3), modify ? "Renamed" : "Added");
  }
}

TEST_F(AppForms, TheDialogChecksInOrderAndWritesNothingOnAFailure) {
  AddVariable(1, "3", "ab");
  struct Case { int type; const char* addr; const char* name; const char* text; const char* caption; };
  const Case cases[] = {
      {1, "128", "x", "变量地址超过范围，请修改！", "变量地址错误！"},
      {1, "65541", "x", "变量地址超过范围，请修改！", "变量地址错误！"},
      {1, "127", "", "变量名称不允许为空，请修改！", "变量名称错误！"},
      {0, "0", "ab", "变量名称已经存在，请修改！", "变量名称错误！"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    Runner->OnLoop([&](TWinControl*) { Fill(FormNew, c.type, c.addr, c.name, 0); });
    FormMain->ButtonNewClick(nullptr);
    auto boxes = Runner->CallsOf("messagebox");
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().Text, c.text);
    EXPECT_EQ(boxes.back().Caption, c.caption);
    EXPECT_EQ(VarCount, 1);
  }
  AddVariable(1, "127", "AB");  // another case is another name
  EXPECT_EQ(VarCount, 2);
  // A non-number raises the conversion error and writes nothing.
  FormNew->EditAddr->SetText("12a");
  EXPECT_THROW(FormNew->ButtonOkClick(nullptr), EConvertError);
  EXPECT_EQ(VarCount, 2);
}

// Choosing the coil type hides "数据格式": its area shows the face of the group box it
// stood on, with no text left behind.
TEST_F(AppForms, TheHiddenDecimalsLabelLeavesNoTextBehind) {
  FormNew->Show();
  FormNew->ComboBoxDataType->SetItemIndex(1);
  FormNew->ComboBoxDataTypeChange(nullptr);
  Application->ProcessMessages();
  TWinControl* parent = FormNew->LabelDecimal->Parent();
  const TRect r = FormNew->LabelDecimal->BoundsRect();
  auto pixelsOtherThanTheFace = [&] {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, WindowBuffer(parent->Handle()));
    TPoint o = WindowBufferClientOrigin(parent->Handle());
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) n += GetPixel(dc, o.X + x, o.Y + y) != RGB(212, 208, 200);
    SelectObject(dc, old);
    DeleteDC(dc);
    return n;
  };
  ASSERT_GT(pixelsOtherThanTheFace(), 0);  // the caption's text
  FormNew->ComboBoxDataType->SetItemIndex(0);
  FormNew->ComboBoxDataTypeChange(nullptr);
  Application->ProcessMessages();
  EXPECT_EQ(pixelsOtherThanTheFace(), 0);
  FormNew->Hide();
}

TEST_F(AppForms, TypeZeroHidesAndZeroesTheDecimalsAndTheCaptionFollowsTheWindow) {
  PlcRegStart = 100;
  PlcCoilStart = 7;
  FormNew->ComboBoxDataType->SetItemIndex(1);
  FormNew->ComboBoxDataTypeChange(nullptr);
  FormNew->ComboBoxDecimal->SetItemIndex(2);
  EXPECT_TRUE(FormNew->ComboBoxDecimal->Visible());
  EXPECT_EQ(FormNew->GroupBoxByte->Caption(), "连接变量（地址范围：100~227）");
  FormNew->ComboBoxDataType->SetItemIndex(0);
  FormNew->ComboBoxDataTypeChange(nullptr);
  EXPECT_FALSE(FormNew->ComboBoxDecimal->Visible());
  EXPECT_EQ(FormNew->ComboBoxDecimal->ItemIndex(), 0);
  EXPECT_EQ(FormNew->GroupBoxByte->Caption(), "连接变量（地址范围：7~134）");
  // The name takes letters and digits only, typed or pasted.
  char keys[] = {'a', '9', ' ', '_', '\x8B', '\b'};
  std::string passed;
  for (char k : keys) {
    char key = k;
    FormNew->EditVarNameKeyPress(nullptr, key);
    if (key) passed += key;
  }
  EXPECT_EQ(passed, "a9\b");
  EXPECT_EQ(FilterNameText("ab c-中1"), "abc1");
  EXPECT_EQ(FilterNameText(std::string("\x81\x41" "x\x95\x5A" "9", 6)), "x9");  // trail bytes 'A', 'Z'

}

TEST_F(AppForms, TheThousandthVariableIsTheLast) {
  VarCount = MaxVarCount;
  FormMain->ButtonNewClick(nullptr);
  EXPECT_EQ(LastMessage(), "数据变量个数已达到最大！");
  EXPECT_TRUE(Runner->CallsOf("form").empty());
  EXPECT_EQ(VarCount, MaxVarCount);
}

TEST_F(AppForms, SavedFilesHaveTheGoldenLayoutAndOpenSaveIsByteIdentical) {
  std::string empty = Save("empty.cloud");
  EXPECT_EQ(ReadBytes(GbkToUtf8(empty)).size(), 212u);
  EXPECT_EQ(ReadBytes(GbkToUtf8(empty)).substr(0, 10), std::string("\x10\x08\x01\x00\x00\x00\x00\x00\x06\x00", 10));
  EXPECT_EQ(FormMain->Caption(), empty);
  AddVariable(0, "1", "A");
  AddVariable(1, "2", "B");
  AddVariable(2, "3", "C");
  std::string three = Save("three.cloud");
  EXPECT_EQ(ReadBytes(GbkToUtf8(three)).size(), 566u);

  // A file made elsewhere, with junk after its terminators, comes back unchanged.
  std::string bytes = ReadBytes(GbkToUtf8(three));
  std::memset(&bytes[10 + 20], 'z', 30);                  // after the address text
  std::memset(&bytes[212 + 67 + 5], 0x55, 40);            // after the first condition
  bytes[212 + 2] = static_cast<char>(0x7E);               // reserved byte
  std::string junk = Utf8ToGbk((Dir / "junk.cloud").string());
  std::ofstream(GbkToUtf8(junk), std::ios::binary) << bytes;
  Runner->AnswerFileDialog({junk});
  FormMain->NOpenClick(nullptr);
  EXPECT_EQ(Cell(0, 1), "线圈");  // labels of an opened file
  FormMain->NSaveClick(nullptr);  // no dialog: the opened file's name
  EXPECT_EQ(ReadBytes(GbkToUtf8(junk)), bytes);
}

TEST_F(AppForms, BadFilesAreRefusedAndNothingChanges) {
  AddVariable(1, "9", "Keep");
  std::string good = Save("good.cloud");
  std::string caption = FormMain->Caption();
  std::string bytes = ReadBytes(GbkToUtf8(good));
  struct Case { const char* name; std::string content; const char* message; };
  std::string badCount = bytes;
  badCount[210] = static_cast<char>(0xE9);  // 1001
  badCount[211] = 0x03;
  std::string badType = bytes;
  badType[212 + 3] = static_cast<char>(6 << 1);
  const Case cases[] = {{"short.cloud", bytes.substr(0, 300), "文件格式错误！"},
                        {"count.cloud", badCount, "文件格式错误！"},
                        {"type.cloud", badType, "文件格式错误！"}};
  FormMain->EditPLCAddr->SetText("9");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = Utf8ToGbk((Dir / c.name).string());
    std::ofstream(GbkToUtf8(path), std::ios::binary) << c.content;
    Runner->AnswerFileDialog({path});
    FormMain->NOpenClick(nullptr);
    EXPECT_EQ(LastMessage(), c.message);
    EXPECT_EQ(FormMain->Caption(), caption);
    EXPECT_EQ(ProjectFileName, good);
    EXPECT_EQ(VarCount, 1);
    EXPECT_EQ(FormMain->ListView1->Items()->Count(), 1);
    EXPECT_EQ(FormMain->EditPLCAddr->Text(), "9");
  }
  // A file that cannot be read (here: a directory of that name).
  fs::create_directories(Dir / "folder.cloud");
  Runner->AnswerFileDialog({Utf8ToGbk((Dir / "folder.cloud").string())});
  FormMain->NOpenClick(nullptr);
  EXPECT_EQ(LastMessage(), "打开文件失败！");
  EXPECT_EQ(ProjectFileName, good);
  // Saving where no file can be made says so, with the path and the reason.
  const std::string missing = Utf8ToGbk((Dir / "no-such-dir" / "x.cloud").string());
  Runner->AnswerFileDialog({missing});
  FormMain->NSaveasClick(nullptr);
  EXPECT_EQ(LastMessage(), "保存文件失败！\n" + missing + "\n" + Utf8ToGbk(std::strerror(ENOENT)));
}

TEST_F(AppForms, AFailedSaveKeepsTheProjectsFileAndTitleAndSaysWhy) {
  struct Case {
    const char* name;
    std::string target;
    int error;
  };
  const Case cases[] = {
      {"a folder that does not exist", Utf8ToGbk((Dir / "missing" / "b.cloud").string()), ENOENT},
      {"a name over the file system's limit", Utf8ToGbk((Dir / (std::string(300, 'n') + ".cloud")).string()),
       ENAMETOOLONG},
  };
  const std::string good = Save("good.cloud");
  ASSERT_EQ(ProjectFileName, good);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Runner->AnswerFileDialog({c.target});
    FormMain->NSaveasClick(nullptr);
    EXPECT_EQ(LastMessage(), "保存文件失败！\n" + c.target + "\n" + Utf8ToGbk(std::strerror(c.error)));
    EXPECT_EQ(ProjectFileName, good);
    EXPECT_EQ(FormMain->Caption(), good);
    // The next save goes to the old file, without asking.
    AddVariable(2, "1", "V");
    size_t dialogs = Runner->CallsOf("save").size();
    FormMain->NSaveClick(nullptr);
    EXPECT_EQ(Runner->CallsOf("save").size(), dialogs);
    EXPECT_EQ(ReadBytes(GbkToUtf8(good)).size(), 212u + 118u * VarCount);
  }
}

TEST_F(AppForms, FileDialogsStartInTheLastFolderThatWorked) {
  using Handler = void (TFormMain::*)(TObject*);
  // Each command fails on a file in another folder that exists.
  fs::create_directories(Dir / "other" / "folder.cloud");
  const std::string tooLong = std::string(300, 'n');
  struct Case {
    const char* name;
    Handler command;
    TOpenDialog* dialog;
    std::string file;  // in Dir/other
  };
  const Case cases[] = {
      {"a failed save as", &TFormMain::NSaveasClick, FormMain->SaveDialog1, tooLong + ".cloud"},
      {"a failed open", &TFormMain::NOpenClick, FormMain->OpenDialog1, "folder.cloud"},
      {"a failed export", &TFormMain::NExportClick, FormMain->SaveDialog2, tooLong + ".xlsx"},
  };
  Save("good.cloud");
  const std::string good = Utf8ToGbk(Dir.string()) + "/";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Runner->AnswerFileDialog({Utf8ToGbk((Dir / "other" / c.file).string())});
    try {
      (FormMain->*c.command)(nullptr);
    } catch (const Exception&) {
      // the export's failure reaches the exception display
    }
    // The next dialog (cancelled) starts in the folder of the good save and offers
    // the name alone.
    Runner->AnswerFileDialog({});
    (FormMain->*c.command)(nullptr);
    EXPECT_EQ(c.dialog->InitialDir(), good);
    EXPECT_EQ(c.dialog->FileName(), c.file);
  }
}

TEST_F(AppForms, OpeningRefreshesTheCommunicationPageWhicheverPageShows) {
  TProjectData d;
  d.Station = 12;
  d.RegStart = 100;
  d.Interval = 9000;  // shown clamped by the spin edit
  std::strcpy(d.Addr, "10.0.0.1");
  TVarRecord coil{};
  SetVarTypeCode(coil, 0);
  coil.Address = 16385;
  SetFieldText(coil.Name, "C1");
  d.Vars = {coil};
  std::string path = Utf8ToGbk((Dir / "p.cloud").string());
  ASSERT_EQ(WriteProjectFile(path, d), TProjectResult::prOk);
  FormMain->PageControl1->SetActivePageIndex(0);
  Runner->AnswerFileDialog({path});
  FormMain->NOpenClick(nullptr);
  EXPECT_EQ(FormMain->EditPLCAddr->Text(), "12");
  EXPECT_EQ(FormMain->EditPLCVar->Text(), "100");
  EXPECT_EQ(FormMain->EditAddr->Text(), "10.0.0.1");
  EXPECT_EQ(FormMain->QvSpinEdit1->Text(), "3000");
  EXPECT_EQ(Cell(0, 0), "0X(M)1");
  EXPECT_EQ(FormMain->Caption(), path);
}

TEST_F(AppForms, NewEmptiesTheTableResetsTheNumbersAndKeepsTheCloudTexts) {
  AddVariable(1, "9", "Old");
  FormMain->EditPLCAddr->SetText("9");
  FormMain->EditPort->SetText("2020");  // typed, not yet taken into the settings
  Runner->AnswerFileDialog({Utf8ToGbk((Dir / "new.cloud").string())});
  FormMain->EditPLCVar->SetText("40");
  FormMain->QvSpinEdit1->SetValue(60);
  FormMain->NNewClick(nullptr);
  EXPECT_EQ(VarCount, 0);
  EXPECT_EQ(FormMain->ListView1->Items()->Count(), 0);
  // The numbers of a fresh start: never the broadcast station 0.
  EXPECT_EQ(FormMain->EditPLCAddr->Text(), "1");
  EXPECT_EQ(FormMain->EditPLCVar->Text(), "0");
  EXPECT_EQ(FormMain->EditPLCBVar->Text(), "0");
  EXPECT_EQ(FormMain->QvSpinEdit1->Text(), "6");
  EXPECT_EQ(PlcStation, 1);
  EXPECT_EQ(UploadInterval, 6);
  EXPECT_EQ(FormMain->EditAddr->Text(), "192.0.2.1");
  EXPECT_EQ(FormMain->EditPort->Text(), "2020");
  EXPECT_EQ(FormMain->EditDeviceID->Text(), "user");
  EXPECT_EQ(FieldText(CloudPort), "2020");
}

TEST_F(AppForms, ATypoThenAPageSwitchKeepsEverythingTyped) {
  struct Case { const char* station; const char* reg; const char* coil; };
  const Case cases[] = {{"x", "0", "0"}, {"3", "7y", "0"}, {"3", "0", "99999"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.station) + " " + c.reg + " " + c.coil);
    FormMain->PageControl1->SetActivePageIndex(1);
    FormMain->EditPLCAddr->SetText(c.station);
    FormMain->EditPLCVar->SetText(c.reg);
    FormMain->EditPLCBVar->SetText(c.coil);
    FormMain->EditAddr->SetText("10.1.2.3");
    FormMain->EditPort->SetText("2020");
    FormMain->EditDeviceID->SetText("dev");
    FormMain->EditPsw->SetText("key");
    FormMain->PageControl1->SetActivePageIndex(0);
    EXPECT_THROW(FormMain->PageControl1Change(nullptr), EConvertError);  // shown by the exception display
    FormMain->PageControl1->SetActivePageIndex(1);
    FormMain->PageControl1Change(nullptr);
    EXPECT_EQ(FormMain->EditPLCAddr->Text(), c.station);
    EXPECT_EQ(FormMain->EditPLCVar->Text(), c.reg);
    EXPECT_EQ(FormMain->EditPLCBVar->Text(), c.coil);
    EXPECT_EQ(FormMain->EditAddr->Text(), "10.1.2.3");
    EXPECT_EQ(FormMain->EditPort->Text(), "2020");
    EXPECT_EQ(FormMain->EditDeviceID->Text(), "dev");
    EXPECT_EQ(FormMain->EditPsw->Text(), "key");
    EXPECT_EQ(PlcStation, 0);  // nothing was taken
    EXPECT_EQ(FieldText(CloudAddr), "");
  }
  // Once the numbers are mended the page is taken, and shown again as taken.
  FormMain->EditPLCAddr->SetText("12");
  FormMain->EditPLCBVar->SetText("0");
  FormMain->PageControl1->SetActivePageIndex(0);
  FormMain->PageControl1Change(nullptr);
  EXPECT_EQ(PlcStation, 12);
  EXPECT_EQ(PlcRegStart, 0);
  EXPECT_EQ(FieldText(CloudPort), "2020");
}

TEST_F(AppForms, FilesThatAreNoProjectsAreRefusedAtOnceAndReadOnlyOnesAreNotReplaced) {
  ASSERT_EQ(::mkfifo((Dir / "pipe.cloud").c_str(), 0600), 0);
  for (const fs::path& p : {Dir / "pipe.cloud", fs::path("/dev/zero")}) {
    SCOPED_TRACE(p.string());
    Runner->AnswerFileDialog({Utf8ToGbk(p.string())});
    FormMain->NOpenClick(nullptr);  // a FIFO without a writer would block here
    EXPECT_EQ(LastMessage(), "打开文件失败！");
    EXPECT_EQ(ProjectFileName, "");
  }
  std::string path = Save("ro.cloud");
  std::string before = ReadBytes(GbkToUtf8(path));
  fs::permissions(GbkToUtf8(path), fs::perms(0444));
  FormMain->EditPLCAddr->SetText("5");
  FormMain->NSaveClick(nullptr);
  EXPECT_EQ(LastMessage().rfind("保存文件失败！\n" + path + "\n", 0), 0u) << LastMessage();
  EXPECT_EQ(ReadBytes(GbkToUtf8(path)), before);
}

TEST_F(AppForms, APortWithoutADescriptionShowsItsName) {
  // A device-map alias of a pseudo-terminal has no friendly name.
  const fs::path map = Dir / "serial-ports.ini";
  std::ofstream(map) << "COM7=/dev/null\n";
  TSerialDeviceMap::SetPathOverride(map.string());
  FormMain->ComboBoxDownComDropDown(nullptr);
  auto* items = FormMain->ComboBoxDownCom->Items();
  int index = -1;
  for (int i = 0; i < items->Count(); ++i)
    if (items->Strings(i) == "COM7") index = i;
  ASSERT_GE(index, 0);
  FormMain->ComboBoxDownCom->SetItemIndex(index);
  FormMain->ComboBoxDownComChange(nullptr);
  TSerialDeviceMap::SetPathOverride("");
  EXPECT_EQ(FormMain->ComboBoxDownCom->Text(), "COM7");
  EXPECT_EQ(FormMain->ComboPortNames()[static_cast<size_t>(index)], "COM7");
}

TEST_F(AppForms, ExportSaysSuccessOnlyWhenTheWorkbookIsWritten) {
  EXPECT_TRUE(FormMain->SaveDialog2->Options().Contains(ofOverwritePrompt));
  AddVariable(1, "5", "V");
  struct Case { const char* file; const char* regStart; const char* message; bool raises; bool written; };
  const Case cases[] = {
      {"ok.xlsx", "0", "云文件导出成功！", false, true},
      {"range.xlsx", "100", "变量地址错误！", false, false},  // the variable leaves its window
      {"no-such-dir/x.xlsx", "0", "", true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    FormMain->EditPLCVar->SetText(c.regStart);
    size_t before = Runner->CallsOf("messagebox").size();
    Runner->AnswerFileDialog({Utf8ToGbk((Dir / c.file).string())});
    if (c.raises) {
      EXPECT_THROW(FormMain->NExportClick(nullptr), Exception);
    } else {
      FormMain->NExportClick(nullptr);
    }
    EXPECT_EQ(Runner->CallsOf("messagebox").size(), before + (c.message[0] ? 1 : 0));
    if (c.message[0]) {
      EXPECT_EQ(LastMessage(), c.message);
    }
    EXPECT_EQ(fs::exists(Dir / c.file), c.written);
    if (!c.raises) {
      // The export's folder is where the next file dialog opens (here cancelled).
      Runner->AnswerFileDialog({});
      FormMain->NOpenClick(nullptr);
      EXPECT_EQ(FormMain->OpenDialog1->InitialDir(), Utf8ToGbk(Dir.string()) + "/");
    }
  }
}

TEST_F(AppForms, CloudEditsTakeAtMost49BytesAndNoCommaTypedOrPasted) {
  TEdit* const edits[] = {FormMain->EditAddr, FormMain->EditPort, FormMain->EditDeviceID, FormMain->EditPsw};
  for (TEdit* e : edits) {
    SCOPED_TRACE(e->Name());
    e->SetText("");
    e->HandleNeeded();
    for (char c : "a,b\r" + std::string(60, 'x')) e->Perform(WM_CHAR, static_cast<unsigned char>(c), 0);
    EXPECT_EQ(e->Text(), "ab" + std::string(47, 'x'));
    // Pasted text goes through the same rule, into the selection.
    e->SetText("12");
    e->SetSelStart(1);
    Backend().SetClipboardText("a,b\r\nc" + std::string(60, 'y'));
    e->Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(e->Text(), "1abc" + std::string(44, 'y') + "2");
  }
  // The variable name's paste goes through its letters-and-digits rule the same way.
  TEdit* name = FormNew->EditVarName;
  name->SetText("");
  name->HandleNeeded();
  Backend().SetClipboardText("V a,1\r\n");
  name->Perform(WM_PASTE, 0, 0);
  EXPECT_EQ(name->Text(), "Va1");
}

// The registry knows a class by the name in its declaration until its table is
// built; the form files name it by the table's name. The two must agree for every
// class the program can read from a form.
TEST(AppClasses, EveryRegisteredClassIsFoundByTheNameItsTableCarries) {
  std::vector<const TClassInfo*> all = RegisteredClasses();
  EXPECT_GE(all.size(), 40u);
  for (const TClassInfo* c : all) EXPECT_EQ(GetClass(c->Name), c) << c->Name;
  for (const char* name : {"TFormMain", "TFormNew", "TFormModify", "TPageControl", "TTabSheet", "TListView",
                           "TComboBox", "TEdit", "TButton", "TLabel", "TGroupBox", "TKxCommDevice"})
    EXPECT_NE(GetClass(name), nullptr) << name;
}
