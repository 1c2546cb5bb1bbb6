// The form filer: reading and writing component trees, DefineProperties, retired
// properties, event binding, fix-ups, Loaded order, bad input, embedded forms.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>

#include "platform/core/filer.h"
#include "platform/core/strings.h"
#include "platform/core/textform.h"
#include "platform/core/typinfo.h"
#include "tools/fuzz/form_fuzz.h"

namespace {

enum class TShade { shLight, shMedium, shDark };
enum class TEdge { edLeft, edTop, edRight, edBottom };
using TEdges = TSet<TEdge>;

}  // namespace

DTU_DECLARE_ENUM(TShade)
DTU_DECLARE_ENUM(TEdge)
DTU_DEFINE_ENUM(TShade, "shLight", "shMedium", "shDark")
DTU_DEFINE_ENUM(TEdge, "edLeft", "edTop", "edRight", "edBottom")

namespace {

constexpr int clBtnFace = -16777201;
const TIdentMap kColors{{{0, "clBlack"}, {255, "clRed"}, {clBtnFace, "clBtnFace"}}};

std::vector<std::string> gLoadedLog;

// An owned persistent streamed as "Font.Name".
class TTestFont : public TPersistent {
  DTU_CLASS(TTestFont, TPersistent)
public:
  std::string Name;
  int Size = 8;
};

class TTestItem : public TCollectionItem {
  DTU_CLASS(TTestItem, TCollectionItem)
public:
  int Width = 0;
  std::string Text;
};

// A node of the test tree: children are the nodes parented to it.
class TNode : public TComponent {
  DTU_CLASS(TNode, TComponent)
public:
  explicit TNode(TComponent* AOwner) : TComponent(AOwner), Items(TTestItem::StaticClass(), this) {}
  void BeforeDestruction() override {
    if (FParentNode) std::erase(FParentNode->FChildren, this);
    for (TNode* c : FChildren) c->FParentNode = nullptr;
    FChildren.clear();
    inherited::BeforeDestruction();
  }
  void SetParentComponent(TComponent* Value) override {
    if (auto* p = dynamic_cast<TNode*>(Value); p && p != this && !FParentNode) {
      FParentNode = p;
      p->FChildren.push_back(this);
    }
  }
  TComponent* GetParentComponent() override { return FParentNode; }
  bool HasParent() override { return true; }
  void GetChildren(const TGetChildProc& Proc, TComponent*) override {
    for (TNode* c : FChildren) Proc(c);
  }
  const std::vector<TNode*>& Children() const { return FChildren; }

  void DefineProperties(TFiler* Filer) override {
    inherited::DefineProperties(Filer);
    Filer->DefineBinaryProperty(
        "Glyph",
        [this](TStream* s) {
          Glyph.resize(static_cast<size_t>(s->Size()));
          s->ReadBuffer(Glyph.data(), s->Size());
        },
        [this](TStream* s) { s->WriteBuffer(Glyph.data(), static_cast<int64_t>(Glyph.size())); },
        !Glyph.empty());
    // The order of some children, as an identifier list resolved by Loaded.
    Filer->DefineProperty(
        "Order",
        [this](TReader* r) {
          r->ReadListBegin();
          FOrderNames.clear();
          while (!r->EndOfList()) FOrderNames.push_back(r->ReadIdent());
          r->ReadListEnd();
        },
        [this](TWriter* w) {
          w->WriteListBegin();
          for (TNode* n : Order) w->WriteIdent(n->Name());
          w->WriteListEnd();
        },
        !Order.empty());
    // Retired: "OldWidth" is mapped onto Width, "Flat" read and dropped.
    Filer->DefineProperty("OldWidth", [this](TReader* r) { Width = r->ReadInteger(); }, nullptr, false);
    Filer->DefineProperty("Flat", [](TReader* r) { r->ReadBoolean(); }, nullptr, false);
  }
  void Loaded() override {
    inherited::Loaded();
    gLoadedLog.push_back(Name() + (Buddy ? "->" + Buddy->Name() : ""));
    for (const std::string& n : FOrderNames)
      if (auto* c = dynamic_cast<TNode*>(Owner() ? Owner()->FindComponent(n) : nullptr)) Order.push_back(c);
    FOrderNames.clear();
  }

  std::string Caption;
  int Width = 100;
  bool Visible = true;
  TShade Shade = TShade::shMedium;
  TEdges Edges{TEdge::edLeft, TEdge::edTop};
  double Ratio = 0;
  int Color = clBtnFace;
  TTestFont Font;
  TNode* Buddy = nullptr;
  TNotifyEvent FOnClick;
  TCollection Items;
  std::string Glyph;
  std::vector<TNode*> Order;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    inherited::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == Buddy) Buddy = nullptr;
  }

private:
  TNode* FParentNode = nullptr;
  std::vector<TNode*> FChildren;
  std::vector<std::string> FOrderNames;
};

// The root class: publishes the handler events are bound to.
class TTestForm : public TNode {
  DTU_CLASS(TTestForm, TNode)
public:
  using TNode::TNode;
  void ButtonClick(TObject* Sender) { Clicked = Sender; }
  TObject* Clicked = nullptr;
};

// A form class whose layout is the embedded, formc-compiled TFormFilerTest.form.
class TFormFilerTest : public TNode {
  DTU_CLASS(TFormFilerTest, TNode)
public:
  explicit TFormFilerTest(TComponent* AOwner) : TNode(AOwner) {
    if (!InitInheritedComponent(this, TNode::StaticClass()))
      throw EResNotFound("Resource " + ClassName() + " not found");
  }
  void ButtonClick(TObject*) { ++Clicks; }
  TNode* Button1 = nullptr;
  int Clicks = 0;
};

// A node whose constructor starts away from the declared defaults (as a control
// that sets Cursor crIBeam or ParentColor False in its constructor).
class TPresetNode : public TNode {
  DTU_CLASS(TPresetNode, TNode)
public:
  explicit TPresetNode(TComponent* AOwner) : TNode(AOwner) {
    Caption = "preset";
    Width = 50;
    Visible = false;
    Ratio = 0.5;
    Font.Size = 12;
  }
};

}  // namespace

const TClassInfo& TPresetNode::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TPresetNode>("TPresetNode", &inherited::StaticClass()).Component().Build();
  return info;
}

const TClassInfo& TTestFont::StaticClass() {
  using F = TTestFont;
  static const TClassInfo info = TClassBuilder<F>("TTestFont", &inherited::StaticClass())
      .Str("Name", [](F* f) { return f->Name; }, [](F* f, const std::string& v) { f->Name = v; })
      .Int("Size", [](F* f) { return f->Size; }, [](F* f, int64_t v) { f->Size = static_cast<int>(v); }, 8)
      .Build();
  return info;
}

const TClassInfo& TTestItem::StaticClass() {
  using I = TTestItem;
  static const TClassInfo info = TClassBuilder<I>("TTestItem", &inherited::StaticClass())
      .Creatable()
      .Int("Width", [](I* i) { return i->Width; }, [](I* i, int64_t v) { i->Width = static_cast<int>(v); })
      .Str("Text", [](I* i) { return i->Text; }, [](I* i, const std::string& v) { i->Text = v; })
      .Build();
  return info;
}

const TClassInfo& TNode::StaticClass() {
  using N = TNode;
  static const TClassInfo info = TClassBuilder<N>("TNode", &inherited::StaticClass())
      .Component()
      .Str("Caption", [](N* n) { return n->Caption; }, [](N* n, const std::string& v) { n->Caption = v; })
      .Int("Width", [](N* n) { return n->Width; }, [](N* n, int64_t v) { n->Width = static_cast<int>(v); }, 100)
      .Bool("Visible", [](N* n) { return n->Visible; }, [](N* n, bool v) { n->Visible = v; }, true)
      .Enum<TShade>("Shade", [](N* n) { return n->Shade; }, [](N* n, TShade v) { n->Shade = v; }, TShade::shMedium)
      .Set<TEdge>("Edges", [](N* n) { return n->Edges; }, [](N* n, TEdges v) { n->Edges = v; },
                  TEdges{TEdge::edLeft, TEdge::edTop})
      .Float("Ratio", [](N* n) { return n->Ratio; }, [](N* n, long double v) { n->Ratio = static_cast<double>(v); })
      .Int("Color", [](N* n) { return n->Color; }, [](N* n, int64_t v) { n->Color = static_cast<int>(v); },
           clBtnFace, {}, &kColors)
      .Object<TTestFont>("Font", [](N* n) { return &n->Font; }, nullptr)
      .Object<TNode>("Buddy", [](N* n) { return n->Buddy; },
                     [](N* n, TNode* v) {
                       n->Buddy = v;
                       if (v) v->FreeNotification(n);
                     })
      .Event("OnClick", &N::FOnClick)
      .Object<TCollection>("Items", [](N* n) { return &n->Items; }, nullptr)
      .Build();
  return info;
}

const TClassInfo& TTestForm::StaticClass() {
  static const TClassInfo info = TClassBuilder<TTestForm>("TTestForm", &inherited::StaticClass())
      .Component()
      .Method("ButtonClick", &TTestForm::ButtonClick)
      .Build();
  return info;
}

const TClassInfo& TFormFilerTest::StaticClass() {
  static const TClassInfo info = TClassBuilder<TFormFilerTest>("TFormFilerTest", &inherited::StaticClass())
      .Component()
      .Method("ButtonClick", &TFormFilerTest::ButtonClick)
      .Build();
  return info;
}

namespace {

struct Registration {
  Registration() {
    RegisterClasses({&TNode::StaticClass(), &TTestForm::StaticClass(), &TFormFilerTest::StaticClass(),
                     &TPresetNode::StaticClass()});
    RegisterFields(TFormFilerTest::StaticClass(), {FieldOf("Button1", &TFormFilerTest::Button1)});
  }
} const kRegistration;

// The round-trip tree: every kind of value, in the writer's order, defaults left out.
const char kTreeText[] =
    "object FormMain: TTestForm\n"
    "  Caption = '配置工具'\n"
    "  Width = 640\n"
    "  Edges = []\n"
    "  object Panel1: TNode\n"
    "    Shade = shDark\n"
    "    Edges = [edLeft, edRight]\n"
    "    Ratio = 1.25\n"
    "    Color = clRed\n"
    "    Font.Name = 'Tahoma'\n"
    "    Font.Size = 10\n"
    "    Order = (\n"
    "      Button2\n"
    "      Button1)\n"
    "    object Button1: TNode\n"
    "      Caption = 'OK'#13#10'确定'\n"
    "      Visible = False\n"
    "      Buddy = Button2\n"
    "      OnClick = ButtonClick\n"
    "      Glyph = {\n"
    "        0102FF}\n"
    "    end\n"
    "    object Button2: TNode\n"
    "      Tag = 7\n"
    "      Width = 75\n"
    "      Ratio = -0.1\n"
    "      Color = 16744448\n"
    "      Items = <\n"
    "        item\n"
    "          Text = 'a'\n"
    "        end\n"
    "        item\n"
    "          Width = 3\n"
    "        end>\n"
    "    end\n"
    "  end\n"
    "end\n";

std::unique_ptr<TTestForm> ReadTree(const std::string& Binary) {
  auto form = std::make_unique<TTestForm>(nullptr);
  ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(Binary.data()), Binary.size(), form.get());
  return form;
}

std::string WriteTree(TComponent* Root) {
  TStringStream out;
  out.WriteComponent(Root);
  return out.DataString();
}

std::string ReadError(const std::string& Text) {
  try {
    ReadTree(FormTextToBinary(Text));
  } catch (const EReadError& e) {
    return e.Message();
  }
  return "(no error)";
}

TEST(Filer, TreeSurvivesTextBinaryObjectsBinaryText) {
  gLoadedLog.clear();
  std::string binary = FormTextToBinary(kTreeText);
  auto form = ReadTree(binary);

  ASSERT_EQ(form->Children().size(), 1u);
  TNode* panel = form->Children()[0];
  ASSERT_EQ(panel->Children().size(), 2u);
  auto* button1 = panel->Children()[0];
  auto* button2 = panel->Children()[1];
  EXPECT_EQ(form->Caption, "\xC5\xE4\xD6\xC3\xB9\xA4\xBE\xDF");  // GBK
  EXPECT_EQ(form->Edges, TEdges{});
  EXPECT_EQ(panel->Shade, TShade::shDark);
  EXPECT_EQ(panel->Edges, (TEdges{TEdge::edLeft, TEdge::edRight}));
  EXPECT_EQ(panel->Ratio, 1.25);
  EXPECT_EQ(panel->Color, 255);
  EXPECT_EQ(panel->Font.Name, "Tahoma");
  EXPECT_EQ(button1->Caption, "OK\r\n\xC8\xB7\xB6\xA8");
  EXPECT_FALSE(button1->Visible);
  EXPECT_EQ(button1->Buddy, button2);
  EXPECT_EQ(button1->Glyph, std::string("\x01\x02\xFF", 3));
  EXPECT_EQ(button2->Owner(), form.get());
  EXPECT_EQ(button2->Tag(), 7);
  EXPECT_EQ(button2->Ratio, -0.1);
  ASSERT_EQ(button2->Items.Count(), 2);
  EXPECT_EQ(static_cast<TTestItem*>(button2->Items.Items(1))->Width, 3);
  EXPECT_EQ(panel->Order, (std::vector<TNode*>{button2, button1}));
  ASSERT_TRUE(button1->FOnClick);
  button1->FOnClick(button1);
  EXPECT_EQ(form->Clicked, button1);
  // Loaded runs root first, in read order, after the references are fixed up.
  EXPECT_EQ(gLoadedLog, (std::vector<std::string>{"FormMain", "Panel1", "Button1->Button2", "Button2"}));
  EXPECT_FALSE(button1->ComponentState().Contains(csLoading));

  EXPECT_EQ(FormBinaryToText(WriteTree(form.get())), kTreeText);
}

TEST(Filer, DefaultsAndRetiredPropertiesAreNotWritten) {
  auto form = ReadTree(FormTextToBinary(
      "object F: TTestForm\n"
      "  Width = 100\n"      // the default, given explicitly
      "  OldWidth = 42\n"    // retired, mapped onto Width
      "  Flat = True\n"      // retired, dropped
      "  Visible = True\n"
      "  object N: TNode\n"
      "  end\n"
      "end\n"));
  EXPECT_EQ(form->Width, 42);
  EXPECT_EQ(FormBinaryToText(WriteTree(form.get())),
            "object F: TTestForm\n"
            "  Width = 42\n"
            "  object N: TNode\n"
            "  end\n"
            "end\n");
}

TEST(Filer, BadPropertiesNameComponentAndPath) {
  struct Case { const char* Body; const char* Message; };
  const Case cases[] = {
      {"Bogus = 1", "Error reading B.Bogus: Property Bogus does not exist"},
      {"Font.Bogus = 1", "Error reading B.Font.Bogus: Property Bogus does not exist"},
      {"Nope.Size = 1", "Error reading B.Nope.Size: Property Nope does not exist"},
      {"OnClick = NoSuchHandler", "Error reading B.OnClick: Method NoSuchHandler not found in TTestForm"},
      {"Shade = shPurple", "Error reading B.Shade: Invalid property value"},
      {"Edges = [edMiddle]", "Error reading B.Edges: Invalid property element: edMiddle"},
      {"Color = clNoSuchColor", "Error reading B.Color: Invalid property value"},
      {"Width = 'wide'", "Error reading B.Width: Invalid property value"},
      {"Buddy = Ghost", "Error reading B.Buddy: Component Ghost not found"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ReadError(std::string("object F: TTestForm\n  object B: TNode\n    ") + c.Body + "\n  end\nend\n"),
              c.Message)
        << c.Body;
  EXPECT_EQ(ReadError("object F: TTestForm\n  object B: TNoSuchClass\n  end\nend\n"),
            "Class TNoSuchClass not found");
  EXPECT_EQ(ReadError("object F: TTestForm\n  object B: TNode\n  end\n  object B: TNode\n  end\nend\n"),
            "Error reading B: A component named B already exists");
}

TEST(Filer, HostileStreamsRaiseReadErrors) {
  std::string valid = FormTextToBinary(kTreeText);
  // Every truncation of a valid stream fails cleanly.
  for (size_t n = 0; n < valid.size(); ++n)
    EXPECT_THROW(ReadTree(valid.substr(0, n)), EReadError) << n;

  auto header = [](const std::string& Props) {
    return std::string("TPF0\x09TTestForm\x01" "F", 16) + Props;
  };
  struct Case { std::string Bytes; const char* Message; };
  std::string deep = header(std::string("\x05" "Bogus", 6));
  deep += std::string(5000, '\x01');  // lists within lists
  const Case cases[] = {
      {"TPF1", "Invalid stream format"},
      {header(std::string("\x07" "Caption\x0C\xFF\xFF\xFF\x7F" "abc", 16)),
       "Error reading F.Caption: Stream read error"},
      {header(std::string("\x05" "Width\x63", 7)), "Error reading F.Width: Invalid value type 99 in form stream"},
      {header(std::string("\x05" "Order\x01\x01\x01", 9)), "Error reading F.Order: Invalid property value"},
      {deep, "Error reading F.Bogus: Form stream nested too deeply"},
  };
  for (const Case& c : cases) {
    try {
      ReadTree(c.Bytes);
      ADD_FAILURE() << c.Message;
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Message(), c.Message);
    }
  }
}

TEST(Filer, IntegersTakeTheSmallestTag) {
  struct Case { int64_t Value; TValueType Tag; size_t Size; };
  const Case cases[] = {{0, vaInt8, 2},       {-128, vaInt8, 2},        {127, vaInt8, 2},
                        {128, vaInt16, 3},    {-32769, vaInt32, 5},     {INT32_MAX, vaInt32, 5},
                        {INT32_MIN, vaInt32, 5}, {int64_t(1) << 40, vaInt64, 9}};
  for (const Case& c : cases) {
    TMemoryStream ms;
    TWriter w(&ms);
    w.WriteInteger(c.Value);
    auto bytes = ms.Bytes();
    ASSERT_EQ(bytes.size(), c.Size) << c.Value;
    EXPECT_EQ(bytes[0], static_cast<uint8_t>(c.Tag)) << c.Value;
    ms.SetPosition(0);
    TReader r(&ms);
    EXPECT_EQ(r.ReadInt64(), c.Value);
  }
}

TEST(Filer, WideAndUtf8StringsBecomeGbk) {
  struct Case { std::string Bytes; std::string Gbk; };
  const Case cases[] = {
      {std::string("\x12\x02\0\0\0\x2D\x4E\x41\0", 9), "\xD6\xD0" "A"},   // vaWString U+4E2D 'A'
      {std::string("\x14\x04\0\0\0\xE4\xB8\xAD!", 9), "\xD6\xD0!"},       // vaUTF8String
  };
  for (const Case& c : cases) {
    TStringStream s(c.Bytes);
    TReader r(&s);
    EXPECT_EQ(r.ReadString(), c.Gbk);
  }
  TStringStream bad(std::string("\x12\x01\0\0\0\x00\xD8", 7));  // a lone surrogate
  TReader r(&bad);
  EXPECT_THROW(r.ReadString(), EReadError);
}

TEST(Filer, ExtendedFloatsConvertPortably) {
  struct Case { long double Value; std::vector<uint8_t> Bytes; };
  const Case cases[] = {
      {1.0L, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}},
      {-2.5L, {0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0xC0}},
      {0.0L, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {HUGE_VALL, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F}},
  };
  for (const Case& c : cases) {
    uint8_t b[10];
    LongDoubleToExtended(c.Value, b);
    EXPECT_EQ(std::vector<uint8_t>(b, b + 10), c.Bytes) << static_cast<double>(c.Value);
    EXPECT_EQ(ExtendedToLongDouble(b), c.Value);
  }
  for (long double v : {0.1L, -1e300L, 4.9e-324L, 3.14159265358979323846L, 1e-4940L}) {
    uint8_t b[10];
    LongDoubleToExtended(v, b);
    EXPECT_EQ(ExtendedToLongDouble(b), v) << static_cast<double>(v);
  }
}

TEST(Filer, DescendentWritesOnlyWhatDiffersFromAncestor) {
  auto ancestor = ReadTree(FormTextToBinary(
      "object F: TTestForm\n  Width = 300\n  object N: TNode\n    Caption = 'x'\n  end\nend\n"));
  auto form = ReadTree(FormTextToBinary(
      "object F: TTestForm\n  Width = 300\n  Caption = 'new'\n  object N: TNode\n    Caption = 'x'\n"
      "    Shade = shLight\n  end\nend\n"));
  TStringStream out;
  out.WriteDescendent(form.get(), ancestor.get());
  EXPECT_EQ(FormBinaryToText(out.DataString()),
            "object F: TTestForm\n"
            "  Caption = 'new'\n"
            "  inherited N: TNode\n"
            "    Shade = shLight\n"
            "  end\n"
            "end\n");
}

TEST(Filer, FormClassLoadsItsEmbeddedStreamByClassName) {
  const TClassInfo& cls = FindClass("TFormFilerTest");
  std::unique_ptr<TObject> obj(cls.Create(nullptr));
  auto* form = dynamic_cast<TFormFilerTest*>(obj.get());
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->Name(), "FormFilerTest");
  EXPECT_EQ(form->Caption, "\xB1\xED\xB5\xA5");  // GBK
  ASSERT_NE(form->Button1, nullptr);              // the published field is bound
  EXPECT_EQ(form->Button1->Caption, "OK");
  form->Button1->FOnClick(form->Button1);
  EXPECT_EQ(form->Clicks, 1);
  EXPECT_FALSE(FindFormResource("TFormFilerTest").empty());
}

TEST(Filer, StringListsStreamAsStringsAndThroughStreams) {
  TStringList list, copy;
  list.Add("one");
  list.Add("\xD6\xD0");
  TMemoryStream ms;
  TWriter w(&ms);
  w.WriteProperties(&list);
  w.WriteListEnd();
  ms.SetPosition(0);
  TReader r(&ms);
  while (!r.EndOfList()) r.ReadProperty(&copy);
  EXPECT_TRUE(copy.Equals(&list));

  TStringStream text;
  list.SaveToStream(&text);
  EXPECT_EQ(text.DataString(), "one\r\n\xD6\xD0\r\n");
  text.SetPosition(5);
  copy.LoadFromStream(&text);
  EXPECT_EQ(copy.Text(), "\xD6\xD0\r\n");
}

TEST(Filer, AValueSetIsWrittenWhenANewInstanceStartsFromAnotherOne) {
  // Without an ancestor a value is left out only when it equals both the declared
  // default and what a new instance has; the reader starts from the new instance.
  struct Case {
    const char* Name;
    std::function<void(TNode*)> Set;
    std::function<bool(TNode*)> Kept;
    const char* Written;  // the text line the write must hold, "" for none
  } const cases[] = {
      {"as new", [](TNode*) {}, [](TNode* n) { return n->Width == 50 && !n->Visible; }, ""},
      {"declared default width", [](TNode* n) { n->Width = 100; }, [](TNode* n) { return n->Width == 100; },
       "Width = 100"},
      {"declared default visible", [](TNode* n) { n->Visible = true; }, [](TNode* n) { return n->Visible; },
       "Visible = True"},
      {"empty caption", [](TNode* n) { n->Caption.clear(); }, [](TNode* n) { return n->Caption.empty(); },
       "Caption = ''"},
      {"zero ratio", [](TNode* n) { n->Ratio = 0; }, [](TNode* n) { return n->Ratio == 0; }, "Ratio = 0"},
      {"font size", [](TNode* n) { n->Font.Size = 8; }, [](TNode* n) { return n->Font.Size == 8; },
       "Font.Size = 8"},
  };
  for (const Case& c : cases) {
    TPresetNode source(nullptr);
    source.SetName("P");
    c.Set(&source);
    std::string binary = WriteTree(&source);
    std::string text = FormBinaryToText(binary);
    if (*c.Written) EXPECT_NE(text.find(c.Written), std::string::npos) << c.Name << "\n" << text;
    else EXPECT_EQ(text, "object P: TPresetNode\n  Caption = 'preset'\n  Width = 50\n  Visible = False\n"
                         "  Ratio = 0.5\n  Font.Size = 12\nend\n") << c.Name;
    TPresetNode copy(nullptr);
    ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(binary.data()), binary.size(), &copy);
    EXPECT_TRUE(c.Kept(&copy)) << c.Name << "\n" << text;
  }
  // A class whose new instance keeps its declared defaults writes nothing for them.
  TNode plain(nullptr);
  plain.SetName("N");
  EXPECT_EQ(FormBinaryToText(WriteTree(&plain)), "object N: TNode\nend\n");
}

TEST(Filer, FuzzCorpusReplaysClean) {
  std::filesystem::path dir = std::filesystem::path(DTU_TEST_DATA_DIR) / "fuzz-forms";
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    std::ifstream in(entry.path(), std::ios::binary);
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NO_THROW(FuzzFormStream(reinterpret_cast<const uint8_t*>(data.data()), data.size()))
        << entry.path();
    ++count;
  }
  EXPECT_GE(count, 5);
}

}  // namespace
