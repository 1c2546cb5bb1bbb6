#pragma once
// The control tree of the class library: TControl (bounds, alignment, visibility,
// colour, font, text, mouse handling, the CM_ change notifications), TWinControl
// (a window of its own, created on demand, with child controls, tab order, focus,
// keyboard handling and painting of its graphic children), TGraphicControl
// (painted by its parent, in z-order, clipped), TCustomControl (a windowed control
// with a canvas and a virtual Paint) and TControlCanvas.
//
// Messages: Perform(Msg, W, L) calls WindowProc, which is WndProc unless replaced;
// WndProc does the class-wide preprocessing and calls Dispatch; Dispatch runs the
// handler of the most derived class that handles the message (a class overrides
// Dispatch, handles its messages in a switch and passes the rest to
// inherited::Dispatch; a handler's "inherited" is inherited::Dispatch too), and a
// message nobody handles reaches DefaultHandler, the window's default procedure.
// A windowed control's handle is a window of platform/controls/winuser.h, so
// SendMessage and PostMessage to Handle() reach its WindowProc.
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/winuser.h"
#include "platform/core/object.h"
#include "platform/graphics/graphics.h"

class TWinControl;
class TCustomForm;
class TPopupMenu;
class TControlCanvas;
class TBasicAction;
class TControlActionLink;
// Frees a control's action link (platform/controls/actions.cpp).
void FreeActionLink(TControlActionLink* Link);

// ---------------------------------------------------------------------------
// Types
// ---------------------------------------------------------------------------

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum class TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TMouseButton { mbLeft, mbRight, mbMiddle };
enum class TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;
// csOwnClientPaint: a control over a native window (an edit) that answers WM_PAINT
// by painting its whole client itself; the backend then shows that picture instead
// of the native widget's client.
enum class TControlStyleItem { csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents,
                               csFramed, csSetCaption, csOpaque, csDoubleClicks, csFixedWidth,
                               csFixedHeight, csNoDesignVisible, csReplicatable, csNoStdEvents,
                               csDisplayDragImage, csReflector, csActionClient, csMenuEvents,
                               csNeedsBorderPaint, csParentBackground, csOwnClientPaint };
using TControlStyle = TSet<TControlStyleItem>;
enum class TControlStateItem { csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded,
                               csFocusing, csCreating, csPaintCopy, csCustomPaint,
                               csDestroyingHandle, csDocking };
using TControlState = TSet<TControlStateItem>;
// Form and control borders (controls use only bsNone and bsSingle).
enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;
using enum TAlign;
using enum TAnchorKind;
using enum TAlignment;
using enum TMouseButton;
using enum TShiftStateItem;
using enum TControlStyleItem;
using enum TControlStateItem;
using enum TFormBorderStyle;
// Reading order and layout of a control: bdRightToLeft reads right to left and
// mirrors the layout (alignment, glyph sides, scroll bar); bdRightToLeftNoAlign
// reads right to left with the scroll bar on the left; bdRightToLeftReadingOnly
// only reads right to left.
enum class TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
using enum TBiDiMode;
DTU_DECLARE_ENUM(TBiDiMode)
DTU_DECLARE_ENUM(TAlign)
DTU_DECLARE_ENUM(TAnchorKind)
DTU_DECLARE_ENUM(TAlignment)
DTU_DECLARE_ENUM(TMouseButton)
DTU_DECLARE_ENUM(TFormBorderStyle)

// Drag and dock kinds and the drag, dock and resize events (docking.h).
class TControl;
class TSizeConstraints;
class TDockTree;
enum class TDragKind { dkDrag, dkDock };
enum class TDragMode { dmManual, dmAutomatic };
enum class TDragState { dsDragEnter, dsDragLeave, dsDragMove };
using enum TDragKind;
using enum TDragMode;
using enum TDragState;
DTU_DECLARE_ENUM(TDragKind)
DTU_DECLARE_ENUM(TDragMode)

// Input-method modes of a windowed control. Forms store them; the input method here
// is the desktop's own, so they change nothing.
enum class TImeMode { imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata,
                      imChinese, imSHanguel, imHanguel };
using enum TImeMode;
DTU_DECLARE_ENUM(TImeMode)

using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y)>;
using TDragOverEvent =
    std::function<void(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept)>;
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, int X, int Y)>;
using TStartDragEvent = std::function<void(TObject* Sender, TObject*& DragObject)>;
using TDockDropEvent = std::function<void(TObject* Sender, TControl* Source, int X, int Y)>;
using TDockOverEvent =
    std::function<void(TObject* Sender, TControl* Source, int X, int Y, TDragState State, bool& Accept)>;
using TGetSiteInfoEvent = std::function<void(TObject* Sender, TControl* DockClient, TRect& InfluenceRect,
                                             TPoint MousePos, bool& CanDock)>;
using TUnDockEvent = std::function<void(TObject* Sender, TControl* Client, TWinControl* NewTarget, bool& Allow)>;
using TCanResizeEvent = std::function<void(TObject* Sender, int& NewWidth, int& NewHeight, bool& Resize)>;
using TConstrainedResizeEvent =
    std::function<void(TObject* Sender, int& MinWidth, int& MinHeight, int& MaxWidth, int& MaxHeight)>;

// Cursor identifiers (Screen->Cursors); crDefault lets the parent or the screen
// decide.
using TCursor = int;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4,
                  crSizeNESW = -6, crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10,
                  crHourGlass = -11, crDrag = -12, crNoDrop = -13, crHSplit = -14, crVSplit = -15,
                  crMultiDrag = -16, crSQLWait = -17, crNo = -18, crAppStart = -19, crHelp = -20,
                  crHandPoint = -21, crSizeAll = -22, crSize = -22;
// CM_HINTSHOW: LParam points to this; the control may change the text or where
// the hint goes, or answer non-zero to show none.
struct THintInfo {
  TControl* HintControl = nullptr;
  TPoint CursorPos;   // screen
  TRect CursorRect;   // screen: the hint stays while the pointer is inside
  TPoint HintPos;     // screen: the hint window's top-left (then 20 pixels lower)
  std::string HintStr;
};

// Right-to-left mirroring, one helper per idea: taLeftJustify and taRightJustify
// swap (taCenter stays); a span X..X+W, or a rectangle, mirrored within a client
// Width (what lies at the left edge comes to lie at the right edge).
void ChangeBiDiModeAlignment(TAlignment& Alignment);
inline int MirrorX(int X, int W, int Width) { return Width - X - W; }
inline TRect MirrorRect(const TRect& R, int Width) { return TRect(Width - R.Right, R.Top, Width - R.Left, R.Bottom); }

// Cursor identifiers for the filer ("crHandPoint").
const TIdentMap& CursorIdents();

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
using TMouseWheelEvent = std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;
using TMouseWheelUpDownEvent = std::function<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;
using TContextPopupEvent = std::function<void(TObject* Sender, TPoint MousePos, bool& Handled)>;

// The shift state in key data (Alt from its bit, Shift and Ctrl from the key state)
// and in the key state of mouse messages.
TShiftState KeyDataToShiftState(LPARAM KeyData);
TShiftState KeysToShiftState(WPARAM Keys);
// The current modifier keys.
TShiftState ShiftStateNow();

// ---------------------------------------------------------------------------
// TControl
// ---------------------------------------------------------------------------

class TControl : public TComponent {
  DTU_CLASS(TControl, TComponent)
public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;
  void BeforeDestruction() override;

  // The windowed control this control sits on (nullptr: none).
  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);

  // Bounds in the parent's client coordinates (a form's on the screen).
  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
  void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
  void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
  void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
  void SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Width(), R.Height()); }
  // The client area: (0, 0, Width, Height) for a graphic control; a windowed
  // control's window client area.
  TRect ClientRect() { return GetClientRect(); }
  virtual TRect GetClientRect();
  int ClientWidth() { return GetClientRect().Right; }
  int ClientHeight() { return GetClientRect().Bottom; }
  void SetClientWidth(int Value);
  void SetClientHeight(int Value);
  virtual void SetClientSize(int AWidth, int AHeight);
  // Screen position of the client area's top-left corner.
  virtual TPoint ClientOrigin();
  TPoint ClientToScreen(TPoint P);
  TPoint ScreenToClient(TPoint P);
  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign Value);
  TAnchors Anchors() const { return FAnchors; }
  void SetAnchors(TAnchors Value);
  // The anchors an alignment gives a control.
  static TAnchors AnchorsFor(TAlign Value);

  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool Value);
  void Show();
  void Hide();
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool Value);
  // Whether the control and every parent are visible (and, for windowed controls,
  // shown on a form that is shown).
  virtual bool IsVisibleOnScreen();

  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool Value);
  TFont* Font() const { return FFont; }
  void SetFont(TFont* Value);
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool Value);
  // Caption and Text are the same text (GBK), read and written through
  // WM_GETTEXT/WM_SETTEXT; a change sends CM_TEXTCHANGED.
  std::string Caption() { return GetText(); }
  void SetCaption(const std::string& Value) { SetText(Value); }
  std::string Text() { return GetText(); }
  virtual std::string GetText();
  virtual void SetText(const std::string& Value);
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value) { FHint = Value; }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  bool ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool Value);
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value);
  // Right to left. A control follows its parent's BiDiMode while ParentBiDiMode is
  // True (CM_PARENTBIDIMODECHANGED); setting its own mode clears ParentBiDiMode.
  // A change sends CM_BIDIMODECHANGED, which a windowed control passes on to its
  // children. The right-to-left modes hold on every system.
  TBiDiMode BiDiMode() const { return FBiDiMode; }
  virtual void SetBiDiMode(TBiDiMode Value);
  bool ParentBiDiMode() const { return FParentBiDiMode; }
  void SetParentBiDiMode(bool Value);
  // Layout mirrored (bdRightToLeft only), text read right to left (every mode but
  // bdLeftToRight), scroll bar on the left (bdRightToLeft, bdRightToLeftNoAlign).
  virtual bool UseRightToLeftAlignment() const { return FBiDiMode == bdRightToLeft; }
  bool UseRightToLeftReading() const { return FBiDiMode != bdLeftToRight; }
  bool UseRightToLeftScrollBar() const {
    return FBiDiMode == bdRightToLeft || FBiDiMode == bdRightToLeftNoAlign;
  }
  bool IsRightToLeft() const { return FBiDiMode != bdLeftToRight; }
  // DrawText flags for this control's mode: under right-to-left alignment DT_RIGHT
  // and DT_LEFT swap (DT_CENTER stays); DT_RTLREADING when reading right to left.
  unsigned DrawTextBiDiModeFlags(unsigned Flags) const;
  unsigned DrawTextBiDiModeFlagsReadingOnly() const;
  // The side the control's own elements (a glyph, a caption) are aligned to.
  virtual TAlignment GetControlsAlignment() { return taLeftJustify; }
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* Value);
  int HelpContext() const { return FHelpContext; }
  void SetHelpContext(int Value) { FHelpContext = Value; }

  TControlStyle ControlStyle() const { return FControlStyle; }
  void SetControlStyle(TControlStyle Value) { FControlStyle = Value; }
  TControlState ControlState() const { return FControlState; }
  void SetControlState(TControlState Value) { FControlState = Value; }
  bool MouseCapture();
  void SetMouseCapture(bool Value);

  // Painting: Invalidate marks the control for repainting, Update paints what is
  // marked now, Repaint does both.
  virtual void Invalidate();
  virtual void Update();
  virtual void Repaint();
  void Refresh() { Repaint(); }
  // The palette of the control's picture, nullptr for none. Screens here are true
  // colour, so it is never realised: it is the picture's own data.
  virtual HPALETTE GetPalette() { return nullptr; }
  void BringToFront();
  void SendToBack();

  // Messages (see the top of this file).
  LRESULT Perform(UINT Msg, WPARAM WParam, LPARAM LParam);
  TWndMethod WindowProc;
  virtual void WndProc(TMessage& Message);
  virtual void Dispatch(TMessage& Message);
  virtual void DefaultHandler(TMessage& Message);

  virtual void Click();
  virtual void DblClick();

  // Streaming.
  bool HasParent() override { return true; }
  TComponent* GetParentComponent() override;
  void SetParentComponent(TComponent* Value) override;
  void ReadState(TReader* Reader) override;
  void Loaded() override;

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnResize;
  TContextPopupEvent OnContextPopup;

  // Published-property entries of the control classes that descendants publish
  // by name ("Caption", "Color", "OnClick" ...); EPropertyError for a name that
  // is not one of them.
  static const TPropInfo& Property(const std::string& Name);
  // The same property redeclared by a descendant with another default.
  static TPropInfo Property(const std::string& Name, std::optional<int64_t> Default);

  // The action the control follows: its caption, enabled state, hint, visibility,
  // help context and click come from the action (platform/controls/actions.h).
  TBasicAction* Action() const;
  void SetAction(TBasicAction* Value);
  TControlActionLink* ActionLink() const { return FActionLink.get(); }

  // Sizing and docking (docking.cpp). AutoSize fits the control to what it shows
  // (a windowed control to its children) through CanAutoSize; Constraints limit
  // every size it takes.
  bool AutoSize() const { return FAutoSize; }
  virtual void SetAutoSize(bool Value);
  TSizeConstraints* Constraints();
  void SetConstraints(TSizeConstraints* Value);
  TDragKind DragKind() const { return FDragKind; }
  void SetDragKind(TDragKind Value) { FDragKind = Value; }
  TDragMode DragMode() const { return FDragMode; }
  void SetDragMode(TDragMode Value) { FDragMode = Value; }
  TCursor DragCursor() const { return FDragCursor; }
  void SetDragCursor(TCursor Value) { FDragCursor = Value; }
  // The drag manager (dragdrop.h): starts a drag of this control, at once or once
  // the pointer moved Threshold pixels (-1: the default); whether this control is
  // being dragged; ends its drag, dropping on an accepting target when Drop.
  void BeginDrag(bool Immediate, int Threshold = -1);
  bool Dragging() const;
  void EndDrag(bool Drop);
  // The dock site this control is docked on (nullptr: floating or never docked).
  TWinControl* HostDockSite() const { return FHostDockSite; }
  // Docks the control on NewDockSite (its dock manager lays it out); false when
  // the site is no dock site or an OnUnDock of the old site refused.
  bool ManualDock(TWinControl* NewDockSite, TControl* DropControl = nullptr, TAlign ControlSide = alNone);
  // Undocks the control from its dock site, leaving it on no parent.
  bool ManualFloat();
  // Floats the control in a window of its own (CreateFloatingDockSite) whose
  // client area is ScreenPos, undocking it first; a control that floats already
  // has its window moved there. False when the old site's OnUnDock refused.
  bool ManualFloat(const TRect& ScreenPos);
  // Whether the control floats in such a window.
  bool Floating() const;
  // The size the control floats at: its size before it was first docked.
  int UndockWidth() const { return FUndockWidth > 0 ? FUndockWidth : FWidth; }
  int UndockHeight() const { return FUndockHeight > 0 ? FUndockHeight : FHeight; }
  // Scales position, size and font by M / D (forms call it when the pixels per
  // inch they were designed at differ from the screen's).
  virtual void ChangeScale(int M, int D);
  TCanResizeEvent OnCanResize;
  TConstrainedResizeEvent OnConstrainedResize;
  TDragDropEvent OnDragDrop;
  TDragOverEvent OnDragOver;
  TEndDragEvent OnEndDock;
  TEndDragEvent OnEndDrag;
  TStartDragEvent OnStartDock;
  TStartDragEvent OnStartDrag;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Shows Value as the control's colour without turning ParentColor off: a state
  // colour (disabled, read-only, focused) over a colour that follows the parent.
  void ShowStateColor(TColor Value);
  // The action changed (CheckDefaults: only properties still at their defaults
  // follow it, as when the action is assigned while being read).
  virtual void ActionChange(TObject* Sender, bool CheckDefaults);
  // The link class of the control's actions.
  virtual TControlActionLink* CreateActionLink();
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void Resize();
  // The window a floating control lives in, with its client area at Bounds
  // (screen coordinates): a TCustomDockForm.
  virtual TWinControl* CreateFloatingDockSite(const TRect& Bounds);
  virtual void Changed();
  // The parent realigns this control (bounds, visibility or alignment changed).
  void RequestAlign();
  // Anchors remember the distances to the parent's edges from here.
  void UpdateAnchorRules();
  void InvalidateControl(bool IsVisible, bool IsOpaque);
  virtual void FontChanged();
  virtual void VisibleChanging() {}
  virtual bool CanResize(int&, int&) { return true; }
  // Sizing (docking.cpp): the size AutoSize would give (false: keep the size);
  // AdjustSize applies it; ApplyConstraints brings a size within Constraints.
  virtual bool CanAutoSize(int& NewWidth, int& NewHeight);
  virtual void AdjustSize();
  void ApplyConstraints(int& NewWidth, int& NewHeight);

  // Message handlers of TControl (Dispatch calls them).
  void WMLButtonDown(TMessage& M);
  void WMLButtonDblClk(TMessage& M);
  void WMLButtonUp(TMessage& M);
  void WMRButtonDown(TMessage& M);
  void WMRButtonUp(TMessage& M);
  void WMMButtonDown(TMessage& M);
  void WMMButtonUp(TMessage& M);
  void WMMouseMove(TMessage& M);
  void WMCancelMode(TMessage& M);
  void WMContextMenu(TMessage& M);
  void CMParentColorChanged(TMessage& M);
  void CMParentFontChanged(TMessage& M);
  void CMParentShowHintChanged(TMessage& M);
  void CMParentBiDiModeChanged(TMessage& M);
  void CMMouseEnterLeave(TMessage& M);

  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  TControlStyle FControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  TControlState FControlState;
  std::string FText;
  TFont* FFont;
  TColor FColor = clWindow;
  bool FVisible = true;

private:
  friend class TWinControl;
  void DoMouseDown(TMessage& M, TMouseButton Button, TShiftState Shift);
  void DoMouseUp(TMessage& M, TMouseButton Button);
  void FontOnChange(TObject*);

  TWinControl* FParent = nullptr;
  TAlign FAlign = alNone;
  TAnchors FAnchors{akLeft, akTop};
  TPoint FAnchorRules;
  TPoint FOriginalParentSize;
  bool FAnchorMove = false;
  bool FAnchorsRead = false;  // the stream being read has set the anchors
  bool FEnabled = true;
  bool FParentColor = true;
  bool FParentFont = true;
  bool FShowHint = false;
  bool FParentShowHint = true;
  TBiDiMode FBiDiMode = bdLeftToRight;
  bool FParentBiDiMode = true;
  std::string FHint;
  TCursor FCursor = crDefault;
  TPopupMenu* FPopupMenu = nullptr;
  int FHelpContext = 0;
  bool FPainting = false;  // inside its own paint (a parent painting for it skips it)
  std::unique_ptr<TControlActionLink, void (*)(TControlActionLink*)> FActionLink{nullptr, &FreeActionLink};  // Sizing and docking.
  bool FAutoSize = false;
  bool FAutoSizing = false;
  std::unique_ptr<TSizeConstraints, void (*)(TSizeConstraints*)> FConstraints{nullptr, nullptr};
  TDragKind FDragKind = dkDrag;
  TDragMode FDragMode = dmManual;
  TCursor FDragCursor = crDrag;
  TWinControl* FHostDockSite = nullptr;
  int FUndockWidth = 0, FUndockHeight = 0;
  friend struct TDockDrag;  // the drag manager docks and floats through these
  // Docking (docking.cpp): undocks from the host (its OnUnDock asked with
  // NewTarget; false when it refused) and docks on Site, firing no more events.
  bool DoDock(TWinControl* Site, TControl* DropControl, TAlign Side);
  bool DoUnDock(TWinControl* NewTarget);
};

template <class C>
class TClassBuilder;

// Re-publishes, by name, properties every control has but only descendants publish
// (TControl::Property), with their usual defaults and stored rules:
//   PublishInherited(b, {"Align", "Anchors", "OnClick"});
// A class that publishes one of them with another default uses
// TControl::Property(Name, Default) instead.
template <class C>
TClassBuilder<C>& PublishInherited(TClassBuilder<C>& B, std::initializer_list<const char*> Names) {
  for (const char* n : Names) B.Prop(TControl::Property(n));
  return B;
}

// ---------------------------------------------------------------------------
// TWinControl
// ---------------------------------------------------------------------------

class TWinControl : public TControl {
  DTU_CLASS(TWinControl, TControl)
public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;
  void BeforeDestruction() override;

  // The window, created (with the parents' windows) on first use. A child control
  // without a parent raises EInvalidOperation "Control '<name>' has no parent window".
  HWND Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  void HandleNeeded();
  // Whether the window is shown: the control and its parents are visible on a
  // form that is shown.
  bool Showing() const { return FShowing; }

  int ControlCount() const { return static_cast<int>(FControls.size() + FWinControls.size()); }
  // Children in z-order: graphic controls first (they lie under the windows), then
  // windowed ones, each group bottom first.
  TControl* Controls(int Index) const;
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  bool ContainsControl(TControl* Control);
  // The control at a client point: graphic children only unless AllowWinControls;
  // disabled ones only with AllowDisabled; CM_HITTEST may refuse the point.
  TControl* ControlAtPos(TPoint Pos, bool AllowDisabled, bool AllowWinControls = false);

  // Tab order: the windowed children in the order Tab visits them.
  int TabOrder() const;
  void SetTabOrder(int Value);
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool Value);
  void GetTabOrderList(std::vector<TWinControl*>& List);
  TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent);
  void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);

  virtual bool CanFocus();
  virtual bool Focused();
  // Moves the focus here through the parent form; EInvalidOperation "Cannot focus a
  // disabled or invisible window" when it cannot take it.
  virtual void SetFocus();

  // Sends the message to each child until one answers non-zero.
  void Broadcast(TMessage& Message);
  void NotifyControls(UINT Msg);

  void DisableAlign();
  void EnableAlign();
  void Realign();
  // Paints the control and its children into a device context at (X, Y).
  void PaintTo(HDC DC, int X, int Y);

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  TRect GetClientRect() override;
  TPoint ClientOrigin() override;
  void Invalidate() override;
  void Update() override;
  void Repaint() override;
  bool IsVisibleOnScreen() override;

  TBrush* Brush() const { return FBrush; }
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int Value);
  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool Value);
  bool ParentCtl3D() const { return FParentCtl3D; }
  void SetParentCtl3D(bool Value);
  // Whether the stream being read has set Ctl3D or ParentCtl3D (until Loaded).
  bool Ctl3DRead() const { return FCtl3DRead; }
  // The ParentCtl3D a reader derives from the other values when a stream leaves it
  // out; nothing for the usual rule (the declared default).
  virtual std::optional<bool> ImpliedParentCtl3D() const { return std::nullopt; }

  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  std::string GetText() override;

  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  void ReadState(TReader* Reader) override;
  void Loaded() override;

  // Docking (docking.cpp): a dock site takes docked controls; with UseDockManager
  // its dock manager (CreateDockManager, made when DockSite turns on) lays them
  // out and paints their frames.
  bool DockSite() const { return FDockSite; }
  void SetDockSite(bool Value);
  bool UseDockManager() const { return FUseDockManager; }
  void SetUseDockManager(bool Value);
  TDockTree* DockManager() const { return FDockManager.get(); }
  int DockClientCount() const { return static_cast<int>(FDockClients.size()); }
  TControl* DockClients(int Index) const { return FDockClients[Index]; }
  TDockDropEvent OnDockDrop;
  TDockOverEvent OnDockOver;
  TGetSiteInfoEvent OnGetSiteInfo;
  TUnDockEvent OnUnDock;
  // Whether a control dragged to dock is offered to this site: InfluenceRect, the
  // area the pointer must be in (screen coordinates), starts as the site's window
  // rectangle grown by 10 pixels each way; OnGetSiteInfo may change it or refuse.
  virtual void GetSiteInfo(TControl* Client, TRect& InfluenceRect, TPoint MousePos, bool& CanDock);

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TMouseWheelEvent OnMouseWheel;
  TMouseWheelUpDownEvent OnMouseWheelDown;
  TMouseWheelUpDownEvent OnMouseWheelUp;

  // Stored with the form only (see TImeMode).
  TImeMode ImeMode() const { return FImeMode; }
  void SetImeMode(TImeMode Value) { FImeMode = Value; }
  const std::string& ImeName() const { return FImeName; }
  void SetImeName(const std::string& Value) { FImeName = Value; }

protected:
  // Window creation: CreateParams describes the window, CreateWnd makes it,
  // DestroyWnd frees it, RecreateWnd does both (keeping the focus).
  virtual void CreateParams(TCreateParams& Params);
  virtual void CreateWnd();
  virtual void DestroyWnd();
  virtual void CreateWindowHandle(const TCreateParams& Params);
  virtual void CreateHandle();
  virtual void DestroyHandle();
  void RecreateWnd();
  // Parents that show their windows on their own (forms, popups) say so.
  virtual bool IsRootWindow() const { return false; }
  void UpdateShowing();
  void UpdateControlState();
  // The bounds the window has now, taken into Left/Top/Width/Height.
  void UpdateBounds();

  // The dock manager for this site (nullptr: none); the default makes a TDockTree.
  virtual TDockTree* CreateDockManager();
  bool CanAutoSize(int& NewWidth, int& NewHeight) override;
  void ChangeScale(int M, int D) override;
  virtual void AlignControls(TControl* AControl, TRect& Rect);
  virtual void AdjustClientRect(TRect& Rect);
  void AlignControl(TControl* AControl);

  // Paints the window's own face (WM_PAINT with the control's device context).
  virtual void PaintWindow(HDC DC);
  void PaintHandler(TMessage& M);
  void PaintControls(HDC DC, TControl* First);

  virtual void KeyDown(WORD& Key, TShiftState Shift);
  virtual void KeyUp(WORD& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);
  // Key handling as the message handlers do it: the form's KeyPreview first, then
  // the control; true when the key was consumed.
  bool DoKeyDown(TMessage& M);
  bool DoKeyUp(TMessage& M);
  bool DoKeyPress(TMessage& M);
  virtual void DoEnter();
  virtual void DoExit();
  // OnMouseWheel first; when it leaves the wheel unhandled, DoMouseWheelDown or
  // DoMouseWheelUp by the wheel's direction.
  virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
  virtual bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos);
  virtual bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos);

  // The window procedure registered with the handle: runs WindowProc and hands any
  // exception to Application->HandleException.
  void MainWndProc(TMessage& Message);

  // Message handlers of TWinControl.
  void WMPaint(TMessage& M);
  void WMEraseBkgnd(TMessage& M);
  void WMSize(TMessage& M);
  void WMMove(TMessage& M);
  void WMSetCursor(TMessage& M);
  void WMNCDestroy(TMessage& M);
  void CNKeyDown(TMessage& M);
  void CNKeyUp(TMessage& M);
  void CNChar(TMessage& M);
  void CNSysChar(TMessage& M);
  void CMShowingChanged(TMessage& M);
  void CMVisibleChanged(TMessage& M);
  void CMEnabledChanged(TMessage& M);
  void CMColorChanged(TMessage& M);
  void CMFontChanged(TMessage& M);
  void CMCursorChanged(TMessage& M);
  void CMRecreateWnd(TMessage& M);

  HWND FHandle = nullptr;
  TBrush* FBrush;

private:
  friend class TControl;
  friend class TCustomForm;
  // DoKeyDown and DoKeyUp: the form's KeyPreview first, then KeyDown or KeyUp.
  bool DoKeyUpOrDown(TMessage& M, bool Down);
  bool IsControlMouseMsg(TMessage& M);
  void FixupTabList();
  void ReorderWindows();

  std::vector<TControl*> FControls;  // graphic controls, bottom first
  std::vector<TWinControl*> FWinControls;  // windowed controls, bottom first
  std::vector<TWinControl*> FTabList;
  int FTabOrderWanted = -1;  // TabOrder read from a stream, applied once the siblings are read
  bool FTabStop = false;
  bool FShowing = false;
  bool FCtl3D = true;
  bool FParentCtl3D = true;
  bool FCtl3DRead = false;
  int FBorderWidth = 0;
  TImeMode FImeMode = imDontCare;
  std::string FImeName;
  int FAlignLevel = 0;
  TPoint FLastClientSize{-1, -1};
  bool FMeasuring = false;  // CreateParams for the styles only (no parent handle)
  // Docking.
  friend class TDockTree;
  void DockClientRemoved(TControl* Control);
  bool FDockSite = false;
  bool FUseDockManager = false;
  std::unique_ptr<TDockTree, void (*)(TDockTree*)> FDockManager{nullptr, nullptr};
  std::vector<TControl*> FDockClients;
};

// ---------------------------------------------------------------------------
// TGraphicControl, TCustomControl, TControlCanvas
// ---------------------------------------------------------------------------

// A canvas that draws on a control: its device context is the one of a paint in
// progress, or, outside painting, one made over the control's window (a graphic
// control's part of its parent's window), given back when the message in hand is
// done (FreeDeviceContexts).
class TControlCanvas : public TCanvas {
  DTU_CLASS(TControlCanvas, TCanvas)
public:
  TControlCanvas() = default;
  ~TControlCanvas() override;
  TControl* Control() const { return FControl; }
  void SetControl(TControl* Value);
  // Gives back a device context made by the canvas itself.
  void FreeHandle();
protected:
  void CreateHandle() override;
private:
  TControl* FControl = nullptr;
  HWND FWindow = nullptr;
  HDC FOwnDC = nullptr;
};

// Gives back every device context control canvases made outside painting (each
// input message and message-loop round ends with it, so what was drawn is shown).
void FreeDeviceContexts();

class TGraphicControl : public TControl {
  DTU_CLASS(TGraphicControl, TControl)
public:
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;
  TCanvas* Canvas() const { return FCanvas; }
  void Dispatch(TMessage& Message) override;
protected:
  virtual void Paint() {}
  void WMPaint(TMessage& M);
private:
  TControlCanvas* FCanvas;
};

class TCustomControl : public TWinControl {
  DTU_CLASS(TCustomControl, TWinControl)
public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;
  TCanvas* Canvas() const { return FCanvas; }
protected:
  virtual void Paint() {}
  void PaintWindow(HDC DC) override;
private:
  TControlCanvas* FCanvas;
};

// ---------------------------------------------------------------------------
// Helpers
// ---------------------------------------------------------------------------

// The control whose window this is (nullptr for other handles).
TWinControl* FindControl(HWND Handle);
// Reflects a message a parent gets about a child window (WM_COMMAND, WM_DRAWITEM,
// WM_MEASUREITEM, WM_DELETEITEM) to that child's control as CN_BASE + Msg, its
// result becoming the message's; false when ControlHandle is no control's window.
bool DoControlMsg(HWND ControlHandle, TMessage& Message);
// The form a control sits on (the outermost windowed parent that is a form).
TCustomForm* GetParentForm(TControl* Control);
// The deepest control at a screen point, graphic controls included.
TControl* FindDragTarget(TPoint Pos, bool AllowDisabled);
// Mouse capture by control: a graphic control captures through its parent's window.
TControl* GetCaptureControl();
void SetCaptureControl(TControl* Control);
// Whether Key is the '&' accelerator of Text ("&Open" and 'o'); compares without case.
bool IsAccel(WORD Key, const std::string& Text);
// Text without its '&' markers ("&&" stays one '&').
std::string StripHotkey(const std::string& Text);
// Called from the window procedures with an exception in flight (forms.cpp gives it
// to Application->HandleException).
void HandleControlException(TObject* Sender);
// A control is being freed: the input layer, the application and the screen drop
// what they hold of it (the control under the pointer, the hint control ...).
void ControlDestroyed(TControl* Control);

// The pointer as the controls see it.
class TMouse {
public:
  TPoint CursorPos() const;
  void SetCursorPos(TPoint P);
  HWND Capture() const { return GetCapture(); }
  void SetCapture(HWND Wnd);
  bool MousePresent() const { return true; }
  int WheelScrollLines() const { return 3; }
};
extern TMouse* Mouse;
