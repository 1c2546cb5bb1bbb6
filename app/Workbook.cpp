#include "app/Workbook.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <type_traits>
#include <unordered_map>

#include "app/SafeFile.h"
#include "platform/core/gbk.h"
#include "platform/core/scope.h"

std::string ExportHeading(int Column) {
  static const char* const headings[ExportColumns] = {
      "变量名称", "变量单位", "数据类型", "读写类型", "启用安全配置",
      "存储方式", "采集周期", "波动上限", "波动下限", "条件表达式"};
  return Column >= 1 && Column <= ExportColumns ? headings[Column - 1] : "";
}

std::string ExportCellText(const TVarRecord& R, int Column) {
  switch (Column) {
    case 1: return FieldText(R.Name);
    case 2: return FieldText(R.Unit);
    case 3: return ExportTypeLabel(R);
    case 4: return R.ReadWrite ? "可读可写" : "只读";
    case 5: return R.Security ? "启用" : "不启用";
    case 6: return R.Store ? "存储" : "不存储";
    case 7: return R.Store ? FieldText(R.Period) + "分钟" : "";
    case 8: return FieldText(R.UpperLimit);
    case 9: return FieldText(R.LowerLimit);
    case 10: return FieldText(R.Condition);
    default: return "";
  }
}

namespace {

// libxlsxwriter, and the crypto library it brings along, are loaded on the first
// save, not at start: most sessions never export, and the two cost the program's
// start their relocations and 1.6 MB of memory. Loaded once, they stay.
struct TXlsxWriter {
  decltype(&workbook_new) WorkbookNew;
  decltype(&workbook_add_worksheet) AddWorksheet;
  decltype(&worksheet_write_string) WriteString;
  decltype(&workbook_close) Close;
  decltype(&lxw_strerror) StrError;
};

// The library, or EOleException naming the target Path when it cannot be loaded
// (the next save tries again).
const TXlsxWriter& XlsxWriter(const std::string& Path) {
  static const TXlsxWriter writer = [&Path] {
    auto fail = [&Path](const char* Why) {
      return EOleException("保存工作簿文件失败：" + Path + "\n" + (Why ? Why : DTU_XLSXWRITER_SONAME));
    };
    void* lib = dlopen(DTU_XLSXWRITER_SONAME, RTLD_NOW | RTLD_LOCAL);
    if (!lib) throw fail(dlerror());
    auto get = [&](auto& Fn, const char* Name) {
      Fn = reinterpret_cast<std::remove_reference_t<decltype(Fn)>>(dlsym(lib, Name));
      if (Fn) return;
      EOleException e = fail(dlerror());
      dlclose(lib);  // a broken library is not kept open for the next try
      throw e;
    };
    TXlsxWriter w;
    get(w.WorkbookNew, "workbook_new");
    get(w.AddWorksheet, "workbook_add_worksheet");
    get(w.WriteString, "worksheet_write_string");
    get(w.Close, "workbook_close");
    get(w.StrError, "lxw_strerror");
    return w;
  }();
  return writer;
}

// The writer library writes only to a file it opens by name, and a name in the
// target's folder is what a planted link steers. So it writes into a folder of our
// own (mkdtemp under the temporary folder: mode 0700, which nobody else may enter,
// nor rename in a sticky /tmp), and the finished workbook is read back through that
// folder's descriptor and copied into the safe replacement's temporary file, which
// is never opened by name.
class TPrivateFolder {
public:
  TPrivateFolder() {
    const char* tmp = std::getenv("TMPDIR");
    FPath = std::string(tmp && *tmp == '/' ? tmp : "/tmp") + "/dtu-export-XXXXXX";
    if (!::mkdtemp(FPath.data())) {
      FError = errno;
      return;
    }
    FDir = ::open(FPath.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (FDir < 0) {
      FError = errno;
      ::rmdir(FPath.c_str());
    }
  }
  ~TPrivateFolder() {
    if (FDir < 0) return;
    ::unlinkat(FDir, kBook, 0);
    ::close(FDir);
    ::rmdir(FPath.c_str());
  }
  TPrivateFolder(const TPrivateFolder&) = delete;
  TPrivateFolder& operator=(const TPrivateFolder&) = delete;
  // 0 when the folder is there, else the errno.
  int Error() const { return FDir >= 0 ? 0 : FError ? FError : EIO; }
  std::string BookPath() const { return FPath + "/" + kBook; }
  // Copies the written workbook into File; 0 or the errno.
  int CopyTo(TSafeFile& File) const {
    const int fd = ::openat(FDir, kBook, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno;
    TOnExit closeIt([fd] { ::close(fd); });
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return EINVAL;
    std::string chunk(65536, '\0');
    for (;;) {
      const ssize_t n = ::read(fd, chunk.data(), chunk.size());
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return errno;
      if (n == 0) return 0;
      if (!File.Write(chunk.substr(0, static_cast<size_t>(n)))) return File.Error();
    }
  }

private:
  static constexpr const char* kBook = "book.xlsx";
  std::string FPath;
  int FDir = -1;
  int FError = 0;
};

}  // namespace

std::unique_ptr<TWorkbookAutomation> TWorkbookAutomation::Create() {
  return std::make_unique<TWorkbookAutomation>();
}

void TWorkbookAutomation::WorkbooksAdd(int) {
  FCells.clear();
  FHasWorkbook = true;
}

void TWorkbookAutomation::SetCellValue(int Row, int Column, const std::string& Text) {
  if (!FHasWorkbook) throw EOleException("没有打开的工作簿！");
  if (Row < 1 || Column < 1 || Row > 1048576 || Column > 16384)
    throw EOleException("单元格（" + std::to_string(Row) + ", " + std::to_string(Column) + "）不存在！");
  FCells.push_back({Row, Column, Text});
}

void TWorkbookAutomation::ActiveWorkbookSaveAs(const std::string& Path) {
  if (!FHasWorkbook) throw EOleException("没有打开的工作簿！");
  // Written in a private folder, copied into a temporary beside the target and
  // renamed over it only when complete: the writer truncates its file first, and a
  // failed export must leave an old workbook intact.
  const TXlsxWriter& lxw = XlsxWriter(Path);
  TSafeFile file(GbkToUtf8(Path));
  if (!file.Ok()) throw EOleException("无法创建工作簿文件：" + Path + "\n" + SafeFileFailureText(file));
  TPrivateFolder scratch;
  if (scratch.Error()) throw EOleException("无法创建工作簿文件：" + Path + "\n" + SystemErrorText(scratch.Error()));
  // Cells in row order, each once with its last value: the export sets them in
  // that order already, anything else is sorted (stably, so the last value of a
  // cell set twice comes last among its equals).
  auto before = [](const TCell& A, const TCell& B) {
    return A.Row != B.Row ? A.Row < B.Row : A.Column < B.Column;
  };
  if (!std::is_sorted(FCells.begin(), FCells.end(), before)) std::stable_sort(FCells.begin(), FCells.end(), before);
  lxw_workbook* book = lxw.WorkbookNew(scratch.BookPath().c_str());
  if (!book) throw EOleException("无法创建工作簿文件：" + Path);
  lxw_worksheet* sheet = lxw.AddWorksheet(book, "Sheet1");
  lxw_error error = sheet ? LXW_NO_ERROR : LXW_ERROR_MEMORY_MALLOC_FAILED;
  // ASCII text is UTF-8 as it stands; the same few Chinese texts recur down a
  // column, each converted once.
  std::unordered_map<std::string, std::string> utf8;
  auto ascii = [](const std::string& S) {
    return std::all_of(S.begin(), S.end(), [](char C) { return static_cast<unsigned char>(C) < 0x80; });
  };
  for (size_t i = 0; i < FCells.size() && error == LXW_NO_ERROR; ++i) {
    const TCell& cell = FCells[i];
    if (i + 1 < FCells.size() && !before(cell, FCells[i + 1])) continue;  // set again later
    if (cell.Text.empty()) continue;  // an empty value leaves the cell blank
    const std::string* text = &cell.Text;
    if (!ascii(cell.Text)) {
      auto it = utf8.find(cell.Text);
      if (it == utf8.end()) it = utf8.emplace(cell.Text, GbkToUtf8(cell.Text)).first;
      text = &it->second;
    }
    error = lxw.WriteString(sheet, static_cast<lxw_row_t>(cell.Row - 1),
                            static_cast<lxw_col_t>(cell.Column - 1), text->c_str(), nullptr);
  }
  lxw_error closed = lxw.Close(book);  // writes the file; frees the workbook
  if (error == LXW_NO_ERROR) error = closed;
  if (error != LXW_NO_ERROR) throw EOleException("保存工作簿文件失败：" + Path + "\n" + lxw.StrError(error));
  if (int copied = scratch.CopyTo(file))
    throw EOleException("保存工作簿文件失败：" + Path + "\n" + SystemErrorText(copied));
  if (!file.Commit()) throw EOleException("保存工作簿文件失败：" + Path + "\n" + SafeFileFailureText(file));
}

void TWorkbookAutomation::Quit() {
  FCells.clear();
  FHasWorkbook = false;
}

void ExportVariables(TWorkbookAutomation& Excel, const TVarRecord* Records, int Count,
                     const std::string& Path) {
  Excel.SetVisible(false);
  Excel.WorkbooksAdd(1);
  for (int c = 1; c <= ExportColumns; ++c) Excel.SetCellValue(1, c, ExportHeading(c));
  for (int i = 0; i < Count; ++i)
    for (int c = 1; c <= ExportColumns; ++c) Excel.SetCellValue(i + 2, c, ExportCellText(Records[i], c));
  Excel.ActiveWorkbookSaveAs(Path);
  Excel.Quit();
}
