// The standard dialog components through the scripted modal runner: what the
// request carries, the default extension, the existence and overwrite checks that
// bring the dialog back, and the colour dialog's custom colours.
#include <filesystem>
#include <fstream>

#include "tests/platform/controls/fixtures.h"
#include "platform/stdctrls/dialogs.h"
#include "platform/core/gbk.h"
#include "platform/core/streams.h"
#include "platform/core/textform.h"

namespace {

namespace fs = std::filesystem;

// Keeps every request it is shown; optionally plays a dialog that checked the
// options itself, or edits the custom colours as the user would.
class TRecordingRunner : public TScriptedModalRunner {
public:
  std::vector<TFileDialogRequest> FileRequests;
  std::vector<TColorDialogRequest> ColorRequests;
  bool DialogChecks = false;
  std::function<void(TColorDialogRequest&)> EditColors;
  bool FileDialog(TFileDialogRequest& R) override {
    FileRequests.push_back(R);
    bool ok = TScriptedModalRunner::FileDialog(R);
    if (ok && DialogChecks) R.Confirmed = true;
    return ok;
  }
  bool ColorDialog(TColorDialogRequest& R) override {
    ColorRequests.push_back(R);
    bool ok = TScriptedModalRunner::ColorDialog(R);
    if (ok && EditColors) EditColors(R);
    return ok;
  }
};

class DialogsTest : public ControlsTest {
protected:
  void SetUp() override {
    ControlsTest::SetUp();
    Dir = fs::temp_directory_path() / ("dtu-dialogs-" + std::to_string(::getpid()));
    fs::create_directories(Dir);
    // Literals here are GBK, the system's text; the file system takes UTF-8.
    Existing = InDir("已有.cloud");
    std::ofstream(Dir / GbkToUtf8("已有.cloud")) << "x";
  }
  void TearDown() override {
    fs::remove_all(Dir);
    ControlsTest::TearDown();
  }
  // A path as the system holds it (GBK).
  static std::string Gbk(const fs::path& P) { return Utf8ToGbk(P.string()); }
  std::string InDir(const std::string& GbkName) { return Gbk(Dir) + "/" + GbkName; }
  fs::path Dir;
  std::string Existing;
};

}  // namespace

TEST_F(DialogsTest, AStreamedSaveDialogHandsItsSettingsToTheRunner) {
  TRecordingRunner runner;
  TForm* form = Own(new TForm(nullptr));
  TStringStream s(FormTextToBinary(GbkToUtf8(R"(object DlgForm: TForm
  object SaveDialog1: TSaveDialog
    DefaultExt = 'cloud'
    Filter = 'Project File|*.cloud'
    InitialDir = 'C:\quelp2\project'
    Options = [ofOverwritePrompt, ofHideReadOnly, ofExtensionDifferent, ofEnableSizing]
    Title = '保存文件为'
  end
end
)")));
  s.ReadComponent(form);
  auto* dlg = dynamic_cast<TSaveDialog*>(form->FindComponent("SaveDialog1"));
  ASSERT_NE(dlg, nullptr);
  runner.AnswerFileDialog({InDir("新项目")});
  ASSERT_TRUE(dlg->Execute());
  ASSERT_EQ(runner.FileRequests.size(), 1u);
  const TFileDialogRequest& r = runner.FileRequests[0];
  EXPECT_TRUE(r.Save);
  EXPECT_EQ(r.Title, "保存文件为");
  EXPECT_EQ(r.Filter, "Project File|*.cloud");
  EXPECT_EQ(r.InitialDir, "C:\\quelp2\\project");
  EXPECT_EQ(r.DefaultExt, "cloud");
  EXPECT_TRUE(r.OverwritePrompt);
  EXPECT_FALSE(r.FileMustExist);
  // The default extension went onto the name typed without one.
  EXPECT_EQ(dlg->FileName(), InDir("新项目.cloud"));
  EXPECT_EQ(dlg->Files()->Count(), 1);
  EXPECT_FALSE(dlg->Options().Contains(ofExtensionDifferent));
}

TEST_F(DialogsTest, TheOptionsRefuseAChoiceAndBringTheDialogBack) {
  struct Case {
    const char* What;
    bool Save;
    TOpenOptions Options;
    std::vector<std::string> Answers;  // "" = the user cancels
    std::vector<int> Boxes;            // message box answers
    bool Result;
    std::string FileName;              // after Execute ("" = unchanged)
    std::vector<std::string> Calls;    // kinds of modal calls in order
  };
  std::string fresh = InDir("新.cloud");
  std::string missing = InDir("没有.cloud");
  const Case cases[] = {
      {"overwrite refused, another name taken", true, {ofOverwritePrompt}, {Existing, fresh}, {IDNO}, true, fresh,
       {"save", "messagebox", "save"}},
      {"overwrite accepted", true, {ofOverwritePrompt}, {Existing}, {IDYES}, true, Existing, {"save", "messagebox"}},
      {"no prompt without the option", true, {}, {Existing}, {}, true, Existing, {"save"}},
      {"missing file, then cancelled", false, {ofFileMustExist}, {missing, ""}, {}, false, "",
       {"open", "messagebox", "open"}},
      {"existing file opens", false, {ofFileMustExist}, {Existing}, {}, true, Existing, {"open"}},
      {"missing folder", true, {ofPathMustExist}, {InDir("无/x.cloud"), ""}, {}, false, "",
       {"save", "messagebox", "save"}},
      {"cancelled", false, {}, {""}, {}, false, "", {"open"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    TRecordingRunner runner;
    for (const std::string& a : c.Answers) runner.AnswerFileDialog(a.empty() ? std::vector<std::string>{} : std::vector{a});
    for (int b : c.Boxes) runner.AnswerMessageBox(b);
    TOpenDialog* dlg = c.Save ? Own(new TSaveDialog(nullptr)) : Own(new TOpenDialog(nullptr));
    dlg->SetOptions(c.Options);
    dlg->SetFileName("before");
    EXPECT_EQ(dlg->Execute(), c.Result);
    EXPECT_EQ(dlg->FileName(), c.FileName.empty() ? std::string("before") : c.FileName);
    std::vector<std::string> kinds;
    for (const TModalCall& call : runner.Calls) kinds.push_back(call.Kind);
    EXPECT_EQ(kinds, c.Calls);
    // The dialog comes back with the refused name in it.
    if (runner.FileRequests.size() > 1) {
      EXPECT_EQ(runner.FileRequests[1].FileName, c.Answers[0]);
    }
  }
}

TEST_F(DialogsTest, ADialogThatCheckedTheChoiceItselfIsNotAskedAgain) {
  TRecordingRunner runner;
  runner.DialogChecks = true;
  runner.AnswerFileDialog({Existing});
  TSaveDialog* dlg = Own(new TSaveDialog(nullptr));
  dlg->SetOptions({ofOverwritePrompt});
  EXPECT_TRUE(dlg->Execute());
  EXPECT_TRUE(runner.CallsOf("messagebox").empty());
}

TEST_F(DialogsTest, TheColourDialogCarriesTheCustomColoursBothWays) {
  TRecordingRunner runner;
  TColorDialog* dlg = Own(new TColorDialog(nullptr));
  dlg->CustomColors()->Add("ColorA=0000FF");
  dlg->CustomColors()->Add("ColorC=808080");
  runner.AnswerColorDialog(clLime);
  runner.EditColors = [](TColorDialogRequest& R) { R.CustomColors[1] = 0x123456; };
  ASSERT_TRUE(dlg->Execute());
  ASSERT_EQ(runner.ColorRequests.size(), 1u);
  const auto& sent = runner.ColorRequests[0].CustomColors;
  ASSERT_EQ(sent.size(), 16u);
  EXPECT_EQ(sent[0], static_cast<TColor>(0x0000FF));
  EXPECT_EQ(sent[1], static_cast<TColor>(0xFFFFFF));  // not given: white
  EXPECT_EQ(sent[2], static_cast<TColor>(0x808080));
  EXPECT_EQ(dlg->Color(), clLime);
  EXPECT_EQ(dlg->CustomColors()->Values("ColorB"), "123456");
  EXPECT_EQ(dlg->CustomColors()->Values("ColorA"), "0000FF");

  // Cancelled: nothing changes.
  EXPECT_FALSE(dlg->Execute());
  EXPECT_EQ(dlg->Color(), clLime);
}

TEST_F(ControlsTest, FileDialogsGoThroughTheModalRunner) {
  TForm* form = MakeForm();
  auto* open = new TOpenDialog(form);
  open->SetFilter("Project File|*.cloud");
  open->SetOptions({ofHideReadOnly, ofFileMustExist});
  EXPECT_FALSE(open->Execute());  // nothing scripted: cancelled, nothing changes
  EXPECT_EQ(open->FileName(), "");

  auto* save = new TSaveDialog(form);
  save->SetDefaultExt("cloud");
  Runner->AnswerFileDialog({"/home/user/项目.xlsx"});
  ASSERT_TRUE(save->Execute());
  EXPECT_EQ(save->FileName(), "/home/user/项目.xlsx");
  EXPECT_TRUE(save->Options().Contains(ofExtensionDifferent));
  auto calls = Runner->Calls;
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].Kind, "open");
  EXPECT_EQ(calls[0].Caption, "Project File|*.cloud");
  EXPECT_EQ(calls[1].Kind, "save");
}
