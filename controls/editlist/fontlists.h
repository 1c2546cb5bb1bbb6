#pragma once
// The font combo and font list boxes: the font families of the screen (or the printer, which
// lists the same fonts here), filtered by type, each with a small glyph telling
// the font's kind, drawn as name, sample or both, optionally with a large
// preview in a borderless popup panel, and a most-recently-used section at the
// top of the list.
#include <memory>
#include <string>

#include "controls/common/utils.h"
#include "controls/editlist/combobox.h"
#include "controls/editlist/listboxes.h"
#include "platform/stdctrls/panels.h"

enum class TQvFontDevice { fdScreen, fdPrinter };
using enum TQvFontDevice;
DTU_DECLARE_ENUM(TQvFontDevice)
enum class TQvFontType { ftAll, ftTrueType, ftFixedPitch, ftPrinter };
using enum TQvFontType;
DTU_DECLARE_ENUM(TQvFontType)
enum class TQvShowStyle { ssFontName, ssFontSample, ssFontNameAndSample, ssFontPreview };
using enum TQvShowStyle;
DTU_DECLARE_ENUM(TQvShowStyle)


// Whether a font with this tmPitchAndFamily byte, charset and type belongs in the
// list (TMPF_FIXED_PITCH set means variable pitch).
bool FontPassesFilter(TQvFontType Type, bool ShowSymbolFonts, uint8_t PitchAndFamily, uint8_t CharSet);

// The 12 x 12 type glyphs (clOlive transparent): TrueType, fixed pitch, TrueType
// fixed pitch, printer, device.
enum class TQvFontGlyph { fgTrueType, fgFixedPitch, fgTrueTypeFixed, fgPrinter, fgDevice };
TBitmap* CreateFontGlyph(TQvFontGlyph Glyph);
// The glyph for a font's pitch-and-family byte.
TQvFontGlyph FontGlyphFor(uint8_t PitchAndFamily, TQvFontDevice Device);

// Reads the families of the screen into Items, filtered (each item's object is
// the font's pitch-and-family byte).
void LoadFontFamilies(TStrings* Items, TQvFontType Type, bool ShowSymbolFonts);

// The recent section's rule: the selected item (not item 0) moves, or a copy of
// it goes, to the top; LastMRUIndex grows when a copy of an item below the
// section was added. Returns whether the list changed (then item 0 is to be
// selected).
bool AddToRecentFonts(TStrings* Items, int Selected, int& LastMRUIndex);

template <class Control>
class TQvFontListCommon;

class TQvPreviewFontPanel : public TCustomPanel {
  DTU_CLASS(TQvPreviewFontPanel, TCustomPanel)
public:
  TQvPreviewFontPanel(TComponent* AOwner, TWinControl* FontControl);
  bool Showing() const { return FShown; }

protected:
  void CreateParams(TCreateParams& Params) override;
  bool IsRootWindow() const override { return true; }
  void Paint() override;
  void WndProc(TMessage& Message) override;

private:
  template <class Control>
  friend class TQvFontListCommon;
  TWinControl* FFontControl;
  bool FShown = false;
};

// What the font combo box and the font list box share: the font-list state, its
// properties and rules (loading, filters, selection, the recent section, the
// preview panel, drawing an item with its glyph). Control is the class that
// derives from it next to its framed control base (Items, ItemIndex, Canvas).
template <class Control>
class TQvFontListCommon {
public:
  TQvFontDevice FontDevice() const { return FFontDevice; }
  virtual void SetFontDevice(TQvFontDevice V);
  TQvFontType FontType() const { return FFontType; }
  virtual void SetFontType(TQvFontType V);
  int FontSize() const { return FFontSize; }
  void SetFontSize(int V) { FFontSize = V; }
  TFontStyles FontStyle() const { return FFontStyle; }
  void SetFontStyle(TFontStyles V) { FFontStyle = V; }
  bool ShowSymbolFonts() const { return FShowSymbolFonts; }
  virtual void SetShowSymbolFonts(bool V);
  TQvShowStyle ShowStyle() const { return FShowStyle; }
  virtual void SetShowStyle(TQvShowStyle V);
  int PreviewFontSize() const { return FPreviewFontSize; }
  void SetPreviewFontSize(int V) { FPreviewFontSize = V; }
  int PreviewWidth() const { return FPreviewWidth; }
  void SetPreviewWidth(int V) { FPreviewWidth = V; }
  int PreviewHeight() const { return FPreviewHeight; }
  void SetPreviewHeight(int V) { FPreviewHeight = V; }
  TCustomEdit* PreviewEdit() const { return FPreviewEdit; }
  virtual void SetPreviewEdit(TCustomEdit* V);
  const std::string& PreviewText() const { return FPreviewText; }
  void SetPreviewText(const std::string& V) { FPreviewText = V; }
  bool MaintainMRUFonts() const { return FMaintainMRUFonts; }
  void SetMaintainMRUFonts(bool V) { FMaintainMRUFonts = V; }
  int LastMRUIndex() const { return FLastMRUIndex; }
  TQvPreviewFontPanel* PreviewPanel() const { return FPreviewPanel; }

  virtual std::string GetFontName();
  virtual void SetFontName(const std::string& V);
  virtual TFont* GetSelectedFont();
  virtual void SetSelectedFont(TFont* F);

  // Reads the font families into the items (the most-recently-used section is
  // gone with the old items).
  virtual void LoadFonts();

protected:
  explicit TQvFontListCommon(bool MaintainMRUFonts) : FMaintainMRUFonts(MaintainMRUFonts) {}
  ~TQvFontListCommon();
  TQvFontListCommon(const TQvFontListCommon&) = delete;
  TQvFontListCommon& operator=(const TQvFontListCommon&) = delete;

  virtual void LoadBitmaps();
  virtual void HidePreviewPanel();
  void UpdatePreviewText();

  // The selected font, the glyphs and (outside the designer) the preview panel.
  void InitFontList();
  // Around the window: the fonts are read when it is made, the selection is kept
  // while it is gone.
  void FontListWndCreated();
  void FontListWndDestroying() { FSavedFontName = GetFontName(); }
  void ForgetRemoved(TComponent* AComponent);
  // The control's WndProc: the preview's messages, a changed font (the window is
  // made again) and the item rectangle right of the glyph margin, RightTrim less.
  void FontListWndProc(TMessage& Message, int RightTrim);
  // Shows the preview beside the control (DropWidth 0: the control's width);
  // FitWidth is what has to fit before the work area ends.
  void ShowPreviewAt(int DropWidth, int FitWidth);
  // The selected item (not item 0) goes to the recent section, which is selected.
  void AddSelectedToRecent();
  void DrawFontListItem(int Index, TRect Rect, TOwnerDrawState State, TQvShowStyle Style, bool ClipText,
                        bool RecentSeparator);

private:
  Control& Self() { return static_cast<Control&>(*this); }
  template <class T>
  void SetReloading(T& Field, T V);

  std::string FSavedFontName;
  TFont* FSelectedFont = nullptr;
  TQvFontDevice FFontDevice = fdScreen;
  TQvFontType FFontType = ftAll;
  int FFontSize = 8;
  TFontStyles FFontStyle;
  bool FShowSymbolFonts = true;
  TQvShowStyle FShowStyle = ssFontName;
  TBitmap* FGlyphs[5] = {};
  TQvPreviewFontPanel* FPreviewPanel = nullptr;
  int FPreviewFontSize = 36;
  int FPreviewWidth = 260;
  int FPreviewHeight = 65;
  TCustomEdit* FPreviewEdit = nullptr;
  std::string FPreviewText;
  int FLastMRUIndex = -1;
  bool FMaintainMRUFonts;
};

class TQvFontComboBox : public TQvCustomComboBox, public TQvFontListCommon<TQvFontComboBox> {
  DTU_CLASS(TQvFontComboBox, TQvCustomComboBox)
public:
  explicit TQvFontComboBox(TComponent* AOwner);

protected:
  virtual void ShowPreviewPanel();
  void CreateWnd() override;
  void DestroyWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void DrawItem(int Index, TRect Rect, TOwnerDrawState State) override;
  void DropDown() override;
  void CloseUp() override;
  void WndProc(TMessage& Message) override;

private:
  friend class TQvFontListCommon<TQvFontComboBox>;
};

class TQvFontListBox : public TQvCustomListBox, public TQvFontListCommon<TQvFontListBox> {
  DTU_CLASS(TQvFontListBox, TQvCustomListBox)
public:
  explicit TQvFontListBox(TComponent* AOwner);

  void AddFontToMRUList() { AddSelectedToRecent(); }

protected:
  virtual void ShowPreviewPanel();
  void CreateWnd() override;
  void DestroyWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void DrawItem(int Index, TRect Rect, TOwnerDrawState State) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void WndProc(TMessage& Message) override;

private:
  friend class TQvFontListCommon<TQvFontListBox>;
  // Expires when the control is freed (an event handler may free it).
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

extern template class TQvFontListCommon<TQvFontComboBox>;
extern template class TQvFontListCommon<TQvFontListBox>;
