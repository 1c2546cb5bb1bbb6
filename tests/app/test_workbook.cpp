// The workbook export: read back by unzipping the written file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <vector>

#include "app/Workbook.h"
#include "platform/core/gbk.h"
#include "platform/core/scope.h"
#include "tests/app/filesize_limit.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& File) {
  std::ifstream in(File, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

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

// The sheet's cells by reference ("A1"), as UTF-8 text through the shared strings.
std::map<std::string, std::string> SheetCells(const fs::path& File) {
  const std::vector<std::string> strings = SharedStrings(File);
  const std::string xml = Unzip(File, "xl/worksheets/sheet1.xml");
  std::map<std::string, std::string> cells;
  for (size_t at = 0; (at = xml.find("<c r=\"", at)) != std::string::npos;) {
    size_t ref = at + 6, refEnd = xml.find('"', ref);
    size_t end = xml.find("</c>", refEnd), value = xml.find("<v>", refEnd);
    if (end == std::string::npos) break;
    if (value != std::string::npos && value < end) {
      size_t index = std::stoul(xml.substr(value + 3, xml.find("</v>", value) - value - 3));
      cells[xml.substr(ref, refEnd - ref)] = index < strings.size() ? strings[index] : "?";
    }
    at = end;
  }
  return cells;
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
  vars[1].Security = 1;
  SetFieldText(vars[1].Unit, "℃");
  SetFieldText(vars[1].UpperLimit, "99.5");
  SetFieldText(vars[1].LowerLimit, "-1");
  SetFieldText(vars[1].Condition, "T1=1");
  fs::path file = dir / "vars.xlsx";
  auto excel = TWorkbookAutomation::Create();
  ExportVariables(*excel, vars, 2, file.string());

  EXPECT_NE(Unzip(file, "xl/workbook.xml").find("name=\"Sheet1\""), std::string::npos);
  // Every cell there is, in place; the empty ones (unit, period not stored, limits,
  // condition of the first row) are absent.
  std::map<std::string, std::string> expected = {
      {"A1", "变量名称"}, {"B1", "变量单位"}, {"C1", "数据类型"}, {"D1", "读写类型"}, {"E1", "启用安全配置"},
      {"F1", "存储方式"}, {"G1", "采集周期"}, {"H1", "波动上限"}, {"I1", "波动下限"}, {"J1", "条件表达式"},
      {"A2", "Coil1"},    {"C2", "float32"},  {"D2", "只读"},     {"E2", "不启用"},   {"F2", "存储"},
      {"G2", "5分钟"},
      {"A3", "Reg1"},     {"B3", "℃"},       {"C3", "uint16"},   {"D3", "可读可写"}, {"E3", "启用"},
      {"F3", "不存储"},   {"H3", "99.5"},     {"I3", "-1"},       {"J3", "T1=1"},
  };
  for (auto& [ref, text] : expected) text = GbkToUtf8(text);
  EXPECT_EQ(SheetCells(file), expected);
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

TEST_F(WorkbookTest, CellsSetOutOfOrderOrTwiceAreWrittenOnceWithTheirLastValue) {
  auto excel = TWorkbookAutomation::Create();
  excel->WorkbooksAdd(1);
  excel->SetCellValue(3, 2, "late");
  excel->SetCellValue(1, 1, "first");
  excel->SetCellValue(3, 2, "later");
  excel->SetCellValue(2, 1, "中");
  excel->SetCellValue(1, 1, "");  // emptied again: blank
  excel->SetCellValue(2, 1, "文");
  excel->ActiveWorkbookSaveAs((dir / "order.xlsx").string());
  std::map<std::string, std::string> expected = {{"A2", GbkToUtf8("文")}, {"B3", "later"}};
  EXPECT_EQ(SheetCells(dir / "order.xlsx"), expected);
}

TEST_F(WorkbookTest, AFailedExportOverAWorkbookLeavesItWhole) {
  TVarRecord v = Var(1, 0, "Old", false, "");
  fs::path file = dir / "keep.xlsx";
  auto excel = TWorkbookAutomation::Create();
  ExportVariables(*excel, &v, 1, file.string());
  const std::string before = ReadAll(file);
  ASSERT_EQ(SheetCells(file)["A2"], "Old");

  // A file-size limit makes the writes fail part way, as a full disk does.
  std::vector<TVarRecord> many(1000, Var(3, 0, "New", false, ""));
  bool raised = false;
  {
    TFileSizeLimit limit(2000);
    try {
      ExportVariables(*excel, many.data(), 1000, file.string());
    } catch (const EOleException& e) {
      raised = true;
      EXPECT_EQ(e.Message().rfind("保存工作簿文件失败：", 0), 0u) << e.Message();
    }
  }

  EXPECT_TRUE(raised);
  EXPECT_EQ(ReadAll(file), before);
  EXPECT_EQ(SheetCells(file)["A2"], "Old");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);  // no temporary left
}

// The writer library writes into a private folder under the temporary folder, and
// the workbook is copied from there: nothing of it stays, whether the export
// succeeds or the writer fails part way, and an export that finds no place to work
// says so instead of reporting success.
TEST_F(WorkbookTest, TheWritersPrivateFolderNeverStays) {
  struct Case {
    const char* What;
    rlim_t Limit;         // a file-size limit while exporting; 0: none
    bool TempFolder;      // the temporary folder exists
    const char* Raised;   // the start of the message raised; nullptr: none
  };
  const Case cases[] = {
      {"a successful export", 0, true, nullptr},
      {"the writer failing part way", 2000, true, "保存工作簿文件失败："},
      {"no temporary folder to work in", 0, false, "无法创建工作簿文件："},
  };
  const char* was = std::getenv("TMPDIR");
  const std::string saved = was ? was : "";
  TOnExit restore([&] { was ? setenv("TMPDIR", saved.c_str(), 1) : unsetenv("TMPDIR"); });
  std::vector<TVarRecord> many(1000, Var(3, 0, "V", false, ""));
  auto excel = TWorkbookAutomation::Create();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    const fs::path temp = dir / "temp", file = dir / "out.xlsx";
    fs::remove_all(temp);
    fs::remove(file);
    if (c.TempFolder) fs::create_directory(temp);
    setenv("TMPDIR", temp.c_str(), 1);
    std::string raised;
    {
      std::optional<TFileSizeLimit> limit;
      if (c.Limit) limit.emplace(c.Limit);
      try {
        ExportVariables(*excel, many.data(), 1000, file.string());
      } catch (const EOleException& e) {
        raised = e.Message();
      }
    }
    if (c.Raised) {
      EXPECT_EQ(raised.rfind(c.Raised, 0), 0u) << raised;
    } else {
      EXPECT_EQ(raised, "");
    }
    EXPECT_EQ(fs::exists(file), c.Raised == nullptr);
    if (c.TempFolder) {
      EXPECT_TRUE(fs::is_empty(temp));
    }
    // Beside the target: the workbook or nothing, no temporary.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()),
              (c.TempFolder ? 1 : 0) + (c.Raised ? 0 : 1));
  }
}

TEST_F(WorkbookTest, AFileThatCannotBeWrittenRaisesInsteadOfReportingSuccess) {
  auto excel = TWorkbookAutomation::Create();
  TVarRecord v = Var(1, 0, "A", false, "");
  EXPECT_THROW(ExportVariables(*excel, &v, 1, (dir / "missing-dir" / "x.xlsx").string()), EOleException);
  TWorkbookAutomation fresh;
  EXPECT_THROW(fresh.ActiveWorkbookSaveAs((dir / "y.xlsx").string()), EOleException);
  try {
    fresh.SetCellValue(1, 1, "x");
  } catch (const EOleException& e) {
    EXPECT_EQ(e.Message(), "没有打开的工作簿！");
  }
}

namespace {
bool XlsxWriterMapped() {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line))
    if (line.find("libxlsxwriter") != std::string::npos) return true;
  return false;
}
}  // namespace

// The writer library is not part of the program until a workbook is saved (it would
// cost every start its loading), and a save loads it. Checked in a fresh process:
// an earlier test of this binary may have loaded it already.
TEST_F(WorkbookTest, TheWriterLibraryIsLoadedByTheFirstSaveOnly) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const fs::path file = dir / "first.xlsx";
  EXPECT_EXIT(
      {
        if (XlsxWriterMapped()) std::_Exit(1);
        TVarRecord v = Var(1, 0, "A", false, "");
        auto excel = TWorkbookAutomation::Create();
        ExportVariables(*excel, &v, 1, file.string());
        std::_Exit(XlsxWriterMapped() && fs::exists(file) ? 0 : 2);
      },
      ::testing::ExitedWithCode(0), "");
}
