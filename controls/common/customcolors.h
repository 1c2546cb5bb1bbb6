#pragma once
// TQvCustomColors: sixteen custom colours, kept as "ColorA=FFFFFF" .. "ColorP=..."
// lines, shared by the colour pickers, edits and combo boxes and saved through a
// TQvRegIniFile.
#include <string>

#include "controls/common/storage.h"
#include "platform/core/object.h"
#include "platform/core/strings.h"

class TQvCustomColors : public TComponent {
  DTU_CLASS(TQvCustomColors, TComponent)
public:
  explicit TQvCustomColors(TComponent* AOwner);
  ~TQvCustomColors() override;

  TStrings* Colors() const { return FColors; }
  virtual void SetColors(TStrings* Value);
  TQvRegIniFile* RegIniFile() const { return FRegIniFile; }
  virtual void SetRegIniFile(TQvRegIniFile* Value);

  // The name part of line Index.
  std::string GetColorName(int Index) const;
  // Replaces the lines with those of Section and normalises them. A value that is
  // not hexadecimal raises EConvertError and leaves the colours as they were.
  void Load(const std::string& Section);
  // Writes every line, in order, as a string value of Section.
  void Save(const std::string& Section);

protected:
  virtual void InitColors();
  // Each line's value becomes its low 24 bits as six upper-case hex digits. The
  // lines are normalised aside and replace Colors only when all of them converted.
  void FixupColors(TStrings* Lines);
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  TStringList* FColors;
  TQvRegIniFile* FRegIniFile = nullptr;
};
