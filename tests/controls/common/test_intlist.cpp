// The integer list: range, order and duplicates rules, all-or-nothing changes, and
// form streaming with and without an ancestor.
#include <gtest/gtest.h>

#include <vector>

#include "controls/common/intlist.h"
#include "platform/core/filer.h"
#include "platform/core/streams.h"

namespace {

std::vector<int32_t> ItemsOf(const TQvIntegerList& L) {
  std::vector<int32_t> v;
  for (int i = 0; i < L.Count(); ++i) v.push_back(L[i]);
  return v;
}

void Fill(TQvIntegerList& L, std::initializer_list<int32_t> Values) {
  for (int32_t v : Values) L.Add(v);
}

// Writes List's properties (against Ancestor when given) as a property list.
std::string Write(TQvIntegerList& List, TQvIntegerList* Ancestor) {
  TStringStream ms;
  TWriter w(&ms);
  w.SetAncestor(Ancestor);
  w.WriteProperties(&List);
  w.WriteListEnd();
  return ms.DataString();
}

void Read(const std::string& Data, TQvIntegerList& Into) {
  TStringStream ms(Data);
  TReader r(&ms);
  while (!r.EndOfList()) r.ReadProperty(&Into);
}

}  // namespace

TEST(IntegerList, AddFollowsTheOrderAndDuplicatesRules) {
  struct TCase {
    bool Sorted;
    TDuplicates Dup;
    std::vector<int32_t> Expected;
    std::vector<int> Indexes;  // returned by each Add
  } cases[] = {
      {false, dupIgnore, {7, 3, 5}, {0, 1, 2, 2}},  // second 7 dropped, answering Count
      {false, dupAccept, {7, 3, 7, 5}, {0, 1, 2, 3}},
      {true, dupIgnore, {3, 5, 7}, {0, 0, 1, 1}},   // second 7 answers its index
      {true, dupAccept, {3, 5, 7, 7}, {0, 0, 1, 1}},  // the new 7 goes before the old one
  };
  for (const TCase& c : cases) {
    TQvIntegerList l;
    l.SetSorted(c.Sorted);
    l.SetDuplicates(c.Dup);
    std::vector<int> indexes;
    for (int32_t v : {7, 3, 7, 5}) indexes.push_back(l.Add(v));
    EXPECT_EQ(ItemsOf(l), c.Expected) << c.Sorted << int(c.Dup);
    EXPECT_EQ(indexes, c.Indexes) << c.Sorted << int(c.Dup);
  }
  TQvIntegerList err;
  err.SetSorted(true);
  err.SetDuplicates(dupError);
  err.Add(4);
  EXPECT_THROW(err.Add(4), EListError);
  EXPECT_EQ(err.Count(), 1);
}

TEST(IntegerList, RangeAndRefusedOperationsLeaveTheListAsItWas) {
  TQvIntegerList l;
  Fill(l, {2, 9});
  EXPECT_THROW(l.SetMin(3), EOutOfRange);  // 2 is below
  EXPECT_EQ(l.Min(), 0);
  try {
    l.SetMax(8);
    FAIL();
  } catch (const EOutOfRange& e) {
    EXPECT_STREQ(e.what(), "Unable to set new maximum value.\rList contains values above 8");
  }
  l.SetMax(10);
  try {
    l.Add(11);
    FAIL();
  } catch (const EOutOfRange& e) {
    EXPECT_STREQ(e.what(), "Value must be within 0..10");
  }
  EXPECT_THROW(l.SetItem(0, -1), EOutOfRange);
  EXPECT_THROW(l.Insert(3, 1), EListError);
  EXPECT_THROW(l.Items(2), EListError);
  EXPECT_EQ(ItemsOf(l), (std::vector<int32_t>{2, 9}));

  // Min = Max means no range, also when SetMin pulled Max along.
  TQvIntegerList open;
  open.SetMin(5);
  EXPECT_EQ(open.Max(), 5);
  EXPECT_NO_THROW(open.Add(-100));

  // A sorted list refuses Insert and SetItem (which would break Find) at any index.
  TQvIntegerList sorted;
  sorted.SetSorted(true);
  Fill(sorted, {1, 5});
  try {
    sorted.SetItem(0, 9);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "Operation not allowed on sorted list");
  }
  EXPECT_THROW(sorted.Insert(0, 0), EListError);
  EXPECT_EQ(ItemsOf(sorted), (std::vector<int32_t>{1, 5}));
  EXPECT_EQ(sorted.IndexOf(5), 1);
  EXPECT_EQ(sorted.IndexOf(4), -1);
}

TEST(IntegerList, AssignFailingHalfWayKeepsTheOldItems) {
  TQvIntegerList source, dest;
  source.SetDuplicates(dupAccept);
  Fill(source, {1, 20, 3});
  dest.SetMax(10);
  Fill(dest, {4, 5});
  EXPECT_THROW(dest.Assign(&source), EOutOfRange);  // 20 is refused after 1 went in
  EXPECT_EQ(ItemsOf(dest), (std::vector<int32_t>{4, 5}));
  EXPECT_THROW(dest.AddIntegers(&source), EOutOfRange);
  EXPECT_EQ(ItemsOf(dest), (std::vector<int32_t>{4, 5}));

  TQvIntegerList sortedDest;  // the receiver's own rules apply, its settings stay
  sortedDest.SetSorted(true);
  source.SetItem(1, 3);
  sortedDest.Assign(&source);
  EXPECT_EQ(ItemsOf(sortedDest), (std::vector<int32_t>{1, 3}));
  EXPECT_TRUE(sortedDest.Sorted());
  EXPECT_EQ(source.Duplicates(), dupAccept);
}

TEST(IntegerList, StreamsWithAndWithoutAnAncestor) {
  TQvIntegerList empty;
  EXPECT_EQ(Write(empty, nullptr), std::string(1, '\0'));  // no Min, Max or Integers

  TQvIntegerList list;
  list.SetMin(-5);
  list.SetMax(300);
  list.SetDuplicates(dupAccept);
  Fill(list, {7, -5, 300, 7});
  TQvIntegerList copy;
  copy.SetDuplicates(dupAccept);
  Read(Write(list, nullptr), copy);
  EXPECT_TRUE(copy.Equals(&list));
  EXPECT_EQ(copy.Min(), -5);
  EXPECT_EQ(copy.Max(), 300);

  TQvIntegerList ancestor;
  ancestor.SetDuplicates(dupAccept);
  ancestor.Assign(&list);
  std::string same = Write(list, &ancestor);
  EXPECT_EQ(same.find("Integers"), std::string::npos);
  ancestor.Delete(0);
  TQvIntegerList fromAncestor;
  fromAncestor.SetDuplicates(dupAccept);
  fromAncestor.Assign(&ancestor);
  Read(Write(list, &ancestor), fromAncestor);
  EXPECT_TRUE(fromAncestor.Equals(&list));
}

TEST(IntegerList, AFailingReadKeepsTheOldItems) {
  TQvIntegerList wide;
  Fill(wide, {1, 50});
  std::string data = Write(wide, nullptr);

  TQvIntegerList narrow;  // the stream names no range, so narrow's own applies
  narrow.SetMax(10);
  Fill(narrow, {4, 5});
  EXPECT_THROW(Read(data, narrow), EReadError);
  EXPECT_EQ(ItemsOf(narrow), (std::vector<int32_t>{4, 5}));

  TQvIntegerList other;  // cut off inside the list
  Fill(other, {8});
  EXPECT_ANY_THROW(Read(data.substr(0, data.size() - 3), other));
  EXPECT_EQ(ItemsOf(other), (std::vector<int32_t>{8}));
}
