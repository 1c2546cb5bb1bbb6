#pragma once
// Ini-style settings: TCustomIniFile, the typed front every settings store offers,
// and TIniFile over a text file of [Section] headers and Name=Value lines.
//
// Value formats (shared by every TCustomIniFile unless a store overrides them):
//   integer    decimal text; reading also takes hex as "0x1F" or "$1F"
//   Boolean    "1" or "0"; reading takes any integer (non-zero is true)
//   float      FloatToStr text (15 significant digits, DecimalSeparator)
//   date       ShortDateFormat text ("2026-12-7"), time LongTimeFormat ("13:05:00"),
//              date-time the date, a blank and the time (the time left out at midnight)
//   binary     two upper-case hex digits per byte, no separators ("0AFF")
// Text that does not convert gives the caller's default.
#include <memory>
#include <string>

#include "platform/core/object.h"
#include "platform/core/streams.h"
#include "platform/core/strings.h"
#include "platform/core/sysutils.h"

class TCustomIniFile : public TObject {
  DTU_CLASS(TCustomIniFile, TObject)
public:
  explicit TCustomIniFile(const std::string& FileName) : FFileName(FileName) {}
  const std::string& FileName() const { return FFileName; }

  virtual std::string ReadString(const std::string& Section, const std::string& Ident,
                                 const std::string& Default) = 0;
  virtual void WriteString(const std::string& Section, const std::string& Ident,
                           const std::string& Value) = 0;
  virtual int ReadInteger(const std::string& Section, const std::string& Ident, int Default);
  virtual void WriteInteger(const std::string& Section, const std::string& Ident, int Value);
  virtual bool ReadBool(const std::string& Section, const std::string& Ident, bool Default);
  virtual void WriteBool(const std::string& Section, const std::string& Ident, bool Value);
  virtual double ReadFloat(const std::string& Section, const std::string& Ident, double Default);
  virtual void WriteFloat(const std::string& Section, const std::string& Ident, double Value);
  virtual TDateTime ReadDate(const std::string& Section, const std::string& Ident, TDateTime Default);
  virtual void WriteDate(const std::string& Section, const std::string& Ident, TDateTime Value);
  virtual TDateTime ReadDateTime(const std::string& Section, const std::string& Ident,
                                 TDateTime Default);
  virtual void WriteDateTime(const std::string& Section, const std::string& Ident, TDateTime Value);
  virtual TDateTime ReadTime(const std::string& Section, const std::string& Ident, TDateTime Default);
  virtual void WriteTime(const std::string& Section, const std::string& Ident, TDateTime Value);
  // Reads the value's bytes into Value at its position (the stream grows as needed)
  // and puts the position back where the bytes start; returns how many were read.
  virtual int ReadBinaryStream(const std::string& Section, const std::string& Name, TStream* Value);
  // Writes the bytes of Value from its position to its end.
  virtual void WriteBinaryStream(const std::string& Section, const std::string& Name, TStream* Value);

  // Value names of a section / section names / "Name=Value" lines of a section;
  // each clears Strings first.
  virtual void ReadSection(const std::string& Section, TStrings* Strings) = 0;
  virtual void ReadSections(TStrings* Strings) = 0;
  virtual void ReadSectionValues(const std::string& Section, TStrings* Strings) = 0;
  virtual bool SectionExists(const std::string& Section);
  virtual bool ValueExists(const std::string& Section, const std::string& Ident);
  virtual void EraseSection(const std::string& Section) = 0;
  virtual void DeleteKey(const std::string& Section, const std::string& Ident) = 0;
  // Nothing is held back outside BeginUpdate/EndUpdate (every write goes to the
  // store at once); kept for callers.
  virtual void UpdateFile() {}
  // Many values as one change: between BeginUpdate and the matching EndUpdate (they
  // nest) reads and writes work on one reading of the store, and EndUpdate writes
  // every change made meanwhile in one replacement, under the store's lock, over the
  // store as it is then (a change another program made meanwhile stays, unless the
  // same value was written here). A failed write raises from EndUpdate. Single
  // writes outside stay write-through. The base class holds nothing back.
  virtual void BeginUpdate() {}
  virtual void EndUpdate() {}

private:
  std::string FFileName;
};

// An ini file read on every call and rewritten on every change (one change at a
// time, among threads and, through a lock on the file's folder, among processes),
// so two objects (or programs) on one file see each other's writes at once and
// lose none of them. Each change replaces the file atomically (AtomicWriteFile;
// BeginUpdate/EndUpdate gather many changes into one replacement); a change that
// cannot be written raises EIniFileException "Unable to write to <file>: <reason>"
// and leaves the file as it was. Sections and names compare without regard to
// ASCII case; values are read trimmed, with one pair of enclosing quotes removed.
// Lines starting with ";" are comments. A UTF-8 byte-order mark at the start is
// skipped (and kept when the file is written). A section, name or value holding a
// line break, a section name holding "]" or a name holding "=" or starting with
// "[" or ";" cannot be written back and raises EIniFileException before anything
// is written.
class TIniFile : public TCustomIniFile {
  DTU_CLASS(TIniFile, TCustomIniFile)
public:
  explicit TIniFile(const std::string& FileName);
  // Writes what a BeginUpdate left pending (a failure is not reported).
  ~TIniFile() override;

  std::string ReadString(const std::string& Section, const std::string& Ident,
                         const std::string& Default) override;
  void WriteString(const std::string& Section, const std::string& Ident,
                   const std::string& Value) override;
  void ReadSection(const std::string& Section, TStrings* Strings) override;
  void ReadSections(TStrings* Strings) override;
  void ReadSectionValues(const std::string& Section, TStrings* Strings) override;
  void EraseSection(const std::string& Section) override;
  void DeleteKey(const std::string& Section, const std::string& Ident) override;
  void BeginUpdate() override;
  void EndUpdate() override;

private:
  // Writes one change through, or into the open batch.
  void Change(int Kind, const std::string& Section, const std::string& Name, const std::string& Value);
  struct TBatch;
  std::unique_ptr<TBatch> FBatch;
  int FUpdateCount = 0;
};

// Date and time text as the ini formats above write and read it (EConvertError
// "'<text>' is not a valid date" / "... time" / "... date and time" when it does not
// convert).
std::string IniDateToStr(TDateTime Value);
std::string IniTimeToStr(TDateTime Value);
std::string IniDateTimeToStr(TDateTime Value);
TDateTime IniStrToDate(const std::string& S);
TDateTime IniStrToTime(const std::string& S);
TDateTime IniStrToDateTime(const std::string& S);
