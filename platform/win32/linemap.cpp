#include "platform/win32/linemap.h"

namespace {
constexpr tcflag_t kLineFlags = CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS;
}

bool DcbToTermios(const DCB& Dcb, const termios2& Current, termios2& Out) {
  if (Dcb.BaudRate == 0) return false;
  if (Dcb.ByteSize < 5 || Dcb.ByteSize > 8) return false;
  if (Dcb.Parity > SPACEPARITY || Dcb.StopBits > TWOSTOPBITS) return false;
  if (Dcb.StopBits == ONE5STOPBITS && Dcb.ByteSize != 5) return false;
  if (Dcb.StopBits == TWOSTOPBITS && Dcb.ByteSize == 5) return false;
  if (Dcb.fOutxDsrFlow || Dcb.fDtrControl == DTR_CONTROL_HANDSHAKE) return false;

  termios2 t = Current;
  t.c_iflag = 0;
  if (Dcb.fParity) t.c_iflag |= INPCK;
  if (Dcb.fOutX) t.c_iflag |= IXON;
  if (Dcb.fInX) t.c_iflag |= IXOFF;
  t.c_oflag = 0;
  t.c_lflag = 0;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  t.c_cc[VSTART] = static_cast<cc_t>(Dcb.XonChar);
  t.c_cc[VSTOP] = static_cast<cc_t>(Dcb.XoffChar);

  tcflag_t c = CREAD | CLOCAL | HUPCL | BOTHER | (BOTHER << IBSHIFT);
  static const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
  c |= sizes[Dcb.ByteSize - 5];
  switch (Dcb.Parity) {
    case ODDPARITY: c |= PARENB | PARODD; break;
    case EVENPARITY: c |= PARENB; break;
    case MARKPARITY: c |= PARENB | CMSPAR | PARODD; break;
    case SPACEPARITY: c |= PARENB | CMSPAR; break;
    default: break;
  }
  // With 5 data bits the line's "two stop bits" are 1.5.
  if (Dcb.StopBits != ONESTOPBIT) c |= CSTOPB;
  if (Dcb.fOutxCtsFlow || Dcb.fRtsControl == RTS_CONTROL_HANDSHAKE) c |= CRTSCTS;
  t.c_cflag = c;
  t.c_ispeed = Dcb.BaudRate;
  t.c_ospeed = Dcb.BaudRate;
  Out = t;
  return true;
}

void TermiosToDcb(const termios2& T, DCB& Dcb) {
  Dcb.DCBlength = sizeof(DCB);
  Dcb.BaudRate = T.c_ospeed;
  Dcb.fBinary = 1;
  Dcb.fParity = (T.c_iflag & INPCK) ? 1 : 0;
  switch (T.c_cflag & CSIZE) {
    case CS5: Dcb.ByteSize = 5; break;
    case CS6: Dcb.ByteSize = 6; break;
    case CS7: Dcb.ByteSize = 7; break;
    default: Dcb.ByteSize = 8; break;
  }
  if (!(T.c_cflag & PARENB)) Dcb.Parity = NOPARITY;
  else if (T.c_cflag & CMSPAR) Dcb.Parity = (T.c_cflag & PARODD) ? MARKPARITY : SPACEPARITY;
  else Dcb.Parity = (T.c_cflag & PARODD) ? ODDPARITY : EVENPARITY;
  if (!(T.c_cflag & CSTOPB)) Dcb.StopBits = ONESTOPBIT;
  else Dcb.StopBits = Dcb.ByteSize == 5 ? ONE5STOPBITS : TWOSTOPBITS;
  if (T.c_cflag & CRTSCTS) {
    Dcb.fOutxCtsFlow = 1;
    Dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
  } else {
    Dcb.fOutxCtsFlow = 0;
    if (Dcb.fRtsControl == RTS_CONTROL_HANDSHAKE) Dcb.fRtsControl = RTS_CONTROL_ENABLE;
  }
  Dcb.fOutxDsrFlow = 0;
  Dcb.fOutX = (T.c_iflag & IXON) ? 1 : 0;
  Dcb.fInX = (T.c_iflag & IXOFF) ? 1 : 0;
  Dcb.XonChar = static_cast<char>(T.c_cc[VSTART]);
  Dcb.XoffChar = static_cast<char>(T.c_cc[VSTOP]);
}

bool TermiosTaken(const termios2& Wanted, const termios2& Got, bool PseudoTerminal) {
  tcflag_t mask = kLineFlags;
  if (PseudoTerminal) mask &= ~(CSIZE | PARENB | PARODD | CMSPAR);
  else if (!(Wanted.c_cflag & PARENB)) mask &= ~(PARODD | CMSPAR);
  if ((Wanted.c_cflag & mask) != (Got.c_cflag & mask)) return false;
  const tcflag_t iflags = INPCK | IXON | IXOFF;
  if ((Wanted.c_iflag & iflags) != (Got.c_iflag & iflags)) return false;
  auto close = [](speed_t want, speed_t got) {
    double d = static_cast<double>(got) - static_cast<double>(want);
    return d * d <= 0.03 * 0.03 * static_cast<double>(want) * static_cast<double>(want);
  };
  return close(Wanted.c_ospeed, Got.c_ospeed) && close(Wanted.c_ispeed, Got.c_ispeed);
}
