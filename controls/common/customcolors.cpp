#include "controls/common/customcolors.h"

#include "platform/core/sysutils.h"
#include "platform/core/typinfo.h"

const TClassInfo& TQvCustomColors::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TQvCustomColors>("TQvCustomColors", &TComponent::StaticClass())
          .Component()
          .Object<TStrings>("Colors", &TQvCustomColors::Colors, &TQvCustomColors::SetColors)
          .Object<TQvRegIniFile>("RegIniFile", &TQvCustomColors::RegIniFile, &TQvCustomColors::SetRegIniFile)
          .Build();
  return info;
}

TQvCustomColors::TQvCustomColors(TComponent* AOwner) : TComponent(AOwner), FColors(new TStringList) {
  InitColors();
}

TQvCustomColors::~TQvCustomColors() { delete FColors; }

void TQvCustomColors::InitColors() {
  for (char c = 'A'; c <= 'P'; ++c) FColors->Add(std::string("Color") + c + "=FFFFFF");
}

void TQvCustomColors::SetColors(TStrings* Value) { FColors->Assign(Value); }

void TQvCustomColors::SetRegIniFile(TQvRegIniFile* Value) {
  if (Value == FRegIniFile) return;
  if (FRegIniFile) FRegIniFile->RemoveFreeNotification(this);
  FRegIniFile = Value;
  if (FRegIniFile) FRegIniFile->FreeNotification(this);
}

void TQvCustomColors::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FRegIniFile) FRegIniFile = nullptr;
}

std::string TQvCustomColors::GetColorName(int Index) const { return FColors->Names(Index); }

void TQvCustomColors::FixupColors(TStrings* Lines) {
  TStringList fixed;
  for (int i = 0; i < Lines->Count(); ++i) {
    std::string name = Lines->Names(i);
    int c = StrToInt("$" + Lines->Values(name)) & 0xFFFFFF;
    fixed.Add(name + "=" + IntToHex(c, 6));
  }
  Lines->Assign(&fixed);
}

void TQvCustomColors::Load(const std::string& Section) {
  if (!FRegIniFile) throw ENoRegIniFile(sQvCannotLoadColors);
  TStringList lines;
  FRegIniFile->ReadSectionValues(Section, &lines);
  FixupColors(&lines);
  FColors->Assign(&lines);
}

void TQvCustomColors::Save(const std::string& Section) {
  if (!FRegIniFile) throw ENoRegIniFile(sQvCannotSaveColors);
  for (int i = 0; i < FColors->Count(); ++i)
    FRegIniFile->WriteString(Section, FColors->Names(i), FColors->ValueFromIndex(i));
}
