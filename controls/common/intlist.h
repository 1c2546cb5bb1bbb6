#pragma once
// TQvIntegerList: a persistent list of 32-bit signed integers with an optional value
// range (Min..Max, none while Min = Max), an optional sorted order and a duplicates
// rule. It streams itself in forms as "Min", "Max" and the list "Integers".
//
// Every failing operation raises and leaves the list as it was: operations that add
// several values (Assign, AddIntegers, reading "Integers") restore the items they
// started from when one value is refused.
#include <cstdint>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/object.h"
#include "platform/core/strings.h"

DTU_DECLARE_EXCEPTION(EOutOfRange, EListError)

class TQvIntegerList : public TPersistent {
  DTU_CLASS(TQvIntegerList, TPersistent)
public:
  TQvIntegerList() = default;
  ~TQvIntegerList() override;

  // Another integer list: its items are added through Add, so this list's own range,
  // order and duplicates rules apply; its Min, Max, Sorted and Duplicates are not
  // copied. Any other source goes to the inherited Assign.
  void Assign(TPersistent* Source) override;
  void DefineProperties(TFiler* Filer) override;

  // Binary search: true when Value is present. Index is where the match is (with
  // dupAccept the first of a run of equal values), else where Value belongs.
  virtual bool Find(int32_t Value, int& Index) const;
  // Overwrites one item (range-checked; no re-sorting, no duplicates rule). Not
  // allowed on a sorted list, whose order Find relies on.
  virtual void SetItem(int Index, int32_t Value);
  virtual void Sort();
  // The index Value went to (or, refused as a duplicate, the index it already has;
  // on an unsorted list always the old Count).
  virtual int Add(int32_t Value);
  virtual void AddIntegers(TQvIntegerList* List);
  virtual void Clear();
  virtual void Delete(int Index);
  virtual void Exchange(int Index1, int Index2);
  virtual int IndexOf(int32_t Value) const;
  // Refused on a sorted list.
  virtual void Insert(int Index, int32_t Value);
  // Inserts without looking at Sorted: range check, then dupIgnore drops a value
  // that is already present.
  virtual void InsertNumber(int Index, int32_t Value);
  virtual void Move(int CurIndex, int NewIndex);

  // Same count and the same values in the same order.
  bool Equals(const TQvIntegerList* List) const;

  int Count() const { return static_cast<int>(FItems.size()); }
  int32_t Items(int Index) const;
  int32_t operator[](int Index) const { return Items(Index); }
  void SetItems(int Index, int32_t Value) { SetItem(Index, Value); }

  int32_t Min() const { return FMin; }
  void SetMin(int32_t Value);
  int32_t Max() const { return FMax; }
  void SetMax(int32_t Value);
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }

private:
  void CheckIndex(int Index) const;
  void CheckRange(int32_t Value) const;
  std::vector<int32_t> FItems;
  TDuplicates FDuplicates = dupIgnore;
  int32_t FMin = 0;
  int32_t FMax = 0;
  bool FSorted = false;
};
