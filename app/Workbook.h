#pragma once
// The variable table as a workbook for the cloud platform's import: ten text columns,
// a heading row, one row per variable. The workbook object below takes the place of
// the spreadsheet program's automation object: the export makes the same calls in the
// same order, and the file is written with libxlsxwriter when it is saved.
#include <memory>
#include <string>
#include <vector>

#include "app/VarTable.h"
#include "platform/core/exceptions.h"

// A failed workbook call; shown by the application's exception display.
DTU_DECLARE_EXCEPTION(EOleException, Exception)

constexpr int ExportColumns = 10;

// Heading of column 1..10 and the cell text of a record in column 1..10 (GBK).
std::string ExportHeading(int Column);
std::string ExportCellText(const TVarRecord& R, int Column);

class TWorkbookAutomation {
public:
  // The object; unlike a spreadsheet program's, it is always there to start.
  static std::unique_ptr<TWorkbookAutomation> Create();

  void SetVisible(bool Value) { FVisible = Value; }
  // Workbooks.Add: starts a new workbook with one sheet, "Sheet1".
  void WorkbooksAdd(int Sheets);
  // Cells(Row, Column).Value := Text (1-based; GBK text).
  void SetCellValue(int Row, int Column, const std::string& Text);
  // ActiveWorkbook.SaveAs(Path): writes the file (path in GBK); raises EOleException
  // when there is no workbook or the file cannot be written.
  void ActiveWorkbookSaveAs(const std::string& Path);
  // Quit: drops the workbook.
  void Quit();

private:
  struct TCell {
    int Row, Column;
    std::string Text;
  };
  bool FVisible = true;
  bool FHasWorkbook = false;
  // The cells in the order they were set; a later value for the same cell wins.
  std::vector<TCell> FCells;
};

// Steps 4 to 9 of the export: fills and saves the workbook for the table's records.
void ExportVariables(TWorkbookAutomation& Excel, const TVarRecord* Records, int Count,
                     const std::string& Path);
