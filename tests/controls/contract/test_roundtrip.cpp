// A value set is a value kept: every published property of every framed class comes
// back from a write and a read with the value it had, both for a value that differs
// from a new instance's and for the declared default.
#include <functional>
#include <optional>

#include "contract.h"
#include "platform/core/filer.h"
#include "platform/core/strings.h"
#include "platform/core/sysutils.h"
#include "platform/core/textform.h"
#include "platform/core/typinfo.h"
#include "tests/platform/controls/fixtures.h"

namespace {

// A value of Prop other than Fresh, or nothing when the kind has none to offer.
std::optional<int64_t> OtherOrdinal(const TPropInfo& Prop, int64_t Fresh) {
  switch (Prop.Kind) {
    case TTypeKind::tkBool: return Fresh ? 0 : 1;
    case TTypeKind::tkEnumeration: {
      auto n = static_cast<int64_t>(Prop.TypeInfo->Names.size());
      return n > 1 ? std::optional<int64_t>((Fresh + 1) % n) : std::nullopt;
    }
    case TTypeKind::tkSet: return Fresh ^ 1;
    case TTypeKind::tkChar: return Fresh == 'x' ? 'y' : 'x';
    case TTypeKind::tkInteger: case TTypeKind::tkInt64:
      if (Prop.Idents)
        for (const TIdentMapEntry& e : Prop.Idents->Entries)
          if (e.Value != Fresh && e.Value != 0) return e.Value;
      return Fresh + 1;
    default: return std::nullopt;
  }
}

class RoundTrip : public ControlsTest, public ::testing::WithParamInterface<std::string> {
protected:
  TComponent* Make() {
    auto* c = dynamic_cast<TComponent*>(Cls->Create(Host));
    c->SetName("Subject" + std::to_string(++Made));
    if (auto* ctl = dynamic_cast<TControl*>(c)) ctl->SetParent(Host);
    return c;
  }
  // Writes Source, reads the stream into a new instance, and returns it.
  TComponent* Copy(TComponent* Source) {
    TMemoryStream s;
    s.WriteComponent(Source);
    Bytes = std::string(static_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
    delete Source;
    TComponent* copy = Make();
    ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(Bytes.data()), Bytes.size(), copy);
    return copy;
  }
  std::string Text() const { return FormBinaryToText(Bytes); }

  // One property, reached through Path ("Font." for an owned persistent's): set to
  // Value on a new instance, written, read; the copy must hold what the source held.
  template <class V, class Get, class Set>
  void Check(const std::string& Name, Get GetValue, Set SetValue, V Value, const char* What) {
    TComponent* source = Make();
    try {
      SetValue(source, Value);
    } catch (const Exception&) {
      delete source;  // the class refuses this value: nothing was set
      return;
    }
    V held = GetValue(source);
    TComponent* fresh = Make();
    V start = GetValue(fresh);
    delete fresh;
    if (held == start) {  // the class kept its own value: nothing was set
      delete source;
      return;
    }
    ++Checked;
    TComponent* copy = Copy(source);
    V got = GetValue(copy);
    delete copy;
    if (got != held) Lost.push_back(Name + " (" + What + "): set " + Show(held) + ", read " + Show(got));
  }
  static std::string Show(int64_t v) { return std::to_string(v); }
  static std::string Show(long double v) { return std::to_string(static_cast<double>(v)); }
  static std::string Show(const std::string& v) { return "'" + v + "'"; }

  // Props of the object Reach gives on an instance (the instance itself, or an owned
  // persistent such as its Font).
  void CheckProps(const TClassInfo& Info, const std::string& Path,
                  const std::function<TObject*(TComponent*)>& Reach) {
    for (const TPropInfo* pp : Info.AllProps()) {
      const TPropInfo& p = *pp;
      std::string name = Path + p.Name;
      if (SameText(p.Name, "Name") || (Path.empty() && IsDerived(*Cls, p.Name))) continue;
      if (!p.Writable() && p.Kind != TTypeKind::tkClass) continue;
      TComponent* fresh = Make();
      TObject* freshObj = Reach(fresh);
      switch (p.Kind) {
        case TTypeKind::tkInteger: case TTypeKind::tkInt64: case TTypeKind::tkChar:
        case TTypeKind::tkEnumeration: case TTypeKind::tkSet: case TTypeKind::tkBool: {
          if (!p.SetOrd) break;
          int64_t start = p.GetOrd(freshObj);
          delete fresh;
          fresh = nullptr;
          auto get = [&](TComponent* c) { return p.GetOrd(Reach(c)); };
          auto set = [&](TComponent* c, int64_t v) { p.SetOrd(Reach(c), v); };
          if (auto other = OtherOrdinal(p, start)) Check<int64_t>(name, get, set, *other, "another value");
          if (p.Default && *p.Default != start) Check<int64_t>(name, get, set, *p.Default, "declared default");
          break;
        }
        case TTypeKind::tkFloat: {
          if (!p.SetFloat) break;
          long double start = p.GetFloat(freshObj);
          delete fresh;
          fresh = nullptr;
          auto get = [&](TComponent* c) { return p.GetFloat(Reach(c)); };
          auto set = [&](TComponent* c, long double v) { p.SetFloat(Reach(c), v); };
          Check<long double>(name, get, set, start + 1, "another value");
          if (start != 0) Check<long double>(name, get, set, 0, "declared default");
          break;
        }
        case TTypeKind::tkString: {
          if (!p.SetStr) break;
          std::string start = p.GetStr(freshObj);
          delete fresh;
          fresh = nullptr;
          auto get = [&](TComponent* c) { return p.GetStr(Reach(c)); };
          auto set = [&](TComponent* c, const std::string& v) { p.SetStr(Reach(c), v); };
          Check<std::string>(name, get, set, start.empty() ? std::string("Qv") : std::string(), "another value");
          break;
        }
        case TTypeKind::tkClass: {
          // Owned persistents (Font, Constraints ...), one level down; references,
          // lists and collections have their own tests.
          TObject* sub = p.GetObj ? p.GetObj(freshObj) : nullptr;
          bool isReference = p.PropClass && p.PropClass().InheritsFrom(&TComponent::StaticClass());
          bool plain = sub && !isReference && !dynamic_cast<TStrings*>(sub) && !dynamic_cast<TCollection*>(sub);
          const TClassInfo* subInfo = plain ? &sub->ClassInfo() : nullptr;
          delete fresh;
          fresh = nullptr;
          if (subInfo && Path.empty())
            CheckProps(*subInfo, name + ".", [&p, Reach](TComponent* c) { return p.GetObj(Reach(c)); });
          break;
        }
        default: break;
      }
      delete fresh;
    }
  }

  TForm* Host = nullptr;
  int Made = 0;
  int Checked = 0;
  const TClassInfo* Cls = nullptr;
  std::string Bytes;
  std::vector<std::string> Lost;
};

// The writer learns what a reader starts from by making a new instance without an
// owner: every class must allow that.
TEST_P(RoundTrip, ANewInstanceCanBeMadeWithoutAnOwner) {
  const TClassInfo* cls = GetClass(GetParam());
  ASSERT_NE(cls, nullptr);
  TObject* made = nullptr;
  EXPECT_NO_THROW(made = cls->Create(nullptr)) << GetParam();
  delete made;
}

TEST_P(RoundTrip, EveryPublishedValueComesBack) {
  Cls = GetClass(GetParam());
  ASSERT_NE(Cls, nullptr);
  Host = MakeForm("Host");
  CheckProps(*Cls, "", [](TComponent* c) -> TObject* { return c; });
  std::string report;
  for (const std::string& l : Lost) report += "  " + l + "\n";
  EXPECT_TRUE(Lost.empty()) << GetParam() << " loses:\n" << report;
  // Every control publishes far more than ten values it can hold.
  if (Cls->InheritsFrom(&TControl::StaticClass())) {
    EXPECT_GE(Checked, 10) << "too few values could be set on " << GetParam();
  }
}

INSTANTIATE_TEST_SUITE_P(Framed, RoundTrip, ::testing::ValuesIn(FramedClassNames()),
                         [](const ::testing::TestParamInfo<std::string>& I) { return I.param; });

// The framed classes that publish BiDiMode.
std::vector<std::string> BiDiClassNames() {
  std::vector<std::string> out;
  for (const std::string& n : FramedClassNames())
    if (const TClassInfo* c = GetClass(n); c && c->FindProp("BiDiMode")) out.push_back(n);
  return out;
}

class RightToLeft : public RoundTrip {};

// A right-to-left form: a control with a mode of its own keeps it, one that follows
// the form is not written with a mode and follows it again when read; a second
// write gives the same form text as the first.
TEST_P(RightToLeft, ModesWriteBackAsRead) {
  Cls = GetClass(GetParam());
  ASSERT_NE(Cls, nullptr);
  Host = MakeForm("Host");
  Host->SetBiDiMode(bdRightToLeft);
  auto* own = dynamic_cast<TControl*>(Make());
  own->SetBiDiMode(bdRightToLeftReadingOnly);
  auto* follower = dynamic_cast<TControl*>(Make());
  ASSERT_EQ(follower->BiDiMode(), bdRightToLeft);
  auto write = [](TComponent* C) {
    TMemoryStream s;
    s.WriteComponent(C);
    return std::string(static_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
  };
  const std::string first = write(Host);
  TForm* again = MakeForm("Host");
  ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(first.data()), first.size(), again);
  auto* ownRead = dynamic_cast<TControl*>(again->FindComponent(own->Name()));
  auto* followerRead = dynamic_cast<TControl*>(again->FindComponent(follower->Name()));
  ASSERT_TRUE(ownRead && followerRead);
  EXPECT_EQ(again->BiDiMode(), bdRightToLeft);
  EXPECT_EQ(ownRead->BiDiMode(), bdRightToLeftReadingOnly);
  EXPECT_FALSE(ownRead->ParentBiDiMode());
  EXPECT_EQ(followerRead->BiDiMode(), bdRightToLeft);
  EXPECT_TRUE(followerRead->ParentBiDiMode());
  EXPECT_EQ(FormBinaryToText(write(again)), FormBinaryToText(first));
}

INSTANTIATE_TEST_SUITE_P(Framed, RightToLeft, ::testing::ValuesIn(BiDiClassNames()),
                         [](const ::testing::TestParamInfo<std::string>& I) { return I.param; });

}  // namespace
