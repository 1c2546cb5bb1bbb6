#include "platform/core/streams.h"

#include "platform/core/gbk.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <map>
#include <mutex>

namespace {

// Chunk size for copies and file reads.
constexpr int64_t kCopyChunk = 64 * 1024;

std::string OsErrorText(int Err) { return std::strerror(Err); }

std::string UpperAscii(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return s;
}

// New position for Seek over a block of Size bytes; positions past the end are
// allowed (a later write fills the gap), negative ones are not.
int64_t SeekTarget(int64_t Current, int64_t Size, int64_t Offset, TSeekOrigin Origin) {
  int64_t base = Origin == soBeginning ? 0 : Origin == soCurrent ? Current : Size;
  if ((Offset > 0 && base > std::numeric_limits<int64_t>::max() - Offset) || base + Offset < 0)
    throw EStreamError("Invalid stream position");
  return base + Offset;
}

struct ResourceTable {
  std::mutex Lock;
  std::map<std::string, std::span<const uint8_t>> Items;  // keyed by upper-case name
};
ResourceTable& Resources() {
  static ResourceTable t;
  return t;
}

}  // namespace

// ---------------------------------------------------------------------------
// TStream

const TClassInfo& TStream::StaticClass() {
  static const TClassInfo info{"TStream", &TObject::StaticClass(), {}, {}, {}};
  return info;
}

int64_t TStream::Size() {
  int64_t pos = Seek(0, soCurrent);
  int64_t size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

void TStream::SetSize(int64_t) { throw EStreamError("Stream size cannot be changed"); }

void TStream::ReadBuffer(void* Buffer, int64_t Count) {
  if (Count < 0 || (Count != 0 && Read(Buffer, Count) != Count)) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* Buffer, int64_t Count) {
  if (Count < 0 || (Count != 0 && Write(Buffer, Count) != Count)) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream* Source, int64_t Count) {
  if (Count == 0) {
    Source->SetPosition(0);
    Count = Source->Size();
  }
  int64_t result = Count;
  std::vector<uint8_t> buf(static_cast<size_t>(std::min(Count, kCopyChunk)));
  while (Count > 0) {
    int64_t n = std::min<int64_t>(Count, static_cast<int64_t>(buf.size()));
    Source->ReadBuffer(buf.data(), n);
    WriteBuffer(buf.data(), n);
    Count -= n;
  }
  return result;
}

// ---------------------------------------------------------------------------
// TCustomMemoryStream

const TClassInfo& TCustomMemoryStream::StaticClass() {
  static const TClassInfo info{"TCustomMemoryStream", &TStream::StaticClass(), {}, {}, {}};
  return info;
}

void TCustomMemoryStream::SetPointer(const void* Ptr, int64_t Size) {
  FMemory = Ptr;
  FSize = Size;
}

int64_t TCustomMemoryStream::Read(void* Buffer, int64_t Count) {
  if (Count <= 0 || FPosition >= FSize) return 0;
  int64_t n = std::min(Count, FSize - FPosition);
  std::memcpy(Buffer, static_cast<const uint8_t*>(FMemory) + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return n;
}

int64_t TCustomMemoryStream::Write(const void*, int64_t) { return 0; }

int64_t TCustomMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  FPosition = SeekTarget(FPosition, FSize, Offset, Origin);
  return FPosition;
}

void TCustomMemoryStream::SaveToStream(TStream* Stream) {
  if (FSize > 0) Stream->WriteBuffer(FMemory, FSize);
}

void TCustomMemoryStream::SaveToFile(const std::string& FileName) {
  TFileStream f(FileName, fmCreate);
  SaveToStream(&f);
}

// ---------------------------------------------------------------------------
// TMemoryStream

const TClassInfo& TMemoryStream::StaticClass() {
  static const TClassInfo info = [] {
    TClassInfo i{"TMemoryStream", &TCustomMemoryStream::StaticClass(), {}, {}, {}};
    i.Create = [](TComponent*) -> TObject* { return new TMemoryStream(); };
    return i;
  }();
  return info;
}

void TMemoryStream::SetCapacity(int64_t NewCapacity) {
  if (NewCapacity < 0 || static_cast<uint64_t>(NewCapacity) > FData.max_size())
    throw EOutOfMemory("Out of memory");
  try {
    FData.resize(static_cast<size_t>(NewCapacity));
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory("Out of memory");
  }
  FMemory = FData.data();
}

void TMemoryStream::SetSize(int64_t NewSize) {
  if (NewSize < 0) throw EStreamError("Invalid stream size");
  int64_t old = FSize;
  if (NewSize > old) {
    // Bytes past the old end may hold data from before a shrink: clear them.
    int64_t cap = static_cast<int64_t>(FData.size());
    std::fill(FData.begin() + old, FData.begin() + std::min(NewSize, cap), uint8_t(0));
    if (NewSize > cap) SetCapacity(NewSize);
  }
  FSize = NewSize;
  if (FPosition > NewSize) FPosition = NewSize;
}

int64_t TMemoryStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  if (FPosition > std::numeric_limits<int64_t>::max() - Count) return 0;
  int64_t end = FPosition + Count;
  if (end > FSize) {
    if (end > static_cast<int64_t>(FData.size())) {
      // Grow geometrically so many small writes stay linear overall.
      int64_t cap = std::max<int64_t>(end, static_cast<int64_t>(FData.size()) * 3 / 2 + 256);
      SetCapacity(cap);
    }
    if (FPosition > FSize) std::fill(FData.begin() + FSize, FData.begin() + FPosition, uint8_t(0));
    FSize = end;
  }
  std::memcpy(FData.data() + FPosition, Buffer, static_cast<size_t>(Count));
  FPosition = end;
  return Count;
}

void TMemoryStream::Clear() {
  FData.clear();
  FData.shrink_to_fit();
  FMemory = nullptr;
  FSize = 0;
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream* Stream) {
  Stream->SetPosition(0);
  int64_t count = Stream->Size();
  SetSize(count);
  if (count > 0) Stream->ReadBuffer(FData.data(), count);
  FPosition = 0;
}

void TMemoryStream::LoadFromFile(const std::string& FileName) {
  TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&f);
}

// ---------------------------------------------------------------------------
// THandleStream, TFileStream

const TClassInfo& THandleStream::StaticClass() {
  static const TClassInfo info{"THandleStream", &TStream::StaticClass(), {}, {}, {}};
  return info;
}

int64_t THandleStream::Read(void* Buffer, int64_t Count) {
  int64_t done = 0;
  while (done < Count) {
    ssize_t n = ::read(FHandle, static_cast<uint8_t*>(Buffer) + done,
                       static_cast<size_t>(std::min<int64_t>(Count - done, 1 << 30)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

int64_t THandleStream::Write(const void* Buffer, int64_t Count) {
  int64_t done = 0;
  while (done < Count) {
    ssize_t n = ::write(FHandle, static_cast<const uint8_t*>(Buffer) + done,
                        static_cast<size_t>(std::min<int64_t>(Count - done, 1 << 30)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

int64_t THandleStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  int whence = Origin == soBeginning ? SEEK_SET : Origin == soCurrent ? SEEK_CUR : SEEK_END;
  off_t r = ::lseek(FHandle, static_cast<off_t>(Offset), whence);
  if (r < 0) throw EStreamError("Invalid stream position");
  return r;
}

void THandleStream::SetSize(int64_t NewSize) {
  int64_t pos = Position();
  if (::ftruncate(FHandle, static_cast<off_t>(NewSize)) != 0)
    throw EStreamError("Stream size cannot be changed. " + OsErrorText(errno));
  if (pos > NewSize) Seek(NewSize, soBeginning);
}

const TClassInfo& TFileStream::StaticClass() {
  static const TClassInfo info{"TFileStream", &THandleStream::StaticClass(), {}, {}, {}};
  return info;
}

TFileStream::TFileStream(const std::string& FileName, uint16_t Mode)
    : THandleStream(-1), FFileName(FileName) {
  if (Mode == fmCreate) {
    FHandle = ::open(GbkToUtf8(FileName).c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (FHandle < 0)
      throw EFCreateError("Cannot create file \"" + FileName + "\". " + OsErrorText(errno));
    return;
  }
  int access = Mode & 0x3;
  int flags = access == fmOpenWrite ? O_WRONLY : access == fmOpenReadWrite ? O_RDWR : O_RDONLY;
  FHandle = ::open(GbkToUtf8(FileName).c_str(), flags | O_CLOEXEC);
  if (FHandle >= 0) {
    struct stat st{};
    if (::fstat(FHandle, &st) == 0 && S_ISDIR(st.st_mode)) {
      ::close(FHandle);
      FHandle = -1;
      errno = EISDIR;
    }
  }
  if (FHandle < 0) throw EFOpenError("Cannot open file \"" + FileName + "\". " + OsErrorText(errno));
}

TFileStream::~TFileStream() {
  if (FHandle >= 0) ::close(FHandle);
}

// ---------------------------------------------------------------------------
// TStringStream

const TClassInfo& TStringStream::StaticClass() {
  static const TClassInfo info{"TStringStream", &TStream::StaticClass(), {}, {}, {}};
  return info;
}

int64_t TStringStream::Read(void* Buffer, int64_t Count) {
  int64_t size = static_cast<int64_t>(FDataString.size());
  if (Count <= 0 || FPosition >= size) return 0;
  int64_t n = std::min(Count, size - FPosition);
  std::memcpy(Buffer, FDataString.data() + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return n;
}

int64_t TStringStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  size_t end = static_cast<size_t>(FPosition + Count);
  if (end > FDataString.size()) FDataString.resize(end);
  std::memcpy(FDataString.data() + FPosition, Buffer, static_cast<size_t>(Count));
  FPosition += Count;
  return Count;
}

int64_t TStringStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  // A string stream never has a position past its end.
  int64_t size = static_cast<int64_t>(FDataString.size());
  FPosition = std::min(SeekTarget(FPosition, size, Offset, Origin), size);
  return FPosition;
}

void TStringStream::SetSize(int64_t NewSize) {
  if (NewSize < 0) throw EStreamError("Invalid stream size");
  FDataString.resize(static_cast<size_t>(NewSize));
  if (FPosition > NewSize) FPosition = NewSize;
}

std::string TStringStream::ReadString(int64_t Count) {
  int64_t size = static_cast<int64_t>(FDataString.size());
  int64_t n = std::clamp<int64_t>(Count, 0, size - FPosition);
  std::string s = FDataString.substr(static_cast<size_t>(FPosition), static_cast<size_t>(n));
  FPosition += n;
  return s;
}

void TStringStream::WriteString(const std::string& AString) {
  Write(AString.data(), static_cast<int64_t>(AString.size()));
}

// ---------------------------------------------------------------------------
// Embedded resources

void RegisterResource(const std::string& Name, const uint8_t* Data, size_t Size) {
  ResourceTable& t = Resources();
  std::lock_guard<std::mutex> lock(t.Lock);
  t.Items[UpperAscii(Name)] = std::span<const uint8_t>(Data, Size);
}

bool FindResource(const std::string& Name, std::span<const uint8_t>& Data) {
  ResourceTable& t = Resources();
  std::lock_guard<std::mutex> lock(t.Lock);
  auto it = t.Items.find(UpperAscii(Name));
  if (it == t.Items.end()) return false;
  Data = it->second;
  return true;
}

std::span<const uint8_t> FindFormResource(const std::string& ClassName) {
  std::span<const uint8_t> data;
  FindResource(ClassName, data);
  return data;
}

const TClassInfo& TResourceStream::StaticClass() {
  static const TClassInfo info{"TResourceStream", &TCustomMemoryStream::StaticClass(), {}, {}, {}};
  return info;
}

TResourceStream::TResourceStream(const std::string& ResName) {
  std::span<const uint8_t> data;
  if (!FindResource(ResName, data)) throw EResNotFound("Resource " + ResName + " not found");
  SetPointer(data.data(), static_cast<int64_t>(data.size()));
}
