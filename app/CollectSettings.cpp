#include "app/CollectSettings.h"

#include <cmath>

#include "app/VarTable.h"
#include "platform/core/sysutils.h"

uint16_t SerialWordOf(int BaudIndex, int BitsIndex, int ParityIndex, int StopIndex) {
  static const int baudCodes[] = {2, 4, 5, 7, 9};
  // A baud index the combo cannot produce falls back to 9600's code.
  int code = BaudIndex >= 0 && BaudIndex <= 4 ? baudCodes[BaudIndex] : 2;
  return static_cast<uint16_t>(((BitsIndex & 0x3F) << 4) | (code << 10) | ((ParityIndex & 3) << 2) |
                               (StopIndex & 3));
}

int16_t SettingFromText(const std::string& Text) {
  int v = StrToInt(Text);
  if (v < -32768 || v > 32767)
    throw EConvertError("“" + Trim(Text) + "”超出范围，请输入 -32768 到 32767 之间的整数！");
  return static_cast<int16_t>(v);
}

int CollectSettingsFrom(const TPageValues& Page) {
  // Every number is converted before any setting changes: a typing error leaves the
  // settings as they were, not half taken.
  const int16_t station = SettingFromText(Page.Station);
  const int16_t reg = SettingFromText(Page.RegStart);
  const int16_t coil = SettingFromText(Page.CoilStart);
  PlcSerialWord = SerialWordOf(Page.BaudIndex, Page.BitsIndex, Page.ParityIndex, Page.StopIndex);
  PlcStation = station;
  PlcRegStart = reg;
  PlcCoilStart = coil;
  SetFieldText(CloudAddr, Page.Addr);
  SetFieldText(CloudPort, Page.Port);
  SetFieldText(CloudDeviceId, Page.DeviceId);
  SetFieldText(CloudKey, Page.Key);
  UploadInterval = static_cast<int16_t>(static_cast<long long>(std::trunc(Page.Interval)));
  // The windows are those typed on the page.
  for (int i = 0; i < VarCount; ++i) {
    const TVarRecord& r = VarTable[i];
    long long start = VarTypeCode(r) == 0 ? coil : reg;
    if (r.Address < start || r.Address > start + WindowSize - 1) return 1;
  }
  return 0;
}
