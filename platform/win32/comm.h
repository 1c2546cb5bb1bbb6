#pragma once
// Serial ports with the system's communications calls, over Linux terminals.
// A port is opened non-blocking and locked against a second opener; its line
// settings (DCB) go through termios2, so any baud rate and mark/space parity work.
// Waits are poll() on the port and on events, never a sleep loop. Modem lines are
// best effort: pseudo-terminals have none; a thread waits for their changes in the
// driver (TIOCMIWAIT) where it can.
//
// Port names: "\\.\COM3", "COM3", "ttyUSB0" or "/dev/pts/5". A COMn name is looked
// up in the serial device map (devicemap.h); another name is a device under /dev,
// an absolute path is used as it is.
#include <cstddef>
#include <string>

#include "platform/win32/handles.h"
#include "platform/win32/wintypes.h"

// The line-state record, 28 bytes as the system stores it.
struct DCB {
  DWORD DCBlength = sizeof(DCB);
  DWORD BaudRate = 0;
  DWORD fBinary : 1 = 0;
  DWORD fParity : 1 = 0;            // check parity of received bytes
  DWORD fOutxCtsFlow : 1 = 0;
  DWORD fOutxDsrFlow : 1 = 0;       // not available on Linux: refused
  DWORD fDtrControl : 2 = 0;
  DWORD fDsrSensitivity : 1 = 0;
  DWORD fTXContinueOnXoff : 1 = 0;
  DWORD fOutX : 1 = 0;
  DWORD fInX : 1 = 0;
  DWORD fErrorChar : 1 = 0;
  DWORD fNull : 1 = 0;
  DWORD fRtsControl : 2 = 0;
  DWORD fAbortOnError : 1 = 0;
  DWORD fDummy2 : 17 = 0;
  WORD wReserved = 0;
  WORD XonLim = 0;
  WORD XoffLim = 0;
  BYTE ByteSize = 0;
  BYTE Parity = 0;
  BYTE StopBits = 0;
  char XonChar = 0;
  char XoffChar = 0;
  char ErrorChar = 0;
  char EofChar = 0;
  char EvtChar = 0;
  WORD wReserved1 = 0;
};
static_assert(sizeof(DCB) == 28, "DCB is the 28-byte record");

// Driver queue state returned by ClearCommError.
struct COMSTAT {
  DWORD Flags = 0;
  DWORD cbInQue = 0;
  DWORD cbOutQue = 0;
};

constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD FILE_FLAG_OVERLAPPED = 0x40000000;

constexpr BYTE NOPARITY = 0, ODDPARITY = 1, EVENPARITY = 2, MARKPARITY = 3, SPACEPARITY = 4;
constexpr BYTE ONESTOPBIT = 0, ONE5STOPBITS = 1, TWOSTOPBITS = 2;
constexpr DWORD DTR_CONTROL_DISABLE = 0, DTR_CONTROL_ENABLE = 1, DTR_CONTROL_HANDSHAKE = 2;
constexpr DWORD RTS_CONTROL_DISABLE = 0, RTS_CONTROL_ENABLE = 1, RTS_CONTROL_HANDSHAKE = 2,
                RTS_CONTROL_TOGGLE = 3;

// Port events.
constexpr DWORD EV_RXCHAR = 0x0001;   // bytes received
constexpr DWORD EV_RXFLAG = 0x0002;   // the DCB's event character was read
constexpr DWORD EV_TXEMPTY = 0x0004;  // everything written has left the driver
constexpr DWORD EV_CTS = 0x0008;
constexpr DWORD EV_DSR = 0x0010;
constexpr DWORD EV_RLSD = 0x0020;
constexpr DWORD EV_BREAK = 0x0040;
constexpr DWORD EV_ERR = 0x0080;      // line error, or the device went away
constexpr DWORD EV_RING = 0x0100;
constexpr DWORD EV_RX80FULL = 0x0400; // the driver's input passed 80 % of its size

// ClearCommError error bits.
constexpr DWORD CE_RXOVER = 0x0001;
constexpr DWORD CE_OVERRUN = 0x0002;
constexpr DWORD CE_RXPARITY = 0x0004;
constexpr DWORD CE_FRAME = 0x0008;
constexpr DWORD CE_BREAK = 0x0010;
constexpr DWORD CE_IOE = 0x0400;      // the device went away

constexpr DWORD PURGE_TXABORT = 0x0001;
constexpr DWORD PURGE_RXABORT = 0x0002;
constexpr DWORD PURGE_TXCLEAR = 0x0004;
constexpr DWORD PURGE_RXCLEAR = 0x0008;

// EscapeCommFunction codes.
constexpr DWORD SETXOFF = 1, SETXON = 2, SETRTS = 3, CLRRTS = 4, SETDTR = 5, CLRDTR = 6,
                SETBREAK = 8, CLRBREAK = 9;

// GetCommModemStatus bits.
constexpr DWORD MS_CTS_ON = 0x0010;
constexpr DWORD MS_DSR_ON = 0x0020;
constexpr DWORD MS_RING_ON = 0x0040;
constexpr DWORD MS_RLSD_ON = 0x0080;

// Opens a serial port. Only OPEN_EXISTING of a terminal device is supported;
// access, share mode and flags are accepted as the system passes them. Fails with
// ERROR_FILE_NOT_FOUND (no such device, no map entry), ERROR_ACCESS_DENIED (in use
// by another opener, or no permission), ERROR_INVALID_FUNCTION (no serial line),
// ERROR_INVALID_NAME (no name, or a name that would lead out of /dev).
// A port name reaches only a serial line. The device it leads to is held without
// being opened and looked at; that same device (whatever its name leads to by
// then) is opened once, and checked on the descriptor before anything is written.
// Refused: a name other than a path holding "/" or ".."; anything that is not a
// character device; a device no terminal driver serves (by the kernel's list in
// /proc/tty/drivers, so it is never opened); /dev/tty, /dev/console, the virtual
// consoles (/dev/tty0../dev/tty63) and the devices the console writes to (sysfs's
// class/tty/console/active, under the enumeration's root); the pseudo-terminal
// multiplexer (/dev/ptmx, /dev/pts/ptmx) and pseudo-terminal masters; the
// program's own controlling terminal and any other process's. CommOpenRefusal
// says which name and why.
HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                   void* lpSecurityAttributes, DWORD dwCreationDisposition,
                   DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);

// Stores the driver queue sizes the caller asks for; Linux keeps its own sizes. The
// input size sets the EV_RX80FULL mark (the line discipline's 4096 bytes at most).
BOOL SetupComm(HANDLE hFile, DWORD dwInQueue, DWORD dwOutQueue);
// Reads the line settings back from the driver.
BOOL GetCommState(HANDLE hFile, DCB* lpDCB);
// Applies the line settings in raw mode and reads them back: FALSE
// (ERROR_INVALID_PARAMETER) when the record asks for what the line cannot do
// (baud 0, which would hang up; data bits outside 5..8; 1.5 stop bits with 6..8
// data bits or 2 with 5; DSR flow control) or when the driver did not take them.
BOOL SetCommState(HANDLE hFile, const DCB* lpDCB);
// The events WaitCommEvent reports. Changing the mask ends a pending wait (with no
// events), as the original call does.
BOOL SetCommMask(HANDLE hFile, DWORD dwEvtMask);
BOOL GetCommMask(HANDLE hFile, DWORD* lpEvtMask);

// Stands in for an overlapped WaitCommEvent followed by WaitForMultipleObjects on
// (lpHandles..., the overlapped event): waits until an event of the port's mask
// happens, or one of the handles is signalled, or the time-out passes.
// Returns WAIT_OBJECT_0 + i for handle i; WAIT_OBJECT_0 + nCount when the port
// wait completed, with *lpEvtMask holding its events (0 when the mask was
// changed); WAIT_TIMEOUT; WAIT_FAILED.
// EV_RXFLAG comes with the wait after a read that took the DCB's event character;
// EV_RX80FULL when the driver holds 80 % of its input size, once until it falls
// below. Modem-line changes arrive as the driver reports them (a thread waits with
// TIOCMIWAIT); where it cannot, the lines are looked at twice a second. A line's
// event comes when the driver counted a change of it since the last look (so a
// line that went off and on again between two looks is not missed), or, where the
// driver keeps no counters or did not count it, when its level differs.
// A device that went away (hang-up, I/O error) is reported once as EV_ERR; after
// that only the handles are waited on. A hang-up is POLLHUP or POLLERR on the port,
// or a read returning 0 or EIO; a port that polls readable with no byte waiting
// (a receive purge came between) is waited on again.
DWORD WaitCommEvent(HANDLE hFile, DWORD* lpEvtMask, DWORD nCount, const HANDLE* lpHandles,
                    DWORD dwMilliseconds);
// Waits until the port can take more output (or has gone away), or one of the
// handles is signalled: WAIT_OBJECT_0 + i for handle i, WAIT_OBJECT_0 + nCount for
// the port, WAIT_TIMEOUT, WAIT_FAILED.
DWORD WaitCommWritable(HANDLE hFile, DWORD nCount, const HANDLE* lpHandles, DWORD dwMilliseconds);

// Non-blocking reads and writes: they move what they can now (possibly 0 bytes)
// and return TRUE, or FALSE on an error (ERROR_BAD_COMMAND when the device went
// away). The overlapped record of the original calls is not used.
BOOL ReadFile(HANDLE hFile, void* lpBuffer, DWORD nNumberOfBytesToRead,
              DWORD* lpNumberOfBytesRead, void* lpOverlapped);
BOOL WriteFile(HANDLE hFile, const void* lpBuffer, DWORD nNumberOfBytesToWrite,
               DWORD* lpNumberOfBytesWritten, void* lpOverlapped);

// Returns and clears the error bits collected since the last call, and the bytes
// waiting in the driver's input and output queues.
BOOL ClearCommError(HANDLE hFile, DWORD* lpErrors, COMSTAT* lpStat);
// Flushes the driver's queues (the abort flags have nothing to abort here).
BOOL PurgeComm(HANDLE hFile, DWORD dwFlags);
// Modem lines and breaks; FALSE when the device has no such lines (pseudo-terminals).
BOOL EscapeCommFunction(HANDLE hFile, DWORD dwFunc);
BOOL GetCommModemStatus(HANDLE hFile, DWORD* lpModemStat);

// Why the calling thread's last CreateFileA refused its port name (which name and
// why, in English); empty when it did not refuse one (also when it failed for
// another reason).
const std::string& CommOpenRefusal();

// The device path behind a port handle ("" for another kind of handle).
const char* CommDevicePath(HANDLE hFile);
// Whether a port handle is a pseudo-terminal.
bool CommIsPseudoTerminal(HANDLE hFile);
// Whether the device behind a port handle went away (a hang-up or an I/O error was
// seen: an unplugged adapter, the far end of a pseudo-terminal closed); false for
// another kind of handle. A line error (framing, parity, overrun) is no such thing.
bool CommDeviceGone(HANDLE hFile);

struct serial_icounter_struct;

// The driver's modem-line calls (TIOCMGET, TIOCMIWAIT and TIOCGICOUNT), replaceable
// so that tests can play a device with modem lines on a pseudo-terminal. Each
// returns 0 or -1 with errno set, as ioctl does. Count null: the driver keeps no
// counters.
struct TCommModemDriver {
  int (*Get)(int Fd, int* Bits);
  int (*Wait)(int Fd, int Lines);
  int (*Count)(int Fd, serial_icounter_struct* Counts);
};
// nullptr puts the real driver calls back. Affects ports opened afterwards.
void SetCommModemDriver(const TCommModemDriver* Driver);
