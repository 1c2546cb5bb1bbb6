#pragma once
// The edit control of the class library: TCustomEdit and TEdit, over a window of
// the "EDIT" class. The Qt backend gives that window a native peer (a line edit:
// input methods, clipboard, undo); without one, the layer keeps the text itself
// and paints it. Either way the text is GBK bytes and every position is a byte
// offset that never falls inside a double-byte character.
//
// Messages: every key and character reaches the control's window procedure first
// (WM_KEYDOWN, then WM_CHAR once per GBK byte, lead byte first; a handler that
// clears a key stops it, and the trail byte of a stopped lead byte is dropped with
// it). The clipboard keys become WM_CUT, WM_COPY, WM_PASTE and WM_UNDO sent to the
// control itself, and the context menu sends the same, so a subclass that keeps
// one of them refuses the operation. The EM_ messages below give the edit's state
// in bytes; a text change reaches the parent as WM_COMMAND EN_CHANGE, reflected to
// the control as CN_COMMAND (OnChange).
#include <memory>

#include "platform/controls/controls.h"
#include "platform/core/gbk.h"

class TEditModel;

// Edit styles (the low word of the window style).
constexpr DWORD ES_LEFT = 0x0000, ES_CENTER = 0x0001, ES_RIGHT = 0x0002, ES_MULTILINE = 0x0004,
                ES_UPPERCASE = 0x0008, ES_LOWERCASE = 0x0010, ES_PASSWORD = 0x0020,
                ES_AUTOVSCROLL = 0x0040, ES_AUTOHSCROLL = 0x0080, ES_NOHIDESEL = 0x0100,
                ES_OEMCONVERT = 0x0400, ES_READONLY = 0x0800, ES_WANTRETURN = 0x1000, ES_NUMBER = 0x2000;

// Edit messages. Positions and lengths are byte offsets into the GBK text; lines
// are the text's lines (separated by CR LF), counted from 0.
constexpr UINT EM_GETSEL = 0x00B0;        // W, L: DWORD* start / end (or null); result MAKELONG(start, end)
constexpr UINT EM_SETSEL = 0x00B1;        // W start, L end; start -1 deselects, end -1 is the end
constexpr UINT EM_GETRECT = 0x00B2;       // L: TRect* the formatting rectangle (client coordinates)
constexpr UINT EM_SCROLL = 0x00B5;        // W: SB_LINEUP ... SB_PAGEDOWN; result MAKELONG(lines, TRUE) or FALSE
constexpr UINT EM_LINESCROLL = 0x00B6;    // W: characters to the right, L: lines down
constexpr UINT EM_SCROLLCARET = 0x00B7;
constexpr UINT EM_GETMODIFY = 0x00B8;
constexpr UINT EM_SETMODIFY = 0x00B9;     // W: the flag
constexpr UINT EM_GETLINECOUNT = 0x00BA;
constexpr UINT EM_LINEINDEX = 0x00BB;     // W: line (-1: the caret's); result its first byte or -1
constexpr UINT EM_LINELENGTH = 0x00C1;    // W: a byte index; result the length of its line
constexpr UINT EM_REPLACESEL = 0x00C2;    // W: can undo, L: const char* text
constexpr UINT EM_GETLINE = 0x00C4;       // W: line, L: buffer whose first WORD is its size; result bytes copied
constexpr UINT EM_LIMITTEXT = 0x00C5;     // W: the limit in bytes (0: the largest)
constexpr UINT EM_SETLIMITTEXT = EM_LIMITTEXT;
constexpr UINT EM_CANUNDO = 0x00C6;
constexpr UINT EM_UNDO = 0x00C7;
constexpr UINT EM_LINEFROMCHAR = 0x00C9;  // W: a byte index (-1: the caret's line)
constexpr UINT EM_GETFIRSTVISIBLELINE = 0x00CE;
constexpr UINT EM_SETREADONLY = 0x00CF;   // W: the flag
constexpr UINT EM_SETPASSWORDCHAR = 0x00CC;  // W: the character (0: none)
constexpr UINT EM_EMPTYUNDOBUFFER = 0x00CD;
constexpr UINT EM_GETPASSWORDCHAR = 0x00D2;
constexpr UINT EM_SETMARGINS = 0x00D3;    // W: EC_ flags, L: MAKELONG(left, right)
constexpr UINT EM_GETMARGINS = 0x00D4;    // result MAKELONG(left, right)
constexpr UINT EM_GETLIMITTEXT = 0x00D5;
constexpr UINT EM_POSFROMCHAR = 0x00D6;   // W: a byte index; result MAKELONG(x, y) in client coordinates
constexpr UINT EM_CHARFROMPOS = 0x00D7;   // L: MAKELPARAM(x, y); result MAKELONG(byte index, line)
constexpr UINT EM_GETCARETINDEX = 0x1512; // result the caret's byte index (the moving end of the selection)
constexpr WPARAM EC_LEFTMARGIN = 0x0001, EC_RIGHTMARGIN = 0x0002, EC_USEFONTINFO = 0xFFFF;

// Edit notifications (the high word of WM_COMMAND's WParam; LParam the edit).
// EN_SELCHANGE (the selection or caret moved) comes the same way here.
constexpr WORD EN_SETFOCUS = 0x0100, EN_KILLFOCUS = 0x0200, EN_CHANGE = 0x0300, EN_UPDATE = 0x0400,
               EN_ERRSPACE = 0x0500, EN_MAXTEXT = 0x0501, EN_HSCROLL = 0x0601, EN_VSCROLL = 0x0602,
               EN_SELCHANGE = 0x0702;

enum class TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
using enum TEditCharCase;
DTU_DECLARE_ENUM(TEditCharCase)

// The largest text an edit takes when no limit is set.
constexpr size_t kEditNoLimit = 0x7FFFFFFE;

// The modified flag and the byte limit every edit window keeps (the layer's text
// model and the Qt peer), and their four messages.
struct TEditFlags {
  bool Modified = false;
  size_t Limit = kEditNoLimit;
  // EM_GETMODIFY, EM_SETMODIFY, EM_LIMITTEXT (0: no limit) and EM_GETLIMITTEXT;
  // false for any other message.
  bool HandleFlags(TMessage& M);
};

class TCustomEdit : public TWinControl {
  DTU_CLASS(TCustomEdit, TWinControl)
public:
  explicit TCustomEdit(TComponent* AOwner);
  ~TCustomEdit() override;

  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool Value) { FAutoSelect = Value; }
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase Value);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool Value);
  // Stored with the form only: text is GBK throughout, so there is no OEM code page
  // to convert through.
  bool OEMConvert() const { return FOEMConvert; }
  void SetOEMConvert(bool Value) { FOEMConvert = Value; }
  // The most bytes the user may type or paste (0: no limit); text set by the
  // program is not cut.
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int Value);
  bool Modified();
  void SetModified(bool Value);
  // Typed characters are shown as this one (0: shown as they are).
  char PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(char Value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);

  // The selection in byte offsets (the window is created when there is none).
  int SelStart();
  void SetSelStart(int Value);
  int SelLength();
  void SetSelLength(int Value);
  std::string SelText();
  void SetSelText(const std::string& Value);
  void SelectAll();
  void ClearSelection();
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  bool CanUndo();
  void Undo();
  void ClearUndo();
  void Clear();

  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;

  TNotifyEvent OnChange;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  virtual void Change();
  // Fits Height to the font when AutoSize (a single-line edit).
  void AdjustHeight();
  // Whether the window is a native one (its peer keeps the text).
  bool NativeWindow() const;
  // The edit window's default procedure for a message the layer implements
  // itself (typing, the clipboard, the context menu, lines); false for the rest.
  bool EditClassProc(TMessage& M);
  bool EditKeyMessage(TMessage& M, DWORD Style);
  bool EditClipboardMessage(TMessage& M, DWORD Style);
  bool EditLineMessage(TMessage& M, DWORD Style);
  bool EditMouseMessage(TMessage& M);
  // The selection in bytes (EM_GETSEL to the window's state).
  void EditSel(DWORD& S, DWORD& E);
  // A message for the window's own state (text, selection, undo, limit, scrolling):
  // to the native peer or to the layer's text model.
  LRESULT EditState(UINT Msg, WPARAM W = 0, LPARAM L = 0);
  bool Multiline();
  // The window's own text (what the byte offsets index), whatever Text shows.
  std::string WindowText() { return TControl::GetText(); }
  // A whole character (one or two bytes) the key-press handlers let through:
  // typed at the selection unless read-only or over the limit.
  virtual void TypeChar(const std::string& Ch);
  void DoPaste();

  bool FCreating = false;

private:
  void WMChar(TMessage& M);
  void ShowContextMenu(TMessage& M);
  void CNCommand(TMessage& M);
  void CMEnter(TMessage& M);
  void PaintModel(HDC DC);
  TEditModel* Model();

  std::unique_ptr<TEditModel> FModel;  // the window's state when it has no native peer
  int FMaxLength = 0;
  bool FAutoSelect = true;
  bool FAutoSize = true;
  bool FHideSelection = true;
  bool FReadOnly = false;
  bool FModified = false;
  char FPasswordChar = 0;
  TBorderStyle FBorderStyle = bsSingle;
  TAlignment FAlignment = taLeftJustify;
  TEditCharCase FCharCase = ecNormal;
  bool FOEMConvert = false;
  // Character bytes: the previous WM_CHAR was a lead byte (its trail comes next),
  // and whether that lead byte was stopped.
  bool FExpectTrail = false;
  bool FLeadStopped = false;
  std::string FPendingLead;  // a lead byte that reached the default procedure
  bool FSelecting = false;   // a mouse drag selects (painted edit)
};

class TEdit : public TCustomEdit {
  DTU_CLASS(TEdit, TCustomEdit)
public:
  explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
};
