// The workbook export: read back by unzipping the written file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "app/Workbook.h"
#include "platform/core/gbk.h"

namespace fs = std::filesystem;

namespace {

std::string Unzip(const fs::path& File, const char* Entry) {
  std::string cmd = "unzip -p '" + File.string() + "' " + Entry + " 2>/dev/null";
  std::string out;
  if (FILE* p = ::popen(cmd.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    ::pclose(p);
  }
  return out;
}

// The texts of the shared-string table in order (UTF-8).
std::vector<std::string> SharedStrings(const fs::path& File) {
  std::string xml = Unzip(File, "xl/sharedStrings.xml");
  std::vector<std::string> out;
  // Each <t> or <t attributes...> element up to its </t>.
  for (size_t at = 0; (at = xml.find("<t", at)) != std::string::npos;) {
    size_t open = at + 2;
    if (open >= xml.size() || (xml[open] != '>' && xml[open] != ' ')) {
      at = open;
      continue;
    }
    size_t text = xml.find('>', open);
    size_t end = text == std::string::npos ? text : xml.find("</t>", text);
    if (end == std::string::npos) break;
    out.push_back(xml.substr(text + 1, end - text - 1));
    at = end + 4;
  }
  return out;
}

TVarRecord Var(int code, int decimals, const char* name, bool store, const char* period) {
  TVarRecord r;
  std::memset(&r, 0, sizeof r);
  SetVarTypeCode(r, code);
  SetVarDecimals(r, decimals);
  SetFieldText(r.Name, name);
  r.Store = store;
  SetFieldText(r.Period, period);
  return r;
}

class WorkbookTest : public ::testing::Test {
protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("dtu-xlsx-" + std::to_string(::getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  fs::path dir;
};

}  // namespace

TEST_F(WorkbookTest, HeadingAndOneTextRowPerVariable) {
  TVarRecord vars[] = {Var(0, 2, "Coil1", true, "5"), Var(1, 0, "Reg1", false, "9")};
  vars[1].ReadWrite = 1;
  SetFieldText(vars[1].Unit, "℃");
  fs::path file = dir / "vars.xlsx";
  auto excel = TWorkbookAutomation::Create();
  ExportVariables(*excel, vars, 2, file.string());

  EXPECT_NE(Unzip(file, "xl/workbook.xml").find("name=\"Sheet1\""), std::string::npos);
  auto strings = SharedStrings(file);
  auto has = [&](const std::string& gbk) {
    return std::find(strings.begin(), strings.end(), GbkToUtf8(gbk)) != strings.end();
  };
  for (int c = 1; c <= ExportColumns; ++c) EXPECT_TRUE(has(ExportHeading(c))) << c;
  for (const char* text : {"Coil1", "float32", "只读", "不启用", "存储", "5分钟", "Reg1", "℃", "uint16",
                           "可读可写", "不存储"})
    EXPECT_TRUE(has(text)) << GbkToUtf8(text);
  EXPECT_FALSE(has("9分钟"));  // not stored: the period column stays empty
  std::string sheet = Unzip(file, "xl/worksheets/sheet1.xml");
  EXPECT_NE(sheet.find("<row r=\"3\""), std::string::npos);
  EXPECT_EQ(sheet.find("<row r=\"4\""), std::string::npos);
}

TEST_F(WorkbookTest, EmptyTableGivesTheHeadingOnlyAndAThousandRowsEndAt1001) {
  auto excel = TWorkbookAutomation::Create();
  ExportVariables(*excel, nullptr, 0, (dir / "empty.xlsx").string());
  std::string sheet = Unzip(dir / "empty.xlsx", "xl/worksheets/sheet1.xml");
  EXPECT_NE(sheet.find("<row r=\"1\""), std::string::npos);
  EXPECT_EQ(sheet.find("<row r=\"2\""), std::string::npos);

  std::vector<TVarRecord> many(1000, Var(3, 0, "V", false, ""));
  ExportVariables(*excel, many.data(), 1000, (dir / "many.xlsx").string());
  sheet = Unzip(dir / "many.xlsx", "xl/worksheets/sheet1.xml");
  EXPECT_NE(sheet.find("<row r=\"1001\""), std::string::npos);
  EXPECT_EQ(sheet.find("<row r=\"1002\""), std::string::npos);
}

TEST_F(WorkbookTest, AFileThatCannotBeWrittenRaisesInsteadOfReportingSuccess) {
  auto excel = TWorkbookAutomation::Create();
  TVarRecord v = Var(1, 0, "A", false, "");
  EXPECT_THROW(ExportVariables(*excel, &v, 1, (dir / "missing-dir" / "x.xlsx").string()), EOleException);
  TWorkbookAutomation fresh;
  EXPECT_THROW(fresh.ActiveWorkbookSaveAs((dir / "y.xlsx").string()), EOleException);
}
