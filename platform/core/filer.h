#pragma once
// The form filer: reads and writes components in the binary form-stream format
// ("TPF0", component headers, tagged property values) through the property
// tables, DefineProperties handlers, event binding by name through the root's
// method table, and component references fixed up after the whole root is read.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/core/object.h"
#include "platform/core/streams.h"

// Value tags of the binary form-stream format.
enum class TValueType : uint8_t {
  vaNull, vaList, vaInt8, vaInt16, vaInt32, vaExtended, vaString, vaIdent, vaFalse, vaTrue,
  vaBinary, vaSet, vaLString, vaNil, vaCollection, vaSingle, vaCurrency, vaDate, vaWString,
  vaInt64, vaUTF8String
};
using enum TValueType;

// Component header flags (written as 0xF0 | flags before the class name).
enum class TFilerFlag { ffInherited, ffChildPos, ffInline };
using TFilerFlags = TSet<TFilerFlag>;
using enum TFilerFlag;

// The 10-byte x87 extended format, little endian, converted in portable code.
void LongDoubleToExtended(long double Value, uint8_t Out[10]);
long double ExtendedToLongDouble(const uint8_t In[10]);

using TReaderProc = std::function<void(TReader* Reader)>;
using TWriterProc = std::function<void(TWriter* Writer)>;
using TStreamProc = std::function<void(TStream* Stream)>;

// What TReader and TWriter share: the stream, the root, the ancestor, and the
// DefineProperty interface through which classes stream unpublished data.
class TFiler : public TObject {
  DTU_CLASS(TFiler, TObject)
public:
  explicit TFiler(TStream* Stream) : FStream(Stream) {}
  // Reading: calls ReadData when the property being read has this name.
  // Writing: calls WriteData when HasData says there is something to write.
  // Either procedure may be empty (a retired property has a reader only).
  virtual void DefineProperty(const std::string& Name, const TReaderProc& ReadData,
                              const TWriterProc& WriteData, bool HasData) = 0;
  // The same for raw bytes (vaBinary): the procedures see a memory stream.
  virtual void DefineBinaryProperty(const std::string& Name, const TStreamProc& ReadData,
                                    const TStreamProc& WriteData, bool HasData) = 0;
  TStream* Stream() const { return FStream; }
  TComponent* Root() const { return FRoot; }
  void SetRoot(TComponent* Value) { FRoot = Value; }
  TComponent* LookupRoot() const { return FLookupRoot; }
  // The object the one being written descends from (null when none); DefineProperties
  // handlers compare with it to decide HasData.
  TPersistent* Ancestor() const { return FAncestor; }
  void SetAncestor(TPersistent* Value) { FAncestor = Value; }
  bool IgnoreChildren = false;

protected:
  TStream* FStream;
  TComponent* FRoot = nullptr;
  TComponent* FLookupRoot = nullptr;
  TPersistent* FAncestor = nullptr;
};

// Reads the binary form-stream format. Malformed input raises EReadError (or an
// EFilerError for structural problems) with a message naming what was wrong.
class TReader : public TFiler {
  DTU_CLASS(TReader, TFiler)
public:
  explicit TReader(TStream* Stream);
  ~TReader() override;

  void DefineProperty(const std::string& Name, const TReaderProc& ReadData,
                      const TWriterProc& WriteData, bool HasData) override;
  void DefineBinaryProperty(const std::string& Name, const TStreamProc& ReadData,
                            const TStreamProc& WriteData, bool HasData) override;

  // Reads a whole root: the signature, the header, properties and children; then
  // resolves component references and calls Loaded on every component read (the
  // root first, then the others in the order they were read). With Root null an
  // instance of the stream's class is created (owner null).
  TComponent* ReadRootComponent(TComponent* Root);
  // Reads one component (header and state) into Component or a new instance
  // owned by Owner() and parented to Parent().
  TComponent* ReadComponent(TComponent* Component);
  // Properties until the end of list, then child components until the end of list.
  void ReadData(TComponent* Instance);
  // One property (name and value) of Instance; dotted names reach owned persistents.
  void ReadProperty(TPersistent* Instance);

  void ReadSignature();
  TValueType ReadValue();
  TValueType NextValue();  // the next tag without consuming it
  void CheckValue(TValueType Value);
  void SkipValue();
  bool EndOfList() { return PeekByte() == 0; }
  void ReadListBegin() { CheckValue(vaList); }
  void ReadListEnd() { CheckValue(vaNull); }
  void ReadPrefix(TFilerFlags& Flags, int& ChildPos);

  int32_t ReadInteger();
  int64_t ReadInt64();
  bool ReadBoolean();
  char ReadChar();
  long double ReadFloat();
  float ReadSingle();
  int64_t ReadCurrency();  // scaled by 10000
  double ReadDate();
  std::string ReadString();  // GBK; wide and UTF-8 strings are converted
  std::string ReadIdent();   // also False, True, nil, Null
  std::string ReadStr();     // a short string (length byte)
  int64_t ReadSet(const TTypeInfo& SetType);  // an unknown element raises EReadError
  std::vector<std::string> ReadSetNames();    // the element names of a vaSet value
  std::string ReadBinary();                   // the bytes of a vaBinary value
  void ReadCollection(class TCollection* Collection);
  // Callers that walk nested lists themselves (the text printer) bound the depth.
  void BeginNested();
  void EndNested() { --FDepth; }

  // Where created components go while reading (the root or GetChildOwner) and
  // which component they are parented to (GetChildParent).
  TComponent* Owner() const { return FOwner; }
  void SetOwner(TComponent* Value) { FOwner = Value; }
  TComponent* Parent() const { return FParent; }
  void SetParent(TComponent* Value) { FParent = Value; }
  // The property whose value is being read ("Font.Name"), for handlers and messages.
  const std::string& PropName() const { return FPropName; }

  [[noreturn]] void ReadError(const std::string& Message);

private:
  void Read(void* Buffer, int64_t Count);
  uint8_t ReadByte();
  void CheckLength(int64_t Length);
  void ReadPropValue(TPersistent* Instance, const TPropInfo& Prop);
  void ReadPropPath(TPersistent* Instance, const std::string& Path);
  void AddFixup(TPersistent* Instance, const TPropInfo& Prop, const std::string& Name);
  void DoFixupReferences();
  void SkipBytes(int64_t Count);
  uint8_t PeekByte();
  int64_t ReadIntegerOf(TValueType Tag);
  TComponent* ReadRoot(TComponent* Root, std::vector<TComponent*>* Loaded);
  friend bool InitInheritedComponent(TComponent*, const TClassInfo&);

  struct TFixup {
    TPersistent* Instance;
    const TPropInfo* Prop;
    std::string Name;       // referenced component name ("Comp" or "Root.Comp")
    std::string Context;    // "Button1.PopupMenu" for the error message
    TComponent* Owner;      // the owner of what was being read (a form inside the form)
  };
  TComponent* FOwner = nullptr;
  TComponent* FParent = nullptr;
  std::string FPropName;
  std::vector<TComponent*> FLoaded;
  std::vector<TFixup> FFixups;
  int64_t FStreamSize = 0;
  int FDepth = 0;
  bool FPeeked = false;
  uint8_t FPeekByte = 0;
  bool FPropHandled = false;
  std::string FPropContext;  // "Button1.Font.Color" while a property is read
  bool FInReadData = false;
};

// Writes the binary form-stream format.
class TWriter : public TFiler {
  DTU_CLASS(TWriter, TFiler)
public:
  explicit TWriter(TStream* Stream) : TFiler(Stream) {}
  ~TWriter() override;

  void DefineProperty(const std::string& Name, const TReaderProc& ReadData,
                      const TWriterProc& WriteData, bool HasData) override;
  void DefineBinaryProperty(const std::string& Name, const TStreamProc& ReadData,
                            const TStreamProc& WriteData, bool HasData) override;

  void WriteRootComponent(TComponent* Root) { WriteDescendent(Root, nullptr); }
  // Writes Root with only what differs from Ancestor (a component of the same
  // class, or null for everything that differs from the defaults).
  void WriteDescendent(TComponent* Root, TComponent* Ancestor);
  void WriteComponent(TComponent* Component);
  // Header, properties and children of Instance (TComponent::WriteState calls it).
  void WriteData(TComponent* Instance);
  void WriteProperties(TPersistent* Instance);

  void WriteSignature();
  void WriteValue(TValueType Value);
  void WritePrefix(TFilerFlags Flags, int ChildPos);
  void WriteListBegin() { WriteValue(vaList); }
  void WriteListEnd() { WriteValue(vaNull); }
  // In the smallest of Int8, Int16, Int32 (or Int64) that holds Value.
  void WriteInteger(int64_t Value);
  void WriteBoolean(bool Value) { WriteValue(Value ? vaTrue : vaFalse); }
  void WriteChar(char Value) { WriteString(std::string(1, Value)); }
  void WriteFloat(long double Value);
  void WriteSingle(float Value);
  void WriteCurrency(int64_t Scaled);
  void WriteDate(double Value);
  void WriteString(const std::string& Value);  // vaString up to 255 bytes, else vaLString
  void WriteIdent(const std::string& Ident);   // False/True/nil/Null get their own tags
  void WriteStr(const std::string& Value);     // short string; longer than 255 raises
  void WriteSet(const TTypeInfo& SetType, int64_t Value);
  void WriteBinary(const void* Data, int64_t Count);
  void WriteCollection(class TCollection* Collection);

private:
  void Write(const void* Buffer, int64_t Count) { FStream->WriteBuffer(Buffer, Count); }
  void WritePropName(const std::string& Name) { WriteStr(FPropPath + Name); }
  void WriteProperty(TPersistent* Instance, const TPropInfo& Prop);
  std::string ComponentRefName(TComponent* Value);
  TPersistent* FreshInstance(TComponent* Component);

  std::string FPropPath;  // "Font." while an owned persistent's properties are written
  TComponent* FRootAncestor = nullptr;
  // Without an ancestor, a value equal to its declared default is still written when
  // a new instance of the class starts from another value (a constructor that sets
  // Cursor crIBeam, ParentColor False ...), or the reader would bring that value
  // back. FFresh is the new instance (or its owned persistent) beside the one written;
  // one instance per class, made on first use and freed with the writer.
  TPersistent* FFresh = nullptr;
  std::vector<std::pair<const TClassInfo*, TObject*>> FFreshInstances;
};

// ---------------------------------------------------------------------------
// Collections: owned lists of items that stream as vaCollection
// ---------------------------------------------------------------------------

class TCollectionItem;

// A list of items of one class (status panels, list view columns); it owns them.
class TCollection : public TPersistent {
  DTU_CLASS(TCollection, TPersistent)
public:
  explicit TCollection(const TClassInfo& ItemClass, TPersistent* AOwner = nullptr)
      : FItemClass(&ItemClass), FOwner(AOwner) {}
  ~TCollection() override;
  TCollectionItem* Add();
  void Clear();
  void Delete(int Index);
  int Count() const { return static_cast<int>(FItems.size()); }
  TCollectionItem* Items(int Index) const;
  const TClassInfo& ItemClass() const { return *FItemClass; }
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  void Assign(TPersistent* Source) override;
  TPersistent* GetOwner() override { return FOwner; }

protected:
  // Runs after items are added, removed or changed (Item null: the whole list).
  virtual void Update(TCollectionItem*) {}
  void Changed();

private:
  friend class TCollectionItem;
  const TClassInfo* FItemClass;
  TPersistent* FOwner;
  std::vector<TCollectionItem*> FItems;
  int FUpdateCount = 0;
};

// One item of a collection. Item classes are Creatable() with a TCollection* set
// afterwards through SetCollection by the collection's Add.
class TCollectionItem : public TPersistent {
  DTU_CLASS(TCollectionItem, TPersistent)
public:
  TCollectionItem() = default;
  ~TCollectionItem() override;
  TCollection* Collection() const { return FCollection; }
  void SetCollection(TCollection* Value);
  int Index() const;
  void SetIndex(int Value);
  TPersistent* GetOwner() override { return FCollection; }
protected:
  void Changed(bool AllItems);
private:
  TCollection* FCollection = nullptr;
};

// ---------------------------------------------------------------------------
// Forms from embedded resources
// ---------------------------------------------------------------------------

// A published field of a root class ("Button1" of TFormMain): after the reader
// names a component it owns, the root's field of that name is pointed at it.
struct TFieldEntry {
  std::string Name;
  std::function<bool(TObject* Root, TComponent* Value)> Set;  // false: wrong class
  std::function<TComponent*(TObject* Root)> Get;               // the field's value
};
void RegisterFields(const TClassInfo& RootClass, std::vector<TFieldEntry> Fields);
template <class C, class T>
TFieldEntry FieldOf(const std::string& Name, T* C::*Member) {
  return {Name, [Member](TObject* Root, TComponent* Value) {
            T* typed = dynamic_cast<T*>(Value);
            if (Value && !typed) return false;
            static_cast<C*>(Root)->*Member = typed;
            return true;
          },
          [Member](TObject* Root) -> TComponent* { return static_cast<C*>(Root)->*Member; }};
}

// Reads the embedded form streams of Instance's class and of its ancestors up to,
// not including, RootAncestor (the ancestors' first) into Instance. Returns false
// when none of those classes has a form stream. Every field those classes
// registered must then hold a component: EReadError "Field <name> of <class> is
// not in the form stream" names the first that does not.
bool InitInheritedComponent(TComponent* Instance, const TClassInfo& RootAncestor);
// Reads the form resource named ResName into Instance (created from the stream's
// class when null) and returns it; EResNotFound when there is none.
TComponent* ReadComponentRes(const std::string& ResName, TComponent* Instance);
// Reads a binary form stream from memory into Instance (or a new instance).
TComponent* ReadComponentFromBytes(const uint8_t* Data, size_t Size, TComponent* Instance);
