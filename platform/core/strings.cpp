#include "platform/core/strings.h"

#include <cerrno>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/core/filer.h"
#include "platform/core/gbk.h"
#include "platform/core/scope.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"

namespace {

const char* const SListIndexError = "List index out of bounds (%d)";
const char* const SListCapacityError = "List capacity out of bounds (%d)";
const char* const SListCountError = "List count out of bounds (%d)";
const char* const SSortedListError = "Operation not allowed on sorted list";
const char* const SDuplicateString = "String list does not allow duplicates";

[[noreturn]] void ListError(const char* Msg, int Data) { throw EListError(Format(Msg, {Data})); }

// The class library's quicksort over indexes (middle pivot, tracked through
// exchanges). Compare may read the items by index while they move, which rules out
// std::sort; the scans are bounded so that an inconsistent Compare cannot run off
// the range. The smaller part recurses, the larger one loops.
template <class Cmp, class Xchg>
void QuickSortRange(int L, int R, Cmp& Compare, Xchg& Exchange) {
  while (L < R) {
    int i = L, j = R, p = L + (R - L) / 2;
    do {
      while (i < R && Compare(i, p) < 0) ++i;
      while (j > L && Compare(j, p) > 0) --j;
      if (i <= j) {
        if (i != j) Exchange(i, j);
        if (p == i) p = j;
        else if (p == j) p = i;
        ++i;
        --j;
      }
    } while (i <= j);
    if (j - L < R - i) {
      if (L < j) QuickSortRange(L, j, Compare, Exchange);
      L = i;
    } else {
      if (i < R) QuickSortRange(i, R, Compare, Exchange);
      R = j;
    }
  }
}

// Holds BeginUpdate/EndUpdate around a scope, also when it throws.
class TUpdateScope {
public:
  explicit TUpdateScope(TStrings& S) : FStrings(S) { FStrings.BeginUpdate(); }
  ~TUpdateScope() { FStrings.EndUpdate(); }
  TUpdateScope(const TUpdateScope&) = delete;
  TUpdateScope& operator=(const TUpdateScope&) = delete;

private:
  TStrings& FStrings;
};

// Position of the single-byte character C in S (double-byte characters skipped), or npos.
size_t FindChar(const std::string& S, char C) {
  for (size_t i = 0; i < S.size(); ++i) {
    if (IsGbkLeadByte(static_cast<unsigned char>(S[i])) && i + 1 < S.size()) ++i;
    else if (S[i] == C) return i;
  }
  return std::string::npos;
}

std::string OsPath(const std::string& FileName) { return GbkToUtf8(FileName); }

std::string OsErrorText(int Err) { return std::generic_category().message(Err); }

}  // namespace

// ---------------------------------------------------------------------------
// TList
// ---------------------------------------------------------------------------

const TClassInfo& TList::StaticClass() {
  static const TClassInfo info{"TList", &TObject::StaticClass(), [](TComponent*) -> TObject* { return new TList(); },
                               {}, {}};
  return info;
}

void TList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= Count()) ListError(SListIndexError, Index);
}

int TList::Add(void* Item) {
  FList.push_back(Item);
  return Count() - 1;
}

void TList::Insert(int Index, void* Item) {
  if (Index < 0 || Index > Count()) ListError(SListIndexError, Index);
  FList.insert(FList.begin() + Index, Item);
}

void TList::Delete(int Index) {
  CheckIndex(Index);
  FList.erase(FList.begin() + Index);
}

int TList::Remove(void* Item) {
  int i = IndexOf(Item);
  if (i >= 0) Delete(i);
  return i;
}

int TList::IndexOf(void* Item) const {
  for (int i = 0; i < Count(); ++i)
    if (FList[i] == Item) return i;
  return -1;
}

void* TList::Items(int Index) const {
  CheckIndex(Index);
  return FList[Index];
}

void TList::SetItems(int Index, void* Item) {
  CheckIndex(Index);
  FList[Index] = Item;
}

void TList::SetCount(int NewCount) {
  if (NewCount < 0) ListError(SListCountError, NewCount);
  FList.resize(static_cast<size_t>(NewCount), nullptr);
}

void TList::SetCapacity(int NewCapacity) {
  if (NewCapacity < Count()) ListError(SListCapacityError, NewCapacity);
  if (NewCapacity == Capacity()) return;
  std::vector<void*> list;
  list.reserve(static_cast<size_t>(NewCapacity));
  list.assign(FList.begin(), FList.end());
  FList.swap(list);
}

void TList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  std::swap(FList[Index1], FList[Index2]);
}

void TList::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  CheckIndex(CurIndex);
  CheckIndex(NewIndex);
  void* item = FList[CurIndex];
  FList.erase(FList.begin() + CurIndex);
  FList.insert(FList.begin() + NewIndex, item);
}

void TList::Clear() {
  FList.clear();
  FList.shrink_to_fit();
}

void TList::Pack() { std::erase(FList, nullptr); }

void TList::Sort(const TListSortCompare& Compare) {
  auto cmp = [&](int a, int b) { return Compare(FList[a], FList[b]); };
  auto xchg = [&](int a, int b) { std::swap(FList[a], FList[b]); };
  QuickSortRange(0, Count() - 1, cmp, xchg);
}

// ---------------------------------------------------------------------------
// TStrings
// ---------------------------------------------------------------------------

const TClassInfo& TStrings::StaticClass() {
  static const TClassInfo info{"TStrings", &TPersistent::StaticClass(), {}, {}, {}};
  return info;
}

void TStrings::Error(const std::string& Msg, int Data) const { throw EStringListError(Format(Msg, {Data})); }

TObject* TStrings::GetObject(int) const { return nullptr; }

void TStrings::PutObject(int, TObject*) {}

void TStrings::Put(int Index, const std::string& S) {
  TObject* obj = GetObject(Index);
  TUpdateScope update(*this);
  Delete(Index);
  InsertObject(Index, S, obj);
}

void TStrings::SetUpdateState(bool) {}

int TStrings::CompareStrings(const std::string& S1, const std::string& S2) const { return AnsiCompareText(S1, S2); }

int TStrings::Add(const std::string& S) {
  int index = GetCount();
  Insert(index, S);
  return index;
}

int TStrings::AddObject(const std::string& S, TObject* AObject) {
  int index = Add(S);
  PutObject(index, AObject);
  return index;
}

void TStrings::InsertObject(int Index, const std::string& S, TObject* AObject) {
  Insert(Index, S);
  PutObject(Index, AObject);
}

void TStrings::AddStrings(TStrings* Strings) {
  if (!Strings) return;
  TUpdateScope update(*this);
  const int n = Strings->Count();  // fixed first: Strings may be this list
  for (int i = 0; i < n; ++i) AddObject(Strings->Strings(i), Strings->Objects(i));
}

void TStrings::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TStrings*>(Source)) {
    if (src == this) return;
    TUpdateScope update(*this);
    Clear();
    FNameValueSeparator = src->FNameValueSeparator;
    FDelimiter = src->FDelimiter;
    FQuoteChar = src->FQuoteChar;
    AddStrings(src);
    return;
  }
  inherited::Assign(Source);
}

void TStrings::Exchange(int Index1, int Index2) {
  TUpdateScope update(*this);
  std::string s1 = Get(Index1);
  TObject* o1 = GetObject(Index1);
  Put(Index1, Get(Index2));
  PutObject(Index1, GetObject(Index2));
  Put(Index2, s1);
  PutObject(Index2, o1);
}

void TStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  // Both indexes are checked before the item leaves the list, so a bad NewIndex loses nothing.
  std::string s = Get(CurIndex);
  TObject* obj = GetObject(CurIndex);
  if (NewIndex < 0 || NewIndex >= GetCount()) Error(SListIndexError, NewIndex);
  TUpdateScope update(*this);
  Delete(CurIndex);
  InsertObject(NewIndex, s, obj);
}

int TStrings::IndexOf(const std::string& S) const {
  for (int i = 0, n = GetCount(); i < n; ++i)
    if (CompareStrings(Get(i), S) == 0) return i;
  return -1;
}

int TStrings::IndexOfName(const std::string& Name) const {
  for (int i = 0, n = GetCount(); i < n; ++i) {
    std::string s = Get(i);
    size_t p = FindChar(s, FNameValueSeparator);
    if (p != std::string::npos && CompareStrings(s.substr(0, p), Name) == 0) return i;
  }
  return -1;
}

int TStrings::IndexOfObject(TObject* AObject) const {
  for (int i = 0, n = GetCount(); i < n; ++i)
    if (GetObject(i) == AObject) return i;
  return -1;
}

bool TStrings::Equals(TStrings* Strings) const {
  if (!Strings) return false;
  const int n = GetCount();
  if (n != Strings->Count()) return false;
  for (int i = 0; i < n; ++i)
    if (Get(i) != Strings->Strings(i)) return false;
  return true;
}

void TStrings::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TStrings::EndUpdate() {
  if (FUpdateCount == 0) return;  // unbalanced: nothing to end
  --FUpdateCount;
  if (FUpdateCount == 0) SetUpdateState(false);
}

std::string TStrings::Names(int Index) const {
  std::string s = Get(Index);
  size_t p = FindChar(s, FNameValueSeparator);
  return p == std::string::npos ? std::string() : s.substr(0, p);
}

std::string TStrings::Values(const std::string& Name) const {
  int i = IndexOfName(Name);
  return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStrings::SetValues(const std::string& Name, const std::string& Value) {
  int i = IndexOfName(Name);
  if (!Value.empty()) {
    std::string item = Name + FNameValueSeparator + Value;
    if (i < 0) Add(item);
    else Put(i, item);
  } else if (i >= 0) {
    Delete(i);
  }
}

std::string TStrings::ValueFromIndex(int Index) const {
  std::string s = Get(Index);
  size_t p = FindChar(s, FNameValueSeparator);
  return p == std::string::npos ? std::string() : s.substr(p + 1);
}

void TStrings::SetValueFromIndex(int Index, const std::string& Value) {
  if (!Value.empty()) {
    if (Index < 0) Add(std::string(1, FNameValueSeparator) + Value);
    else Put(Index, Names(Index) + FNameValueSeparator + Value);
  } else if (Index >= 0) {
    Delete(Index);
  }
}

std::string TStrings::GetTextStr() const {
  std::string out;
  for (int i = 0, n = GetCount(); i < n; ++i) {
    out += Get(i);
    out += "\r\n";
  }
  return out;
}

void TStrings::SetTextStr(const std::string& Value) {
  TUpdateScope update(*this);
  Clear();
  size_t i = 0, n = Value.size();
  std::string line;  // one buffer for every line: Add copies what it keeps
  while (i < n) {
    size_t start = i;
    while (i < n && Value[i] != '\r' && Value[i] != '\n') ++i;
    line.assign(Value, start, i - start);
    Add(line);
    if (i < n && Value[i] == '\r') ++i;
    if (i < n && Value[i] == '\n') ++i;
  }
}

std::string TStrings::GetDelimited(char Delim, char Quote) const {
  const int n = GetCount();
  if (n == 1 && Get(0).empty()) return std::string(2, Quote);  // keeps one empty item
  std::string out;
  for (int i = 0; i < n; ++i) {
    std::string s = Get(i);
    bool quote = false;
    for (size_t k = 0; k < s.size() && !quote; k += GbkCharLen(s, k))
      quote = GbkCharLen(s, k) == 1 && (static_cast<unsigned char>(s[k]) <= ' ' || s[k] == Quote || s[k] == Delim);
    if (i > 0) out += Delim;
    out += quote ? AnsiQuotedStr(s, Quote) : s;
  }
  return out;
}

void TStrings::SetDelimited(const std::string& Value, char Delim, char Quote) {
  TUpdateScope update(*this);
  Clear();
  const size_t n = Value.size();
  auto blank = [&](size_t i) { return static_cast<unsigned char>(Value[i]) <= ' '; };
  size_t i = 0;
  while (i < n && blank(i)) ++i;
  while (i < n) {
    std::string item;
    if (Value[i] == Quote) {
      item = AnsiExtractQuotedStr(Value, i, Quote);
    } else {
      size_t start = i;
      while (i < n && !blank(i) && Value[i] != Delim) i += GbkCharLen(Value, i);
      item = Value.substr(start, i - start);
    }
    Add(item);
    while (i < n && blank(i)) ++i;
    if (i < n && Value[i] == Delim) {
      if (i + 1 == n) Add(std::string());  // a trailing delimiter ends with an empty item
      ++i;
      while (i < n && blank(i)) ++i;
    }
  }
}

std::string TStrings::DelimitedText() const { return GetDelimited(FDelimiter, FQuoteChar); }
void TStrings::SetDelimitedText(const std::string& Value) { SetDelimited(Value, FDelimiter, FQuoteChar); }
std::string TStrings::CommaText() const { return GetDelimited(',', '"'); }
void TStrings::SetCommaText(const std::string& Value) { SetDelimited(Value, ',', '"'); }

void TStrings::LoadFromFile(const std::string& FileName) {
  std::ifstream f(OsPath(FileName), std::ios::in | std::ios::binary);
  if (!f) {
    int err = errno;
    throw EFOpenError("Cannot open file \"" + FileName + "\". " + OsErrorText(err));
  }
  std::string data((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  if (f.bad()) {
    int err = errno;
    throw EReadError("Cannot read file \"" + FileName + "\". " + OsErrorText(err));
  }
  SetTextStr(data);
}

void TStrings::SaveToFile(const std::string& FileName) const {
  std::ofstream f(OsPath(FileName), std::ios::out | std::ios::binary | std::ios::trunc);
  if (!f) {
    int err = errno;
    throw EFCreateError("Cannot create file \"" + FileName + "\". " + OsErrorText(err));
  }
  const std::string text = GetTextStr();
  f.write(text.data(), static_cast<std::streamsize>(text.size()));
  f.close();
  if (f.fail()) {
    int err = errno;
    throw EWriteError("Cannot write file \"" + FileName + "\". " + OsErrorText(err));
  }
}

// ---------------------------------------------------------------------------
// TStringList
// ---------------------------------------------------------------------------

const TClassInfo& TStringList::StaticClass() {
  static const TClassInfo info{"TStringList", &TStrings::StaticClass(),
                               [](TComponent*) -> TObject* { return new TStringList(); }, {}, {}};
  return info;
}

TStringList::~TStringList() {
  // No events while the list goes away.
  OnChange = nullptr;
  OnChanging = nullptr;
}

void TStringList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= GetCount()) Error(SListIndexError, Index);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::SetUpdateState(bool Updating) {
  if (Updating) Changing();
  else Changed();
}

int TStringList::CompareStrings(const std::string& S1, const std::string& S2) const {
  return FCaseSensitive ? AnsiCompareStr(S1, S2) : AnsiCompareText(S1, S2);
}

std::string TStringList::Get(int Index) const {
  CheckIndex(Index);
  return FList[Index].FString;
}

TObject* TStringList::GetObject(int Index) const {
  CheckIndex(Index);
  return FList[Index].FObject;
}

void TStringList::Put(int Index, const std::string& S) {
  if (FSorted) Error(SSortedListError, 0);
  CheckIndex(Index);
  Changing();
  FList[Index].FString = S;
  Changed();
}

void TStringList::PutObject(int Index, TObject* AObject) {
  CheckIndex(Index);
  Changing();
  FList[Index].FObject = AObject;
  Changed();
}

int TStringList::Add(const std::string& S) { return AddObject(S, nullptr); }

int TStringList::AddObject(const std::string& S, TObject* AObject) {
  int index = GetCount();
  if (FSorted && Find(S, index)) {
    if (FDuplicates == dupIgnore) return index;
    if (FDuplicates == dupError) Error(SDuplicateString, 0);
  }
  InsertItem(index, S, AObject);
  return index;
}

void TStringList::InsertItem(int Index, const std::string& S, TObject* AObject) {
  Changing();
  FList.insert(FList.begin() + Index, TStringItem{S, AObject});
  Changed();
}

void TStringList::Insert(int Index, const std::string& S) { InsertObject(Index, S, nullptr); }

void TStringList::InsertObject(int Index, const std::string& S, TObject* AObject) {
  if (FSorted) Error(SSortedListError, 0);
  if (Index < 0 || Index > GetCount()) Error(SListIndexError, Index);
  InsertItem(Index, S, AObject);
}

void TStringList::Delete(int Index) {
  CheckIndex(Index);
  Changing();
  FList.erase(FList.begin() + Index);
  Changed();
}

void TStringList::Clear() {
  if (FList.empty()) return;
  Changing();
  FList.clear();
  Changed();
}

void TStringList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  Changing();
  std::swap(FList[Index1], FList[Index2]);
  Changed();
}

void TStringList::Move(int CurIndex, int NewIndex) {
  // Checked first: moving out of a sorted list must not delete the item and then fail.
  if (CurIndex != NewIndex && FSorted) Error(SSortedListError, 0);
  inherited::Move(CurIndex, NewIndex);
}

bool TStringList::Find(const std::string& S, int& Index) const {
  int lo = 0, hi = GetCount() - 1;
  bool found = false;
  while (lo <= hi) {
    int mid = lo + (hi - lo) / 2;
    int c = CompareStrings(FList[mid].FString, S);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) found = true;
    }
  }
  Index = lo;
  return found;
}

int TStringList::IndexOf(const std::string& S) const {
  if (!FSorted) return inherited::IndexOf(S);
  int index;
  return Find(S, index) ? index : -1;
}

void TStringList::SortItems(const TStringListSortCompare& Compare) {
  if (GetCount() < 2) return;
  Changing();
  auto cmp = [&](int a, int b) { return Compare(this, a, b); };
  auto xchg = [&](int a, int b) { std::swap(FList[a], FList[b]); };
  QuickSortRange(0, GetCount() - 1, cmp, xchg);
  Changed();
}

void TStringList::CustomSort(const TStringListSortCompare& Compare) {
  if (!FSorted) SortItems(Compare);
}

void TStringList::Sort() {
  CustomSort([](TStringList* List, int A, int B) {
    return List->CompareStrings(List->FList[A].FString, List->FList[B].FString);
  });
}

void TStringList::SetSorted(bool Value) {
  if (FSorted == Value) return;
  if (Value) Sort();
  FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
  if (FCaseSensitive == Value) return;
  FCaseSensitive = Value;
  // The order depends on the comparison, so a sorted list is put back in order.
  if (FSorted)
    SortItems([](TStringList* List, int A, int B) {
      return List->CompareStrings(List->FList[A].FString, List->FList[B].FString);
    });
}

// ---------------------------------------------------------------------------
// TStrings over streams and form streams

void TStrings::LoadFromStream(TStream* Stream) {
  int64_t size = Stream->Size() - Stream->Position();
  std::string text(static_cast<size_t>(size > 0 ? size : 0), '\0');
  Stream->ReadBuffer(text.data(), static_cast<int64_t>(text.size()));
  SetTextStr(text);
}

void TStrings::SaveToStream(TStream* Stream) const {
  std::string text = GetTextStr();
  Stream->WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}

void TStrings::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  bool hasData;
  if (Filer->Ancestor()) {
    auto* ancestor = dynamic_cast<TStrings*>(Filer->Ancestor());
    hasData = !ancestor || !Equals(ancestor);
  } else {
    hasData = Count() > 0;
  }
  Filer->DefineProperty(
      "Strings",
      [this](TReader* Reader) {
        Reader->ReadListBegin();
        {
          BeginUpdate();
          TOnExit update([&] { EndUpdate(); });
          Clear();
          while (!Reader->EndOfList()) Add(Reader->ReadString());
        }
        Reader->ReadListEnd();
      },
      [this](TWriter* Writer) {
        Writer->WriteListBegin();
        for (int i = 0; i < Count(); ++i) Writer->WriteString(Get(i));
        Writer->WriteListEnd();
      },
      hasData);
}
