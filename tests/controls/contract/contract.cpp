// Shared parts of the stored-form contract tests: a host form, text values of
// properties, and the published-names check.
#include "contract.h"

#include <algorithm>
#include <memory>

#include "controls/editlist/classes.h"
#include "platform/controls/forms.h"
#include "platform/core/filer.h"
#include "platform/core/strings.h"
#include "platform/core/sysutils.h"
#include "platform/core/textform.h"
#include "platform/core/typinfo.h"

TNames Join(std::initializer_list<TNames> Lists) {
  TNames all;
  for (const TNames& l : Lists) all.insert(all.end(), l.begin(), l.end());
  return all;
}

TNames Without(const TNames& Names, const TNames& Left) {
  TNames kept;
  for (const std::string& n : Names)
    if (std::find(Left.begin(), Left.end(), n) == Left.end()) kept.push_back(n);
  return kept;
}

namespace {

// Values a control derives or fixes itself, so the value read back is the control's
// own and not the one set.
struct TDerived {
  const char* ClassName;  // "" for every class
  const char* Prop;
  const char* Why;
};
const TDerived kDerived[] = {
    {"TQvLabel", "Width", "auto-sized to its caption"},
    {"TQvLabel", "Height", "auto-sized to its caption"},
    {"TQvStatusBar", "Height", "set by AutoStyle from the font when a form is loaded"},
    {"TQvToolbar", "Height", "auto-sized to its buttons"},
    {"", "ClientWidth", "follows Width"},
    {"", "ClientHeight", "follows Height"},
    {"TQvImageComboBox", "ItemHeight", "follows the font and the images while AutoSizeHeight is on"},
    {"TQvToolButton", "GradientColorStyle", "follows the toolbar while UseToolbarVisualStyle is set"},
    {"TQvNumericEdit", "Text", "the formatted Value, which is stored instead"},
    {"TQvDateTimeEdit", "Text", "the formatted Date and Time, which are stored instead"},
};

}  // namespace

bool IsDerived(const TClassInfo& Info, const std::string& Prop) {
  for (const TDerived& d : kDerived) {
    if (!SameText(d.Prop, Prop)) continue;
    if (!*d.ClassName) return true;
    for (const TClassInfo* c = &Info; c; c = c->Parent)
      if (SameText(c->Name, d.ClassName)) return true;
  }
  return false;
}

std::vector<std::string> FramedClassNames() {
  RegisterEditListClasses();
  std::vector<std::string> out;
  for (const TClassInfo* c : RegisteredClasses())
    if (c->Name.rfind("TQv", 0) == 0 && c->Create && c->InheritsFrom(&TComponent::StaticClass()))
      out.push_back(c->Name);
  std::sort(out.begin(), out.end());
  return out;
}

namespace {

std::string Quoted(const std::string& S) {
  std::string out = "'";
  for (char ch : S) {
    out += ch;
    if (ch == '\'') out += '\'';
  }
  return out + "'";
}

// The text form of Prop's value on Instance ("" when the value cannot be written as
// one line: lists, collections).
std::string ValueText(TObject* Instance, const TPropInfo& Prop) {
  switch (Prop.Kind) {
    case TTypeKind::tkInteger: case TTypeKind::tkInt64: {
      int64_t v = Prop.GetOrd(Instance);
      std::string ident;
      if (Prop.Idents && Prop.Idents->IntToIdent(v, ident)) return ident;
      return std::to_string(v);
    }
    case TTypeKind::tkChar: return "#" + std::to_string(Prop.GetOrd(Instance) & 0xFF);
    case TTypeKind::tkBool: return Prop.GetOrd(Instance) ? "True" : "False";
    case TTypeKind::tkEnumeration: return GetEnumName(*Prop.TypeInfo, Prop.GetOrd(Instance));
    case TTypeKind::tkSet: return SetToString(*Prop.TypeInfo, Prop.GetOrd(Instance));
    case TTypeKind::tkFloat: return std::to_string(static_cast<double>(Prop.GetFloat(Instance)));
    case TTypeKind::tkString: {
      std::string v = Prop.GetStr(Instance);
      bool ascii = std::all_of(v.begin(), v.end(), [](char c) { return c >= ' ' && c < 127; });
      return Quoted(ascii ? v : std::string());
    }
    case TTypeKind::tkMethod: return "nil";
    default: return "";
  }
}

// Lines naming Prop on Instance: "Name = value", "Font.Color = clRed" for an owned
// persistent (its first property), "Ref = nil" for a component reference.
std::vector<std::string> PropLines(TObject* Instance, const TPropInfo& Prop, const std::string& Path = "") {
  if (Prop.Kind != TTypeKind::tkClass) {
    std::string v = ValueText(Instance, Prop);
    if (v.empty()) return {};
    return {Path + Prop.Name + " = " + v};
  }
  bool isReference = Prop.PropClass && Prop.PropClass().InheritsFrom(&TComponent::StaticClass());
  TObject* sub = Prop.GetObj ? Prop.GetObj(Instance) : nullptr;
  auto* subComp = dynamic_cast<TComponent*>(sub);
  if (isReference && !(subComp && subComp->ComponentStyle().Contains(csSubComponent)))
    return {Path + Prop.Name + " = nil"};
  if (auto* strings = dynamic_cast<TStrings*>(sub)) {
    (void)strings;
    return {Path + Prop.Name + ".Strings = (\n      'a')"};
  }
  if (dynamic_cast<TCollection*>(sub)) return {Path + Prop.Name + " = <>"};
  if (!sub) return {};
  for (const TPropInfo* p : sub->ClassInfo().AllProps())
    if (p->Kind != TTypeKind::tkClass && p->Kind != TTypeKind::tkMethod && p->Writable())
      return PropLines(sub, *p, Path + Prop.Name + ".");
  return {};
}

}  // namespace

void ExpectPublishesAndLoads(const TPublishedNames& Entry) {
  FramedClassNames();
  const TClassInfo* cls = GetClass(Entry.ClassName);
  ASSERT_NE(cls, nullptr) << Entry.ClassName << " is not registered";
  std::unique_ptr<TForm> host(new TForm(nullptr));
  TObject* made = cls->Create(host.get());
  auto* fresh = dynamic_cast<TComponent*>(made);
  ASSERT_NE(fresh, nullptr) << Entry.ClassName;

  std::string text = "object Host: TForm\n  object Subject: " + Entry.ClassName + "\n";
  std::vector<std::string> missing;
  for (const std::string& name : Entry.Names) {
    const TPropInfo* p = cls->FindProp(name);
    if (!p) {
      missing.push_back(name);
      continue;
    }
    for (const std::string& line : PropLines(fresh, *p)) text += "    " + line + "\n";
  }
  EXPECT_TRUE(missing.empty()) << Entry.ClassName << " does not publish: " << [&] {
    std::string s;
    for (const std::string& n : missing) s += n + " ";
    return s;
  }();
  text += "  end\nend\n";

  std::string error;
  try {
    std::string bin = FormTextToBinary(text);
    std::unique_ptr<TForm> form(new TForm(nullptr));
    ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(bin.data()), bin.size(), form.get());
    if (!form->FindComponent("Subject")) error = "no Subject after reading";
  } catch (const Exception& e) {
    error = e.Message();
  }
  EXPECT_EQ(error, "") << Entry.ClassName << "'s form does not load:\n" << text;
}
