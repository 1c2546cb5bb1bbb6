#pragma once
// The installed font families as fontconfig describes them, with the facts the
// font enumeration reports: fixed pitch (every face of the family is monospaced
// or a character-cell font), TrueType-like (a face is TrueType or CFF/OpenType),
// scalable, symbol (a face is a symbol font). Names are GBK (families whose name
// has no GBK form are left out), cut to 31 bytes on a character boundary.
#include <string>
#include <vector>

struct TFontFamilyFacts {
  std::string Name;
  bool FixedPitch = false;
  bool TrueType = false;
  bool Scalable = false;
  bool Symbol = false;
};

// Every family once, in fontconfig's order of first appearance (read on the
// first call and kept).
const std::vector<TFontFamilyFacts>& InstalledFontFamilies();
// The facts of one family (by exact name, as InstalledFontFamilies gives it);
// false when it is not installed.
bool FindFontFamily(const std::string& Name, TFontFamilyFacts& Facts);
