// The integer list: range, order and duplicates rules, and form streaming.
#include "controls/common/intlist.h"

#include <algorithm>
#include <string>

#include "platform/core/filer.h"
#include "platform/core/scope.h"
#include "platform/core/typinfo.h"

namespace {

const bool kRegistered = (RegisterClass(ClassEntry<TQvIntegerList>()), true);

[[noreturn]] void ListIndexError(int Index) {
  throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

// Runs Change on the list's items and puts the items back when it raises, so that a
// change of several values happens whole or not at all.
template <class F>
void AllOrNothing(std::vector<int32_t>& Items, F&& Change) {
  std::vector<int32_t> saved = Items;
  TOnExit undo([&] { Items.swap(saved); });
  Change();
  undo.Dismiss();
}

}  // namespace

const TClassInfo& TQvIntegerList::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TQvIntegerList>("TQvIntegerList", &TPersistent::StaticClass()).Creatable().Build();
  return info;
}

TQvIntegerList::~TQvIntegerList() { Clear(); }

void TQvIntegerList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= Count()) ListIndexError(Index);
}

void TQvIntegerList::CheckRange(int32_t Value) const {
  if (FMin != FMax && (Value < FMin || Value > FMax))
    throw EOutOfRange("Value must be within " + std::to_string(FMin) + ".." + std::to_string(FMax));
}

int32_t TQvIntegerList::Items(int Index) const {
  CheckIndex(Index);
  return FItems[static_cast<size_t>(Index)];
}

void TQvIntegerList::Assign(TPersistent* Source) {
  if (auto* list = dynamic_cast<TQvIntegerList*>(Source)) {
    if (list == this) return;  // clearing first would leave nothing to copy
    AllOrNothing(FItems, [&] {
      Clear();
      AddIntegers(list);
    });
    return;
  }
  inherited::Assign(Source);
}

bool TQvIntegerList::Find(int32_t Value, int& Index) const {
  bool found = false;
  int l = 0, h = Count() - 1;
  while (l <= h) {
    int i = (l + h) >> 1;
    if (FItems[static_cast<size_t>(i)] < Value) {
      l = i + 1;
    } else {
      h = i - 1;
      if (FItems[static_cast<size_t>(i)] == Value) {
        found = true;
        // With dupAccept the search goes on to the left, to the first of the run.
        if (FDuplicates != dupAccept) l = i;
      }
    }
  }
  Index = l;
  return found;
}

void TQvIntegerList::SetItem(int Index, int32_t Value) {
  // Overwriting an item of a sorted list would break the order Find relies on.
  if (FSorted) throw EListError("Operation not allowed on sorted list");
  CheckIndex(Index);
  CheckRange(Value);
  FItems[static_cast<size_t>(Index)] = Value;
}

void TQvIntegerList::Sort() {
  // Equal integers cannot be told apart, so any correct sort gives the same list.
  if (!FSorted && Count() > 1) std::sort(FItems.begin(), FItems.end());
}

int TQvIntegerList::Add(int32_t Value) {
  int index;
  if (FSorted) {
    if (Find(Value, index)) {
      if (FDuplicates == dupIgnore) return index;
      if (FDuplicates == dupError) throw EListError("Duplicates not allowed");
    }
  } else {
    index = Count();
  }
  InsertNumber(index, Value);
  return index;
}

void TQvIntegerList::AddIntegers(TQvIntegerList* List) {
  if (!List) return;
  std::vector<int32_t> values = List->FItems;  // List may be this list
  AllOrNothing(FItems, [&] {
    for (int32_t v : values) Add(v);
  });
}

void TQvIntegerList::Clear() { FItems.clear(); }

void TQvIntegerList::Delete(int Index) {
  CheckIndex(Index);
  FItems.erase(FItems.begin() + Index);
}

void TQvIntegerList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  std::swap(FItems[static_cast<size_t>(Index1)], FItems[static_cast<size_t>(Index2)]);
}

int TQvIntegerList::IndexOf(int32_t Value) const {
  if (FSorted) {
    int index;
    return Find(Value, index) ? index : -1;
  }
  auto it = std::find(FItems.begin(), FItems.end(), Value);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

void TQvIntegerList::Insert(int Index, int32_t Value) {
  if (FSorted) throw EListError("Operation not allowed on sorted list");
  if (Index < 0 || Index > Count()) ListIndexError(Index);
  InsertNumber(Index, Value);
}

void TQvIntegerList::InsertNumber(int Index, int32_t Value) {
  CheckRange(Value);
  if (FDuplicates == dupIgnore && IndexOf(Value) >= 0) return;
  if (Index < 0 || Index > Count()) ListIndexError(Index);
  FItems.insert(FItems.begin() + Index, Value);
}

void TQvIntegerList::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  CheckIndex(CurIndex);
  CheckIndex(NewIndex);
  int32_t v = FItems[static_cast<size_t>(CurIndex)];
  FItems.erase(FItems.begin() + CurIndex);
  FItems.insert(FItems.begin() + NewIndex, v);
}

bool TQvIntegerList::Equals(const TQvIntegerList* List) const { return List && FItems == List->FItems; }

void TQvIntegerList::SetMin(int32_t Value) {
  if (Value == FMin) return;
  for (int32_t v : FItems)
    if (v < Value)
      throw EOutOfRange("Unable to set new minimum value.\rList contains values below " + std::to_string(Value));
  FMin = Value;
  // Min = Max afterwards means no range at all (see CheckRange).
  if (Value > FMax) FMax = Value;
}

void TQvIntegerList::SetMax(int32_t Value) {
  if (Value == FMax) return;
  for (int32_t v : FItems)
    if (v > Value)
      throw EOutOfRange("Unable to set new maximum value.\rList contains values above " + std::to_string(Value));
  FMax = Value;
  if (Value < FMin) FMin = Value;
}

void TQvIntegerList::SetSorted(bool Value) {
  if (Value == FSorted) return;
  if (Value) Sort();
  FSorted = Value;
}

void TQvIntegerList::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineProperty(
      "Min", [this](TReader* Reader) { FMin = Reader->ReadInteger(); },
      [this](TWriter* Writer) { Writer->WriteInteger(FMin); }, FMin != 0);
  Filer->DefineProperty(
      "Max", [this](TReader* Reader) { FMax = Reader->ReadInteger(); },
      [this](TWriter* Writer) { Writer->WriteInteger(FMax); }, FMax != 0);
  bool hasData;
  if (Filer->Ancestor()) {
    auto* ancestor = dynamic_cast<TQvIntegerList*>(Filer->Ancestor());
    hasData = !ancestor || !Equals(ancestor);
  } else {
    hasData = Count() > 0;
  }
  Filer->DefineProperty(
      "Integers",
      [this](TReader* Reader) {
        Reader->ReadListBegin();
        // A value refused half-way (range, duplicates, bad data) keeps the old items.
        AllOrNothing(FItems, [&] {
          Clear();
          while (!Reader->EndOfList()) Add(Reader->ReadInteger());
        });
        Reader->ReadListEnd();
      },
      [this](TWriter* Writer) {
        Writer->WriteListBegin();
        for (int32_t v : FItems) Writer->WriteInteger(v);
        Writer->WriteListEnd();
      },
      hasData);
}
