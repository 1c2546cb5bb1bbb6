#pragma once
// The application's working data: the variable table, the dialog hand-over values and
// the device settings, shared by the main window, the dialogs, the project file, the
// download and the export. One copy, module-level, as the forms expect.
#include <array>
#include <cstdint>
#include <string>

#pragma pack(push, 1)
// One PLC variable: 118 bytes, little-endian; the same bytes are stored in project files.
struct TVarRecord {
  uint16_t Address;      // PLC address as typed, cut to 16 bits
  uint8_t Reserved;      // kept as loaded
  uint8_t Format;        // bit 0 reserved, bits 1-3 data type code, bits 4-7 decimals
  char Name[12];
  uint8_t ReadWrite;     // 0 read-only, 1 read/write
  uint8_t Security;      // 0 off, 1 on
  uint8_t Store;         // 0 not stored, 1 stored
  char Unit[10];
  char Period[10];       // collection period in minutes
  char UpperLimit[14];
  char LowerLimit[14];
  char Condition[51];
};
#pragma pack(pop)
static_assert(sizeof(TVarRecord) == 118, "TVarRecord must keep its 118-byte file layout");

constexpr int MaxVarCount = 1000;
constexpr int PortNameCount = 30;
constexpr int CloudTextSize = 50;     // 49 bytes and the terminator
constexpr int WindowSize = 128;       // addresses in the register and the coil window

// The variable table and the dialog hand-over values.
extern TVarRecord VarTable[MaxVarCount];
extern uint16_t VarCount;
extern int16_t SelIndex;
extern uint8_t DlgAccepted;
// The device settings.
extern uint16_t PlcSerialWord;
extern int16_t PlcStation;
extern int16_t UploadInterval;
extern int16_t PlcRegStart;
extern int16_t PlcCoilStart;
extern char CloudAddr[CloudTextSize];
extern char CloudPort[CloudTextSize];
extern char CloudDeviceId[CloudTextSize];
extern char CloudKey[CloudTextSize];
extern std::string ProjectFileName;
extern std::string PortNames[PortNameCount];

// Puts every module-level value back to its start value (program start; tests).
void ResetAppState();
// The five settings numbers at their program start values.
void ResetSettingsNumbers();
// The five settings numbers of a new project: what the communication page shows after
// a fresh start (9600 baud 8N1, station 1, both windows at 0, interval 6), so a new
// project never sends the broadcast station 0.
void NewProjectSettingsNumbers();

// Field access of a record.
inline int VarTypeCode(const TVarRecord& R) { return (R.Format >> 1) & 7; }
inline int VarDecimals(const TVarRecord& R) { return R.Format >> 4; }
void SetVarTypeCode(TVarRecord& R, int Code);
void SetVarDecimals(TVarRecord& R, int Decimals);

// A fixed text field read up to its terminator, or to the field's end when it has none.
template <size_t N>
std::string FieldText(const char (&Field)[N]) {
  size_t n = 0;
  while (n < N && Field[n] != '\0') ++n;
  return std::string(Field, n);
}
// Stores Text and its terminator; the bytes after the terminator stay as they were.
// A text longer than the field holds is cut to fit, never split inside a character.
void SetFieldText(char* Field, size_t FieldSize, const std::string& Text);
template <size_t N>
void SetFieldText(char (&Field)[N], const std::string& Text) { SetFieldText(Field, N, Text); }

// Whether a variable of type code TypeCode at Address lies in its window.
bool AddressInWindow(int TypeCode, long long Address);
// The variable's offset in its window, counted from 1.
int WindowOffset(const TVarRecord& R);

// Labels of the data types (GBK): the set shown after a dialog and the one shown
// after a project is opened, and the workbook's type names.
enum class TTypeLabels { tlDialog, tlOpened };
std::string TypeLabel(int TypeCode, TTypeLabels Set);
std::string ExportTypeLabel(const TVarRecord& R);

// The twelve texts of a list row, in column order.
std::array<std::string, 12> VarRowTexts(const TVarRecord& R, TTypeLabels Set);
