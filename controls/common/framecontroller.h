#pragma once
// TQvFrameController: one set of framing properties (colours, frame styles, sides,
// hot tracking, flat buttons, framing preference) pushed to every framed control
// that names the controller as its FrameController, saved and loaded through a
// TQvRegIniFile.
#include <string>
#include <vector>

#include "controls/common/frames.h"
#include "controls/common/storage.h"
#include "platform/controls/controls.h"

enum class TFramingPreference { fpCustomFraming, fpXPThemes };
using enum TFramingPreference;
DTU_DECLARE_ENUM(TFramingPreference)

enum class TQvFrameControllerProperty {
  fcpColor, fcpFocusColor, fcpDisabledColor, fcpReadOnlyColor, fcpReadOnlyColorOnFocus,
  fcpParentColor, fcpFlatButtonColor, fcpFlatButtons, fcpFrameColor, fcpFrameHotColor,
  fcpFrameHotTrack, fcpFrameHotStyle, fcpFrameSides, fcpFrameStyle, fcpFrameVisible,
  fcpFramingPreference, fcpAll
};
using enum TQvFrameControllerProperty;
DTU_DECLARE_ENUM(TQvFrameControllerProperty)
// Which of the sixteen single properties (fcpColor..fcpFramingPreference) a control
// accepts; a control chooses with a published "FrameControllerNotifications".
using TQvFrameControllerNotifications = TSet<TQvFrameControllerProperty>;
constexpr uint64_t AllFrameControllerNotifications = 0xFFFF;

// A framed control that re-reads the controller itself instead of receiving the
// values through its published properties.
class IQvCustomFramingNotification {
public:
  virtual ~IQvCustomFramingNotification() = default;
  virtual void CustomFramingChanged() = 0;
};

class TQvFrameController : public TComponent {
  DTU_CLASS(TQvFrameController, TComponent)
public:
  explicit TQvFrameController(TComponent* AOwner);
  ~TQvFrameController() override;

  TColor Color() const { return FColor; }
  virtual void SetColor(TColor Value);
  bool ParentColor() const { return FParentColor; }
  virtual void SetParentColor(bool Value);
  TColor FlatButtonColor() const { return FFlatButtonColor; }
  virtual void SetFlatButtonColor(TColor Value);
  bool FlatButtons() const { return FFlatButtons; }
  virtual void SetFlatButtons(bool Value);
  TColor DisabledColor() const { return FDisabledColor; }
  virtual void SetDisabledColor(TColor Value);
  TColor ReadOnlyColor() const { return FReadOnlyColor; }
  virtual void SetReadOnlyColor(TColor Value);
  bool ReadOnlyColorOnFocus() const { return FReadOnlyColorOnFocus; }
  virtual void SetReadOnlyColorOnFocus(bool Value);
  TColor FocusColor() const { return FFocusColor; }
  virtual void SetFocusColor(TColor Value);
  TColor FrameColor() const { return FFrameColor; }
  virtual void SetFrameColor(TColor Value);
  TColor FrameHotColor() const { return FFrameHotColor; }
  virtual void SetFrameHotColor(TColor Value);
  bool FrameHotTrack() const { return FFrameHotTrack; }
  // True also makes the frame visible and, unless loading, puts it on all sides.
  virtual void SetFrameHotTrack(bool Value);
  TFrameStyle FrameHotStyle() const { return FFrameHotStyle; }
  virtual void SetFrameHotStyle(TFrameStyle Value);
  TSides FrameSides() const { return FFrameSides; }
  virtual void SetFrameSides(TSides Value);
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  virtual void SetFrameStyle(TFrameStyle Value);
  bool FrameVisible() const { return FFrameVisible; }
  virtual void SetFrameVisible(bool Value);
  TFramingPreference FramingPreference() const { return FFramingPreference; }
  virtual void SetFramingPreference(TFramingPreference Value);
  TQvRegIniFile* RegIniFile() const { return FRegIniFile; }
  virtual void SetRegIniFile(TQvRegIniFile* Value);

  // Registers a control (and pushes everything to it at once) / unregisters it.
  // The controller asks each registered control for free notification, so a
  // control freed without unregistering is dropped, never touched again.
  void AddControl(TComponent* Control);
  void RemoveControl(TComponent* Control);
  int ControlCount() const { return static_cast<int>(FControls ? FControls->size() : 0); }
  void BeginUpdate() { ++FUpdateCount; }
  // The outermost EndUpdate pushes everything once.
  void EndUpdate();
  void UpdateControls() { UpdateFrames(fcpAll); }
  // The control's published "FrameControllerNotifications", or all sixteen.
  TQvFrameControllerNotifications GetNotifications(TComponent* Control) const;

  // Reads / writes the settings as the values of Section; without a RegIniFile
  // they raise ENoRegIniFile. Stored ordinals outside their types give the load
  // defaults.
  void Load(const std::string& Section);
  void Save(const std::string& Section);

  void Assign(TPersistent* Source) override;
  void Loaded() override;
  void DefineProperties(TFiler* Filer) override;

protected:
  virtual void UpdateControlFrame(TComponent* Control, TQvFrameControllerProperty Property);
  virtual void UpdateFrames(TQvFrameControllerProperty Property);
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void ReadFrameFlat(TReader* Reader);
  void ReadFrameFocusStyle(TReader* Reader);

  TColor FColor = clWindow;
  bool FParentColor = false;
  std::vector<TComponent*>* FControls = nullptr;
  TColor FFlatButtonColor = clBtnFace;
  bool FFlatButtons = true;
  TColor FDisabledColor = clBtnFace;
  TColor FReadOnlyColor = clInfoBk;
  bool FReadOnlyColorOnFocus = false;
  TColor FFocusColor = clWindow;
  TColor FFrameColor = clBtnShadow;
  TColor FFrameHotColor = clBtnShadow;
  bool FFrameHotTrack = false;
  TFrameStyle FFrameHotStyle = fsFlatBold;
  TSides FFrameSides = AllSides;
  TFrameStyle FFrameStyle = fsFlat;
  bool FFrameVisible = false;
  TFramingPreference FFramingPreference = fpXPThemes;
  int FUpdateCount = 0;
  TQvRegIniFile* FRegIniFile = nullptr;
  // The form being read gave these (Color and FrameHotTrack leave them alone then).
  bool FFocusColorRead = false;
  bool FParentColorRead = false;  // the form being read turns ParentColor on (until Loaded)
  bool FFrameVisibleRead = false;
};

// A framed control's FrameController setter: the old controller forgets Control, the
// new one registers it and tells it when the controller is freed. Nothing happens
// when Value is already the controller.
void SwitchFrameController(TQvFrameController*& Field, TQvFrameController* Value, TComponent* Control);
