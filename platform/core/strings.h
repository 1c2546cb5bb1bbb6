#pragma once
// The class library's lists: TList (untyped pointers), TStrings (the abstract
// string list every control's Items and Lines derive from) and TStringList.
// Strings are 8-bit GBK text.
#include <functional>
#include <string>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/object.h"

class TStream;

// ---------------------------------------------------------------------------
// TList
// ---------------------------------------------------------------------------

using TListSortCompare = std::function<int(void* Item1, void* Item2)>;

// A growable list of untyped pointers; bad indexes raise EListError
// "List index out of bounds (%d)".
class TList : public TObject {
  DTU_CLASS(TList, TObject)
public:
  TList() = default;
  ~TList() override = default;

  int Add(void* Item);
  void Insert(int Index, void* Item);
  void Delete(int Index);
  int Remove(void* Item);  // index it had, or -1
  int IndexOf(void* Item) const;
  void* Items(int Index) const;
  void SetItems(int Index, void* Item);
  void* operator[](int Index) const { return Items(Index); }
  int Count() const { return static_cast<int>(FList.size()); }
  void SetCount(int NewCount);  // grows with nulls, shrinks from the end
  int Capacity() const { return static_cast<int>(FList.capacity()); }
  void SetCapacity(int NewCapacity);
  void Exchange(int Index1, int Index2);
  void Move(int CurIndex, int NewIndex);
  void* First() const { return Items(0); }
  void* Last() const { return Items(Count() - 1); }
  virtual void Clear();
  void Pack();  // removes the null items
  void Sort(const TListSortCompare& Compare);

private:
  void CheckIndex(int Index) const;
  std::vector<void*> FList;
};

// ---------------------------------------------------------------------------
// TStrings
// ---------------------------------------------------------------------------

// The abstract list of strings with an object per item. Descendants store the
// items: they implement Get, GetCount, Insert, Delete and Clear (and usually
// GetObject, PutObject and Put); everything else is built on those, so a
// control's Items can route every item operation through its own messages.
class TStrings : public TPersistent {
  DTU_CLASS(TStrings, TPersistent)
public:
  TStrings() = default;
  ~TStrings() override = default;

  // Items
  std::string Strings(int Index) const { return Get(Index); }
  void SetStrings(int Index, const std::string& S) { Put(Index, S); }
  TObject* Objects(int Index) const { return GetObject(Index); }
  void SetObjects(int Index, TObject* AObject) { PutObject(Index, AObject); }
  int Count() const { return GetCount(); }

  virtual int Add(const std::string& S);
  virtual int AddObject(const std::string& S, TObject* AObject);
  void Append(const std::string& S) { Add(S); }
  virtual void AddStrings(TStrings* Strings);
  // Another TStrings: its items, objects and separators replace these; anything
  // else goes to the inherited Assign.
  void Assign(TPersistent* Source) override;
  virtual void Clear() = 0;
  virtual void Delete(int Index) = 0;
  virtual void Insert(int Index, const std::string& S) = 0;
  virtual void InsertObject(int Index, const std::string& S, TObject* AObject);
  virtual void Exchange(int Index1, int Index2);
  virtual void Move(int CurIndex, int NewIndex);
  virtual int IndexOf(const std::string& S) const;
  virtual int IndexOfName(const std::string& Name) const;
  virtual int IndexOfObject(TObject* AObject) const;
  // Same count and the same strings, byte for byte.
  bool Equals(TStrings* Strings) const;

  // Change notification is held back between the outermost BeginUpdate and EndUpdate.
  void BeginUpdate();
  void EndUpdate();

  // name=value items
  std::string Names(int Index) const;  // "" when the item has no separator
  std::string Values(const std::string& Name) const;
  // A non-empty value replaces or adds "Name=Value"; an empty one deletes the item.
  void SetValues(const std::string& Name, const std::string& Value);
  std::string ValueFromIndex(int Index) const;  // "" when the item has no separator
  void SetValueFromIndex(int Index, const std::string& Value);
  char NameValueSeparator() const { return FNameValueSeparator; }
  void SetNameValueSeparator(char Value) { FNameValueSeparator = Value; }

  // Whole-list text. Text joins every item with a following "\r\n"; setting it
  // splits at CR, LF or CRLF.
  std::string Text() const { return GetTextStr(); }
  void SetText(const std::string& Value) { SetTextStr(Value); }
  // Items separated by Delimiter; items holding blanks, control bytes, the quote or
  // the delimiter are quoted with QuoteChar (inner quotes doubled). When reading,
  // blanks also separate unquoted items. CommaText is the same with ',' and '"'.
  std::string DelimitedText() const;
  void SetDelimitedText(const std::string& Value);
  std::string CommaText() const;
  void SetCommaText(const std::string& Value);
  char Delimiter() const { return FDelimiter; }
  void SetDelimiter(char Value) { FDelimiter = Value; }
  char QuoteChar() const { return FQuoteChar; }
  void SetQuoteChar(char Value) { FQuoteChar = Value; }

  // The file's raw bytes as Text (the name is GBK; the path handed to the OS is
  // UTF-8). Failures raise EFOpenError / EFCreateError / EReadError / EWriteError.
  virtual void LoadFromFile(const std::string& FileName);
  virtual void SaveToFile(const std::string& FileName) const;
  // The stream's bytes from its position to its end as Text; Text written at the
  // stream's position. Short reads and writes raise EReadError / EWriteError.
  virtual void LoadFromStream(TStream* Stream);
  virtual void SaveToStream(TStream* Stream) const;
  // Form streams carry the items as the list property "Strings" (Items.Strings).
  void DefineProperties(TFiler* Filer) override;

protected:
  virtual std::string Get(int Index) const = 0;
  virtual int GetCount() const = 0;
  virtual TObject* GetObject(int Index) const;  // nullptr unless overridden
  virtual void Put(int Index, const std::string& S);
  virtual void PutObject(int Index, TObject* AObject);  // ignored unless overridden
  // Called with true when the outermost BeginUpdate starts and false when it ends.
  virtual void SetUpdateState(bool Updating);
  virtual std::string GetTextStr() const;
  virtual void SetTextStr(const std::string& Value);
  // How IndexOf, IndexOfName and Values compare: ASCII case-insensitive here.
  virtual int CompareStrings(const std::string& S1, const std::string& S2) const;
  int UpdateCount() const { return FUpdateCount; }
  // Raises EStringListError with Msg formatted with Data ("List index out of bounds (%d)").
  [[noreturn]] void Error(const std::string& Msg, int Data) const;

private:
  std::string GetDelimited(char Delim, char Quote) const;
  void SetDelimited(const std::string& Value, char Delim, char Quote);

  int FUpdateCount = 0;
  char FNameValueSeparator = '=';
  char FDelimiter = ',';
  char FQuoteChar = '"';
};

// ---------------------------------------------------------------------------
// TStringList
// ---------------------------------------------------------------------------

enum class TDuplicates { dupIgnore, dupAccept, dupError };
using enum TDuplicates;

class TStringList;
// Compares the items at two indexes of List: < 0, 0, > 0.
using TStringListSortCompare = std::function<int(TStringList* List, int Index1, int Index2)>;

// The string list that stores its own items: optionally sorted (binary search,
// duplicates rule), case-insensitive by default, with change events.
class TStringList : public TStrings {
  DTU_CLASS(TStringList, TStrings)
public:
  TStringList() = default;
  ~TStringList() override;

  int Add(const std::string& S) override;
  int AddObject(const std::string& S, TObject* AObject) override;
  void Clear() override;
  void Delete(int Index) override;
  void Exchange(int Index1, int Index2) override;
  void Move(int CurIndex, int NewIndex) override;
  // Binary search of a sorted list: true when found; Index is the first match or
  // where S would be inserted.
  virtual bool Find(const std::string& S, int& Index) const;
  int IndexOf(const std::string& S) const override;
  // EStringListError "Operation not allowed on sorted list" when Sorted.
  void Insert(int Index, const std::string& S) override;
  void InsertObject(int Index, const std::string& S, TObject* AObject) override;
  // Sorts an unsorted list by CompareStrings (Sorted lists are always in order).
  virtual void Sort();
  virtual void CustomSort(const TStringListSortCompare& Compare);

  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool Value);

  // Fired before and after each change, with this list as Sender.
  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

protected:
  std::string Get(int Index) const override;
  int GetCount() const override { return static_cast<int>(FList.size()); }
  TObject* GetObject(int Index) const override;
  void Put(int Index, const std::string& S) override;
  void PutObject(int Index, TObject* AObject) override;
  void SetUpdateState(bool Updating) override;
  int CompareStrings(const std::string& S1, const std::string& S2) const override;
  virtual void Changed();
  virtual void Changing();
  virtual void InsertItem(int Index, const std::string& S, TObject* AObject);

private:
  struct TStringItem {
    std::string FString;
    TObject* FObject = nullptr;
  };
  void CheckIndex(int Index) const;
  void SortItems(const TStringListSortCompare& Compare);

  std::vector<TStringItem> FList;
  TDuplicates FDuplicates = dupIgnore;
  bool FSorted = false;
  bool FCaseSensitive = false;
};
