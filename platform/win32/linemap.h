#pragma once
// The mapping between the line-state record (DCB) and the kernel's termios2, kept
// apart from the descriptor work so each rule can be checked on its own. Includes
// the kernel's termbits: do not include <termios.h> in the same file.
#include <asm/termbits.h>

#include "platform/win32/comm.h"

// Builds raw-mode settings for Dcb on top of Current (the driver's settings, whose
// other control characters are kept). False when the record asks for what a line
// cannot do: baud 0 (hang-up on Linux), data bits outside 5..8, parity above 4,
// stop bits above 2, 1.5 stop bits with 6..8 data bits, 2 stop bits with 5 data
// bits (the line gives 1.5 then), DSR flow control or DTR handshaking.
bool DcbToTermios(const DCB& Dcb, const termios2& Current, termios2& Out);

// Fills the line fields of Dcb from the driver's settings: baud, data bits,
// parity, stop bits, parity checking, RTS/CTS and Xon/Xoff; the fields the driver
// does not keep (limits, DTR/RTS modes without handshaking, error characters) stay.
void TermiosToDcb(const termios2& T, DCB& Dcb);

// Whether the driver took the settings asked for: the flags we set must read back
// the same, and the rate within 3% (a UART picks the nearest rate its clock
// divides to). A pseudo-terminal carries whole bytes whatever the settings, and
// the kernel resets its character size and parity enable: those are not compared.
bool TermiosTaken(const termios2& Wanted, const termios2& Got, bool PseudoTerminal);
