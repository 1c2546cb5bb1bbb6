#include "app/VarTable.h"

#include <cstring>

#include "platform/core/gbk.h"

TVarRecord VarTable[MaxVarCount];
uint16_t VarCount = 0;
int16_t SelIndex = 0;
uint8_t DlgAccepted = 0;
uint16_t PlcSerialWord = 0x0800;
int16_t PlcStation = 0;
int16_t UploadInterval = 5;
int16_t PlcRegStart = 0;
int16_t PlcCoilStart = 0;
char CloudAddr[CloudTextSize];
char CloudPort[CloudTextSize];
char CloudDeviceId[CloudTextSize];
char CloudKey[CloudTextSize];
std::string ProjectFileName;
std::string PortNames[PortNameCount];

void ResetSettingsNumbers() {
  PlcSerialWord = 0x0800;
  PlcStation = 0;
  UploadInterval = 5;
  PlcRegStart = 0;
  PlcCoilStart = 0;
}

void NewProjectSettingsNumbers() {
  PlcSerialWord = 0x0810;
  PlcStation = 1;
  UploadInterval = 6;
  PlcRegStart = 0;
  PlcCoilStart = 0;
}

void ResetAppState() {
  std::memset(VarTable, 0, sizeof VarTable);
  VarCount = 0;
  SelIndex = 0;
  DlgAccepted = 0;
  ResetSettingsNumbers();
  std::memset(CloudAddr, 0, sizeof CloudAddr);
  std::memset(CloudPort, 0, sizeof CloudPort);
  std::memset(CloudDeviceId, 0, sizeof CloudDeviceId);
  std::memset(CloudKey, 0, sizeof CloudKey);
  ProjectFileName.clear();
  for (auto& p : PortNames) p.clear();
}

void SetVarTypeCode(TVarRecord& R, int Code) {
  R.Format = static_cast<uint8_t>((R.Format & ~0x0E) | ((Code & 7) << 1));
}

void SetVarDecimals(TVarRecord& R, int Decimals) {
  R.Format = static_cast<uint8_t>((R.Format & 0x0F) | ((Decimals & 15) << 4));
}

void SetFieldText(char* Field, size_t FieldSize, const std::string& Text) {
  if (FieldSize == 0) return;
  std::string t = GbkTruncate(Text.substr(0, Text.find('\0')), FieldSize - 1);
  std::memcpy(Field, t.data(), t.size());
  Field[t.size()] = '\0';
}

bool AddressInWindow(int TypeCode, long long Address) {
  long long start = TypeCode == 0 ? PlcCoilStart : PlcRegStart;
  return Address >= start && Address <= start + WindowSize - 1;
}

int WindowOffset(const TVarRecord& R) {
  int start = VarTypeCode(R) == 0 ? PlcCoilStart : PlcRegStart;
  return static_cast<int>(R.Address) - start + 1;
}

std::string TypeLabel(int TypeCode, TTypeLabels Set) {
  static const char* const dialog[] = {"位变量", "无符号16位", "有符号16位", "无符号32位", "有符号32位"};
  static const char* const opened[] = {"线圈", "无符号16位整数", "有符号16位整数", "无符号32位整数",
                                       "有符号32位整数"};
  if (TypeCode < 0 || TypeCode > 4) return {};
  return Set == TTypeLabels::tlDialog ? dialog[TypeCode] : opened[TypeCode];
}

std::string ExportTypeLabel(const TVarRecord& R) {
  static const char* const names[] = {"bool", "uint16", "int16", "uint32", "int32"};
  if (VarDecimals(R) != 0) return "float32";
  int code = VarTypeCode(R);
  return code <= 4 ? names[code] : "";
}

std::array<std::string, 12> VarRowTexts(const TVarRecord& R, TTypeLabels Set) {
  std::array<std::string, 12> t;
  int code = VarTypeCode(R);
  t[0] = code == 0 ? "0X(M)" + std::to_string(R.Address % 16384) : "4X(D)" + std::to_string(R.Address);
  t[1] = TypeLabel(code, Set);
  t[2] = std::to_string(VarDecimals(R));
  t[3] = FieldText(R.Name);
  t[4] = FieldText(R.Unit);
  t[5] = R.ReadWrite ? "读写" : "只读";
  t[6] = R.Security ? "启用" : "不启用";
  t[7] = R.Store ? "存储" : "不存储";
  t[8] = R.Store ? FieldText(R.Period) + "分钟" : "";
  t[9] = FieldText(R.UpperLimit);
  t[10] = FieldText(R.LowerLimit);
  t[11] = FieldText(R.Condition);
  return t;
}
