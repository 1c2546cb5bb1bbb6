#pragma once
// Byte streams: the abstract TStream, memory, file, string and resource streams,
// and the registry of resources embedded in the executable (form streams).
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/core/object.h"

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };
using enum TSeekOrigin;

// A sequence of bytes with a position. Read and Write move as many bytes as they
// can and return that count; ReadBuffer and WriteBuffer insist on all of them.
class TStream : public TObject {
  DTU_CLASS(TStream, TObject)
public:
  virtual int64_t Read(void* Buffer, int64_t Count) = 0;
  virtual int64_t Write(const void* Buffer, int64_t Count) = 0;
  // Moves the position and returns the new one; a negative result position raises
  // EStreamError.
  virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;

  int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(int64_t Pos) { Seek(Pos, soBeginning); }
  virtual int64_t Size();
  virtual void SetSize(int64_t NewSize);

  // EReadError "Stream read error" when fewer than Count bytes are there.
  void ReadBuffer(void* Buffer, int64_t Count);
  // EWriteError "Stream write error" when fewer than Count bytes were taken.
  void WriteBuffer(const void* Buffer, int64_t Count);
  // Copies Count bytes from Source's position; Count 0 copies all of Source from
  // its start. Returns the number of bytes copied.
  int64_t CopyFrom(TStream* Source, int64_t Count);

  // Form streams (implemented by the filer): reads a component from the binary
  // form-stream format into Instance (or a new instance of the stream's class
  // when Instance is null) and returns it; writes Instance with its children.
  TComponent* ReadComponent(TComponent* Instance);
  void WriteComponent(TComponent* Instance);
  void WriteDescendent(TComponent* Instance, TComponent* Ancestor);
};

// Memory that a stream reads in place (the base of memory and resource streams).
class TCustomMemoryStream : public TStream {
  DTU_CLASS(TCustomMemoryStream, TStream)
public:
  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;  // read-only: 0 bytes
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override { return FSize; }
  const void* Memory() const { return FMemory; }
  void SaveToStream(TStream* Stream);
  void SaveToFile(const std::string& FileName);
protected:
  void SetPointer(const void* Ptr, int64_t Size);
  const void* FMemory = nullptr;
  int64_t FSize = 0;
  int64_t FPosition = 0;
};

// A growable block of memory; writing past the end grows it.
class TMemoryStream : public TCustomMemoryStream {
  DTU_CLASS(TMemoryStream, TCustomMemoryStream)
public:
  int64_t Write(const void* Buffer, int64_t Count) override;
  void SetSize(int64_t NewSize) override;
  void Clear();
  void* Memory() { return FData.data(); }
  // Replaces the content with all of Stream (from its start) or of the file; the
  // position goes to 0.
  void LoadFromStream(TStream* Stream);
  void LoadFromFile(const std::string& FileName);
  std::vector<uint8_t> Bytes() const { return {FData.begin(), FData.begin() + FSize}; }
private:
  void SetCapacity(int64_t NewCapacity);
  std::vector<uint8_t> FData;
};

// File open modes and share flags. Share flags are accepted for the callers'
// sake; files are opened without locks (each user's files are their own).
enum : uint16_t {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmShareCompat = 0x0000,
  fmShareExclusive = 0x0010,
  fmShareDenyWrite = 0x0020,
  fmShareDenyRead = 0x0030,
  fmShareDenyNone = 0x0040,
  fmCreate = 0xFFFF,
};

// A stream over an open OS file descriptor.
class THandleStream : public TStream {
  DTU_CLASS(THandleStream, TStream)
public:
  explicit THandleStream(int AHandle) : FHandle(AHandle) {}
  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  void SetSize(int64_t NewSize) override;
  int Handle() const { return FHandle; }
protected:
  int FHandle = -1;
};

// A file opened by name. The name is GBK text, like every string of the system; it
// is converted to the OS's UTF-8 when the file is opened. Failures raise EFCreateError
// "Cannot create file \"%s\". <reason>" or EFOpenError "Cannot open file \"%s\". <reason>".
class TFileStream : public THandleStream {
  DTU_CLASS(TFileStream, THandleStream)
public:
  TFileStream(const std::string& FileName, uint16_t Mode);
  ~TFileStream() override;
  const std::string& FileName() const { return FFileName; }
private:
  std::string FFileName;
};

// A stream over a std::string (8-bit GBK text).
class TStringStream : public TStream {
  DTU_CLASS(TStringStream, TStream)
public:
  explicit TStringStream(std::string AString = {}) : FDataString(std::move(AString)) {}
  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  void SetSize(int64_t NewSize) override;
  // Up to Count bytes from the position.
  std::string ReadString(int64_t Count);
  void WriteString(const std::string& AString);
  const std::string& DataString() const { return FDataString; }
private:
  std::string FDataString;
  int64_t FPosition = 0;
};

// ---------------------------------------------------------------------------
// Embedded resources
// ---------------------------------------------------------------------------

// Registers bytes embedded in the executable under a name (case-insensitive).
// The bytes must live as long as the program (static data); a second registration
// of the same name replaces the first.
void RegisterResource(const std::string& Name, const uint8_t* Data, size_t Size);
// The bytes registered under Name; empty when there is none (check with FindResource).
bool FindResource(const std::string& Name, std::span<const uint8_t>& Data);
// The binary form stream of a form class ("TFormMain"); an empty span when none.
std::span<const uint8_t> FindFormResource(const std::string& ClassName);

// Reads an embedded resource in place; EResNotFound "Resource %s not found".
class TResourceStream : public TCustomMemoryStream {
  DTU_CLASS(TResourceStream, TCustomMemoryStream)
public:
  explicit TResourceStream(const std::string& ResName);
};
