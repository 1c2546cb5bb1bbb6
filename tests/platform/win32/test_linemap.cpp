// The DCB <-> termios2 rules, without a device.
#include <gtest/gtest.h>

#include "platform/win32/linemap.h"

namespace {

DCB Line(DWORD Baud, BYTE Size, BYTE Parity, BYTE Stop) {
  DCB d;
  d.BaudRate = Baud;
  d.fBinary = 1;
  d.fDtrControl = DTR_CONTROL_ENABLE;
  d.fRtsControl = RTS_CONTROL_ENABLE;
  d.ByteSize = Size;
  d.Parity = Parity;
  d.StopBits = Stop;
  d.XonChar = 0x11;
  d.XoffChar = 0x13;
  return d;
}

TEST(LineMap, SettingsBecomeRawTermiosWithAnyRate) {
  struct Case {
    DCB Dcb;
    tcflag_t Want;  // among CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS
  } cases[] = {
      {Line(115200, 8, NOPARITY, ONESTOPBIT), CS8},
      {Line(56000, 7, MARKPARITY, TWOSTOPBITS), CS7 | PARENB | PARODD | CMSPAR | CSTOPB},
      {Line(300, 7, SPACEPARITY, ONESTOPBIT), CS7 | PARENB | CMSPAR},
      {Line(9600, 6, ODDPARITY, ONESTOPBIT), CS6 | PARENB | PARODD},
      {Line(9600, 8, EVENPARITY, TWOSTOPBITS), CS8 | PARENB | CSTOPB},
      {Line(110, 5, NOPARITY, ONE5STOPBITS), CS5 | CSTOPB},  // 1.5 stop bits
  };
  for (const Case& c : cases) {
    termios2 cur{}, out{};
    cur.c_lflag = ICANON | ECHO | ISIG;
    cur.c_iflag = ICRNL | IXON;
    cur.c_oflag = OPOST | ONLCR;
    ASSERT_TRUE(DcbToTermios(c.Dcb, cur, out)) << c.Dcb.BaudRate;
    const tcflag_t line = CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS;
    EXPECT_EQ(out.c_cflag & line, c.Want) << c.Dcb.BaudRate;
    EXPECT_EQ(out.c_cflag & CBAUD, tcflag_t(BOTHER));
    EXPECT_EQ(out.c_ospeed, c.Dcb.BaudRate);
    EXPECT_EQ(out.c_ispeed, c.Dcb.BaudRate);
    EXPECT_TRUE(out.c_cflag & CREAD);
    EXPECT_TRUE(out.c_cflag & CLOCAL);
    EXPECT_EQ(out.c_lflag, 0u);  // no echo, no line editing, no signals
    EXPECT_EQ(out.c_oflag, 0u);
    EXPECT_EQ(out.c_iflag, 0u);  // no CR/LF translation, no flow control asked
    EXPECT_EQ(out.c_cc[VMIN], 1);

    DCB back;
    TermiosToDcb(out, back);
    EXPECT_EQ(back.BaudRate, c.Dcb.BaudRate);
    EXPECT_EQ(back.ByteSize, c.Dcb.ByteSize);
    EXPECT_EQ(back.Parity, c.Dcb.Parity);
    EXPECT_EQ(back.StopBits, c.Dcb.StopBits);
  }
}

TEST(LineMap, FlowControlAndParityCheckingMapToTheirFlags) {
  DCB d = Line(19200, 8, NOPARITY, ONESTOPBIT);
  d.fOutxCtsFlow = 1;
  d.fRtsControl = RTS_CONTROL_HANDSHAKE;
  d.fOutX = 1;
  d.fInX = 1;
  d.fParity = 1;
  termios2 cur{}, out{};
  ASSERT_TRUE(DcbToTermios(d, cur, out));
  EXPECT_TRUE(out.c_cflag & CRTSCTS);
  EXPECT_EQ(out.c_iflag, tcflag_t(IXON | IXOFF | INPCK));
  EXPECT_EQ(out.c_cc[VSTART], 0x11);
  EXPECT_EQ(out.c_cc[VSTOP], 0x13);
  DCB back = Line(0, 0, 0, 0);
  TermiosToDcb(out, back);
  EXPECT_EQ(back.fOutxCtsFlow, 1u);
  EXPECT_EQ(back.fRtsControl, DWORD(RTS_CONTROL_HANDSHAKE));
  EXPECT_EQ(back.fOutX, 1u);
  EXPECT_EQ(back.fInX, 1u);
  EXPECT_EQ(back.fParity, 1u);
}

TEST(LineMap, SettingsNoLineCanDoAreRefused) {
  struct Case {
    const char* What;
    DCB Dcb;
  } cases[] = {
      {"baud 0 hangs up", Line(0, 8, NOPARITY, ONESTOPBIT)},
      {"4 data bits", Line(9600, 4, NOPARITY, ONESTOPBIT)},
      {"9 data bits", Line(9600, 9, NOPARITY, ONESTOPBIT)},
      {"parity 5", Line(9600, 8, 5, ONESTOPBIT)},
      {"stop bits 3", Line(9600, 8, NOPARITY, 3)},
      {"1.5 stop with 8 data", Line(9600, 8, NOPARITY, ONE5STOPBITS)},
      {"1.5 stop with 7 data", Line(9600, 7, NOPARITY, ONE5STOPBITS)},
      {"2 stop with 5 data", Line(9600, 5, NOPARITY, TWOSTOPBITS)},
  };
  for (const Case& c : cases) {
    termios2 cur{}, out{};
    EXPECT_FALSE(DcbToTermios(c.Dcb, cur, out)) << c.What;
  }
  DCB dsr = Line(9600, 8, NOPARITY, ONESTOPBIT);
  dsr.fOutxDsrFlow = 1;
  termios2 cur{}, out{};
  EXPECT_FALSE(DcbToTermios(dsr, cur, out));
}

TEST(LineMap, ReadBackComparesWhatTheDriverKeeps) {
  termios2 want{};
  DCB d = Line(56000, 7, MARKPARITY, TWOSTOPBITS);
  d.fOutxCtsFlow = 1;
  ASSERT_TRUE(DcbToTermios(d, termios2{}, want));
  struct Case {
    const char* What;
    tcflag_t ClearBits, SetBits;
    speed_t Speed;
    bool Pty;
    bool Taken;
  } cases[] = {
      {"identical", 0, 0, 56000, false, true},
      {"rate 2% off (UART divisor)", 0, 0, 57000, false, true},
      {"rate 10% off", 0, 0, 61600, false, false},
      {"mark parity dropped", CMSPAR, 0, 56000, false, false},
      {"8 data bits instead of 7", CSIZE, CS8, 56000, false, false},
      {"stop bits dropped", CSTOPB, 0, 56000, false, false},
      {"RTS/CTS dropped", CRTSCTS, 0, 56000, false, false},
      // A pseudo-terminal always carries 8-bit bytes: size and parity are its own.
      {"pty forces CS8 without parity", CSIZE | PARENB, CS8, 56000, true, true},
      {"pty still keeps stop bits", CSTOPB, 0, 56000, true, false},
  };
  for (const Case& c : cases) {
    termios2 got = want;
    got.c_cflag = (got.c_cflag & ~c.ClearBits) | c.SetBits;
    got.c_ospeed = got.c_ispeed = c.Speed;
    EXPECT_EQ(TermiosTaken(want, got, c.Pty), c.Taken) << c.What;
  }
}

}  // namespace
