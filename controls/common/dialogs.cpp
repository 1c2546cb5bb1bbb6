#include "controls/common/dialogs.h"

#include "platform/core/typinfo.h"

const TClassInfo& TQvDialogComponent::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TQvDialogComponent>("TQvDialogComponent", &TComponent::StaticClass())
          .Component()
          .Bool("CenterToParent", &TQvDialogComponent::CenterToParent, &TQvDialogComponent::SetCenterToParent,
                false)
          .Int("OriginLeft", &TQvDialogComponent::OriginLeft, &TQvDialogComponent::SetOriginLeft, 100)
          .Int("OriginTop", &TQvDialogComponent::OriginTop, &TQvDialogComponent::SetOriginTop, 100)
          .Enum<TPosition>("Position", &TQvDialogComponent::Position, &TQvDialogComponent::SetPosition,
                           poScreenCenter)
          // CenterToParent read gives poOwnerFormCenter.
          .Implied([](TQvDialogComponent* d) {
            return d->CenterToParent() ? std::optional<int64_t>(static_cast<int64_t>(poOwnerFormCenter)) : std::nullopt;
          })
          .Build();
  return info;
}

TQvDialogComponent::TQvDialogComponent(TComponent* AOwner) : TComponent(AOwner), FFont(new TFont) {
  if (auto* form = dynamic_cast<TForm*>(AOwner)) {
    FFont->Assign(form->Font());
  } else {
    FFont->SetName("MS Sans Serif");
    FFont->SetSize(8);
    FFont->SetStyle({});
  }
}

TQvDialogComponent::~TQvDialogComponent() { delete FFont; }

void TQvDialogComponent::SetFont(TFont* Value) { FFont->Assign(Value); }

void TQvDialogComponent::SetCenterToParent(bool Value) {
  if (Value == FCenterToParent) return;
  FCenterToParent = Value;
  // A Position the stream being read holds stays as read.
  if (!(ComponentState().Contains(csReading) && FPositionRead)) FPosition = Value ? poOwnerFormCenter : poScreenCenter;
}

void TQvDialogComponent::CenterForm(TCustomForm* Form) { Form->SetPosition(FPosition); }

const TClassInfo& TQvOldPropReader::StaticClass() {
  static const TClassInfo info{"TQvOldPropReader", &TObject::StaticClass(), {}, {}, {}};
  return info;
}

void TQvOldPropReader::ReadOldBooleanProp(TReader* Reader) { Reader->SkipValue(); }
void TQvOldPropReader::ReadOldEnumProp(TReader* Reader) { Reader->SkipValue(); }
void TQvOldPropReader::ReadOldIdentProp(TReader* Reader) { Reader->SkipValue(); }
void TQvOldPropReader::ReadOldIntegerProp(TReader* Reader) { Reader->SkipValue(); }
void TQvOldPropReader::ReadOldSetProp(TReader* Reader) { Reader->SkipValue(); }
void TQvOldPropReader::ReadOldStringProp(TReader* Reader) { Reader->SkipValue(); }
void TQvOldPropReader::WriteOldProp(TWriter*) {}
