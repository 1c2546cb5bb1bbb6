#include "app/DeviceCommands.h"

#include <algorithm>

#include "app/SafeFile.h"
#include "platform/core/gbk.h"
#include "serial/portfailure.h"

const char* const CmdEnterConfig = "+++++\n";
const char* const ReplyConfigMode = "4G DTU Enter Config Mode OK";
const char* const CmdReboot = "AT+REBOOT\r\n";
const char* const CmdModuleInfo = "AT+MINFO\r\n";
const char* const CmdSignal = "AT+CSQ?\r\n";

void TReplyText::Append(const char* Piece, int Count) {
  int start = 0;
  while (start < Count && Piece[start] == '\0') ++start;
  int end = start;
  while (end < Count && Piece[end] != '\0') ++end;
  FText.append(Piece + start, static_cast<size_t>(end - start));
  if (FText.size() > Capacity) FText.erase(0, FText.size() - Capacity);
}

bool WriteWholeCommand(TCommandPort& Port, const std::string& Command, const TCommandTiming& Timing) {
  size_t done = 0;
  uint32_t start = Timing.Tick();
  while (done < Command.size()) {
    int n = Port.Write(Command.data() + done, static_cast<int>(Command.size() - done));
    if (n > 0) done += static_cast<size_t>(n);
    if (done >= Command.size()) break;
    if (Timing.Tick() - start >= 1000) return false;
    Timing.Sleep(10);
  }
  return true;
}

std::string QueryDevice(TCommandPort& Port, const std::string& Command, uint32_t WaitMs,
                        const TCommandTiming& Timing) {
  Port.PurgeRead();
  if (!WriteWholeCommand(Port, Command, Timing)) return {};
  Timing.Sleep(WaitMs);
  if (!Port.Active()) return {};  // the port went away meanwhile
  char reply[1000];
  int n = Port.Read(reply, sizeof reply);
  std::string text(reply, static_cast<size_t>(std::max(n, 0)));
  return text.substr(0, text.find('\0'));
}

bool SendCommandWaitOK(TCommandPort& Port, const std::string& Command, const std::string& Success,
                       const std::string& Error, const TCommandTiming& Timing) {
  TReplyText reply;
  char piece[100];
  for (int attempt = 0; attempt < 3; ++attempt) {
    Port.PurgeRead();
    reply.Clear();
    if (!WriteWholeCommand(Port, Command, Timing)) continue;
    for (int poll = 0; poll < 10; ++poll) {
      Timing.Sleep(200);
      // A port closed meanwhile (its device went away) gets no answer: no waiting
      // out the attempts.
      if (!Port.Active()) return false;
      int n = Port.Read(piece, sizeof piece);
      if (n <= 0) continue;
      reply.Append(piece, n);
      if (reply.Contains(Success)) return true;
      if (!Error.empty() && reply.Contains(Error)) break;
    }
  }
  return false;
}

std::vector<std::string> SetupCommands(const TLineTexts& Line) {
  const std::string addr = FieldText(CloudAddr), port = FieldText(CloudPort),
                    id = FieldText(CloudDeviceId), key = FieldText(CloudKey);
  return {
      "AT+CLRVAR?\r\n",
      "AT+DSCADDR@" + addr + "," + port + "," + id + "," + key + ",20\r\n",
      "AT+DTUID@" + id + "\r\n",
      "AT+UARTCFG@" + Line.Baud + "," + Line.Bits + "," + std::to_string(Line.ParityIndex) + "," +
          Line.Stop + ",120,0,2\r\n",
      "AT+HEARTIME@" + Line.Interval + "\r\n",
      "AT+PLCFG@" + std::to_string(PlcRegStart) + "," + std::to_string(PlcStation) + "\r\n",
      "AT+SETBADDR@" + std::to_string(PlcCoilStart) + ",0\r\n",
  };
}

std::string VariableCommand(const TVarRecord& R) {
  const char* verb = VarTypeCode(R) == 0 ? "AT+SETBVAR@" : "AT+SETVAR@";
  return verb + std::to_string(WindowOffset(R)) + "," + FieldText(R.Name) + "," +
         std::to_string(VarDecimals(R)) + "\r\n";
}

std::string CheckDownloadFields(const TLineTexts& Line) {
  const std::pair<const char*, std::string> fields[] = {
      {"域名", FieldText(CloudAddr)},   {"端口号", FieldText(CloudPort)},
      {"设备ID", FieldText(CloudDeviceId)}, {"设备密钥", FieldText(CloudKey)},
      {"波特率", Line.Baud},           {"数据位", Line.Bits},
      {"停止位", Line.Stop},           {"设备定时上传时间", Line.Interval},
  };
  auto unfit = [](const std::string& Text) {
    for (unsigned char c : Text)
      if (c < 0x20 || c == 0x7F || c == ',') return true;
    return false;
  };
  for (const auto& [name, text] : fields)
    if (unfit(text)) return std::string("“") + name + "”含有逗号或控制字符，不能下载！";
  // Names typed in the dialog are letters and digits; a file made elsewhere may hold more.
  for (int i = 0; i < VarCount; ++i)
    if (unfit(FieldText(VarTable[i].Name)))
      return "第" + std::to_string(i + 1) + "行的“变量名称”含有逗号或控制字符，不能下载！";
  return {};
}

int DownloadStep(int Count) { return 1000 / (Count + 7); }

int ProgressPosition(int Done, int Count) {
  int step = DownloadStep(Count);
  if (step == 0) return Done * 100 / (Count + 7);
  return Done * step / 10;
}

std::string PortGoneText(const std::string& Port) {
  return "串口“" + Port + "”已断开，已被关闭！请检查串口线和USB转串口适配器是否连接好，然后重新打开串口。";
}

std::string PortOpenFailureText(const std::string& Message, int OsError, const std::string& DevicePath,
                                const std::string& Refusal) {
  return PortOpenFailureText(Message, OsError, DevicePath, 2052, Refusal);
}
