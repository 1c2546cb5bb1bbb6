#pragma once
// Small shared pieces of the framed controls: the private control messages, the
// one blink timer of all blinking controls, text-alignment tables, work areas and
// centring of forms, font helpers, string helpers and the system version tests.
#include <string>

#include "platform/controls/controls.h"
#include "platform/controls/extctrls.h"
#include "platform/controls/forms.h"
#include "platform/controls/winmsg.h"
#include "platform/core/strings.h"
#include "platform/graphics/gdi.h"

// ---------------------------------------------------------------------------
// Private control messages (above the class library's own CM_ range)
// ---------------------------------------------------------------------------

constexpr UINT CM_GETBLINKING = CM_BASE + 1000;  // 0xB3E8: answers 1 while blinking
constexpr UINT CM_BLINK = CM_BASE + 1001;        // 0xB3E9: wParam the new TBlinkState
constexpr UINT CM_TOOLBARSHOWCAPTIONCHANGED = CM_BASE + 1002;
constexpr UINT CM_TOOLBARBUTTONLAYOUTCHANGED = CM_BASE + 1003;
constexpr UINT CM_TOOLBARBUTTONSIZECHANGED = CM_BASE + 1004;
constexpr UINT CM_TOOLBARVISUALSTYLECHANGED = CM_BASE + 1005;
constexpr UINT CM_HIDEPREVIEWPANEL = CM_BASE + 1006;

// Milliseconds after which an incremental search of a list starts again.
constexpr int IncrementalSearchResetDelay = 1500;

// ---------------------------------------------------------------------------
// Blinking
// ---------------------------------------------------------------------------

enum class TBlinkState { bsOn, bsOff };
using enum TBlinkState;

// The registered controls and the one timer that makes them blink together. Each
// tick toggles the state and sends every registered control CM_GETBLINKING; those
// answering 1 get CM_BLINK with the new state.
class TQvBlinkingControlsList : public TObject {
  DTU_CLASS(TQvBlinkingControlsList, TObject)
public:
  TQvBlinkingControlsList();
  ~TQvBlinkingControlsList() override;
  void Add(TControl* Control);
  void Remove(TControl* Control);
  virtual int GetCount() const;
  TBlinkState State() const { return FOff ? bsOff : bsOn; }
  TTimer* Timer() const { return FTimer; }
  uint16_t OnInterval = 500;
  uint16_t OffInterval = 500;

protected:
  // The tick walks a copy of the list and skips controls removed meanwhile, so a
  // handler may free a control (its own or another) while the tick runs; a list
  // emptied and released during the tick is freed after it.
  void TimerFired(TObject* Sender);

private:
  friend void FreeBlinkingControlsListIfEmpty();
  bool FOff = true;
  TList* FList;
  TTimer* FTimer;
  bool FInTick = false;
  bool FFreeAfterTick = false;
};

// The shared list: created by the first control that registers itself.
extern TQvBlinkingControlsList* BlinkingControls;
// Frees BlinkingControls and clears it when no control is registered (during a
// tick the list itself is freed once the tick has finished).
void FreeBlinkingControlsListIfEmpty();

// ---------------------------------------------------------------------------
// Text alignment tables, indexed by TAlignment / Boolean
// ---------------------------------------------------------------------------

extern const uint16_t DrawTextAlignments[3];  // DT_LEFT, DT_RIGHT, DT_CENTER
extern const uint16_t SetTextAlignments[3];   // TA_LEFT, TA_RIGHT, TA_CENTER
extern const uint16_t DrawTextWordWrap[2];    // 0, DT_WORDBREAK

// ---------------------------------------------------------------------------
// Geometry and placement
// ---------------------------------------------------------------------------

// The Width x Height rectangle centred in Rect (halves truncated toward zero).
TRect CenterRect(const TRect& Rect, int Width, int Height);
// The work area of the monitor nearest to the control, and its size.
TRect GetActiveWorkArea(TControl* Control);
int GetActiveWorkAreaWidth(TControl* Control);
int GetActiveWorkAreaHeight(TControl* Control);
TRect GetMonitorWorkArea(TMonitor* Monitor);
TRect GetMonitorBoundsRect(TMonitor* Monitor);
// The first monitor whose bounds hold the point; nullptr when none does.
TMonitor* GetMonitorContainingPoint(TPoint Point);
// The desktop less the task bar window, when there is one.
TRect GetDesktopClientRect();
// The Left and Top that centre Form over a window, a form or an MDI child, moved
// to 0 when negative and then back so the form ends at the work area's right or
// bottom edge when it would pass it.
void CenterToWindow(TCustomForm* Form, HWND Window, int& Left, int& Top);
void CenterToForm(TCustomForm* Form, TCustomForm* ParentForm, int& Left, int& Top);
void CenterToMDIChild(TCustomForm* Form, TCustomForm* MDIChild, int& Left, int& Top);

// ---------------------------------------------------------------------------
// Fonts
// ---------------------------------------------------------------------------

// A new font like Font turned by Angle degrees; the caller deletes it.
HFONT RotateFont(TFont* Font, int Angle);
bool IsTrueTypeFont(TFont* Font);
int GetMinFontHeight(TFont* Font);  // text-metric height + 2
int GetAvgCharWidth(TFont* Font);   // width of A..Z a..z / 52, rounded

// ---------------------------------------------------------------------------
// Strings (positions 1-based, as Copy and Pos)
// ---------------------------------------------------------------------------

char LastChar(const std::string& S);
int CountChar(char C, const std::string& S);
// From Start up to and including the Count-th C at or after Start; S itself when
// there are fewer.
std::string CopyEx(const std::string& S, int Start, char C, int Count);
bool RemoveChar(std::string& S, char C);
// Accelerator marks removed: "&&" becomes "&", "&x" becomes "x".
std::string RemovePrefixChars(const std::string& S);
std::string ExpandEnvironmentVariables(const std::string& S);
std::string CreateValidIdent(const std::string& S, const std::string& Default);
std::string GetNewComponentName(TComponent* Component, const std::string& BaseName, bool TryBaseFirst);
inline int Min(int A, int B) { return A < B ? A : B; }
inline int Max(int A, int B) { return A > B ? A : B; }
inline void Swap(int& A, int& B) { int t = A; A = B; B = t; }
inline void Swap(uint16_t& A, uint16_t& B) { uint16_t t = A; A = B; B = t; }

// ---------------------------------------------------------------------------
// System version tests
// ---------------------------------------------------------------------------

enum class TQvWindowsVersion { Win95, WinNT, Win98, WinMe, Win2000, WinXP, WinServer2003, WinVista };

// Exactly that version, or that version or a later one, of the running system. A
// later version is one whose (major, minor) pair is at least the version's: 6.0
// runs at least 5.1 although its minor number is smaller.
bool RunningUnder(TQvWindowsVersion Version);
bool RunningAtLeast(TQvWindowsVersion Version);
// The same for a given platform id, major and minor version.
bool RunningUnder(TQvWindowsVersion Version, DWORD Platform, DWORD Major, DWORD Minor);
bool RunningAtLeast(TQvWindowsVersion Version, DWORD Platform, DWORD Major, DWORD Minor);

// At design time tells the form designer that the control's form changed. This
// system has no form designer, so outside of one this does nothing.
void UpdateObjectInspector(TControl* Control);

// The usual setter of a property that only changes the look: nothing when the value
// is the stored one, else store it and repaint.
#define QV_SETTER(Class, Name, Type, Field) \
  void Class::Set##Name(Type Value) {       \
    if (Value == Field) return;             \
    Field = Value;                          \
    Invalidate();                           \
  }
