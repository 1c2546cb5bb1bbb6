#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/core/gbk.h"
#include "platform/core/strings.h"

namespace {

std::vector<std::string> Items(const TStrings& S) {
  std::vector<std::string> v;
  for (int i = 0; i < S.Count(); ++i) v.push_back(S.Strings(i));
  return v;
}

void Fill(TStrings& S, const std::vector<std::string>& Items) {
  S.Clear();
  for (const auto& s : Items) S.Add(s);
}

template <class E, class F>
std::string ErrorMessage(F Fn) {
  try {
    Fn();
  } catch (const E& e) {
    return e.Message();
  }
  return "<no exception>";
}

// A TStrings that implements only the required operations, as a control's Items
// does: everything else must work through them.
class TVectorStrings : public TStrings {
public:
  std::vector<std::string> Data;
  void Clear() override { Data.clear(); }
  void Delete(int Index) override { Data.erase(Data.begin() + Index); }
  void Insert(int Index, const std::string& S) override { Data.insert(Data.begin() + Index, S); }

protected:
  std::string Get(int Index) const override {
    if (Index < 0 || Index >= GetCount()) Error("List index out of bounds (%d)", Index);
    return Data[Index];
  }
  int GetCount() const override { return static_cast<int>(Data.size()); }
};

}  // namespace

// ---------------------------------------------------------------------------
// TList

TEST(TListTest, ItemOperations) {
  int a = 1, b = 2, c = 3;
  TList list;
  EXPECT_EQ(list.Add(&a), 0);
  EXPECT_EQ(list.Add(&c), 1);
  list.Insert(1, &b);
  list.Add(nullptr);
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(list.IndexOf(&b), 1);
  list.Pack();
  EXPECT_EQ(list.Count(), 3);
  list.Exchange(0, 2);
  EXPECT_EQ(list.First(), &c);
  EXPECT_EQ(list.Last(), &a);
  list.Move(0, 2);
  EXPECT_EQ(list[2], &c);
  list.Sort([](void* x, void* y) { return *static_cast<int*>(x) - *static_cast<int*>(y); });
  EXPECT_EQ(list[0], &a);
  EXPECT_EQ(list[1], &b);
  EXPECT_EQ(list[2], &c);
  EXPECT_EQ(list.Remove(&b), 1);
  EXPECT_EQ(list.Remove(&b), -1);
  list.SetCount(4);
  EXPECT_EQ(list[3], nullptr);
}

TEST(TListTest, BadIndexesRaiseAndChangeNothing) {
  TList list;
  int a = 0;
  list.Add(&a);
  EXPECT_EQ(ErrorMessage<EListError>([&] { list.Items(1); }), "List index out of bounds (1)");
  EXPECT_EQ(ErrorMessage<EListError>([&] { list.Delete(-1); }), "List index out of bounds (-1)");
  EXPECT_EQ(ErrorMessage<EListError>([&] { list.Insert(2, &a); }), "List index out of bounds (2)");
  EXPECT_EQ(ErrorMessage<EListError>([&] { list.Move(0, 5); }), "List index out of bounds (5)");
  EXPECT_EQ(ErrorMessage<EListError>([&] { list.SetCapacity(0); }), "List capacity out of bounds (0)");
  EXPECT_EQ(list.Count(), 1);
  list.Clear();
  EXPECT_THROW(list.First(), EListError);
}

// ---------------------------------------------------------------------------
// TStrings through a minimal descendant

TEST(TStringsTest, DerivedOperationsWorkThroughTheRequiredOnes) {
  TVectorStrings s;
  s.SetText("b=2\nc\r\na=1");
  EXPECT_EQ(s.Data, (std::vector<std::string>{"b=2", "c", "a=1"}));
  s.SetStrings(1, "c=3");  // Put: delete and insert
  EXPECT_EQ(s.Values("A"), "1");
  s.SetValues("b", "");
  s.Move(1, 0);
  s.Exchange(0, 1);
  EXPECT_EQ(s.Data, (std::vector<std::string>{"c=3", "a=1"}));
  EXPECT_EQ(s.IndexOf("A=1"), 1);
  EXPECT_EQ(s.Text(), "c=3\r\na=1\r\n");
  EXPECT_EQ(s.Objects(0), nullptr);
  EXPECT_EQ(ErrorMessage<EStringListError>([&] { s.Move(0, 2); }), "List index out of bounds (2)");
  EXPECT_EQ(s.Data, (std::vector<std::string>{"c=3", "a=1"}));  // nothing lost
}

// ---------------------------------------------------------------------------
// Text, CommaText, DelimitedText

TEST(TStringsTest, TextSplitsAtCrLfOrCrLf) {
  struct Case { const char* Text; std::vector<std::string> Items; };
  const Case cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"a\nb\rc", {"a", "b", "c"}},
      {"a\n\nb", {"a", "", "b"}},
      {"a\n\r", {"a", ""}},  // LF then CR is two breaks
      {"\r\n", {""}},
      {"\xB1\xE4\n\xC1\xBF", {"\xB1\xE4", "\xC1\xBF"}},
  };
  TStringList s;
  for (const Case& c : cases) {
    s.SetText(c.Text);
    EXPECT_EQ(Items(s), c.Items) << c.Text;
  }
  Fill(s, {"a", "", "b"});
  EXPECT_EQ(s.Text(), "a\r\n\r\nb\r\n");
}

TEST(TStringsTest, CommaTextQuotesWhatNeedsItAndRoundTrips) {
  struct Case { std::vector<std::string> Items; const char* Text; };
  const Case cases[] = {
      {{}, ""},
      {{""}, "\"\""},
      {{"a", "b"}, "a,b"},
      {{"a b", "c,d", "say \"hi\""}, "\"a b\",\"c,d\",\"say \"\"hi\"\"\""},
      {{"a", "", "b"}, "a,,b"},
      {{"a", ""}, "a,"},
      {{"", "a"}, ",a"},
      {{" lead", "tab\t"}, "\" lead\",\"tab\t\""},
      {{"\xB1\xE4\xC1\xBF", "x"}, "\xB1\xE4\xC1\xBF,x"},
  };
  TStringList s, back;
  for (const Case& c : cases) {
    Fill(s, c.Items);
    EXPECT_EQ(s.CommaText(), c.Text);
    back.SetCommaText(s.CommaText());
    EXPECT_EQ(Items(back), c.Items) << c.Text;
  }
}

TEST(TStringsTest, CommaTextReading) {
  struct Case { const char* Text; std::vector<std::string> Items; };
  const Case cases[] = {
      {"a b,c", {"a", "b", "c"}},  // blanks separate unquoted items
      {"  a ,  b  ", {"a", "b"}},
      {"\"a\"\"b\" c", {"a\"b", "c"}},
      {"\"open", {"open"}},
      {"COM2,115200,N,8,1", {"COM2", "115200", "N", "8", "1"}},
  };
  TStringList s;
  for (const Case& c : cases) {
    s.SetCommaText(c.Text);
    EXPECT_EQ(Items(s), c.Items) << c.Text;
  }
}

TEST(TStringsTest, DelimitedTextUsesDelimiterAndQuoteChar) {
  TStringList s;
  s.SetDelimiter(';');
  s.SetQuoteChar('\'');
  Fill(s, {"a,b", "c;d", "it's"});
  EXPECT_EQ(s.DelimitedText(), "a,b;'c;d';'it''s'");
  TStringList back;
  back.SetDelimiter(';');
  back.SetQuoteChar('\'');
  back.SetDelimitedText(s.DelimitedText());
  EXPECT_TRUE(back.Equals(&s));

  // "\xB0\x7C" is one GBK character whose second byte is '|': not a delimiter.
  s.SetDelimiter('|');
  Fill(s, {"\xB0\x7C", "x"});
  EXPECT_EQ(s.DelimitedText(), "\xB0\x7C|x");
  back.SetDelimiter('|');
  back.SetDelimitedText(s.DelimitedText());
  EXPECT_TRUE(back.Equals(&s));
}

// ---------------------------------------------------------------------------
// name=value

TEST(TStringsTest, NamesAndValues) {
  TStringList s;
  Fill(s, {"Port=COM2", "Baud=9600", "plain", "Empty=", "=x"});
  struct Case { int Index; const char* Name; const char* Value; };
  const Case cases[] = {{0, "Port", "COM2"}, {1, "Baud", "9600"}, {2, "", ""}, {3, "Empty", ""}, {4, "", "x"}};
  for (const Case& c : cases) {
    EXPECT_EQ(s.Names(c.Index), c.Name) << c.Index;
    EXPECT_EQ(s.ValueFromIndex(c.Index), c.Value) << c.Index;
  }
  EXPECT_EQ(s.Values("port"), "COM2");  // names compare without case
  EXPECT_EQ(s.Values("missing"), "");
  EXPECT_EQ(s.IndexOfName("BAUD"), 1);
  EXPECT_EQ(s.IndexOfName("plain"), -1);

  s.SetValues("Baud", "115200");
  s.SetValues("Parity", "N");
  s.SetValues("Port", "");
  EXPECT_EQ(Items(s), (std::vector<std::string>{"Baud=115200", "plain", "Empty=", "=x", "Parity=N"}));
  s.SetValueFromIndex(0, "4800");
  EXPECT_EQ(s.Strings(0), "Baud=4800");

  s.SetNameValueSeparator(':');
  s.SetText("a:1");
  EXPECT_EQ(s.Values("A"), "1");
}

// ---------------------------------------------------------------------------
// TStringList

TEST(TStringListTest, SortedListsAndDuplicates) {
  struct Case { TDuplicates Dup; std::vector<std::string> Result; std::vector<int> Indexes; bool Raises; };
  const Case cases[] = {
      {dupIgnore, {"a", "B", "c"}, {0, 0, 0, 1}, false},
      {dupAccept, {"a", "b", "B", "c"}, {0, 0, 0, 1}, false},
      {dupError, {"a", "B", "c"}, {0, 0, 0, -1}, true},
  };
  for (const Case& c : cases) {
    TStringList s;
    s.SetSorted(true);
    s.SetDuplicates(c.Dup);
    std::vector<int> idx;
    for (const char* item : {"c", "B", "a"}) idx.push_back(s.Add(item));
    if (c.Raises) {
      EXPECT_EQ(ErrorMessage<EStringListError>([&] { s.Add("b"); }), "String list does not allow duplicates");
      idx.push_back(-1);
    } else {
      idx.push_back(s.Add("b"));  // equal to "B" without case
    }
    EXPECT_EQ(Items(s), c.Result) << int(c.Dup);
    EXPECT_EQ(idx, c.Indexes) << int(c.Dup);
  }
}

TEST(TStringListTest, SortedListRefusesPositionalChanges) {
  TStringList s;
  Fill(s, {"b", "a"});
  s.SetSorted(true);
  EXPECT_EQ(Items(s), (std::vector<std::string>{"a", "b"}));
  const std::string msg = "Operation not allowed on sorted list";
  EXPECT_EQ(ErrorMessage<EStringListError>([&] { s.Insert(0, "z"); }), msg);
  EXPECT_EQ(ErrorMessage<EStringListError>([&] { s.SetStrings(0, "z"); }), msg);
  EXPECT_EQ(ErrorMessage<EStringListError>([&] { s.Move(0, 1); }), msg);
  EXPECT_EQ(Items(s), (std::vector<std::string>{"a", "b"}));  // nothing lost
  EXPECT_EQ(ErrorMessage<EStringListError>([&] { s.Strings(2); }), "List index out of bounds (2)");
  EXPECT_EQ(ErrorMessage<EStringListError>([&] { s.Delete(-1); }), "List index out of bounds (-1)");
}

TEST(TStringListTest, FindAndCaseSensitivity) {
  TStringList s;
  Fill(s, {"b", "A", "a", "C"});
  s.SetSorted(true);
  int index = -1;
  EXPECT_TRUE(s.Find("a", index));
  EXPECT_EQ(index, 0);  // the first of the equal items
  EXPECT_FALSE(s.Find("bb", index));
  EXPECT_EQ(index, 3);
  // Switching the comparison re-sorts, so the binary search stays right.
  s.SetCaseSensitive(true);
  EXPECT_EQ(Items(s), (std::vector<std::string>{"A", "C", "a", "b"}));
  EXPECT_EQ(s.IndexOf("a"), 2);
  EXPECT_EQ(s.IndexOf("B"), -1);
}

TEST(TStringListTest, CustomSortAndObjects) {
  TStringList s;
  TStringList objA, objB;
  s.AddObject("10", &objA);
  s.AddObject("9", &objB);
  s.Add("100");
  s.CustomSort([](TStringList* L, int a, int b) { return std::stoi(L->Strings(a)) - std::stoi(L->Strings(b)); });
  EXPECT_EQ(Items(s), (std::vector<std::string>{"9", "10", "100"}));
  EXPECT_EQ(s.Objects(0), &objB);
  EXPECT_EQ(s.IndexOfObject(&objA), 1);
  s.Sort();  // text order
  EXPECT_EQ(Items(s), (std::vector<std::string>{"10", "100", "9"}));
}

TEST(TStringListTest, ChangeEventsFireOncePerChangeAndOncePerUpdate) {
  TStringList s;
  std::vector<std::string> log;
  s.OnChanging = [&](TObject* Sender) { EXPECT_EQ(Sender, &s); log.push_back("changing:" + std::to_string(s.Count())); };
  s.OnChange = [&](TObject* Sender) { EXPECT_EQ(Sender, &s); log.push_back("change:" + std::to_string(s.Count())); };

  s.Add("a");
  EXPECT_EQ(log, (std::vector<std::string>{"changing:0", "change:1"}));

  struct Case { const char* What; std::function<void()> Do; size_t Events; };
  const Case cases[] = {
      {"Put", [&] { s.SetStrings(0, "b"); }, 2},
      {"PutObject", [&] { s.SetObjects(0, &s); }, 2},
      {"Delete", [&] { s.Delete(0); }, 2},
      {"Clear of an empty list", [&] { s.Clear(); }, 0},
      {"failed Delete", [&] { EXPECT_THROW(s.Delete(0), EStringListError); }, 0},
      {"SetText with three lines", [&] { s.SetText("x\ny\nz"); }, 2},
      {"nested updates", [&] {
         s.BeginUpdate();
         s.Add("1");
         s.BeginUpdate();
         s.Add("2");
         s.EndUpdate();
         s.Delete(0);
         s.EndUpdate();
       }, 2},
      {"AddStrings", [&] { TStringList o; Fill(o, {"p", "q"}); s.AddStrings(&o); }, 2},
      {"Sort", [&] { s.Sort(); }, 2},
      {"unbalanced EndUpdate", [&] { s.EndUpdate(); }, 0},
  };
  for (const Case& c : cases) {
    log.clear();
    c.Do();
    EXPECT_EQ(log.size(), c.Events) << c.What;
  }
  log.clear();
  s.Add("k");  // updates ended properly: events flow again
  EXPECT_EQ(log.size(), 2u);
}

TEST(TStringListTest, AssignCopiesStringsAndRefusesOtherClasses) {
  TStringList src, dst;
  TStringList obj;
  src.AddObject("one", &obj);
  src.Add("two");
  src.SetNameValueSeparator(':');
  dst.Add("old");
  dst.Assign(&src);
  EXPECT_TRUE(dst.Equals(&src));
  EXPECT_EQ(dst.Objects(0), &obj);
  EXPECT_EQ(dst.NameValueSeparator(), ':');
  dst.Assign(&dst);  // assigning to itself keeps the items
  EXPECT_EQ(dst.Count(), 2);

  TPersistent other;
  EXPECT_EQ(ErrorMessage<EConvertError>([&] { dst.Assign(&other); }), "Cannot assign a TPersistent to a TStringList");
  EXPECT_EQ(dst.Count(), 2);
}

TEST(TStringListTest, FilesKeepRawBytesAndUseGbkNames) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::path(testing::TempDir()) / "dtu_strings_test";
  fs::create_directories(dir);
  // The list's file name is GBK; on disk it is the UTF-8 name.
  const std::string gbkName = (dir / "x").string() + Utf8ToGbk("变量.txt");
  TStringList s;
  Fill(s, {"\xB1\xE4\xC1\xBF", "\x80", "a=1"});
  s.SaveToFile(gbkName);
  const fs::path onDisk = dir / "x变量.txt";
  ASSERT_TRUE(fs::exists(onDisk));
  std::ifstream f(onDisk, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes, "\xB1\xE4\xC1\xBF\r\n\x80\r\na=1\r\n");

  TStringList back;
  back.LoadFromFile(gbkName);
  EXPECT_TRUE(back.Equals(&s));
  EXPECT_THROW(back.LoadFromFile((dir / "missing.txt").string()), EFOpenError);
  EXPECT_TRUE(back.Equals(&s));  // a failed load keeps the items
  EXPECT_THROW(s.SaveToFile((dir / "no_such_dir" / "f.txt").string()), EFCreateError);
  fs::remove_all(dir);
}
