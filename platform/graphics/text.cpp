// Fonts and text: the font engine over QtGui (QFont, QFontMetrics, QPainter on a
// coverage mask the layer owns), the substitution of the font names this system
// uses by installed fonts, text metrics and measuring, TextOut/ExtTextOut,
// DrawText, TabbedTextOut. Glyph coverage is painted into the surface through the
// device context's clip by our own compositing, so text honours clip regions and
// monochrome bitmaps like every other primitive.
//
// Qt needs a QGuiApplication for fonts. When the program has not created one (tests,
// tools, the first text call before the window layer starts), one is created here
// on first use; without a display (no DISPLAY or WAYLAND_DISPLAY) Qt's offscreen
// platform is chosen unless QT_QPA_PLATFORM says otherwise. A program that wants a
// QApplication must create it before it measures or draws any text.
#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QTextLayout>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <emmintrin.h>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "platform/core/gbk.h"
#include "platform/graphics/fontfamilies.h"
#include "platform/graphics/gdi_internal.h"
#include "platform/graphics/qtfonts.h"
#include "platform/graphics/qtgbk.h"

using namespace gdi;

struct TFontEngine {
  uint64_t Serial = 0;  // names the engine in the run caches (an address may be reused)
  QFont Font;
  std::unique_ptr<QFontMetrics> Metrics;
  bool Marlett = false;  // the symbol font whose glyphs are drawn as shapes here
  int Em = 0;
  TEXTMETRIC Tm;

  int Width(const QString& S) const {
    if (S.isEmpty()) return 0;
    if (Marlett) return Em * static_cast<int>(S.size());
    return Metrics->horizontalAdvance(S);
  }
};

namespace {

void EnsureGuiApp() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (QCoreApplication::instance()) return;
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
      setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Named after the program, as the Qt backend names it.
    static int argc = 1;
    static char* argv[] = {program_invocation_short_name, nullptr};
    new QGuiApplication(argc, argv);  // lives until the process ends
  });
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    throw EInvalidOperation("Text needs a GUI application object (QGuiApplication)");
}

bool SameAscii(const char* A, const char* B) {
  for (; *A && *B; ++A, ++B) {
    char a = *A, b = *B;
    if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 32);
    if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 32);
    if (a != b) return false;
  }
  return *A == *B;
}

// Font names the system and its forms use, shown by installed fonts: Latin from
// DejaVu, Chinese from WenQuanYi Micro Hei (each family list is tried in order, and
// characters missing from the first come from the next). Chinese names are GBK.
struct TSubstitute {
  const char* Name;
  const char* Families[2];
};
constexpr const char* kSans = "DejaVu Sans";
constexpr const char* kCjk = "WenQuanYi Micro Hei";
constexpr TSubstitute kSubstitutes[] = {
    {"MS Sans Serif", {kSans, kCjk}},
    {"Microsoft Sans Serif", {kSans, kCjk}},
    {"MS Shell Dlg", {kSans, kCjk}},
    {"MS Shell Dlg 2", {kSans, kCjk}},
    {"Tahoma", {kSans, kCjk}},
    {"Verdana", {kSans, kCjk}},
    {"Arial", {kSans, kCjk}},
    {"Segoe UI", {kSans, kCjk}},
    {"System", {kSans, kCjk}},
    {"Small Fonts", {kSans, kCjk}},
    {"Times New Roman", {"DejaVu Serif", kCjk}},
    {"Courier New", {"DejaVu Sans Mono", "WenQuanYi Micro Hei Mono"}},
    {"Courier", {"DejaVu Sans Mono", "WenQuanYi Micro Hei Mono"}},
    {"Fixedsys", {"DejaVu Sans Mono", "WenQuanYi Micro Hei Mono"}},
    {"Terminal", {"DejaVu Sans Mono", "WenQuanYi Micro Hei Mono"}},
    {"Lucida Console", {"DejaVu Sans Mono", "WenQuanYi Micro Hei Mono"}},
    {"\xCB\xCE\xCC\xE5", {kCjk, kSans}},                  // SimSun
    {"SimSun", {kCjk, kSans}},
    {"\xD0\xC2\xCB\xCE\xCC\xE5", {kCjk, kSans}},          // NSimSun
    {"NSimSun", {kCjk, kSans}},
    {"\xBA\xDA\xCC\xE5", {kCjk, kSans}},                  // SimHei
    {"SimHei", {kCjk, kSans}},
    {"\xCE\xA2\xC8\xED\xD1\xC5\xBA\xDA", {kCjk, kSans}},  // Microsoft YaHei
    {"Microsoft YaHei", {kCjk, kSans}},
    {"\xBF\xAC\xCC\xE5", {kCjk, kSans}},                  // KaiTi
    {"\xB7\xC2\xCB\xCE", {kCjk, kSans}},                  // FangSong
};
constexpr const char* kMarlett = "Marlett";

const TSubstitute* FindSubstitute(const char* Name) {
  for (const TSubstitute& s : kSubstitutes)
    if (SameAscii(s.Name, Name)) return &s;
  return nullptr;
}

}  // namespace

QStringList FontFamilies(const char* FaceName, bool FixedPitch) {
  QStringList families;
  if (const TSubstitute* s = FindSubstitute(FaceName)) {
    families << s->Families[0] << s->Families[1];
  } else {
    if (*FaceName) families << ToQt(FaceName);
    families << (FixedPitch ? "DejaVu Sans Mono" : kSans) << kCjk;
  }
  return families;
}

namespace {

std::shared_ptr<TFontEngine> BuildEngine(const LOGFONT& Lf) {
  EnsureGuiApp();
  static std::atomic<uint64_t> serials{0};
  auto e = std::make_shared<TFontEngine>();
  e->Serial = ++serials;
  const char* face = Lf.lfFaceName;
  e->Marlett = SameAscii(face, kMarlett);
  e->Font.setFamilies(FontFamilies(face, (Lf.lfPitchAndFamily & 3) == FIXED_PITCH));
  e->Font.setWeight(static_cast<QFont::Weight>(std::clamp(Lf.lfWeight == 0 ? FW_NORMAL : Lf.lfWeight, 100, 900)));
  e->Font.setItalic(Lf.lfItalic);
  e->Font.setUnderline(Lf.lfUnderline);
  e->Font.setStrikeOut(Lf.lfStrikeOut);
  e->Font.setKerning(false);  // widths add up character by character, as measured

  // Height < 0 is the character (em) height in pixels; > 0 the cell height (ascent
  // + descent), reached by scaling a large reference size; 0 means 12 pixels.
  int64_t em;
  if (Lf.lfHeight < 0) em = -int64_t(Lf.lfHeight);
  else if (Lf.lfHeight == 0) em = 12;
  else if (e->Marlett) em = Lf.lfHeight;
  else {
    QFont ref = e->Font;
    ref.setPixelSize(1000);
    QFontMetrics m(ref);
    em = std::llround(std::min(Lf.lfHeight, 100000) * 1000.0 / std::max(1, m.ascent() + m.descent()));
  }
  e->Em = static_cast<int>(std::clamp<int64_t>(em, 1, 2000));
  e->Font.setPixelSize(e->Em);
  e->Metrics = std::make_unique<QFontMetrics>(e->Font);

  TEXTMETRIC& tm = e->Tm;
  if (e->Marlett) {
    // Marlett cells are em x em squares standing on the baseline.
    tm.tmAscent = e->Em;
    tm.tmDescent = 0;
    tm.tmAveCharWidth = tm.tmMaxCharWidth = e->Em;
    tm.tmCharSet = SYMBOL_CHARSET;
    tm.tmPitchAndFamily = TMPF_TRUETYPE | TMPF_VECTOR | FF_DECORATIVE;
  } else {
    const QFontMetrics& m = *e->Metrics;
    tm.tmAscent = m.ascent();
    tm.tmDescent = m.descent();
    tm.tmExternalLeading = std::max(0, m.leading());
    tm.tmAveCharWidth = m.averageCharWidth();
    tm.tmMaxCharWidth = m.maxWidth();
    // The system's code page is 936: the default character set is GB2312.
    tm.tmCharSet = Lf.lfCharSet == DEFAULT_CHARSET ? GB2312_CHARSET : Lf.lfCharSet;
    QFontInfo info(e->Font);
    bool fixed = info.fixedPitch();
    // "TrueType" means scalable: the installed font the family list resolved to
    // decides (a bitmap font of the machine answers no).
    bool scalable = QFontDatabase::isScalable(info.family(), info.styleName());
    tm.tmPitchAndFamily = static_cast<uint8_t>((scalable ? TMPF_TRUETYPE | TMPF_VECTOR : 0) |
                                               (fixed ? 0 : TMPF_FIXED_PITCH) | (fixed ? FF_MODERN : FF_SWISS));
  }
  tm.tmHeight = tm.tmAscent + tm.tmDescent;
  tm.tmInternalLeading = std::max(0, tm.tmHeight - e->Em);
  tm.tmWeight = Lf.lfWeight == 0 ? FW_NORMAL : Lf.lfWeight;
  tm.tmItalic = Lf.lfItalic;
  tm.tmUnderlined = Lf.lfUnderline;
  tm.tmStruckOut = Lf.lfStrikeOut;
  return e;
}

// Engines are shared by every font object with the same request.
std::shared_ptr<TFontEngine> EngineFor(const LOGFONT& Lf) {
  static std::mutex lock;
  static std::map<std::string, std::shared_ptr<TFontEngine>> cache;
  // The fields that make the engine, as bytes (no number formatting: looked up
  // for every new font object).
  char head[4 + 4 + 5];
  std::memcpy(head, &Lf.lfHeight, 4);
  std::memcpy(head + 4, &Lf.lfWeight, 4);
  const uint8_t flags[5] = {Lf.lfItalic, Lf.lfUnderline, Lf.lfStrikeOut, Lf.lfCharSet, Lf.lfPitchAndFamily};
  std::memcpy(head + 8, flags, 5);
  std::string key(head, sizeof head);
  key += Lf.lfFaceName;
  std::lock_guard<std::mutex> g(lock);
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;
  auto e = BuildEngine(Lf);
  if (cache.size() > 512) cache.clear();
  cache.emplace(key, e);
  return e;
}

// A font handle may be in use on several threads at once (the stock fonts are
// shared by every device context), so its engine is set under a lock; once set it
// never changes.
TFontEngine& Engine(HDC Dc) {
  HFONT f = Dc->S.Font;
  static std::mutex lock;
  std::lock_guard<std::mutex> g(lock);
  if (!f->Engine) f->Engine = EngineFor(f->Log);
  return *f->Engine;
}

std::string_view Bytes(const char* Str, int Count) {
  if (!Str) return {};
  return Count < 0 ? std::string_view(Str) : std::string_view(Str, static_cast<size_t>(Count));
}

// Control characters (tab, CR, LF ...) outside DrawText's and TabbedTextOut's own
// handling are neither drawn nor measured.
QString Printable(std::string_view S) {
  QString q = ToQt(S);
  q.removeIf([](QChar c) { return c.unicode() < 0x20; });
  return q;
}

// Forms draw and measure the same short texts over and over (captions, cells, list
// items). Two caches spare the repeated work, both keyed by the font engine's serial
// and the text, both cleared whole when they grow past their bounds:
// - a measured text: the GBK bytes' printable characters and their width;
// - a run's width: the characters of a tab-layout run (DrawText's lines, tabbed
//   text) and their width;
// - a drawn run: the glyph coverage of a level run at a whole-pixel position, as
//   painted once into its own mask and trimmed to the inked pixels. Qt paints the
//   glyphs at the same sub-pixel phase wherever the mask sits, so compositing the
//   stored coverage gives the very pixels a fresh painting would.
struct TMeasured {
  QString Text;
  int Width = 0;
};

// A run mask and its coverage live in one block (see MakeRunMask and TMaskBlocks).
struct TRunMask {
  int Dx = 0, Dy = 0;  // the mask's top-left from the run's baseline start
  int W = 0, H = 0;
  size_t Bytes() const { return static_cast<size_t>(W) * static_cast<size_t>(H); }
  const uint8_t* Alpha() const { return reinterpret_cast<const uint8_t*>(this + 1); }  // W x H coverage
  uint8_t* Alpha() { return reinterpret_cast<uint8_t*>(this + 1); }
};

// A W x H run mask, its coverage not yet written: one allocation, not zeroed.
std::shared_ptr<TRunMask> MakeRunMask(int Dx, int Dy, int W, int H) {
  static_assert(alignof(TRunMask) == alignof(int32_t) && sizeof(TRunMask) % sizeof(int32_t) == 0);
  size_t bytes = sizeof(TRunMask) + static_cast<size_t>(W) * static_cast<size_t>(H);
  std::shared_ptr<int32_t[]> block = std::make_shared_for_overwrite<int32_t[]>((bytes + 3) / 4);
  TRunMask* m = new (block.get()) TRunMask{Dx, Dy, W, H};
  return std::shared_ptr<TRunMask>(std::move(block), m);
}

// Run masks cut from shared blocks: a mask is a shared pointer into its block, so
// a block lives while any of its masks does, and a new mask costs no allocation of
// its own (most are a few hundred bytes, kept until the run cache is cleared).
class TMaskBlocks {
public:
  static constexpr size_t kBlockBytes = 64 << 10;
  std::shared_ptr<TRunMask> Make(int Dx, int Dy, int W, int H) {
    size_t bytes = sizeof(TRunMask) + static_cast<size_t>(W) * static_cast<size_t>(H);
    bytes = (bytes + 15) & ~size_t(15);
    if (bytes > kBlockBytes / 4) return MakeRunMask(Dx, Dy, W, H);
    if (!FBlock || FUsed + bytes > kBlockBytes) {
      FBlock = std::make_shared_for_overwrite<int32_t[]>(kBlockBytes / 4);
      FUsed = 0;
    }
    TRunMask* m = new (reinterpret_cast<char*>(FBlock.get()) + FUsed) TRunMask{Dx, Dy, W, H};
    FUsed += bytes;
    return std::shared_ptr<TRunMask>(FBlock, m);
  }

private:
  std::shared_ptr<int32_t[]> FBlock;
  size_t FUsed = 0;
};

// A map from byte strings to values for the caches below: open addressing in one
// table (a lookup reads one slot or a few neighbours, not a bucket and then a
// node elsewhere), the keys kept in blocks of its own and dropped with the
// entries. It holds at most half as many entries as it has slots; the table
// starts small and doubles as entries are added (most caches hold a few dozen
// texts), and adding past Entries clears it.
template <class V>
class TKeyedMap {
public:
  explicit TKeyedMap(size_t Entries) {
    while (FMaxSlots < 2 * Entries) FMaxSlots *= 2;
    FSlotCount = std::min(FSlotCount, FMaxSlots);
  }
  V* Find(std::string_view Key) {
    if (FSlots.empty()) return nullptr;
    TSlot& s = Probe(Key, std::hash<std::string_view>()(Key));
    return s.Key ? &s.Value : nullptr;
  }
  bool Add(std::string_view Key, V Value) {
    if (FSlots.empty()) FSlots.resize(FSlotCount);  // on first use: most caches stay empty
    if (FSize >= FSlotCount / 2) {
      if (FSlotCount < FMaxSlots)
        Grow();
      else
        Clear();
    }
    size_t hash = std::hash<std::string_view>()(Key);
    TSlot& s = Probe(Key, hash);
    if (s.Key) return false;
    s.Hash = hash;
    s.Key = Keep(Key);
    s.Size = Key.size();
    s.Value = std::move(Value);
    ++FSize;
    return true;
  }
  size_t Size() const { return FSize; }
  void Clear() {
    if (FSize)
      for (TSlot& s : FSlots)
        if (s.Key) s = TSlot{};
    FSize = 0;
    FBlocks.clear();
    FUsed = 0;
  }

private:
  struct TSlot {
    size_t Hash = 0;
    const char* Key = nullptr;  // none: the slot is free
    size_t Size = 0;
    V Value{};
  };
  // The slot holding Key, else the free slot where it would go.
  TSlot& Probe(std::string_view Key, size_t Hash) {
    const size_t mask = FSlotCount - 1;
    for (size_t i = Hash & mask;; i = (i + 1) & mask) {
      TSlot& s = FSlots[i];
      if (!s.Key || (s.Hash == Hash && s.Size == Key.size() && std::memcmp(s.Key, Key.data(), Key.size()) == 0))
        return s;
    }
  }
  // Twice the slots, the entries moved over (their keys stay where they are).
  void Grow() {
    std::vector<TSlot> old(FSlotCount * 2);
    old.swap(FSlots);
    FSlotCount *= 2;
    const size_t mask = FSlotCount - 1;
    for (TSlot& s : old) {
      if (!s.Key) continue;
      size_t i = s.Hash & mask;
      while (FSlots[i].Key) i = (i + 1) & mask;
      FSlots[i] = std::move(s);
    }
  }
  static constexpr size_t kBlockBytes = 16 << 10;
  const char* Keep(std::string_view Key) {
    if (FBlocks.empty() || FUsed + Key.size() > FOpen) {
      FOpen = std::max(kBlockBytes, Key.size());
      FBlocks.push_back(std::make_unique_for_overwrite<char[]>(FOpen));
      FUsed = 0;
    }
    char* p = FBlocks.back().get() + FUsed;
    std::memcpy(p, Key.data(), Key.size());
    FUsed += Key.size();
    return p;
  }
  size_t FSlotCount = 256;  // a power of two, at most FMaxSlots
  size_t FMaxSlots = 16;
  std::vector<TSlot> FSlots;
  size_t FSize = 0;
  std::vector<std::unique_ptr<char[]>> FBlocks;
  size_t FOpen = 0, FUsed = 0;  // the last block's size and its bytes in use
};

class TTextCache {
public:
  static constexpr size_t kMaxText = 256;           // longer texts are not kept
  static constexpr size_t kMaxEntries = 8192;       // per cache
  static constexpr size_t kMaxMaskBytes = 8 << 20;  // coverage bytes over all runs

  // A text is often measured right after it is drawn (or drawn right after it is
  // measured): the last text found or added is answered without a lookup. (What a
  // key maps to never changes: a serial names one engine for good.)
  bool FindMeasured(uint64_t Serial, std::string_view Bytes, TMeasured& Out) {
    std::lock_guard<std::mutex> g(FLock);
    std::string_view key = Key(Serial, Bytes.data(), Bytes.size());
    if (FLastValid && key == FLastKey) {
      Out = FLast;
      return true;
    }
    const TMeasured* m = FMeasured.Find(key);
    if (!m) return false;
    Out = *m;
    Remember(key, *m);
    return true;
  }
  void AddMeasured(uint64_t Serial, std::string_view Bytes, const TMeasured& M) {
    if (Bytes.size() > kMaxText) return;
    std::lock_guard<std::mutex> g(FLock);
    if (FMeasured.Size() >= kMaxEntries) FMeasured.Clear();
    std::string_view key = Key(Serial, Bytes.data(), Bytes.size());
    FMeasured.Add(key, M);
    Remember(key, M);
  }
  bool FindWidth(uint64_t Serial, const QString& S, int& Out) {
    std::lock_guard<std::mutex> g(FLock);
    const int* w = FWidths.Find(Key(Serial, S.constData(), static_cast<size_t>(S.size()) * sizeof(QChar)));
    if (!w) return false;
    Out = *w;
    return true;
  }
  void AddWidth(uint64_t Serial, const QString& S, int Width) {
    if (static_cast<size_t>(S.size()) > kMaxText) return;
    std::lock_guard<std::mutex> g(FLock);
    if (FWidths.Size() >= kMaxEntries) FWidths.Clear();
    FWidths.Add(Key(Serial, S.constData(), static_cast<size_t>(S.size()) * sizeof(QChar)), Width);
  }
  std::shared_ptr<const TRunMask> FindRun(uint64_t Serial, const QString& S) {
    std::lock_guard<std::mutex> g(FLock);
    const std::shared_ptr<const TRunMask>* m =
        FRuns.Find(Key(Serial, S.constData(), static_cast<size_t>(S.size()) * sizeof(QChar)));
    return m ? *m : nullptr;
  }
  void AddRun(uint64_t Serial, const QString& S, std::shared_ptr<const TRunMask> M) {
    if (static_cast<size_t>(S.size()) > kMaxText) return;
    size_t bytes = M->Bytes();
    std::lock_guard<std::mutex> g(FLock);
    if (FRuns.Size() >= kMaxEntries || FMaskBytes + bytes > kMaxMaskBytes) {
      FRuns.Clear();
      FMaskBytes = 0;
    }
    if (FRuns.Add(Key(Serial, S.constData(), static_cast<size_t>(S.size()) * sizeof(QChar)), std::move(M)))
      FMaskBytes += bytes;
  }
private:
  // The serial's bytes, then the text's; built in a reused buffer (under the lock)
  // so that a hit allocates nothing.
  std::string_view Key(uint64_t Serial, const void* Data, size_t N) {
    FKey.assign(reinterpret_cast<const char*>(&Serial), sizeof Serial);
    FKey.append(static_cast<const char*>(Data), N);
    return FKey;
  }
  void Remember(std::string_view Key, const TMeasured& M) {
    FLastKey.assign(Key.data(), Key.size());
    FLast = M;
    FLastValid = true;
  }
  std::mutex FLock;
  std::string FKey;
  std::string FLastKey;
  TMeasured FLast;
  bool FLastValid = false;
  TKeyedMap<TMeasured> FMeasured{kMaxEntries};
  TKeyedMap<int> FWidths{kMaxEntries};  // runs of tab layouts and DrawText lines
  TKeyedMap<std::shared_ptr<const TRunMask>> FRuns{kMaxEntries};
  size_t FMaskBytes = 0;
};

TTextCache& TextCache() {
  static TTextCache* c = new TTextCache;  // lives until the process ends
  return *c;
}

// The printable characters of GBK bytes and their width in the engine's font.
TMeasured Measure(TFontEngine& E, std::string_view Bytes) {
  TMeasured m;
  if (TextCache().FindMeasured(E.Serial, Bytes, m)) return m;
  m.Text = Printable(Bytes);
  m.Width = E.Width(m.Text);
  TextCache().AddMeasured(E.Serial, Bytes, m);
  return m;
}

// The width of a run of characters (no controls) in the engine's font.
int RunWidth(TFontEngine& E, const QString& S) {
  if (S.isEmpty() || E.Marlett) return E.Width(S);
  int w = 0;
  if (TextCache().FindWidth(E.Serial, S, w)) return w;
  w = E.Width(S);
  TextCache().AddWidth(E.Serial, S, w);
  return w;
}

// Paints glyph coverage into the surface, blending the text colour by coverage
// (monochrome surfaces take the text colour where coverage is at least half).
void Composite(HDC Dc, const uint8_t* Mask, qsizetype Stride, int W, int H, int Ox, int Oy, uint32_t Color,
               const TRect* Extra) {
  TSurface& s = Dc->Surface();
  TRect box{Ox, Oy, Ox + W, Oy + H};
  if (Extra && !IntersectRect(box, box, *Extra)) return;
  const uint32_t crb = Color & 0xFF00FF, cg = (Color >> 8) & 0xFF;
  // The colour's channels (and a zero alpha) in 16-bit lanes, twice.
  const __m128i color16 = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(Color & 0xFFFFFFu)), _mm_setzero_si128());
  TRect t;
  for (const TRect& c : Dc->ClipRects()) {
    if (!IntersectRect(t, c, box)) continue;
    for (int y = t.Top; y < t.Bottom; ++y) {
      const uint8_t* m = Mask + (y - Oy) * Stride;
      uint32_t* row = s.Row(y);
      if (s.Mono) {
        for (int x = t.Left; x < t.Right; ++x)
          if (m[x - Ox] >= 128) row[x] = Color;
        continue;
      }
      int x = t.Left;
      // Four pixels at a time in 16-bit lanes, the same arithmetic as below for
      // every coverage (0 gives the old pixel, 255 the colour); uncovered pixels
      // are left exactly as they were.
      for (; x + 4 <= t.Right; x += 4) {
        uint32_t four;
        std::memcpy(&four, m + (x - Ox), 4);
        if (four == 0) continue;  // most of a glyph mask is empty
        const __m128i zero = _mm_setzero_si128();
        __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x));
        __m128i a8 = _mm_cvtsi32_si128(static_cast<int>(four));
        __m128i a16 = _mm_unpacklo_epi8(a8, zero);      // a0 a1 a2 a3 (16-bit)
        __m128i a2 = _mm_unpacklo_epi16(a16, a16);      // a0 a0 a1 a1 a2 a2 a3 a3
        __m128i alo = _mm_unpacklo_epi32(a2, a2), ahi = _mm_unpackhi_epi32(a2, a2);
        const __m128i c255 = _mm_set1_epi16(255), c127 = _mm_set1_epi16(127), one = _mm_set1_epi16(1);
        auto blend = [&](__m128i Dst, __m128i A) {
          __m128i v = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(color16, A),
                                                  _mm_mullo_epi16(Dst, _mm_sub_epi16(c255, A))),
                                    c127);
          return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(v, one), _mm_srli_epi16(v, 8)), 8);
        };
        __m128i out = _mm_packus_epi16(blend(_mm_unpacklo_epi8(d, zero), alo), blend(_mm_unpackhi_epi8(d, zero), ahi));
        out = _mm_or_si128(out, _mm_set1_epi32(static_cast<int>(0xFF000000u)));
        __m128i none = _mm_cmpeq_epi8(a8, zero);  // bytes: FF where uncovered
        none = _mm_unpacklo_epi8(none, none);
        none = _mm_unpacklo_epi16(none, none);
        out = _mm_or_si128(_mm_and_si128(none, d), _mm_andnot_si128(none, out));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x), out);
      }
      for (; x < t.Right; ++x) {
        uint32_t a = m[x - Ox];
        if (a == 0) continue;
        if (a == 255) {  // what the blend below gives at full coverage
          row[x] = 0xFF000000u | Color;
          continue;
        }
        // Per channel (c a + d (255 - a) + 127) / 255, red and blue side by side in
        // one word (each lane stays below 2^16); v / 255 is (v + 1 + (v >> 8)) >> 8
        // exactly for every v that arises here.
        uint32_t d = row[x];
        uint32_t rb = crb * a + (d & 0xFF00FF) * (255 - a) + 0x7F007F;
        uint32_t g = cg * a + ((d >> 8) & 0xFF) * (255 - a) + 127;
        rb = ((rb + 0x10001 + ((rb >> 8) & 0xFF00FF)) >> 8) & 0xFF00FF;
        g = (g + 1 + (g >> 8)) >> 8;
        row[x] = 0xFF000000u | rb | (g << 8);
      }
    }
  }
}

void FillClipped(HDC Dc, TRect R, uint32_t Color, const TRect* Extra) {
  if (Extra && !IntersectRect(R, R, *Extra)) return;
  TSurface& s = Dc->Surface();
  TRect t;
  for (const TRect& c : Dc->ClipRects()) {
    if (!IntersectRect(t, c, R)) continue;
    for (int y = t.Top; y < t.Bottom; ++y) FillPixels(s.Row(y) + t.Left, t.Width(), Color);
  }
}

// Marlett glyphs drawn as shapes in em x em cells: '3' left, '4' right, '5' up and
// '6' down triangles of (em + 1) / 4 rows (row k from the apex 2k + 1 pixels long,
// apex on the cell's centre line), 'r' a close cross two pixels thick about em / 2
// wide. Other characters leave their cell empty.
void MarlettGlyph(HDC Dc, QChar Ch, int X, int Y, int Em, uint32_t Color, const TRect* Extra) {
  auto put = [&](int x0, int x1, int y) { FillClipped(Dc, {x0, y, x1, y + 1}, Color, Extra); };
  int n = std::max(1, (Em + 1) / 4);
  char c = static_cast<char>(Ch.unicode() < 128 ? Ch.unicode() : 0);
  if (c == '5' || c == '6') {
    int cx = X + (Em - 1) / 2, y0 = Y + (Em - n) / 2;
    for (int k = 0; k < n; ++k) {
      int half = c == '5' ? k : n - 1 - k;
      put(cx - half, cx + half + 1, y0 + k);
    }
  } else if (c == '3' || c == '4') {
    int cy = Y + (Em - 1) / 2, x0 = X + (Em - n) / 2;
    for (int k = 0; k < n; ++k) {
      int half = c == '3' ? k : n - 1 - k;
      for (int y = cy - half; y <= cy + half; ++y) put(x0 + k, x0 + k + 1, y);
    }
  } else if (c == 'r') {
    int k = std::max(3, (Em / 2) | 1);
    int x0 = X + (Em - k - 1) / 2, y0 = Y + (Em - k) / 2;
    for (int i = 0; i < k; ++i) {
      put(x0 + i, x0 + i + 2, y0 + i);
      put(x0 + k - 1 - i, x0 + k + 1 - i, y0 + i);
    }
  }
}

// The coverage of a level run painted with its baseline start at (-Dx, -Dy) in a
// W x H mask, trimmed to its inked pixels.
// Runs are painted into the top-left W x H corner of one scratch image, kept with
// an open painter from run to run (its font changes with the engine). Glyphs
// reaching past the corner land outside what is read, and the corner is cleared
// before each run. The scratch image is premultiplied ARGB, on which Qt blends
// glyphs far faster than on an alpha-only image; painting opaque black on
// transparent, its alpha is the very coverage an alpha-only image would get.
struct TScratch {
  // Not a power of two wide: rows a power of two apart in memory would share the
  // same few cache sets, and a run's rows are read and written one after another.
  static constexpr int kMaxW = 1040, kMaxH = 256;
  std::mutex Lock;
  QImage Image;
  std::unique_ptr<QPainter> Painter;
  uint64_t FontSerial = 0;  // the engine whose font the painter has
  TMaskBlocks Masks;        // for the runs painted here
};

TScratch& Scratch() {
  static TScratch* s = new TScratch;  // lives until the process ends
  return *s;
}

// A run laid out once for both its width and its drawing: the line keeps the
// shaped glyphs and paints them as they are.
struct TShaped {
  int Width = 0;
  std::unique_ptr<QTextLayout> Layout;
  QTextLine Line;
  qreal Ascent = 0;  // the line's baseline below its top
};

TShaped Shape(const TFontEngine& E, const QString& S) {
  TShaped out;
  out.Layout = std::make_unique<QTextLayout>(S, E.Font);
  QTextLayout& layout = *out.Layout;
  layout.setCacheEnabled(true);  // the line is drawn from its shaping
  QTextOption option;
  option.setTextDirection(Qt::LeftToRight);  // as QPainter draws text by default
  option.setWrapMode(QTextOption::NoWrap);
  layout.setTextOption(option);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  if (line.isValid()) line.setLineWidth(1e6);  // one line, never broken
  layout.endLayout();
  if (!line.isValid()) return out;
  out.Width = qRound(line.horizontalAdvance());
  out.Ascent = line.ascent();
  out.Line = line;
  return out;
}

std::shared_ptr<const TRunMask> PaintRun(TFontEngine& E, const QString& S, const TShaped* Shaped, int Dx, int Dy,
                                         int W, int H) {
  TScratch& scratch = Scratch();
  std::unique_lock<std::mutex> lock(scratch.Lock, std::defer_lock);
  QImage own;
  std::unique_ptr<QPainter> ownPainter;
  QImage* image = &own;
  QPainter* p = nullptr;
  if (W <= TScratch::kMaxW && H <= TScratch::kMaxH) {
    lock.lock();
    if (!scratch.Painter || W > scratch.Image.width() || H > scratch.Image.height()) {
      // Sized for the runs seen so far (most are short and one line high), doubled
      // as larger ones come; its widths are kMaxW halved, none a power of two.
      // Not filled: only the corners runs use are ever touched (and cleared).
      int w = scratch.Painter ? scratch.Image.width() : TScratch::kMaxW / 8;
      int h = scratch.Painter ? scratch.Image.height() : TScratch::kMaxH / 8;
      while (w < W) w *= 2;
      while (h < H) h *= 2;
      scratch.Painter.reset();
      scratch.Image = QImage(w, h, QImage::Format_ARGB32_Premultiplied);
      scratch.Painter = std::make_unique<QPainter>(&scratch.Image);
      scratch.Painter->setPen(QColor(0, 0, 0, 255));
      scratch.FontSerial = 0;  // the new painter has the default font
    }
    uchar* bits = scratch.Image.bits();
    const qsizetype stride = scratch.Image.bytesPerLine();
    for (int y = 0; y < H; ++y) std::memset(bits + y * stride, 0, static_cast<size_t>(W) * 4);
    image = &scratch.Image;
    p = scratch.Painter.get();
    if (scratch.FontSerial != E.Serial) {
      p->setFont(E.Font);
      scratch.FontSerial = E.Serial;
    }
  } else {
    own = QImage(W, H, QImage::Format_ARGB32_Premultiplied);
    own.fill(0);
    ownPainter = std::make_unique<QPainter>(&own);
    p = ownPainter.get();
    p->setPen(QColor(0, 0, 0, 255));
    p->setFont(E.Font);
  }
  // (Placed by position, not by a translation: the painter's state stays as it is.)
  if (Shaped && Shaped->Line.isValid()) {
    Shaped->Line.draw(p, QPointF(-Dx, -Dy - Shaped->Ascent));
  } else {
    p->drawText(QPointF(-Dx, -Dy), S);
  }
  if (ownPainter) ownPainter->end();
  const uchar* bits = image->constBits();
  const qsizetype stride = image->bytesPerLine();
  auto row = [&](int y) { return reinterpret_cast<const uint32_t*>(bits + y * stride); };
  // The inked box. Pixels are opaque black times coverage, so a pixel is inked when
  // it is not 0: the rows whose pixels ORed together are not 0, then the columns
  // whose pixels in those rows ORed together are not 0 (four at a time, no branch
  // per pixel).
  const int w4 = W & ~3;
  auto inked = [&](int y) {
    const uint32_t* m = row(y);
    __m128i any = _mm_setzero_si128();
    for (int x = 0; x < w4; x += 4) any = _mm_or_si128(any, _mm_loadu_si128(reinterpret_cast<const __m128i*>(m + x)));
    uint32_t tail = 0;
    for (int x = w4; x < W; ++x) tail |= m[x];
    return tail != 0 || _mm_movemask_epi8(_mm_cmpeq_epi32(any, _mm_setzero_si128())) != 0xFFFF;
  };
  int t = 0, b = H;
  while (t < H && !inked(t)) ++t;
  while (b > t && !inked(b - 1)) --b;
  if (t >= b) return MakeRunMask(0, 0, 0, 0);
  std::vector<uint32_t> wide;
  uint32_t narrow[TScratch::kMaxW];
  uint32_t* cols = W <= TScratch::kMaxW ? narrow : (wide.resize(static_cast<size_t>(W)), wide.data());
  std::memcpy(cols, row(t), static_cast<size_t>(W) * 4);
  for (int y = t + 1; y < b; ++y) {
    const uint32_t* m = row(y);
    for (int x = 0; x < w4; x += 4) {
      __m128i* c = reinterpret_cast<__m128i*>(cols + x);
      _mm_storeu_si128(c, _mm_or_si128(_mm_loadu_si128(c), _mm_loadu_si128(reinterpret_cast<const __m128i*>(m + x))));
    }
    for (int x = w4; x < W; ++x) cols[x] |= m[x];
  }
  int l = 0, r = W;
  while (cols[l] == 0) ++l;
  while (cols[r - 1] == 0) --r;
  const int w = r - l;
  std::shared_ptr<TRunMask> run =
      lock.owns_lock() ? scratch.Masks.Make(Dx + l, Dy + t, w, b - t) : MakeRunMask(Dx + l, Dy + t, w, b - t);
  // The alpha bytes, sixteen pixels at a time.
  uint8_t* out = run->Alpha();
  for (int y = t; y < b; ++y, out += w) {
    const uint32_t* m = row(y) + l;
    int x = 0;
    for (; x + 16 <= w; x += 16) {
      auto alpha4 = [&](int i) {
        return _mm_srli_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(m + x + i)), 24);
      };
      __m128i lo = _mm_packs_epi32(alpha4(0), alpha4(4)), hi = _mm_packs_epi32(alpha4(8), alpha4(12));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(lo, hi));
    }
    for (; x < w; ++x) out[x] = static_cast<uint8_t>(m[x] >> 24);
  }
  return run;
}

// Starts fetching the surface's pixels in R (surface coordinates) into the cache.
void PrefetchSurface(HDC Dc, TRect R) {
  if (!IntersectRect(R, R, VisibleBox(Dc))) return;
  TSurface& s = Dc->Surface();
  for (int y = R.Top; y < R.Bottom; ++y) {
    const char* p = reinterpret_cast<const char*>(s.Row(y) + R.Left);
    const char* e = reinterpret_cast<const char*>(s.Row(y) + R.Right);
    for (; p < e; p += 64) _mm_prefetch(p, _MM_HINT_T0);
    _mm_prefetch(e - 1, _MM_HINT_T0);
  }
}

// Draws one run of text, Width pixels wide as the caller measured it, with its
// baseline start at (X, Y) in surface coordinates, turned by Escapement (tenths of
// a degree, counter-clockwise). No background.
void DrawRun(HDC Dc, TFontEngine& E, const QString& S, int Width, double X, double Y, int Escapement,
             const TRect* Extra, const TShaped* Shaped = nullptr) {
  if (S.isEmpty()) return;
  uint32_t color = ForSurface(Dc->Surface(), ToPixel(Dc->S.TextColor));
  int asc = E.Tm.tmAscent, desc = E.Tm.tmDescent;
  if (E.Marlett) {
    int x = static_cast<int>(std::lround(X)), top = static_cast<int>(std::lround(Y)) - asc;
    for (QChar ch : S) {
      MarlettGlyph(Dc, ch, x, top, E.Em, color, Extra);
      x += E.Em;
    }
    return;
  }
  // A level run at a whole-pixel position that was drawn before comes from the run
  // cache, unmeasured. (A run just shaped is a text not measured before: almost
  // always new, so not looked for; painting it again gives the same pixels.)
  const int ix = static_cast<int>(X), iy = static_cast<int>(Y);
  const bool level = Escapement == 0 && ix == X && iy == Y && S.size() <= qsizetype(TTextCache::kMaxText);
  if (level && !Shaped) {
    if (std::shared_ptr<const TRunMask> run = TextCache().FindRun(E.Serial, S)) {
      Composite(Dc, run->Alpha(), run->W, run->W, run->H, ix + run->Dx, iy + run->Dy, color, Extra);
      return;
    }
  }
  const int width = Width;
  int pad = E.Em / 2 + 2;
  double angle = Escapement / 10.0 * M_PI / 180.0;
  double ca = std::cos(angle), sa = std::sin(angle);
  // Local text coordinates (x along the baseline, y down) to surface coordinates.
  auto map = [&](double lx, double ly) { return QPointF(X + lx * ca + ly * sa, Y - lx * sa + ly * ca); };
  QPointF corners[4] = {map(0, -asc), map(width, -asc), map(width, desc), map(0, desc)};
  double minx = corners[0].x(), maxx = minx, miny = corners[0].y(), maxy = miny;
  for (const QPointF& p : corners) {
    minx = std::min(minx, p.x()); maxx = std::max(maxx, p.x());
    miny = std::min(miny, p.y()); maxy = std::max(maxy, p.y());
  }
  auto coord = [](double v) { return ClampCoord(static_cast<int64_t>(std::clamp(v, -2e9, 2e9))); };
  TRect ink{coord(std::floor(minx) - pad), coord(std::floor(miny) - pad), coord(std::ceil(maxx) + pad),
            coord(std::ceil(maxy) + pad)};
  TRect t = VisibleBox(Dc);
  if (Extra) IntersectRect(t, t, *Extra);
  if (!IntersectRect(t, t, ink)) return;
  // A level run of modest size is painted whole once and kept.
  if (level && int64_t(ink.Width()) * ink.Height() <= 64 * 1024) {
    // The surface under the text cell is fetched while Qt paints the glyphs, so
    // that compositing does not wait for it.
    PrefetchSurface(Dc, {ix, iy - asc, ix + width, iy + desc});
    std::shared_ptr<const TRunMask> run =
        PaintRun(E, S, Shaped, ink.Left - ix, ink.Top - iy, ink.Width(), ink.Height());
    TextCache().AddRun(E.Serial, S, run);
    Composite(Dc, run->Alpha(), run->W, run->W, run->H, ix + run->Dx, iy + run->Dy, color, Extra);
    return;
  }
  // Otherwise the coverage mask spans only the visible part of the text.
  QImage mask(t.Width(), t.Height(), QImage::Format_Alpha8);
  mask.fill(0);
  {
    QPainter p(&mask);
    p.setFont(E.Font);
    p.setPen(QColor(0, 0, 0, 255));
    p.translate(X - t.Left, Y - t.Top);
    if (Escapement != 0) p.rotate(-Escapement / 10.0);
    p.drawText(QPointF(0, 0), S);
  }
  Composite(Dc, mask.constBits(), mask.bytesPerLine(), mask.width(), mask.height(), t.Left, t.Top, color, Extra);
}

// A run read right to left: embedded between RLE and PDF (which take no room), so
// that the bidirectional ordering treats it as right-to-left text: Hebrew and
// Arabic read right to left as ever, and the neutral characters at its ends
// (punctuation, spaces) go to the side where right-to-left reading ends them.
QString ReadingRightToLeft(const QString& S) {
  if (S.isEmpty()) return S;
  return QChar(0x202B) + S + QChar(0x202C);
}

// The background of a run: its cell box, turned like the text.
void RunBackground(HDC Dc, TFontEngine& E, int Width, double X, double Y, int Escapement, const TRect* Extra) {
  uint32_t back = ForSurface(Dc->Surface(), ToPixel(Dc->S.BkColor));
  int asc = E.Tm.tmAscent, desc = E.Tm.tmDescent;
  if (Escapement == 0 || E.Marlett) {
    int x = static_cast<int>(std::lround(X)), y = static_cast<int>(std::lround(Y));
    FillClipped(Dc, {x, y - asc, x + Width, y + desc}, back, Extra);
    return;
  }
  double angle = Escapement / 10.0 * M_PI / 180.0, ca = std::cos(angle), sa = std::sin(angle);
  auto corner = [&](double lx, double ly) {
    return TPoint(static_cast<int>(std::lround(X + lx * ca + ly * sa)),
                  static_cast<int>(std::lround(Y - lx * sa + ly * ca)));
  };
  TPoint pts[4] = {corner(0, -asc), corner(Width, -asc), corner(Width, desc), corner(0, desc)};
  std::vector<TRect> spans;
  PolygonSpans(pts, 4, spans);
  for (const TRect& s : spans) FillClipped(Dc, s, back, Extra);
}

// The baseline start of a run of Width pixels whose reference point is (X, Y)
// (surface coordinates) under the text alignment flags: horizontally the left end,
// the centre (Width / 2, truncated) or the right end; vertically the cell top, the
// baseline or the cell bottom; turned with the font.
void Anchor(TFontEngine& E, unsigned Align, int Width, int Escapement, int X, int Y, double& Bx, double& By) {
  int ax = 0, ay = 0;
  if ((Align & TA_CENTER) == TA_CENTER) ax = Width / 2;
  else if (Align & TA_RIGHT) ax = Width;
  if ((Align & TA_BASELINE) == TA_BASELINE) ay = 0;
  else if (Align & TA_BOTTOM) ay = E.Tm.tmDescent;
  else ay = -E.Tm.tmAscent;
  if (Escapement == 0 || E.Marlett) {
    Bx = X - ax;
    By = Y - ay;
    return;
  }
  double angle = Escapement / 10.0 * M_PI / 180.0, ca = std::cos(angle), sa = std::sin(angle);
  Bx = X - (ax * ca + ay * sa);
  By = Y - (-ax * sa + ay * ca);
}

int EscapementOf(HDC Dc) { return Dc->S.Font->Log.lfEscapement % 3600; }

// ---------------------------------------------------------------------------
// Tabs
// ---------------------------------------------------------------------------

// Tab stops of TabbedTextOut and GetTabbedTextExtent, measured from the origin: no
// list, every 8 average character widths; one value, every that many pixels; a
// list, its stops (absolute values), and past the last one the last interval
// repeats (the last stop's own distance when the list has a single usable stop).
// A negative value in a list right-aligns the text after its tab at the stop
// (never over the text before it).
struct TTabs {
  std::vector<int> Stops;
  std::vector<bool> Right;
  int Every = 0;
  int Next(int Pos, bool* IsRight) const {
    *IsRight = false;
    if (Every > 0) return (Pos / Every + 1) * Every;
    for (size_t i = 0; i < Stops.size(); ++i)
      if (Stops[i] > Pos) {
        *IsRight = Right[i];
        return Stops[i];
      }
    int last = Stops.back();
    int step = Stops.size() > 1 ? last - Stops[Stops.size() - 2] : last;
    if (step <= 0) step = 1;
    return last + ((Pos - last) / step + 1) * step;
  }
};

TTabs MakeTabs(TFontEngine& E, int Count, const int* Stops) {
  TTabs t;
  int def = 8 * std::max(1, E.Tm.tmAveCharWidth);
  if (Count <= 0 || !Stops) t.Every = def;
  else if (Count == 1) t.Every = Stops[0] > 0 ? Stops[0] : def;
  else {
    std::vector<std::pair<int, bool>> stops;
    for (int i = 0; i < Count; ++i) stops.push_back({std::abs(Stops[i]), Stops[i] < 0});
    std::stable_sort(stops.begin(), stops.end(), [](auto& A, auto& B) { return A.first < B.first; });
    for (auto& [at, right] : stops) {
      t.Stops.push_back(at);
      t.Right.push_back(right);
    }
    if (t.Stops.back() <= 0) {
      t.Stops.clear();
      t.Right.clear();
      t.Every = def;
    }
  }
  return t;
}

struct TSegment {
  QString Text;
  int X = 0;  // from the line start
  int Width = 0;
};

// Splits a line at tabs into runs placed at their tab stops; Origin is the line
// start's distance from the tab origin. Returns the total width.
int LayoutTabs(TFontEngine& E, const QString& Line, const TTabs* Tabs, int Origin, std::vector<TSegment>* Out) {
  // Most lines (captions, cells) have no tab or other control: one run, as it is.
  if (std::none_of(Line.begin(), Line.end(), [](QChar c) { return c.unicode() < 0x20; })) {
    int w = RunWidth(E, Line);
    if (Out && !Line.isEmpty()) Out->push_back({Line, 0, w});
    return w;
  }
  int x = 0;
  QString run;
  int runX = 0;
  bool right = false;  // the run ends at runX (a right-aligned stop)
  int before = 0;      // where the text before the run ended
  auto flush = [&] {
    int w = RunWidth(E, run);
    if (right) runX = std::max(before, runX - w);
    if (Out && !run.isEmpty()) Out->push_back({run, runX, w});
    x = runX + w;
    run.clear();
    right = false;
  };
  for (QChar c : Line) {
    if (c == u'\t') {
      flush();
      before = x;
      x = Tabs ? Tabs->Next(x + Origin, &right) - Origin : x;
      runX = x;
    } else if (c.unicode() >= 0x20) {
      run += c;
    }
  }
  flush();
  return x;
}

}  // namespace

// ---------------------------------------------------------------------------
// Measuring
// ---------------------------------------------------------------------------

bool GetTextMetrics(HDC Dc, TEXTMETRIC* Tm) {
  if (!Dc || !Tm) return false;
  *Tm = Engine(Dc).Tm;
  return true;
}

bool GetTextExtentPoint32(HDC Dc, const char* Str, int Count, TSize* Size) {
  if (!Dc || !Size) return false;
  TFontEngine& e = Engine(Dc);
  Size->cx = Measure(e, Bytes(Str, Count)).Width;
  Size->cy = e.Tm.tmHeight;
  return true;
}

uint32_t GetTabbedTextExtent(HDC Dc, const char* Str, int Count, int TabCount, const int* TabStops) {
  if (!Dc) return 0;
  TFontEngine& e = Engine(Dc);
  std::string_view s = Bytes(Str, Count);
  TTabs tabs = MakeTabs(e, TabCount, TabStops);
  int w = LayoutTabs(e, ToQt(s), &tabs, 0, nullptr);
  return (static_cast<uint32_t>(e.Tm.tmHeight) << 16) | (static_cast<uint32_t>(w) & 0xFFFF);
}

// ---------------------------------------------------------------------------
// Output
// ---------------------------------------------------------------------------

// TextOut: the text at (X, Y) placed by the text alignment (TA_UPDATECP is not
// supported); in OPAQUE background mode the text cell is filled with the
// background colour first.
bool TextOut(HDC Dc, int X, int Y, const char* Str, int Count) {
  return ExtTextOut(Dc, X, Y, 0, nullptr, Str, Count, nullptr);
}

// ExtTextOut: ETO_OPAQUE fills R with the background colour, ETO_CLIPPED keeps the
// text inside R. Per-character spacing (Dx) is not supported: a non-null Dx fails.
bool ExtTextOut(HDC Dc, int X, int Y, unsigned Options, const TRect* R, const char* Str, int Count,
                const int* Dx) {
  if (!Dc || Dx) return false;
  TFontEngine& e = Engine(Dc);
  TRect clip;
  const TRect* extra = nullptr;
  if (R) {
    clip = SurfRect(Dc, *R);
    if (Options & ETO_OPAQUE) FillClipped(Dc, clip, ForSurface(Dc->Surface(), ToPixel(Dc->S.BkColor)), nullptr);
    if (Options & ETO_CLIPPED) extra = &clip;
  }
  // A text not measured before is shaped once, for its width and its drawing.
  std::string_view bytes = Bytes(Str, Count);
  TMeasured m;
  std::optional<TShaped> shaped;
  if (!TextCache().FindMeasured(e.Serial, bytes, m)) {
    m.Text = Printable(bytes);
    // (Underlined and struck-out fonts are left to drawText: a laid-out line
    // places their lines differently.)
    if (!e.Marlett && !e.Font.underline() && !e.Font.strikeOut() && !m.Text.isEmpty() &&
        m.Text.size() <= qsizetype(TTextCache::kMaxText)) {
      shaped = Shape(e, m.Text);
      m.Width = shaped->Width;
    } else {
      m.Width = e.Width(m.Text);
    }
    TextCache().AddMeasured(e.Serial, bytes, m);
  }
  const bool rtl = (Options & ETO_RTLREADING) || (Dc->S.TextAlign & TA_RTLREADING);
  const QString q = rtl ? ReadingRightToLeft(m.Text) : m.Text;
  if (rtl) shaped.reset();  // shaped left to right
  int width = m.Width, esc = EscapementOf(Dc);
  double bx, by;
  Anchor(e, Dc->S.TextAlign, width, esc, SurfX(Dc, X), SurfY(Dc, Y), bx, by);
  if (Dc->S.BkMode == OPAQUE) RunBackground(Dc, e, width, bx, by, esc, extra);
  DrawRun(Dc, e, q, width, bx, by, esc, extra, shaped ? &*shaped : nullptr);
  return true;
}

// TabbedTextOut: tabs expand to the stops (see TTabs); the whole line is placed by
// the text alignment; in OPAQUE mode its whole cell, gaps included, is filled.
int32_t TabbedTextOut(HDC Dc, int X, int Y, const char* Str, int Count, int TabCount, const int* TabStops,
                      int TabOrigin) {
  if (!Dc) return 0;
  TFontEngine& e = Engine(Dc);
  std::string_view s = Bytes(Str, Count);
  TTabs tabs = MakeTabs(e, TabCount, TabStops);
  std::vector<TSegment> segs;
  QString line = ToQt(s);
  int width = LayoutTabs(e, line, &tabs, X - TabOrigin, &segs);
  double bx, by;
  Anchor(e, Dc->S.TextAlign, width, 0, SurfX(Dc, X), SurfY(Dc, Y), bx, by);
  if (Dc->S.BkMode == OPAQUE) RunBackground(Dc, e, width, bx, by, 0, nullptr);
  const bool rtl = Dc->S.TextAlign & TA_RTLREADING;
  for (const TSegment& g : segs)
    DrawRun(Dc, e, rtl ? ReadingRightToLeft(g.Text) : g.Text, g.Width, bx + g.X, by, 0, nullptr);
  return static_cast<int32_t>((static_cast<uint32_t>(e.Tm.tmHeight) << 16) | (static_cast<uint32_t>(width) & 0xFFFF));
}

// ---------------------------------------------------------------------------
// DrawText
// ---------------------------------------------------------------------------

namespace {

struct TLine {
  QString Text;
  int Prefix = -1;  // the character underlined for its '&', -1 when none
};

// Ellipses, for a line wider than the rectangle. End: characters go from the end
// until the rest and "..." fit. Path: the part from the last '\' or '/' is kept and
// characters go from the end of the part before it, "..." between; when even that
// does not fit, the end rule is applied to "..." and the kept part. Without a
// separator the path rule is the end rule.
void EndEllipsis(TFontEngine& E, TLine& L, int MaxW) {
  QString dots = QStringLiteral("...");
  int n = static_cast<int>(L.Text.size());
  while (n > 0 && E.Width(L.Text.left(n) + dots) > MaxW) --n;
  L.Text = L.Text.left(n) + dots;
  if (L.Prefix >= n) L.Prefix = -1;
}

void PathEllipsis(TFontEngine& E, TLine& L, int MaxW) {
  qsizetype sep = std::max(L.Text.lastIndexOf(u'\\'), L.Text.lastIndexOf(u'/'));
  if (sep < 0) {
    EndEllipsis(E, L, MaxW);
    return;
  }
  QString tail = L.Text.mid(sep), dots = QStringLiteral("...");
  int n = static_cast<int>(sep);
  while (n > 0 && E.Width(L.Text.left(n) + dots + tail) > MaxW) --n;
  if (n > 0 || E.Width(dots + tail) <= MaxW) {
    L.Prefix = L.Prefix < n ? L.Prefix : -1;
    L.Text = L.Text.left(n) + dots + tail;
    return;
  }
  L.Text = dots + tail;
  L.Prefix = -1;
  TLine t{L.Text, -1};
  EndEllipsis(E, t, MaxW);
  L.Text = t.Text;
}

bool IsSpace(QChar C) { return C == u' ' || C == u'\t'; }
// Double-byte (non-ASCII) characters may be broken before and after, as Chinese
// text has no spaces between words.
bool IsWide(QChar C) { return C.unicode() >= 0x80; }

// Drops the '&' prefix characters ("&&" stands for one '&'); Prefix is the index
// in the result of the character after the last single '&', else unchanged.
QString StripPrefixes(const QString& Src, int& Prefix) {
  if (!Src.contains(u'&')) return Src;
  QString text;
  for (qsizetype i = 0; i < Src.size(); ++i) {
    if (Src[i] != u'&') {
      text += Src[i];
    } else if (i + 1 < Src.size()) {
      if (Src[i + 1] != u'&') Prefix = static_cast<int>(text.size());
      text += Src[++i];
    }
  }
  return text;
}

// The lines of Text: one per paragraph (CR, LF or CR LF end one), or the whole
// text as one line with Single; with WordBreak a paragraph breaks before the word
// (or wide character) that would make the line wider than MaxW, and the spaces at
// the break are dropped. Width measures a piece of text as it is drawn.
std::vector<TLine> BreakLines(const QString& Text, int Prefix, bool Single, bool WordBreak, int MaxW,
                              const std::function<int(const QString&)>& Width) {
  // Paragraphs (start, end) in Text.
  std::vector<std::pair<int, int>> paras;
  if (Single) {
    paras.push_back({0, static_cast<int>(Text.size())});
  } else {
    int start = 0, n = static_cast<int>(Text.size());
    for (int i = 0; i < n; ++i) {
      if (Text[i] == u'\r' || Text[i] == u'\n') {
        paras.push_back({start, i});
        if (Text[i] == u'\r' && i + 1 < n && Text[i + 1] == u'\n') ++i;
        start = i + 1;
      }
    }
    if (start < n || paras.empty()) paras.push_back({start, n});
  }

  auto makeLine = [&](int a, int b) {
    TLine l;
    QStringView part = QStringView(Text).mid(a, b - a);
    if (!Single || (!part.contains(u'\r') && !part.contains(u'\n'))) {
      l.Text = part.toString();
      if (Prefix >= a && Prefix < b) l.Prefix = Prefix - a;
      return l;
    }
    for (int i = a; i < b; ++i) {
      if (Single && (Text[i] == u'\r' || Text[i] == u'\n')) continue;
      if (i == Prefix) l.Prefix = static_cast<int>(l.Text.size());
      l.Text += Text[i];
    }
    return l;
  };

  std::vector<TLine> lines;
  for (auto [a, b] : paras) {
    if (!WordBreak || Single) {
      lines.push_back(makeLine(a, b));
      continue;
    }
    int lineStart = a;
    int i = a;
    while (true) {
      // Grow the line token by token while it fits.
      int lineEnd = lineStart;  // end of the last token that fitted (spaces excluded)
      int pos = lineStart;
      bool any = false;
      while (pos < b) {
        int spaceEnd = pos;
        while (spaceEnd < b && IsSpace(Text[spaceEnd])) ++spaceEnd;
        if (spaceEnd >= b) { pos = b; break; }
        int wordEnd = spaceEnd;
        if (IsWide(Text[wordEnd])) ++wordEnd;
        else
          while (wordEnd < b && !IsSpace(Text[wordEnd]) && !IsWide(Text[wordEnd])) ++wordEnd;
        if (any && Width(Text.mid(lineStart, wordEnd - lineStart)) > MaxW) break;
        lineEnd = wordEnd;
        pos = wordEnd;
        any = true;
      }
      if (pos >= b) {
        lines.push_back(makeLine(lineStart, b));
        break;
      }
      lines.push_back(makeLine(lineStart, lineEnd));
      i = lineEnd;
      while (i < b && IsSpace(Text[i])) ++i;
      lineStart = i;
    }
  }
  if (Text.isEmpty()) lines.clear();
  return lines;
}

}  // namespace

// DrawText with the formats the system uses:
// - '&' marks the next character for an underline ("&&" is one '&', a final lone
//   '&' is dropped; the last mark counts); DT_NOPREFIX keeps '&' as it is,
//   DT_HIDEPREFIX removes the marks without underlining.
// - Lines break at CR LF, LF or CR, unless DT_SINGLELINE, where CR and LF are
//   dropped; a break at the very end of the text starts no further line.
// - DT_WORDBREAK breaks lines that are wider than the rectangle after spaces and
//   before or after double-byte characters; the spaces at a break are dropped; a
//   single word wider than the rectangle stays whole on its line.
// - DT_EXPANDTABS expands tabs to every 8 average character widths (DT_TABSTOP: the
//   count in bits 8..15 instead, and those bits are no flags then); without it
//   tabs take no room.
// - Lines are DT_LEFT, DT_CENTER (left + (width - line width) / 2, truncated) or
//   DT_RIGHT aligned; DT_VCENTER and DT_BOTTOM place a DT_SINGLELINE line (and are
//   ignored otherwise); line height is the font's cell height (+ external leading
//   with DT_EXTERNALLEADING).
// - DT_END_ELLIPSIS / DT_PATH_ELLIPSIS shorten each line wider than the rectangle.
// - DT_CALCRECT draws nothing and sets Right = Left + widest line and Bottom = Top
//   + lines x line height; empty text gives (Left, Top, Left, Top) and 0.
// - DT_RTLREADING reads each line right to left (see ReadingRightToLeft); where
//   the line goes is still DT_LEFT, DT_CENTER or DT_RIGHT. A rotated font is drawn
//   unrotated here.
// - Text is clipped to the rectangle unless DT_NOCLIP. In OPAQUE background mode
//   each line's cell is filled with the background colour.
// Returns the text height; with DT_SINGLELINE and DT_VCENTER or DT_BOTTOM, the
// distance from the rectangle's top to the bottom of the line.
int DrawText(HDC Dc, const char* Str, int Count, TRect* R, unsigned Format) {
  if (!Dc || !R) return 0;
  *R = {ClampCoord(R->Left), ClampCoord(R->Top), ClampCoord(R->Right), ClampCoord(R->Bottom)};
  TFontEngine& e = Engine(Dc);
  int tabChars = 8;
  if (Format & DT_TABSTOP) {
    tabChars = static_cast<int>((Format >> 8) & 0xFF);
    Format &= ~0xFF00u;
  }
  std::string_view bytes = Bytes(Str, Count);
  QString src = ToQt(bytes);

  int prefix = -1;
  QString text = (Format & DT_NOPREFIX) ? src : StripPrefixes(src, prefix);
  if (Format & DT_HIDEPREFIX) prefix = -1;

  int lineH = e.Tm.tmHeight + ((Format & DT_EXTERNALLEADING) ? e.Tm.tmExternalLeading : 0);
  int maxW = R->Right - R->Left;
  bool single = Format & DT_SINGLELINE;
  TTabs tabs;
  tabs.Every = std::max(1, tabChars * std::max(1, e.Tm.tmAveCharWidth));
  const TTabs* tabsp = (Format & DT_EXPANDTABS) ? &tabs : nullptr;
  auto width = [&](const QString& s) { return LayoutTabs(e, s, tabsp, 0, nullptr); };

  std::vector<TLine> lines = BreakLines(text, prefix, single, (Format & DT_WORDBREAK) != 0, maxW, width);

  if (Format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS))
    for (TLine& l : lines)
      if (width(l.Text) > maxW) {
        if (Format & DT_PATH_ELLIPSIS) PathEllipsis(e, l, maxW);
        else EndEllipsis(e, l, maxW);
      }

  int total = static_cast<int>(lines.size()) * lineH;
  if (Format & DT_CALCRECT) {
    int w = 0;
    for (const TLine& l : lines) w = std::max(w, width(l.Text));
    R->Right = R->Left + w;
    R->Bottom = R->Top + total;
    return total;
  }

  int top = R->Top;
  if (single && (Format & DT_VCENTER)) top = R->Top + (R->Bottom - R->Top - lineH) / 2;
  else if (single && (Format & DT_BOTTOM)) top = R->Bottom - lineH;

  int ox = Dc->OffX(), oy = Dc->OffY();
  TRect clip = SurfRect(Dc, *R);
  const TRect* extra = (Format & DT_NOCLIP) ? nullptr : &clip;
  uint32_t textColor = ForSurface(Dc->Surface(), ToPixel(Dc->S.TextColor));
  int y = top;
  for (const TLine& l : lines) {
    std::vector<TSegment> segs;
    int w = LayoutTabs(e, l.Text, tabsp, 0, &segs);
    int x = R->Left;
    if (Format & DT_CENTER) x = R->Left + (maxW - w) / 2;
    else if (Format & DT_RIGHT) x = R->Right - w;
    double bx = x + ox, by = y + oy + e.Tm.tmAscent;
    if (Dc->S.BkMode == OPAQUE) RunBackground(Dc, e, w, bx, by, 0, extra);
    for (const TSegment& g : segs)
      DrawRun(Dc, e, (Format & DT_RTLREADING) ? ReadingRightToLeft(g.Text) : g.Text, g.Width, bx + g.X, by, 0, extra);
    if (l.Prefix >= 0 && l.Prefix < l.Text.size()) {
      // The underline of the '&' character: one pixel below the baseline, across
      // the character's advance.
      int x0 = width(l.Text.left(l.Prefix)), x1 = width(l.Text.left(l.Prefix + 1));
      int uy = y + oy + e.Tm.tmAscent + 1;
      FillClipped(Dc, {x + ox + x0, uy, x + ox + x1, uy + 1}, textColor, extra);
    }
    y += lineH;
  }
  if (single && (Format & (DT_VCENTER | DT_BOTTOM))) return top - R->Top + lineH;
  return total;
}

// ---------------------------------------------------------------------------
// Font families
// ---------------------------------------------------------------------------

// The names the system's forms use (each with the facts of the installed family
// that shows it), Marlett, then every installed family with its own facts from
// fontconfig: tmPitchAndFamily carries TMPF_FIXED_PITCH for variable pitch,
// TMPF_VECTOR for scalable and TMPF_TRUETYPE for TrueType-like fonts, a symbol
// font has SYMBOL_CHARSET, and the font type is TRUETYPE_FONTTYPE for
// TrueType-like fonts, RASTER_FONTTYPE for bitmap fonts, 0 otherwise. The device
// is not asked: a printer lists the same fonts as the screen.
int EnumFontFamilies(HDC Dc, const char* Family, const TFontEnumProc& Proc) {
  EnsureGuiApp();
  struct TEntry {
    std::string Name;
    TFontFamilyFacts Facts;
    bool Known = false;  // facts from an installed family
  };
  std::vector<TEntry> entries;
  for (const TSubstitute& s : kSubstitutes) {
    TEntry e{s.Name, {}, false};
    e.Known = FindFontFamily(s.Families[0], e.Facts);
    entries.push_back(e);
  }
  entries.push_back(TEntry{kMarlett, TFontFamilyFacts{kMarlett, false, true, true, true}, true});
  for (const TFontFamilyFacts& f : InstalledFontFamilies()) {
    bool known = false;
    for (const TEntry& e : entries) known = known || SameAscii(e.Name.c_str(), f.Name.c_str());
    if (!known) entries.push_back(TEntry{f.Name, f, true});
  }
  int result = 1;
  for (const TEntry& entry : entries) {
    if (Family && !SameAscii(Family, entry.Name.c_str())) continue;
    LOGFONT lf;
    lf.lfHeight = -12;
    lf.lfWeight = FW_NORMAL;
    std::string face = GbkTruncate(entry.Name, LF_FACESIZE - 1);
    std::memcpy(lf.lfFaceName, face.c_str(), face.size() + 1);
    lf.lfCharSet = DEFAULT_CHARSET;
    std::shared_ptr<TFontEngine> e = EngineFor(lf);
    TEXTMETRIC tm = e->Tm;
    int type = TRUETYPE_FONTTYPE;
    if (entry.Known) {
      const TFontFamilyFacts& f = entry.Facts;
      tm.tmPitchAndFamily = static_cast<uint8_t>((f.FixedPitch ? FF_MODERN : FF_SWISS) |
                                                 (f.FixedPitch ? 0 : TMPF_FIXED_PITCH) |
                                                 (f.Scalable ? TMPF_VECTOR : 0) | (f.TrueType ? TMPF_TRUETYPE : 0));
      if (f.Symbol) tm.tmCharSet = SYMBOL_CHARSET;
      type = f.TrueType ? TRUETYPE_FONTTYPE : f.Scalable ? 0 : RASTER_FONTTYPE;
    }
    lf.lfCharSet = tm.tmCharSet;
    lf.lfPitchAndFamily = static_cast<uint8_t>(((tm.tmPitchAndFamily & TMPF_FIXED_PITCH) ? VARIABLE_PITCH : FIXED_PITCH) |
                                               (tm.tmPitchAndFamily & 0xF0));
    result = Proc(lf, tm, type);
    if (result == 0) break;
  }
  (void)Dc;
  return result;
}
