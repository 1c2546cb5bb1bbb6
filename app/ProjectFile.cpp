#include "app/ProjectFile.h"

#include <cstring>

#include "app/SafeFile.h"
#include "platform/core/gbk.h"

namespace {

void Put16(std::string& Out, uint16_t V) {
  Out.push_back(static_cast<char>(V & 0xFF));
  Out.push_back(static_cast<char>(V >> 8));
}

uint16_t Get16(const std::string& In, size_t At) {
  return static_cast<uint16_t>(static_cast<unsigned char>(In[At]) |
                               (static_cast<unsigned char>(In[At + 1]) << 8));
}

void PutRecord(std::string& Out, const TVarRecord& R) {
  // The record's layout is its file layout; only the address needs byte order care.
  TVarRecord copy = R;
  unsigned char bytes[sizeof(TVarRecord)];
  std::memcpy(bytes, &copy, sizeof bytes);
  bytes[0] = static_cast<unsigned char>(R.Address & 0xFF);
  bytes[1] = static_cast<unsigned char>(R.Address >> 8);
  Out.append(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

TVarRecord GetRecord(const std::string& In, size_t At) {
  TVarRecord r;
  std::memcpy(&r, In.data() + At, sizeof r);
  r.Address = Get16(In, At);
  return r;
}

}  // namespace

TProjectData CaptureProject() {
  TProjectData d;
  d.SerialWord = PlcSerialWord;
  d.Station = PlcStation;
  d.RegStart = PlcRegStart;
  d.CoilStart = PlcCoilStart;
  d.Interval = UploadInterval;
  std::memcpy(d.Addr, CloudAddr, CloudTextSize);
  std::memcpy(d.Port, CloudPort, CloudTextSize);
  std::memcpy(d.DeviceId, CloudDeviceId, CloudTextSize);
  std::memcpy(d.Key, CloudKey, CloudTextSize);
  d.Vars.assign(VarTable, VarTable + VarCount);
  return d;
}

void ApplyProject(const TProjectData& Data) {
  PlcSerialWord = Data.SerialWord;
  PlcStation = Data.Station;
  PlcRegStart = Data.RegStart;
  PlcCoilStart = Data.CoilStart;
  UploadInterval = Data.Interval;
  std::memcpy(CloudAddr, Data.Addr, CloudTextSize);
  std::memcpy(CloudPort, Data.Port, CloudTextSize);
  std::memcpy(CloudDeviceId, Data.DeviceId, CloudTextSize);
  std::memcpy(CloudKey, Data.Key, CloudTextSize);
  size_t n = std::min<size_t>(Data.Vars.size(), MaxVarCount);
  std::copy(Data.Vars.begin(), Data.Vars.begin() + static_cast<long>(n), VarTable);
  VarCount = static_cast<uint16_t>(n);
}

std::string EncodeProject(const TProjectData& Data) {
  std::string out;
  out.reserve(ProjectHeaderSize + sizeof(TVarRecord) * Data.Vars.size());
  Put16(out, Data.SerialWord);
  Put16(out, static_cast<uint16_t>(Data.Station));
  Put16(out, static_cast<uint16_t>(Data.RegStart));
  Put16(out, static_cast<uint16_t>(Data.CoilStart));
  Put16(out, static_cast<uint16_t>(Data.Interval));
  for (const char* text : {Data.Addr, Data.Port, Data.DeviceId, Data.Key}) out.append(text, CloudTextSize);
  Put16(out, static_cast<uint16_t>(Data.Vars.size()));
  for (const TVarRecord& r : Data.Vars) PutRecord(out, r);
  return out;
}

TProjectResult DecodeProject(const std::string& Bytes, TProjectData& Data) {
  if (Bytes.size() < ProjectHeaderSize) return TProjectResult::prBadFormat;
  uint16_t count = Get16(Bytes, 210);
  if (count > MaxVarCount) return TProjectResult::prBadFormat;
  if (Bytes.size() < ProjectHeaderSize + sizeof(TVarRecord) * count) return TProjectResult::prBadFormat;
  TProjectData d;
  d.SerialWord = Get16(Bytes, 0);
  d.Station = static_cast<int16_t>(Get16(Bytes, 2));
  d.RegStart = static_cast<int16_t>(Get16(Bytes, 4));
  d.CoilStart = static_cast<int16_t>(Get16(Bytes, 6));
  d.Interval = static_cast<int16_t>(Get16(Bytes, 8));
  std::memcpy(d.Addr, Bytes.data() + 10, CloudTextSize);
  std::memcpy(d.Port, Bytes.data() + 60, CloudTextSize);
  std::memcpy(d.DeviceId, Bytes.data() + 110, CloudTextSize);
  std::memcpy(d.Key, Bytes.data() + 160, CloudTextSize);
  d.Vars.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    TVarRecord r = GetRecord(Bytes, ProjectHeaderSize + i * sizeof(TVarRecord));
    if (VarTypeCode(r) > 4 || VarDecimals(r) > 4) return TProjectResult::prBadFormat;
    d.Vars.push_back(r);
  }
  Data = std::move(d);
  return TProjectResult::prOk;
}

TProjectResult ReadProjectFile(const std::string& Path, TProjectData& Data) {
  // Never more than the largest table: trailing bytes are ignored anyway. Anything
  // but a regular file (a FIFO with no writer, a device) is refused without blocking.
  std::string bytes;
  if (ReadRegularFile(GbkToUtf8(Path), bytes, ProjectHeaderSize + sizeof(TVarRecord) * MaxVarCount) != 0)
    return TProjectResult::prCannotOpen;
  return DecodeProject(bytes, Data);
}

TProjectResult WriteProjectFile(const std::string& Path, const TProjectData& Data, std::string* Reason) {
  TSafeFile file(GbkToUtf8(Path));
  if (!file.Write(EncodeProject(Data)) || !file.Commit()) {
    if (Reason && (file.Error() != 0 || !file.Refusal().empty())) *Reason = SafeFileFailureText(file);
    return TProjectResult::prCannotWrite;
  }
  return TProjectResult::prOk;
}

std::string SaveFailureMessage(const std::string& Path, const std::string& Reason) {
  std::string text = ProjectResultMessage(TProjectResult::prCannotWrite) + "\n" + Path;
  if (!Reason.empty()) text += "\n" + Reason;
  return text;
}

std::string ProjectResultMessage(TProjectResult Result) {
  switch (Result) {
    case TProjectResult::prCannotOpen: return "打开文件失败！";
    case TProjectResult::prBadFormat: return "文件格式错误！";
    case TProjectResult::prCannotWrite: return "保存文件失败！";
    default: return {};
  }
}
