#include "platform/graphics/fontfamilies.h"

#include <fontconfig/fontconfig.h>


#include "platform/core/gbk.h"

namespace {

constexpr size_t kFaceNameBytes = 31;  // LF_FACESIZE less the terminating zero

std::vector<TFontFamilyFacts> Query() {
  std::vector<TFontFamilyFacts> out;
  if (!FcInit()) return out;
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* set = FcObjectSetBuild(FC_FAMILY, FC_SPACING, FC_FONTFORMAT, FC_SCALABLE, FC_SYMBOL, nullptr);
  FcFontSet* fonts = FcFontList(nullptr, pattern, set);
  FcObjectSetDestroy(set);
  FcPatternDestroy(pattern);
  if (!fonts) return out;
  std::vector<bool> allMono;
  for (int i = 0; i < fonts->nfont; ++i) {
    FcPattern* f = fonts->fonts[i];
    FcChar8* family = nullptr;
    if (FcPatternGetString(f, FC_FAMILY, 0, &family) != FcResultMatch || !family) continue;
    std::string gbk;
    if (!Utf8ToGbk(reinterpret_cast<const char*>(family), gbk) || gbk.empty()) continue;
    gbk = GbkTruncate(gbk, kFaceNameBytes);
    int spacing = FC_PROPORTIONAL;
    FcPatternGetInteger(f, FC_SPACING, 0, &spacing);
    FcChar8* format = nullptr;
    FcPatternGetString(f, FC_FONTFORMAT, 0, &format);
    std::string fmt = format ? reinterpret_cast<const char*>(format) : "";
    FcBool scalable = FcFalse, symbol = FcFalse;
    FcPatternGetBool(f, FC_SCALABLE, 0, &scalable);
    FcPatternGetBool(f, FC_SYMBOL, 0, &symbol);
    size_t at = 0;
    while (at < out.size() && out[at].Name != gbk) ++at;
    if (at == out.size()) {
      out.push_back(TFontFamilyFacts{gbk, false, false, false, false});
      allMono.push_back(true);
    }
    TFontFamilyFacts& facts = out[at];
    allMono[at] = allMono[at] && spacing >= FC_MONO;
    facts.TrueType = facts.TrueType || fmt == "TrueType" || fmt == "CFF";
    facts.Scalable = facts.Scalable || scalable;
    facts.Symbol = facts.Symbol || symbol;
  }
  FcFontSetDestroy(fonts);
  for (size_t i = 0; i < out.size(); ++i) out[i].FixedPitch = allMono[i];
  return out;
}

}  // namespace

const std::vector<TFontFamilyFacts>& InstalledFontFamilies() {
  // Fonts installed while the program runs are not seen: the list is read once.
  static const std::vector<TFontFamilyFacts> cache = Query();
  return cache;
}

bool FindFontFamily(const std::string& Name, TFontFamilyFacts& Facts) {
  for (const TFontFamilyFacts& f : InstalledFontFamilies())
    if (f.Name == Name) {
      Facts = f;
      return true;
    }
  return false;
}
