#include "controls/common/framecontroller.h"

#include <algorithm>

#include "controls/common/dialogs.h"
#include "platform/core/scope.h"
#include "platform/core/typinfo.h"

DTU_DEFINE_ENUM(TFramingPreference, "fpCustomFraming", "fpXPThemes")
DTU_DEFINE_ENUM(TQvFrameControllerProperty, "fcpColor", "fcpFocusColor", "fcpDisabledColor",
                "fcpReadOnlyColor", "fcpReadOnlyColorOnFocus", "fcpParentColor", "fcpFlatButtonColor",
                "fcpFlatButtons", "fcpFrameColor", "fcpFrameHotColor", "fcpFrameHotTrack",
                "fcpFrameHotStyle", "fcpFrameSides", "fcpFrameStyle", "fcpFrameVisible",
                "fcpFramingPreference", "fcpAll")

const TClassInfo& TQvFrameController::StaticClass() {
  using C = TQvFrameController;
  static const TClassInfo info =
      TClassBuilder<C>("TQvFrameController", &TComponent::StaticClass())
          .Component()
          // Written with ParentColor on too: the colour is the controller's own and
          // is pushed again once ParentColor is turned off.
          .Int("Color", &C::Color, &C::SetColor, clWindow, {}, &ColorIdents())
          .Bool("ParentColor", &C::ParentColor, &C::SetParentColor, false)
          .Int("FlatButtonColor", &C::FlatButtonColor, &C::SetFlatButtonColor, clBtnFace, {}, &ColorIdents())
          .Bool("FlatButtons", &C::FlatButtons, &C::SetFlatButtons, true)
          .Int("DisabledColor", &C::DisabledColor, &C::SetDisabledColor, clBtnFace, {}, &ColorIdents())
          .Int("ReadOnlyColor", &C::ReadOnlyColor, &C::SetReadOnlyColor, clInfoBk, {}, &ColorIdents())
          .Bool("ReadOnlyColorOnFocus", &C::ReadOnlyColorOnFocus, &C::SetReadOnlyColorOnFocus, false)
          .Int("FocusColor", &C::FocusColor, &C::SetFocusColor, clWindow, {}, &ColorIdents())
          // A form without it gives the focus colour the colour it reads (Color follows
          // into an unchanged focus colour); any other value is written.
          .Implied([](C* x) { return std::optional<int64_t>(x->Color()); })
          .Int("FrameColor", &C::FrameColor, &C::SetFrameColor, clBtnShadow, {}, &ColorIdents())
          .Int("FrameHotColor", &C::FrameHotColor, &C::SetFrameHotColor, clBtnShadow, {}, &ColorIdents())
          .Bool("FrameHotTrack", &C::FrameHotTrack, &C::SetFrameHotTrack, false)
          .Enum<TFrameStyleEx>("FrameHotStyle", &C::FrameHotStyle, &C::SetFrameHotStyle, fsFlatBold)
          .Set<TSide>("FrameSides", &C::FrameSides, &C::SetFrameSides, AllSides)
          .Enum<TFrameStyleEx>("FrameStyle", &C::FrameStyle, &C::SetFrameStyle, fsFlat)
          .Bool("FrameVisible", &C::FrameVisible, &C::SetFrameVisible, false)
          // Hot tracking shows the frame: only a frame that differs from that is written.
          .Implied([](C* x) { return std::optional<int64_t>(x->FrameHotTrack()); })
          .Enum<TFramingPreference>("FramingPreference", &C::FramingPreference, &C::SetFramingPreference,
                                    fpXPThemes)
          .Object<TQvRegIniFile>("RegIniFile", &C::RegIniFile, &C::SetRegIniFile)
          .Build();
  return info;
}

TQvFrameController::TQvFrameController(TComponent* AOwner) : TComponent(AOwner) {}

TQvFrameController::~TQvFrameController() { delete FControls; }

// ---------------------------------------------------------------------------
// Setters
// ---------------------------------------------------------------------------

void TQvFrameController::SetColor(TColor Value) {
  if (Value == FColor) return;
  // A focus colour the form being read gives is kept, whichever line comes first.
  bool focusRead = FFocusColorRead && ComponentState().Contains(csLoading);
  if (FFocusColor == FColor && !focusRead) FFocusColor = Value;
  FColor = Value;
  // A ParentColor the form being read turns on stays on, whichever line comes first.
  if (!(FParentColorRead && ComponentState().Contains(csLoading))) FParentColor = false;
  UpdateFrames(fcpColor);
}

void TQvFrameController::SetParentColor(bool Value) {
  if (ComponentState().Contains(csLoading)) FParentColorRead = Value;
  if (Value == FParentColor) return;
  FParentColor = Value;
  UpdateFrames(fcpParentColor);
  if (!Value) UpdateFrames(fcpColor);
}

#define DTU_SIMPLE_SETTER(Name, Type, Field, Prop) \
  void TQvFrameController::Set##Name(Type Value) {  \
    if (Value == Field) return;                     \
    Field = Value;                                  \
    UpdateFrames(Prop);                             \
  }
DTU_SIMPLE_SETTER(FlatButtonColor, TColor, FFlatButtonColor, fcpFlatButtonColor)
DTU_SIMPLE_SETTER(FlatButtons, bool, FFlatButtons, fcpFlatButtons)
DTU_SIMPLE_SETTER(DisabledColor, TColor, FDisabledColor, fcpDisabledColor)
DTU_SIMPLE_SETTER(ReadOnlyColor, TColor, FReadOnlyColor, fcpReadOnlyColor)
DTU_SIMPLE_SETTER(ReadOnlyColorOnFocus, bool, FReadOnlyColorOnFocus, fcpReadOnlyColorOnFocus)
DTU_SIMPLE_SETTER(FrameColor, TColor, FFrameColor, fcpFrameColor)
DTU_SIMPLE_SETTER(FrameHotColor, TColor, FFrameHotColor, fcpFrameHotColor)
DTU_SIMPLE_SETTER(FrameHotStyle, TFrameStyle, FFrameHotStyle, fcpFrameHotStyle)
DTU_SIMPLE_SETTER(FrameSides, TSides, FFrameSides, fcpFrameSides)
DTU_SIMPLE_SETTER(FrameStyle, TFrameStyle, FFrameStyle, fcpFrameStyle)
DTU_SIMPLE_SETTER(FramingPreference, TFramingPreference, FFramingPreference, fcpFramingPreference)
#undef DTU_SIMPLE_SETTER

void TQvFrameController::SetFocusColor(TColor Value) {
  if (ComponentState().Contains(csLoading)) FFocusColorRead = true;
  if (Value == FFocusColor) return;
  FFocusColor = Value;
  UpdateFrames(fcpFocusColor);
}

void TQvFrameController::SetFrameVisible(bool Value) {
  if (ComponentState().Contains(csLoading)) FFrameVisibleRead = true;
  if (Value == FFrameVisible) return;
  FFrameVisible = Value;
  UpdateFrames(fcpFrameVisible);
}

void TQvFrameController::SetFrameHotTrack(bool Value) {
  if (Value == FFrameHotTrack) return;
  FFrameHotTrack = Value;
  if (Value && !ComponentState().Contains(csLoading)) {
    SetFrameVisible(true);
    FFrameSides = AllSides;
  } else if (Value && !FFrameVisibleRead) {
    // While a form is read, a FrameVisible line of its own wins over hot tracking,
    // whichever comes first (nothing is pushed before Loaded).
    FFrameVisible = true;
  }
  UpdateFrames(fcpFrameHotTrack);
}

void TQvFrameController::SetRegIniFile(TQvRegIniFile* Value) {
  if (Value == FRegIniFile) return;
  if (FRegIniFile) FRegIniFile->RemoveFreeNotification(this);
  FRegIniFile = Value;
  if (FRegIniFile) FRegIniFile->FreeNotification(this);
}

// ---------------------------------------------------------------------------
// Registered controls
// ---------------------------------------------------------------------------

void TQvFrameController::AddControl(TComponent* Control) {
  if (!Control) return;
  if (!FControls) FControls = new std::vector<TComponent*>;
  if (std::find(FControls->begin(), FControls->end(), Control) != FControls->end()) return;
  FControls->push_back(Control);
  Control->FreeNotification(this);
  UpdateControlFrame(Control, fcpAll);
}

void TQvFrameController::RemoveControl(TComponent* Control) {
  if (!FControls) return;
  auto it = std::find(FControls->begin(), FControls->end(), Control);
  if (it == FControls->end()) return;
  FControls->erase(it);
  if (Control != FRegIniFile) Control->RemoveFreeNotification(this);
  if (FControls->empty()) FreeAndNil(FControls);
}

void TQvFrameController::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FRegIniFile) FRegIniFile = nullptr;
  if (FControls) {
    auto it = std::find(FControls->begin(), FControls->end(), AComponent);
    if (it != FControls->end()) {
      FControls->erase(it);
      if (FControls->empty()) FreeAndNil(FControls);
    }
  }
}

void TQvFrameController::EndUpdate() {
  --FUpdateCount;
  if (FUpdateCount < 1) {
    FUpdateCount = 0;
    UpdateFrames(fcpAll);
  }
}

void TQvFrameController::Loaded() {
  inherited::Loaded();
  FFocusColorRead = FFrameVisibleRead = FParentColorRead = false;
  UpdateControls();
}

void TQvFrameController::UpdateFrames(TQvFrameControllerProperty Property) {
  // Nothing is pushed inside BeginUpdate..EndUpdate, nor while the form that holds
  // the controller is still being read (Loaded pushes everything then).
  if (FUpdateCount >= 1 || ComponentState().Contains(csLoading) || !FControls) return;
  // A control may unregister while it receives the values: walk a copy and skip
  // controls no longer registered.
  std::vector<TComponent*> controls = *FControls;
  for (TComponent* c : controls) {
    if (!FControls || std::find(FControls->begin(), FControls->end(), c) == FControls->end()) continue;
    UpdateControlFrame(c, Property);
  }
}

TQvFrameControllerNotifications TQvFrameController::GetNotifications(TComponent* Control) const {
  const TPropInfo* p = GetPropInfo(Control, "FrameControllerNotifications");
  if (p && p->Kind == TTypeKind::tkSet && p->GetOrd)
    return TQvFrameControllerNotifications::FromInt(static_cast<uint64_t>(p->GetOrd(Control)) &
                                                    AllFrameControllerNotifications);
  return TQvFrameControllerNotifications::FromInt(AllFrameControllerNotifications);
}

namespace {
// Writes an ordinal property the control publishes; a missing or read-only one is
// skipped.
void PutOrd(TComponent* Control, const char* Name, int64_t Value) {
  const TPropInfo* p = GetPropInfo(Control, Name);
  if (p && p->SetOrd && p->Kind != TTypeKind::tkSet) p->SetOrd(Control, Value);
}

// Writes the sides by element name, so set types of other declarations with the
// same names match; names the control's type lacks are left out.
void PutSides(TComponent* Control, TSides Sides) {
  const TPropInfo* p = GetPropInfo(Control, "FrameSides");
  if (!p || !p->SetOrd || p->Kind != TTypeKind::tkSet || !p->TypeInfo || !p->TypeInfo->CompType) return;
  const TTypeInfo& mine = TEnumTraits<TSide>::Info();
  const TTypeInfo& theirs = *p->TypeInfo->CompType;
  int64_t bits = 0;
  for (int i = 0; i < static_cast<int>(mine.Names.size()); ++i) {
    if (!Sides.Contains(static_cast<TSide>(i))) continue;
    int64_t o = GetEnumValue(theirs, mine.Names[i]);
    if (o >= 0 && o < 64) bits |= int64_t(1) << o;
  }
  p->SetOrd(Control, bits);
}
}  // namespace

void TQvFrameController::UpdateControlFrame(TComponent* Control, TQvFrameControllerProperty Property) {
  if (!dynamic_cast<TControl*>(Control)) return;
  TQvFrameControllerNotifications n = GetNotifications(Control);
  if (auto* custom = dynamic_cast<IQvCustomFramingNotification*>(Control)) {
    custom->CustomFramingChanged();
    return;
  }
  auto put = [&](TQvFrameControllerProperty P) {
    if (!n.Contains(P)) return;
    switch (P) {
      case fcpColor: PutOrd(Control, "Color", FColor); break;
      case fcpFocusColor: PutOrd(Control, "FocusColor", FFocusColor); break;
      case fcpDisabledColor: PutOrd(Control, "DisabledColor", FDisabledColor); break;
      case fcpReadOnlyColor: PutOrd(Control, "ReadOnlyColor", FReadOnlyColor); break;
      case fcpReadOnlyColorOnFocus: PutOrd(Control, "ReadOnlyColorOnFocus", FReadOnlyColorOnFocus); break;
      case fcpParentColor: PutOrd(Control, "ParentColor", FParentColor); break;
      case fcpFlatButtonColor: PutOrd(Control, "FlatButtonColor", FFlatButtonColor); break;
      case fcpFlatButtons: PutOrd(Control, "FlatButtons", FFlatButtons); break;
      case fcpFrameColor: PutOrd(Control, "FrameColor", FFrameColor); break;
      case fcpFrameHotColor: PutOrd(Control, "FrameHotColor", FFrameHotColor); break;
      case fcpFrameHotTrack: PutOrd(Control, "FrameHotTrack", FFrameHotTrack); break;
      case fcpFrameHotStyle: PutOrd(Control, "FrameHotStyle", static_cast<int64_t>(FFrameHotStyle)); break;
      case fcpFrameSides: PutSides(Control, FFrameSides); break;
      case fcpFrameStyle: PutOrd(Control, "FrameStyle", static_cast<int64_t>(FFrameStyle)); break;
      case fcpFrameVisible: PutOrd(Control, "FrameVisible", FFrameVisible); break;
      case fcpFramingPreference:
        PutOrd(Control, "FramingPreference", static_cast<int64_t>(FFramingPreference));
        break;
      case fcpAll: break;
    }
  };
  if (Property != fcpAll) {
    put(Property);
    return;
  }
  put(fcpParentColor);
  if (!FParentColor) put(fcpColor);
  for (auto p : {fcpDisabledColor, fcpReadOnlyColor, fcpReadOnlyColorOnFocus, fcpFocusColor,
                 fcpFlatButtonColor, fcpFlatButtons, fcpFrameColor, fcpFrameHotColor, fcpFrameHotTrack,
                 fcpFrameHotStyle, fcpFrameSides, fcpFrameStyle, fcpFrameVisible, fcpFramingPreference})
    put(p);
}

// ---------------------------------------------------------------------------
// Copying, saving and loading
// ---------------------------------------------------------------------------

void TQvFrameController::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TQvFrameController*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  BeginUpdate();
  FColor = src->FColor;
  FDisabledColor = src->FDisabledColor;
  FReadOnlyColor = src->FReadOnlyColor;
  FReadOnlyColorOnFocus = src->FReadOnlyColorOnFocus;
  FFlatButtonColor = src->FFlatButtonColor;
  FFlatButtons = src->FFlatButtons;
  FFocusColor = src->FFocusColor;
  FFrameColor = src->FFrameColor;
  FFrameHotColor = src->FFrameHotColor;
  FFrameHotTrack = src->FFrameHotTrack;
  FFrameHotStyle = src->FFrameHotStyle;
  FFrameSides = src->FFrameSides;
  FFrameStyle = src->FFrameStyle;
  FFrameVisible = src->FFrameVisible;
  FFramingPreference = src->FFramingPreference;
  FParentColor = src->FParentColor;
  EndUpdate();
}

namespace {
// A stored ordinal within 0..Count-1, else Default.
int Ordinal(int Value, int Count, int Default) { return Value >= 0 && Value < Count ? Value : Default; }
}  // namespace

void TQvFrameController::Load(const std::string& Section) {
  if (!FRegIniFile) throw ENoRegIniFile(sQvCannotLoadFraming);
  TQvRegIniFile* r = FRegIniFile;
  r->BeginUpdate();  // the file is read once for all the values
  TOnExit readDone([r] { r->EndUpdate(); });
  BeginUpdate();
  TOnExit updated([this] { EndUpdate(); });
  FColor = r->ReadInteger(Section, "Color", clWindow);
  FFlatButtonColor = r->ReadInteger(Section, "FlatButtonColor", clBtnFace);
  FFlatButtons = r->ReadBool(Section, "FlatButtons", true);
  FDisabledColor = r->ReadInteger(Section, "DisabledColor", clWindow);
  FReadOnlyColor = r->ReadInteger(Section, "ReadOnlyColor", clInfoBk);
  FReadOnlyColorOnFocus = r->ReadBool(Section, "ReadOnlyColorOnFocus", false);
  FFocusColor = r->ReadInteger(Section, "FocusColor", clWindow);
  FFrameColor = r->ReadInteger(Section, "FrameColor", clBtnShadow);
  FFrameHotColor = r->ReadInteger(Section, "FrameHotColor", clBtnShadow);
  FFrameHotStyle = static_cast<TFrameStyle>(
      Ordinal(r->ReadInteger(Section, "FrameHotStyle", 10), FrameStyleCount, 10));
  FFrameHotTrack = r->ReadBool(Section, "FrameHotTrack", false);
  TSides sides;
  if (r->ReadBool(Section, "FrameSides_Left", true)) sides << sdLeft;
  if (r->ReadBool(Section, "FrameSides_Top", true)) sides << sdTop;
  if (r->ReadBool(Section, "FrameSides_Right", true)) sides << sdRight;
  if (r->ReadBool(Section, "FrameSides_Bottom", true)) sides << sdBottom;
  FFrameSides = sides;
  FFrameStyle = static_cast<TFrameStyle>(Ordinal(r->ReadInteger(Section, "FrameStyle", 1), FrameStyleCount, 1));
  FFrameVisible = r->ReadBool(Section, "FrameVisible", false);
  FFramingPreference =
      static_cast<TFramingPreference>(Ordinal(r->ReadInteger(Section, "FramingPreference", 1), 2, 1));
}

void TQvFrameController::Save(const std::string& Section) {
  if (!FRegIniFile) throw ENoRegIniFile(sQvCannotSaveFraming);
  TQvRegIniFile* r = FRegIniFile;
  r->BeginUpdate();  // every value in one replacement of the file
  TOnExit written([r] { r->EndUpdate(); });
  r->WriteInteger(Section, "Color", FColor);
  r->WriteInteger(Section, "FlatButtonColor", FFlatButtonColor);
  r->WriteBool(Section, "FlatButtons", FFlatButtons);
  r->WriteInteger(Section, "DisabledColor", FDisabledColor);
  r->WriteInteger(Section, "ReadOnlyColor", FReadOnlyColor);
  r->WriteBool(Section, "ReadOnlyColorOnFocus", FReadOnlyColorOnFocus);
  r->WriteInteger(Section, "FocusColor", FFocusColor);
  r->WriteInteger(Section, "FrameColor", FFrameColor);
  r->WriteInteger(Section, "FrameHotColor", FFrameHotColor);
  r->WriteInteger(Section, "FrameHotStyle", static_cast<int>(FFrameHotStyle));
  r->WriteBool(Section, "FrameHotTrack", FFrameHotTrack);
  r->WriteBool(Section, "FrameSides_Left", FFrameSides.Contains(sdLeft));
  r->WriteBool(Section, "FrameSides_Top", FFrameSides.Contains(sdTop));
  r->WriteBool(Section, "FrameSides_Right", FFrameSides.Contains(sdRight));
  r->WriteBool(Section, "FrameSides_Bottom", FFrameSides.Contains(sdBottom));
  r->WriteInteger(Section, "FrameStyle", static_cast<int>(FFrameStyle));
  r->WriteBool(Section, "FrameVisible", FFrameVisible);
  r->WriteInteger(Section, "FramingPreference", static_cast<int>(FFramingPreference));
}

// ---------------------------------------------------------------------------
// Retired properties of older forms (read, never written)
// ---------------------------------------------------------------------------

void TQvFrameController::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineProperty("FrameFlat", [this](TReader* R) { ReadFrameFlat(R); }, nullptr, false);
  Filer->DefineProperty("FrameFocusStyle", [this](TReader* R) { ReadFrameFocusStyle(R); }, nullptr, false);
  Filer->DefineProperty("FrameFlatStyle", TQvOldPropReader::ReadOldEnumProp, nullptr, false);
}

void TQvFrameController::ReadFrameFlat(TReader* Reader) {
  TValueType t = Reader->NextValue();
  if (t != vaTrue && t != vaFalse) {
    Reader->SkipValue();  // stored as something else by some version: dropped
    return;
  }
  bool flat = Reader->ReadBoolean();
  SetFrameHotTrack(flat);
  if (flat) {
    SetFrameStyle(fsStatus);
    SetFrameHotStyle(fsLowered);
  }
}

void TQvFrameController::ReadFrameFocusStyle(TReader* Reader) {
  if (Reader->NextValue() != vaIdent) {
    Reader->SkipValue();
    return;
  }
  int64_t v = GetEnumValue(TEnumTraits<TFrameStyleEx>::Info(), Reader->ReadIdent());
  if (v >= 0 && v < FrameStyleCount) SetFrameHotStyle(static_cast<TFrameStyle>(v));
}

void SwitchFrameController(TQvFrameController*& Field, TQvFrameController* Value, TComponent* Control) {
  if (Field == Value) return;
  if (Field) Field->RemoveControl(Control);
  Field = Value;
  if (Value) {
    Value->AddControl(Control);
    Value->FreeNotification(Control);
  }
}
