#pragma once
// The application's three forms for a test, with scripted dialogs and a temporary
// folder; helpers that act as a user would.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/Unitmain.h"
#include "app/Unitmodify.h"
#include "app/Unitnew.h"
#include "platform/stdctrls/combobox.h"
#include "platform/stdctrls/edit.h"
#include "platform/stdctrls/listview.h"
#include "platform/controls/modal.h"
#include "platform/stdctrls/stdctrls_buttons.h"
#include "platform/core/gbk.h"

namespace fs = std::filesystem;


inline std::string ReadBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class AppForms : public ::testing::Test {
protected:
  void SetUp() override {
    ResetAppState();
    Runner = std::make_unique<TScriptedModalRunner>();
    FormMain = new TFormMain(nullptr);
    FormNew = new TFormNew(nullptr);
    FormModify = new TFormModify(nullptr);
    Dir = fs::temp_directory_path() / ("dtu-forms-" + std::to_string(::getpid()));
    fs::create_directories(Dir);
  }
  void TearDown() override {
    delete FormModify;
    delete FormNew;
    delete FormMain;
    FormModify = nullptr;
    FormNew = nullptr;
    FormMain = nullptr;
    Runner.reset();
    fs::remove_all(Dir);
    ResetAppState();
  }

  // Fills the dialog the way a user would and presses OK.
  static void Fill(TVarDialog* D, int Type, const std::string& Addr, const std::string& Name, int Decimals) {
    D->ComboBoxDataType->SetItemIndex(Type);
    D->ComboBoxDataTypeChange(D->ComboBoxDataType);
    D->EditAddr->SetText(Addr);
    D->EditVarName->SetText(Name);
    if (Type != 0) D->ComboBoxDecimal->SetItemIndex(Decimals);
    D->ButtonOk->Click();
  }
  void AddVariable(int Type, const std::string& Addr, const std::string& Name, int Decimals = 0) {
    Runner->OnLoop([=](TWinControl*) { Fill(FormNew, Type, Addr, Name, Decimals); });
    FormMain->ButtonNewClick(nullptr);
  }
  std::string Cell(int Row, int Column) {
    TListItem* item = FormMain->ListView1->Items()->Item(Row);
    return Column == 0 ? item->Caption() : item->SubItems()->Strings(Column - 1);
  }
  std::string LastMessage() {
    auto boxes = Runner->CallsOf("messagebox");
    return boxes.empty() ? std::string() : boxes.back().Text;
  }
  std::string Save(const std::string& Name) {
    std::string path = Utf8ToGbk((Dir / Name).string());
    Runner->AnswerFileDialog({path});
    FormMain->NSaveasClick(nullptr);
    return path;
  }

  std::unique_ptr<TScriptedModalRunner> Runner;
  fs::path Dir;
};

