// Ownership, free notification, names, and by-name property access.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/core/typinfo.h"

namespace {

enum class TShape { shRound, shSquare, shTriangle };
enum class TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
enum class TSide { sdLeft, sdTop, sdRight, sdBottom };
using TFontStyles = TSet<TFontStyle>;
using TSides = TSet<TSide>;

}  // namespace

DTU_DECLARE_ENUM(TShape)
DTU_DECLARE_ENUM(TFontStyle)
DTU_DECLARE_ENUM(TSide)
DTU_DEFINE_ENUM(TShape, "shRound", "shSquare", "shTriangle")
DTU_DEFINE_ENUM(TFontStyle, "fsBold", "fsItalic", "fsUnderline", "fsStrikeOut")
DTU_DEFINE_ENUM(TSide, "sdLeft", "sdTop", "sdRight", "sdBottom")

namespace {

std::vector<std::string>* gLog = nullptr;

// A component that records its destruction and clears a reference it holds.
class TProbe : public TComponent {
  DTU_CLASS(TProbe, TComponent)
public:
  using TComponent::TComponent;
  ~TProbe() override {
    if (gLog) gLog->push_back("free " + Name());
  }
  TProbe* Buddy() const { return FBuddy; }
  void SetBuddy(TProbe* Value) {
    FBuddy = Value;
    if (Value) Value->FreeNotification(this);
  }
  int Size() const { return FSize; }
  void SetSize(int Value) { FSize = Value; }
  TShape Shape() const { return FShape; }
  void SetShape(TShape Value) { FShape = Value; }
  TFontStyles Styles() const { return FStyles; }
  void SetStyles(TFontStyles Value) { FStyles = Value; }
  TSides Sides() const { return FSides; }
  void SetSides(TSides Value) { FSides = Value; }
  double Ratio() const { return FRatio; }
  void SetRatio(double Value) { FRatio = Value; }
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value) { FCaption = Value; }
  bool Flag() const { return FFlag; }
  void SetFlag(bool Value) { FFlag = Value; }
  bool CaptionStored() { return FCaption != Name(); }
  TNotifyEvent FOnClick;
  void HandleClick(TObject*) { ++Clicks; }
  int Clicks = 0;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    inherited::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FBuddy) FBuddy = nullptr;
  }

private:
  TProbe* FBuddy = nullptr;
  int FSize = 10;
  TShape FShape = TShape::shRound;
  TFontStyles FStyles;
  TSides FSides{TSide::sdLeft, TSide::sdTop, TSide::sdRight, TSide::sdBottom};
  double FRatio = 0;
  std::string FCaption;
  bool FFlag = true;
};

}  // namespace

const TClassInfo& TProbe::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TProbe>("TProbe", &inherited::StaticClass())
          .Component()
          .Object<TProbe>("Buddy", &TProbe::Buddy, &TProbe::SetBuddy)
          .Int("Size", &TProbe::Size, &TProbe::SetSize, 10)
          .Enum<TShape>("Shape", &TProbe::Shape, &TProbe::SetShape, TShape::shRound)
          .Set<TFontStyle>("Styles", &TProbe::Styles, &TProbe::SetStyles, TFontStyles{})
          .Set<TSide>("Sides", &TProbe::Sides, &TProbe::SetSides,
                      TSides{TSide::sdLeft, TSide::sdTop, TSide::sdRight, TSide::sdBottom})
          .Float("Ratio", &TProbe::Ratio, &TProbe::SetRatio)
          .Str("Caption", &TProbe::Caption, &TProbe::SetCaption, &TProbe::CaptionStored)
          .Bool("Flag", &TProbe::Flag, &TProbe::SetFlag, true)
          .Event("OnClick", &TProbe::FOnClick)
          .Method("HandleClick", &TProbe::HandleClick)
          .Build();
  return info;
}

TEST(Ownership, OwnerFreesChildrenLastToFirstThenLeavesItsOwner) {
  std::vector<std::string> log;
  gLog = &log;
  auto* root = new TProbe(nullptr);
  root->SetName("Root");
  auto* mid = new TProbe(root);
  mid->SetName("Mid");
  for (const char* n : {"A", "B", "C"}) (new TProbe(mid))->SetName(n);
  auto* last = new TProbe(root);
  last->SetName("Last");
  EXPECT_EQ(root->ComponentCount(), 2);
  EXPECT_EQ(mid->Owner(), root);
  EXPECT_EQ(last->ComponentIndex(), 1);

  delete mid;  // leaves its owner
  EXPECT_EQ(root->ComponentCount(), 1);
  EXPECT_EQ(log, (std::vector<std::string>{"free C", "free B", "free A", "free Mid"}));
  log.clear();
  delete root;
  EXPECT_EQ(log, (std::vector<std::string>{"free Last", "free Root"}));
  gLog = nullptr;
}

TEST(Ownership, ReferencesAreClearedWhenTheTargetIsFreed) {
  // Across owners through free notification; within one owner through the owner.
  TProbe formA(nullptr), formB(nullptr);
  auto* holder = new TProbe(&formA);
  auto* sibling = new TProbe(&formA);
  auto* target = new TProbe(&formB);
  holder->SetBuddy(target);
  sibling->SetBuddy(holder);
  delete target;
  EXPECT_EQ(holder->Buddy(), nullptr);
  delete holder;
  EXPECT_EQ(sibling->Buddy(), nullptr);

  // A subscriber freed first unsubscribes itself: the target must not call it later.
  auto* t2 = new TProbe(&formB);
  auto* h2 = new TProbe(&formA);
  h2->SetBuddy(t2);
  delete h2;
  delete t2;
}

TEST(Ownership, EveryOwnedComponentIsMarkedDestroyingBeforeAnyIsFreed) {
  struct TSpy : TComponent {
    using TComponent::TComponent;
    bool* Flag = nullptr;
    void BeforeDestruction() override {
      *Flag = Destroying();
      TComponent::BeforeDestruction();
    }
  };
  auto* root = new TComponent(nullptr);
  auto* child = new TComponent(root);
  bool sawDestroying = false;
  auto* spy = new TSpy(child);
  spy->Flag = &sawDestroying;
  delete root;
  EXPECT_TRUE(sawDestroying);
}

TEST(ComponentNames, AreValidatedAndUniqueWithinTheOwner) {
  TComponent owner(nullptr);
  auto* a = new TComponent(&owner);
  auto* b = new TComponent(&owner);
  a->SetName("Button1");
  struct Case { std::string name; bool ok; std::string message; };
  const Case cases[] = {
      {"1Button", false, "'1Button' is not a valid component name"},
      {"Bad Name", false, "'Bad Name' is not a valid component name"},
      {"button1", false, "A component named button1 already exists"},
      {"_Edit2", true, ""},
      {"", true, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      b->SetName(c.name);
      EXPECT_TRUE(c.ok);
      EXPECT_EQ(b->Name(), c.name);
    } catch (const EComponentError& e) {
      EXPECT_FALSE(c.ok);
      EXPECT_EQ(e.Message(), c.message);
    }
  }
  a->SetName("BUTTON1");  // a rename of itself in another case is allowed
  EXPECT_EQ(owner.FindComponent("button1"), a);
  EXPECT_EQ(owner.FindComponent("nothing"), nullptr);
  // A named component cannot join an owner that has the name already.
  auto* c = new TComponent(nullptr);
  c->SetName("Button1");
  EXPECT_THROW(owner.InsertComponent(c), EComponentError);
  EXPECT_EQ(c->Owner(), nullptr);
  delete c;
}

TEST(Properties, ByNameAccessCoversEveryKind) {
  TProbe p(nullptr);
  SetOrdProp(&p, "size", 42);
  EXPECT_EQ(p.Size(), 42);
  SetEnumProp(&p, "Shape", "shTriangle");
  EXPECT_EQ(GetEnumProp(&p, "SHAPE"), "shTriangle");
  SetEnumProp(&p, "Flag", "False");
  EXPECT_FALSE(p.Flag());
  SetFloatProp(&p, "Ratio", 2.5L);
  EXPECT_EQ(p.Ratio(), 2.5);
  SetStrProp(&p, "Caption", "\xB1\xE4\xC1\xBF");
  EXPECT_EQ(GetStrProp(&p, "Caption"), "\xB1\xE4\xC1\xBF");
  EXPECT_THROW(SetOrdProp(&p, "NoSuch", 1), EPropertyError);
  EXPECT_THROW(SetEnumProp(&p, "Shape", "shOval"), EPropertyConvertError);
  EXPECT_THROW(SetStrProp(&p, "Size", "x"), EPropertyError);
}

TEST(Properties, SetsConvertToAndFromTextForEachSetType) {
  TProbe p(nullptr);
  struct Case { const char* prop; const char* in; const char* out; };
  const Case cases[] = {
      {"Styles", "[fsBold,fsItalic]", "[fsBold,fsItalic]"},
      {"Styles", "[ fsStrikeOut , fsBold ]", "[fsBold,fsStrikeOut]"},
      {"Styles", "[]", "[]"},
      {"Sides", "[sdTop,sdBottom]", "[sdTop,sdBottom]"},
      {"Sides", "sdRight", "[sdRight]"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.prop) + c.in);
    SetSetProp(&p, c.prop, c.in);
    EXPECT_EQ(GetSetProp(&p, c.prop), c.out);
  }
  // An element of the other set type is refused, and the property keeps its value.
  EXPECT_THROW(SetSetProp(&p, "Styles", "[sdTop]"), EPropertyConvertError);
  EXPECT_THROW(SetSetProp(&p, "Sides", "[sdTop,]"), EPropertyConvertError);
  EXPECT_EQ(GetSetProp(&p, "Sides"), "[sdRight]");
  EXPECT_TRUE(p.Sides().Contains(TSide::sdRight));
}

TEST(Properties, DefaultsAndStoredPredicatesDecideWhatIsWritten) {
  TProbe p(nullptr);
  p.SetName("Probe1");
  auto written = [&p] {
    std::vector<std::string> names;
    for (const TPropInfo* prop : p.ClassInfo().AllProps())
      if (prop->IsStored(&p) && !IsDefaultPropertyValue(&p, *prop)) names.push_back(prop->Name);
    return names;
  };
  EXPECT_EQ(written(), (std::vector<std::string>{"Name"}));
  p.SetSize(11);
  p.SetSides(TSides{});
  p.SetFlag(false);
  p.SetCaption("Probe1");  // equal to the name: its stored predicate says no
  EXPECT_EQ(written(), (std::vector<std::string>{"Name", "Size", "Sides", "Flag"}));
  p.SetCaption("Other");
  p.SetRatio(0.5);
  EXPECT_EQ(written(), (std::vector<std::string>{"Name", "Size", "Sides", "Ratio", "Caption", "Flag"}));
}

// Classes republish their parent's records as copies; a copy keeps its accessors
// when the original's are replaced, and an empty callable leaves an accessor unset.
TEST(Properties, RecordCopiesKeepTheirAccessorsAndEmptyOnesStayUnset) {
  std::string value = "first";
  TPropInfo a;
  a.Name = "Text";
  a.Kind = TTypeKind::tkString;
  a.GetStr = [&value](TObject*) { return value; };
  a.SetStr = std::function<void(TObject*, const std::string&)>{};
  EXPECT_FALSE(a.Writable());
  TPropInfo b = a;
  a.GetStr = nullptr;
  a.SetStr = [&value](TObject*, const std::string& v) { value = v; };
  b.Stored = [](TObject*) { return false; };
  EXPECT_FALSE(a.GetStr);
  EXPECT_TRUE(a.Writable());
  EXPECT_FALSE(b.Writable());
  a.SetStr(nullptr, "second");
  ASSERT_TRUE(b.GetStr);
  EXPECT_EQ(b.GetStr(nullptr), "second");
  EXPECT_TRUE(a.IsStored(nullptr));
  EXPECT_FALSE(b.IsStored(nullptr));
}

TEST(Properties, EventsBindToPublishedMethodsByName) {
  TProbe form(nullptr), button(&form);
  const TMethodEntry* m = form.ClassInfo().FindMethod("handleclick");
  ASSERT_NE(m, nullptr);
  SetMethodProp(&button, "OnClick", TMethod{m->Name, m->Bind(&form)});
  button.FOnClick(&button);
  EXPECT_EQ(form.Clicks, 1);
  EXPECT_EQ(GetMethodProp(&button, "OnClick").Name, "HandleClick");
  // A callable of another signature is refused.
  TMethod wrong{"X", std::function<void(int)>([](int) {})};
  EXPECT_THROW(SetMethodProp(&button, "OnClick", wrong), EPropertyError);
  SetMethodProp(&button, "OnClick", TMethod{});
  EXPECT_FALSE(button.FOnClick);
  EXPECT_EQ(button.EventName("OnClick"), "");
}

namespace {

int gLazyBuilds = 0;

// A class registered by its entry: counts how often its metadata is built.
class TLazyProbe : public TComponent {
  DTU_CLASS(TLazyProbe, TComponent)
public:
  using TComponent::TComponent;
  int Size() const { return FSize; }
  void SetSize(int Value) { FSize = Value; }

private:
  int FSize = 3;
};

}  // namespace

const TClassInfo& TLazyProbe::StaticClass() {
  static const TClassInfo info = [] {
    ++gLazyBuilds;
    return TClassBuilder<TLazyProbe>("TLazyProbe", &inherited::StaticClass())
        .Component()
        .Int("Size", &TLazyProbe::Size, &TLazyProbe::SetSize, 3)
        .Build();
  }();
  return info;
}

TEST(Classes, RegistryBuildsAClassOnItsFirstLookupAndFindsTheSameTableAfter) {
  RegisterClass(ClassEntry<TLazyProbe>());
  EXPECT_EQ(gLazyBuilds, 0);  // registering costs only the name
  const TClassInfo* first = GetClass("tlazyprobe");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(gLazyBuilds, 1);
  const TClassInfo* again = GetClass("TLAZYPROBE");
  EXPECT_EQ(again, first);
  EXPECT_EQ(gLazyBuilds, 1);
  // The very table an eager registration would have given, parents' properties first.
  EXPECT_EQ(first, &TLazyProbe::StaticClass());
  EXPECT_EQ(first->Name, "TLazyProbe");
  EXPECT_TRUE(first->InheritsFrom(&TComponent::StaticClass()));
  std::vector<std::string> names;
  for (const TPropInfo* p : first->AllProps()) names.push_back(p->Name);
  EXPECT_EQ(names, (std::vector<std::string>{"Name", "Tag", "Size"}));
  ASSERT_NE(first->FindProp("size"), nullptr);
  EXPECT_EQ(first->FindProp("size")->Default, 3);
  // Among every registered class, found under its own name.
  auto all = RegisteredClasses();
  EXPECT_NE(std::find(all.begin(), all.end(), first), all.end());
  for (const char* unknown : {"TLazyProb", "TLazyProbeX", "", "TObject"}) EXPECT_EQ(GetClass(unknown), nullptr) << unknown;
  EXPECT_THROW(FindClass("TLazyMissing"), EClassNotFound);
}

TEST(Classes, RegistryFindsClassesByNameAndAssignReportsBothClasses) {
  RegisterClass(TProbe::StaticClass());
  const TClassInfo& c = FindClass("tprobe");
  EXPECT_TRUE(c.InheritsFrom(&TComponent::StaticClass()));
  TObject* made = c.Create(nullptr);
  EXPECT_EQ(made->ClassName(), "TProbe");
  delete made;
  EXPECT_THROW(FindClass("TMissing"), EClassNotFound);
  TProbe a(nullptr), b(nullptr);
  try {
    a.Assign(&b);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a TProbe to a TProbe");
  }
}
