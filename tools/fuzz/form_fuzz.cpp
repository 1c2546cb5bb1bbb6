#include "tools/fuzz/form_fuzz.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/filer.h"
#include "platform/core/textform.h"
#include "platform/core/typinfo.h"

namespace {

enum class TFuzzShade { fsLight, fsDark };
enum class TFuzzEdge { feLeft, feTop, feRight, feBottom };

}  // namespace

DTU_DECLARE_ENUM(TFuzzShade)
DTU_DECLARE_ENUM(TFuzzEdge)
DTU_DEFINE_ENUM(TFuzzShade, "fsLight", "fsDark")
DTU_DEFINE_ENUM(TFuzzEdge, "feLeft", "feTop", "feRight", "feBottom")

namespace {

const TIdentMap kFuzzColors{{{0, "clBlack"}, {255, "clRed"}}};

class TFuzzSub : public TPersistent {
  DTU_CLASS(TFuzzSub, TPersistent)
public:
  std::string Text;
  int Size = 8;
};

class TFuzzItem : public TCollectionItem {
  DTU_CLASS(TFuzzItem, TCollectionItem)
public:
  int Width = 0;
};

// A node of every property kind; children are the nodes parented to it.
class TFuzzNode : public TComponent {
  DTU_CLASS(TFuzzNode, TComponent)
public:
  explicit TFuzzNode(TComponent* AOwner) : TComponent(AOwner), FItems(TFuzzItem::StaticClass(), this) {}
  void BeforeDestruction() override {
    if (FParentNode) {
      auto& v = FParentNode->FChildren;
      v.erase(std::remove(v.begin(), v.end(), this), v.end());
    }
    for (TFuzzNode* c : FChildren) c->FParentNode = nullptr;
    FChildren.clear();
    inherited::BeforeDestruction();
  }
  void SetParentComponent(TComponent* Value) override {
    auto* p = dynamic_cast<TFuzzNode*>(Value);
    if (p && p != this && !FParentNode) {
      FParentNode = p;
      p->FChildren.push_back(this);
    }
  }
  bool HasParent() override { return true; }
  void GetChildren(const TGetChildProc& Proc, TComponent*) override {
    for (TFuzzNode* c : std::vector<TFuzzNode*>(FChildren)) Proc(c);
  }
  void DefineProperties(TFiler* Filer) override {
    Filer->DefineBinaryProperty(
        "Blob", [this](TStream* s) { FBlob.resize(static_cast<size_t>(s->Size())); s->ReadBuffer(FBlob.data(), s->Size()); },
        [this](TStream* s) { s->WriteBuffer(FBlob.data(), static_cast<int64_t>(FBlob.size())); }, !FBlob.empty());
    Filer->DefineProperty(
        "Names",
        [this](TReader* r) {
          r->ReadListBegin();
          FNames.clear();
          while (!r->EndOfList()) FNames.push_back(r->ReadIdent());
          r->ReadListEnd();
        },
        [this](TWriter* w) {
          w->WriteListBegin();
          for (auto& n : FNames) w->WriteIdent(n);
          w->WriteListEnd();
        },
        !FNames.empty());
    Filer->DefineProperty("Retired", [](TReader* r) { r->SkipValue(); }, nullptr, false);
  }
  void Handler(TObject*) {}

  std::string Caption;
  int64_t Number = 0;
  int Color = 0;
  bool Flag = false;
  char Letter = 'a';
  double Ratio = 0;
  TFuzzShade Shade = TFuzzShade::fsLight;
  TSet<TFuzzEdge> Edges;
  TFuzzNode* Buddy = nullptr;
  TFuzzSub Sub;
  TCollection FItems;
  TNotifyEvent FOnClick;
  std::string FBlob;
  std::vector<std::string> FNames;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    inherited::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == Buddy) Buddy = nullptr;
  }

private:
  TFuzzNode* FParentNode = nullptr;
  std::vector<TFuzzNode*> FChildren;
};

}  // namespace

const TClassInfo& TFuzzSub::StaticClass() {
  static const TClassInfo info = TClassBuilder<TFuzzSub>("TFuzzSub", &inherited::StaticClass())
      .Str("Text", [](TFuzzSub* s) { return s->Text; }, [](TFuzzSub* s, const std::string& v) { s->Text = v; })
      .Int("Size", [](TFuzzSub* s) { return s->Size; }, [](TFuzzSub* s, int64_t v) { s->Size = static_cast<int>(v); }, 8)
      .Build();
  return info;
}

const TClassInfo& TFuzzItem::StaticClass() {
  static const TClassInfo info = TClassBuilder<TFuzzItem>("TFuzzItem", &inherited::StaticClass())
      .Creatable()
      .Int("Width", [](TFuzzItem* s) { return s->Width; }, [](TFuzzItem* s, int64_t v) { s->Width = static_cast<int>(v); })
      .Build();
  return info;
}

const TClassInfo& TFuzzNode::StaticClass() {
  using N = TFuzzNode;
  static const TClassInfo info = TClassBuilder<N>("TFuzzNode", &inherited::StaticClass())
      .Component()
      .Str("Caption", [](N* n) { return n->Caption; }, [](N* n, const std::string& v) { n->Caption = v; })
      .Int("Number", [](N* n) { return n->Number; }, [](N* n, int64_t v) { n->Number = v; })
      .Int("Color", [](N* n) { return n->Color; }, [](N* n, int64_t v) { n->Color = static_cast<int>(v); }, 0, {},
           &kFuzzColors)
      .Bool("Flag", [](N* n) { return n->Flag; }, [](N* n, bool v) { n->Flag = v; })
      .Char("Letter", [](N* n) { return n->Letter; }, [](N* n, char v) { n->Letter = v; }, 'a')
      .Float("Ratio", [](N* n) { return n->Ratio; }, [](N* n, long double v) { n->Ratio = static_cast<double>(v); })
      .Enum<TFuzzShade>("Shade", [](N* n) { return n->Shade; }, [](N* n, TFuzzShade v) { n->Shade = v; },
                        TFuzzShade::fsLight)
      .Set<TFuzzEdge>("Edges", [](N* n) { return n->Edges; }, [](N* n, TSet<TFuzzEdge> v) { n->Edges = v; },
                      TSet<TFuzzEdge>{})
      .Object<TFuzzNode>("Buddy", [](N* n) { return n->Buddy; },
                         [](N* n, TFuzzNode* v) {
                           n->Buddy = v;
                           if (v) v->FreeNotification(n);
                         })
      .Object<TFuzzSub>("Sub", [](N* n) { return &n->Sub; }, nullptr)
      .Object<TCollection>("Items", [](N* n) { return &n->FItems; }, nullptr)
      .Event("OnClick", &N::FOnClick)
      .Method("Handler", &N::Handler)
      .Build();
  return info;
}

void FuzzFormStream(const uint8_t* Data, size_t Size) {
  static const bool registered = (RegisterClasses({ClassEntry<TFuzzNode>()}), true);
  (void)registered;
  std::string input(reinterpret_cast<const char*>(Data), Size);

  // Binary: read into a root, write it back, print the input.
  try {
    std::unique_ptr<TFuzzNode> root(new TFuzzNode(nullptr));  // freed through delete: children first
    ReadComponentFromBytes(Data, Size, root.get());
    TMemoryStream out;
    out.WriteComponent(root.get());
  } catch (const EStreamError&) {
  }
  try {
    FormBinaryToText(input);
  } catch (const EStreamError&) {
  }

  // Text: parse, and when it parses, read the result as well.
  try {
    std::string binary = FormTextToBinary(input);
    std::unique_ptr<TFuzzNode> root(new TFuzzNode(nullptr));
    ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(binary.data()), binary.size(), root.get());
  } catch (const EStreamError&) {
  }
}
