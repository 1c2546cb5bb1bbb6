#pragma once
// Taking the communication page's values into the settings, and checking every
// variable against its address window before the settings are used.
#include <string>

// The page's values as its controls hold them.
struct TPageValues {
  int BaudIndex = 0, BitsIndex = 1, ParityIndex = 0, StopIndex = 0;  // line combos
  std::string Station = "1", RegStart = "0", CoilStart = "0";        // number edits
  std::string Addr, Port, DeviceId, Key;                             // cloud edits
  double Interval = 6;                                               // spin edit value
};

// The serial settings word of the line combos' indexes.
uint16_t SerialWordOf(int BaudIndex, int BitsIndex, int ParityIndex, int StopIndex);

// A 16-bit signed setting typed as text: the class library's integer conversion,
// then a range check instead of a silent cut (EConvertError names value and range).
int16_t SettingFromText(const std::string& Text);

// Copies the page into the settings, in order (serial word, station, register and coil
// window starts, the cloud texts, the upload interval), then checks every variable
// against the windows typed on the page. Returns 0, or 1 at the first variable out of
// its window. A number that cannot be converted raises EConvertError before any
// setting is assigned.
int CollectSettingsFrom(const TPageValues& Page);
