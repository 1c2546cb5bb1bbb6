// Fonts, metrics and text layout. Positions are checked through the text cell that
// OPAQUE mode fills (text and background in one colour) and through DrawText's
// rectangles, never through glyph shapes.
#include <memory>
#include <string>
#include <vector>

#include "gfx_test_util.h"

using namespace gfxtest;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
const std::string kChinese = "\xD6\xD0\xCE\xC4";  // two Chinese characters (GBK)
const char* kSimSun = "\xCB\xCE\xCC\xE5";

HFONT MakeFont(const char* Face, int Height = -11, int Escapement = 0) {
  return CreateFont(Height, 0, Escapement, Escapement, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, Face);
}

// A white surface with a font selected; the text cell shows in red.
struct TTextDC : TPaintDC {
  HFONT Font;
  explicit TTextDC(const char* Face = "Tahoma", int Height = -11, int Escapement = 0, int W = 240, int H = 120)
      : TPaintDC(W, H, RGB(255, 255, 255)), Font(MakeFont(Face, Height, Escapement)) {
    Select(Font);
    SetTextColor(Dc, kRed);
    SetBkColor(Dc, kRed);
  }
  ~TTextDC() {
    SelectObject(Dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(Font);
  }
  int Width(const std::string& S) {
    TSize s;
    GetTextExtentPoint32(Dc, S.data(), static_cast<int>(S.size()), &s);
    return s.cx;
  }
  TEXTMETRIC Tm() {
    TEXTMETRIC tm;
    GetTextMetrics(Dc, &tm);
    return tm;
  }
  // The bounding box of the red pixels.
  TRect RedBox() {
    const TSurface& s = BitmapSurface(Bmp);
    TRect box{s.Width, s.Height, 0, 0};
    for (int y = 0; y < s.Height; ++y)
      for (int x = 0; x < s.Width; ++x)
        if (At(x, y) == kRed) box = {std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x + 1),
                                     std::max(box.Bottom, y + 1)};
    return box;
  }
  TRect Calc(const std::string& S, TRect R, unsigned Format, int* Height = nullptr) {
    int h = DrawText(Dc, S.data(), static_cast<int>(S.size()), &R, Format | DT_CALCRECT);
    if (Height) *Height = h;
    return R;
  }
};

}  // namespace

TEST(Fonts, MetricsFollowTheRequestedHeight) {
  TTextDC t("Tahoma", -11);
  TEXTMETRIC tm = t.Tm();
  EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
  EXPECT_EQ(tm.tmInternalLeading, tm.tmHeight - 11);
  EXPECT_GT(tm.tmAveCharWidth, 0);
  EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_TRUETYPE);
  EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_FIXED_PITCH);  // set means variable pitch
  EXPECT_EQ(tm.tmCharSet, GB2312_CHARSET);               // the default on code page 936
  TTextDC cell("Tahoma", 20);                             // a positive height is the cell height
  EXPECT_NEAR(cell.Tm().tmHeight, 20, 1);
  TTextDC mono("Courier New", -12);
  EXPECT_FALSE(mono.Tm().tmPitchAndFamily & TMPF_FIXED_PITCH);
  EXPECT_EQ(mono.Width("iiii"), mono.Width("MMMM"));
}

TEST(Fonts, NamesTheSystemUsesShareTheirInstalledSubstitute) {
  TTextDC dejavu("DejaVu Sans");
  int w = dejavu.Width("Hello, World");
  for (const char* face : {"MS Sans Serif", "Tahoma", "Verdana", "ms sans serif"}) {
    TTextDC t(face);
    EXPECT_EQ(t.Width("Hello, World"), w) << face;
    EXPECT_EQ(t.Tm().tmHeight, dejavu.Tm().tmHeight) << face;
  }
}

TEST(Fonts, ChineseTextMeasuresAndDrawsWithACjkFont) {
  for (const char* face : {kSimSun, "Tahoma"}) {
    TTextDC t(face, -12);
    // Chinese characters are one em wide in the CJK font, whatever the Latin face.
    EXPECT_EQ(t.Width(kChinese), 24) << face;
    SetTextColor(t.Dc, RGB(0, 0, 0));
    SetBkMode(t.Dc, TRANSPARENT);
    TextOut(t.Dc, 20, 10, kChinese.data(), static_cast<int>(kChinese.size()));
    int inside = 0, outside = 0;
    TEXTMETRIC tm = t.Tm();
    TRect cell{20, 10, 20 + 24, 10 + tm.tmHeight};
    for (int y = 0; y < 120; ++y)
      for (int x = 0; x < 240; ++x)
        if (t.At(x, y) != RGB(255, 255, 255)) (cell.Contains({x, y}) ? inside : outside)++;
    EXPECT_GT(inside, 20) << face;
    EXPECT_EQ(outside, 0) << face;
  }
}

TEST(DrawText, CalcRectFollowsTheFormat) {
  TTextDC t;
  int h = t.Tm().tmHeight, ave = t.Tm().tmAveCharWidth;
  int wWord = t.Width("aaa bbb");
  struct Case {
    const char* Name;
    std::string Text;
    int Width;  // of the rectangle
    unsigned Format;
    int WantW, WantLines;
  };
  const Case cases[] = {
      {"single line", "Hello", 200, 0, t.Width("Hello"), 1},
      {"prefix removed", "&File", 200, 0, t.Width("File"), 1},
      {"double ampersand", "A&&B", 200, 0, t.Width("A&B"), 1},
      {"no prefix", "&File", 200, DT_NOPREFIX, t.Width("&File"), 1},
      {"hidden prefix", "&File", 200, DT_HIDEPREFIX, t.Width("File"), 1},
      {"line breaks", "ab\ncd\r\nefghi", 200, 0, t.Width("efghi"), 3},
      {"final break adds no line", "ab\n", 200, 0, t.Width("ab"), 1},
      {"single line drops breaks", "ab\ncd", 200, DT_SINGLELINE, t.Width("abcd"), 1},
      {"word break", "aaa bbb ccc", wWord, DT_WORDBREAK, wWord, 2},
      {"word break narrow", "aaa aaa aaa", t.Width("aaa"), DT_WORDBREAK, t.Width("aaa"), 3},
      {"long word stays whole", "aaaaaaaaaaaa", 10, DT_WORDBREAK, t.Width("aaaaaaaaaaaa"), 1},
      {"Chinese breaks between characters", kChinese + kChinese, 2 * 11 + 3, DT_WORDBREAK, t.Width(kChinese), 2},
      {"expanded tab", "a\tb", 200, DT_EXPANDTABS, 8 * ave + t.Width("b"), 1},
      {"unexpanded tab takes no room", "a\tb", 200, 0, t.Width("ab"), 1},
      {"right to left reading changes nothing", "Hello", 200, DT_RTLREADING, t.Width("Hello"), 1},
      {"end ellipsis", "abcdefghijkl", t.Width("abc..."), DT_SINGLELINE | DT_END_ELLIPSIS, t.Width("abc..."), 1},
      {"path ellipsis", "c:\\dir\\sub\\file.txt", t.Width("c:\\...\\file.txt"), DT_SINGLELINE | DT_PATH_ELLIPSIS,
       t.Width("c:\\...\\file.txt"), 1},
  };
  for (const Case& c : cases) {
    int ret = 0;
    TRect r = t.Calc(c.Text, {5, 7, 5 + c.Width, 100}, c.Format, &ret);
    EXPECT_EQ(r, TRect(5, 7, 5 + c.WantW, 7 + c.WantLines * h)) << c.Name;
    EXPECT_EQ(ret, c.WantLines * h) << c.Name;
  }
  // DT_TABSTOP's count takes the bits of DT_CALCRECT and others, so it is seen drawn.
  TRect tr{5, 7, 200, 100};
  DrawText(t.Dc, "a\tb", -1, &tr, DT_EXPANDTABS | DT_TABSTOP | (4 << 8));
  EXPECT_EQ(t.RedBox(), TRect(5, 7, 5 + 4 * ave + t.Width("b"), 7 + h));
  int ret = -1;
  EXPECT_EQ(t.Calc("", {5, 7, 50, 100}, 0, &ret), TRect(5, 7, 5, 7));
  EXPECT_EQ(ret, 0);
  EXPECT_EQ(t.Calc("&", {5, 7, 50, 100}, 0).Bottom, 7);
  EXPECT_EQ(t.Calc("ab", {0, 0, 50, 0}, DT_EXTERNALLEADING).Bottom, h + t.Tm().tmExternalLeading);
}

TEST(DrawText, LinesArePlacedByTheAlignmentFlags) {
  const TRect r{10, 10, 130, 60};
  struct Case { unsigned Format; int Lines; };
  const Case cases[] = {{DT_LEFT, 1},
                        {DT_CENTER | DT_VCENTER | DT_SINGLELINE, 1},
                        {DT_RIGHT | DT_BOTTOM | DT_SINGLELINE, 1},
                        {DT_VCENTER | DT_CENTER, 1},  // VCENTER needs SINGLELINE
                        {DT_RIGHT, 2}};
  for (const Case& c : cases) {
    TTextDC t;
    std::string text = c.Lines == 1 ? "Hi" : "Hi\nHHH";
    int w = t.Width(c.Lines == 1 ? "Hi" : "HHH"), h = t.Tm().tmHeight;
    TRect rr = r;
    int ret = DrawText(t.Dc, text.data(), static_cast<int>(text.size()), &rr, c.Format);
    int left = r.Left, top = r.Top;
    if (c.Format & DT_CENTER) left = r.Left + (r.Width() - w) / 2;
    if (c.Format & DT_RIGHT) left = r.Right - w;
    if (c.Format & DT_SINGLELINE) {
      if (c.Format & DT_VCENTER) top = r.Top + (r.Height() - h) / 2;
      if (c.Format & DT_BOTTOM) top = r.Bottom - h;
    }
    EXPECT_EQ(t.RedBox(), TRect(left, top, left + w, top + c.Lines * h)) << std::hex << c.Format;
    bool offset = (c.Format & DT_SINGLELINE) && (c.Format & (DT_VCENTER | DT_BOTTOM));
    EXPECT_EQ(ret, offset ? top - r.Top + h : c.Lines * h) << std::hex << c.Format;
  }
}

TEST(DrawText, ClipsToTheRectangleUnlessNoClip) {
  TTextDC a, b;
  std::string s = "HHHHHHHH";
  TRect r{10, 10, 20, 15};
  DrawText(a.Dc, s.data(), -1, &r, 0);
  EXPECT_EQ(a.RedBox(), r);
  DrawText(b.Dc, s.data(), -1, &r, DT_NOCLIP);
  EXPECT_EQ(b.RedBox(), TRect(10, 10, 10 + b.Width(s), 10 + b.Tm().tmHeight));
}

TEST(DrawText, PrefixUnderlineSitsBelowTheBaselineUnderItsCharacter) {
  for (unsigned format : {0u, unsigned(DT_HIDEPREFIX)}) {
    TTextDC t;
    SetTextColor(t.Dc, RGB(0, 0, 0));
    SetBkMode(t.Dc, TRANSPARENT);
    TRect r{10, 10, 200, 60};
    DrawText(t.Dc, "H&Hi", -1, &r, format);
    int y = 10 + t.Tm().tmAscent + 1, x0 = 10 + t.Width("H"), x1 = 10 + t.Width("HH");
    int black = 0;
    for (int x = x0; x < x1; ++x) black += t.At(x, y) == RGB(0, 0, 0);
    EXPECT_EQ(black, format ? 0 : x1 - x0) << format;
  }
}

TEST(TextOut, ReferencePointFollowsTheTextAlignment) {
  struct Case { unsigned Align; };
  for (Case c : {Case{TA_LEFT | TA_TOP}, Case{TA_CENTER | TA_BASELINE}, Case{TA_RIGHT | TA_BOTTOM}}) {
    TTextDC t;
    SetTextAlign(t.Dc, c.Align);
    TextOut(t.Dc, 100, 50, "Hiya", 4);
    TEXTMETRIC tm = t.Tm();
    int w = t.Width("Hiya");
    int left = 100, top = 50;
    if ((c.Align & TA_CENTER) == TA_CENTER) left -= w / 2;
    else if (c.Align & TA_RIGHT) left -= w;
    if ((c.Align & TA_BASELINE) == TA_BASELINE) top -= tm.tmAscent;
    else if (c.Align & TA_BOTTOM) top -= tm.tmHeight;
    EXPECT_EQ(t.RedBox(), TRect(left, top, left + w, top + tm.tmHeight)) << c.Align;
  }
}

// Runs are drawn from a cache of their glyph coverage after their first drawing:
// a second drawing, a drawing under a clip or half off the surface, and a drawing
// on a monochrome bitmap give the pixels a first drawing gives, and a run drawn
// in another font is that font's.
TEST(TextOut, ARunGivesTheSamePixelsWhereverAndHoweverOftenItIsDrawn) {
  auto draw = [](TTextDC& T, const std::string& S, int X, int Y) {
    SetTextColor(T.Dc, RGB(0, 0, 0));
    SetBkMode(T.Dc, TRANSPARENT);
    SetTextAlign(T.Dc, TA_BASELINE);
    TextOut(T.Dc, X, Y, S.data(), static_cast<int>(S.size()));
  };
  auto same = [](const TTextDC& A, const TTextDC& B) {
    for (int y = 0; y < 120; ++y)
      for (int x = 0; x < 240; ++x)
        if (A.At(x, y) != B.At(x, y)) return false;
    return true;
  };
  for (const std::string& s : {std::string("Wavy text"), kChinese + " 12"}) {
    TTextDC first, again, clipped, edge;
    draw(first, s, 30, 50);
    draw(again, s, 30, 50);
    EXPECT_TRUE(same(again, first)) << s;
    IntersectClipRect(clipped.Dc, 35, 44, 50, 52);
    draw(clipped, s, 30, 50);
    draw(edge, s, -4, 7);  // 34 pixels left and 43 up of the first drawing
    int inked = 0;
    for (int y = 0; y < 120; ++y)
      for (int x = 0; x < 240; ++x) {
        bool inClip = x >= 35 && x < 50 && y >= 44 && y < 52;
        ASSERT_EQ(clipped.At(x, y), inClip ? first.At(x, y) : RGB(255, 255, 255)) << s << " " << x << "," << y;
        if (x + 34 < 240 && y + 43 < 120) {
          ASSERT_EQ(edge.At(x, y), first.At(x + 34, y + 43)) << s << " " << x << "," << y;
        }
        inked += first.At(x, y) != RGB(255, 255, 255);
      }
    EXPECT_GT(inked, 20) << s;
    TPaintDC mono(240, 120, RGB(255, 255, 255), true);
    HFONT f = MakeFont("Tahoma");
    SelectObject(mono.Dc, f);
    SetBkMode(mono.Dc, TRANSPARENT);
    SetTextAlign(mono.Dc, TA_BASELINE);
    TextOut(mono.Dc, 30, 50, s.data(), static_cast<int>(s.size()));
    int black = 0;
    for (int y = 0; y < 120; ++y)
      for (int x = 0; x < 240; ++x) {
        bool dark = mono.At(x, y) == RGB(0, 0, 0);
        black += dark;
        if (dark) {
          ASSERT_NE(first.At(x, y), RGB(255, 255, 255)) << s << " " << x << "," << y;
        }
      }
    EXPECT_GT(black, 10) << s;
    SelectObject(mono.Dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(f);
    TTextDC bigger("Tahoma", -16);
    draw(bigger, s, 30, 50);
    EXPECT_FALSE(same(bigger, first)) << s;
  }
}

// A text drawn for the first time is shaped once for its width and its glyphs; a
// text measured before is drawn on its own. Both must give the same pixels, in
// every style (two fonts that differ only in character set have engines of their
// own, so each text is new to the one and measured by the other).
TEST(TextOut, AFirstDrawingEqualsTheDrawingOfAMeasuredText) {
  struct TStyle {
    int Weight;
    uint8_t Italic, Underline, StrikeOut;
  };
  const TStyle styles[] = {{FW_NORMAL, 0, 0, 0}, {FW_BOLD, 0, 0, 0}, {FW_NORMAL, 1, 0, 0},
                           {FW_NORMAL, 0, 1, 0}, {FW_NORMAL, 0, 0, 1}, {FW_BOLD, 1, 1, 1}};
  int n = 0;
  for (const TStyle& st : styles)
    for (const std::string& base : {std::string("Fresh WAVE text "), kChinese + " fresh "}) {
      std::string s = base + std::to_string(n++);
      TPaintDC fresh(240, 60, RGB(255, 255, 255)), measured(240, 60, RGB(255, 255, 255));
      HFONT a = CreateFont(-12, 0, 0, 0, st.Weight, st.Italic, st.Underline, st.StrikeOut, DEFAULT_CHARSET, 0, 0, 0,
                           0, "Tahoma");
      HFONT b = CreateFont(-12, 0, 0, 0, st.Weight, st.Italic, st.Underline, st.StrikeOut, GB2312_CHARSET, 0, 0, 0,
                           0, "Tahoma");
      SelectObject(fresh.Dc, a);
      SelectObject(measured.Dc, b);
      TSize size;
      GetTextExtentPoint32(measured.Dc, s.data(), static_cast<int>(s.size()), &size);
      for (TPaintDC* p : {&fresh, &measured}) {
        SetBkMode(p->Dc, TRANSPARENT);
        TextOut(p->Dc, 10, 20, s.data(), static_cast<int>(s.size()));
      }
      int differ = 0, inked = 0;
      for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 240; ++x) {
          differ += fresh.At(x, y) != measured.At(x, y);
          inked += fresh.At(x, y) != RGB(255, 255, 255);
        }
      EXPECT_EQ(differ, 0) << s;
      EXPECT_GT(inked, 20) << s;
      for (TPaintDC* p : {&fresh, &measured}) SelectObject(p->Dc, GetStockObject(SYSTEM_FONT));
      DeleteObject(a);
      DeleteObject(b);
    }
}

TEST(TextOut, EscapementTurnsTheTextCellCounterClockwise) {
  TTextDC t("Tahoma", -11, 900);
  TextOut(t.Dc, 40, 100, "Hiya", 4);
  TEXTMETRIC tm = t.Tm();
  int w = t.Width("Hiya");
  TRect box = t.RedBox();
  // Reading upwards: the cell's top edge runs up from (40, 100), its height to the right.
  EXPECT_NEAR(box.Left, 40, 1);
  EXPECT_NEAR(box.Right, 40 + tm.tmHeight, 1);
  EXPECT_NEAR(box.Top, 100 - w, 1);
  EXPECT_NEAR(box.Bottom, 100, 1);
}

TEST(TextOut, TabbedTextExpandsToTheGivenStops) {
  TTextDC t;
  int stop[] = {40};
  EXPECT_EQ(GetTabbedTextExtent(t.Dc, "a\tb", -1, 1, stop) & 0xFFFF, uint32_t(40 + t.Width("b")));
  int stops[] = {30, 50};  // past the last stop the last interval repeats: 70, 90...
  uint32_t ext = GetTabbedTextExtent(t.Dc, "a\tb\tc\td", -1, 2, stops);
  EXPECT_EQ(ext & 0xFFFF, uint32_t(70 + t.Width("d")));
  EXPECT_EQ(ext >> 16, uint32_t(t.Tm().tmHeight));
  SetTextAlign(t.Dc, TA_RIGHT);
  int32_t drawn = TabbedTextOut(t.Dc, 200, 20, "a\tb\tc\td", -1, 2, stops, 200);
  EXPECT_EQ(static_cast<uint32_t>(drawn), ext);
  EXPECT_EQ(t.RedBox(), TRect(200 - 70 - t.Width("d"), 20, 200, 20 + t.Tm().tmHeight));
}

TEST(TextOut, MarlettArrowsAreDrawnAsShapes) {
  TTextDC t("Marlett", -11, 0, 22, 11);
  SetBkMode(t.Dc, TRANSPARENT);
  SetTextColor(t.Dc, RGB(0, 0, 0));
  EXPECT_EQ(t.Width("65"), 22);
  TextOut(t.Dc, 0, 0, "65", 2);
  EXPECT_EQ(t.Picture(), Rows({"WWWWWWWWWWWWWWWWWWWWWW", "WWWWWWWWWWWWWWWWWWWWWW", "WWWWWWWWWWWWWWWWWWWWWW",
                               "WWWWWWWWWWWWWWWWWWWWWW", "WWWKKKKKWWWWWWWWKWWWWW", "WWWWKKKWWWWWWWWKKKWWWW",
                               "WWWWWKWWWWWWWWKKKKKWWW", "WWWWWWWWWWWWWWWWWWWWWW", "WWWWWWWWWWWWWWWWWWWWWW",
                               "WWWWWWWWWWWWWWWWWWWWWW", "WWWWWWWWWWWWWWWWWWWWWW"}));
}

TEST(Fonts, FamilyListOffersTheSystemNamesAndStopsOnRequest) {
  TTextDC t;
  std::vector<std::string> names;
  EnumFontFamilies(t.Dc, nullptr, [&](const LOGFONT& lf, const TEXTMETRIC&, int type) {
    EXPECT_EQ(type, TRUETYPE_FONTTYPE);
    names.push_back(lf.lfFaceName);
    return 1;
  });
  for (const char* want : {"Tahoma", "MS Sans Serif", "Marlett", kSimSun, "DejaVu Sans"})
    EXPECT_NE(std::find(names.begin(), names.end(), want), names.end()) << want;
  int calls = 0;
  EXPECT_EQ(EnumFontFamilies(t.Dc, nullptr, [&](const LOGFONT&, const TEXTMETRIC&, int) { return ++calls < 3 ? 1 : 0; }), 0);
  EXPECT_EQ(calls, 3);
}

TEST(TextOut, NegativeStopsRightAlignTheTextAfterTheirTab) {
  TTextDC t;
  int stops[] = {30, -90};
  int w = t.Width("bbb");
  EXPECT_EQ(GetTabbedTextExtent(t.Dc, "a\tb\tbbb", -1, 2, stops) & 0xFFFF, 90u);  // ends at the stop
  // Text that would reach back over the column before it starts where that ends.
  int wide = t.Width("wwwwwwwwwwwwwwwwwwww");
  EXPECT_EQ(GetTabbedTextExtent(t.Dc, "a\tb\twwwwwwwwwwwwwwwwwwww", -1, 2, stops) & 0xFFFF,
            static_cast<uint32_t>(std::max(90, 30 + t.Width("b") + wide)));
  SetBkMode(t.Dc, TRANSPARENT);
  TabbedTextOut(t.Dc, 0, 20, "\t\tbbb", -1, 2, stops, 0);
  TRect ink = t.RedBox();  // the glyphs lie inside the cell ending at the stop
  EXPECT_GE(ink.Left, 90 - w);
  EXPECT_LE(ink.Right, 90);
  EXPECT_GT(ink.Right, 90 - w);
}

// Texts measured and drawn once are kept within bounds: past them the kept texts
// are dropped and found again by drawing anew. Through many such rounds (thousands
// of new texts, Latin and Chinese, drawn and measured) a text gives the same width
// and the same pixels as at first, whether it was dropped meanwhile or not.
TEST(TextOut, ATextDrawsAlikeAfterManyNewTextsHaveComeAndGone) {
  const std::vector<std::string> kept = {"Kept caption", kChinese + " 42", "x"};
  auto draw = [](TTextDC& T, const std::string& S) {
    SetBkMode(T.Dc, TRANSPARENT);
    SetTextColor(T.Dc, RGB(0, 0, 128));
    TextOut(T.Dc, 7, 30, S.data(), static_cast<int>(S.size()));
  };
  std::vector<std::unique_ptr<TTextDC>> first;
  std::vector<int> widths;
  for (const std::string& s : kept) {
    first.push_back(std::make_unique<TTextDC>());
    draw(*first.back(), s);
    widths.push_back(first.back()->Width(s));
  }
  TTextDC scrap;
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < 12000; ++i) {
      std::string s = (i % 3 ? "New text " : kChinese + " ") + std::to_string(round * 100000 + i);
      TextOut(scrap.Dc, i % 200, i % 100, s.data(), static_cast<int>(s.size()));
      if (i % 7 == 0) scrap.Width(s + "!");
    }
    // A run far wider than the kept ones, in their font, comes in between (they
    // are measured first, as a control measures its caption before painting it); a
    // taller one, in a larger font, after them.
    for (const std::string& s : kept) scrap.Width(s);
    const std::string line(40 + 50 * round, 'w');
    TextOut(scrap.Dc, 0, 0, line.data(), static_cast<int>(line.size()));
    for (size_t k = 0; k < kept.size(); ++k) {
      TTextDC again;
      draw(again, kept[k]);
      EXPECT_EQ(again.Width(kept[k]), widths[k]) << kept[k];
      int differ = 0, inked = 0;
      for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 240; ++x) {
          differ += again.At(x, y) != first[k]->At(x, y);
          inked += again.At(x, y) != RGB(255, 255, 255);
        }
      EXPECT_EQ(differ, 0) << kept[k] << " round " << round;
      EXPECT_GT(inked, 3) << kept[k];
    }
    HFONT big = MakeFont("Tahoma", -60 - 50 * round);
    HGDIOBJ old = SelectObject(scrap.Dc, big);
    TextOut(scrap.Dc, 0, 0, "Tg", 2);
    SelectObject(scrap.Dc, old);
    DeleteObject(big);
  }
}

// Right-to-left reading orders the line as right-to-left text: a Latin word keeps
// its letters in order, and the punctuation after it ends the line on its left.
// Each right-to-left drawing equals the plain drawing of the reordered text, and
// the line keeps its width and place.
TEST(TextOut, RightToLeftReadingPutsTheEndingPunctuationOnTheLeft) {
  const std::string text = "Hello, world!", reordered = "!Hello, world";
  auto pixels = [](const std::function<void(HDC)>& Draw) {
    TTextDC t;
    SetTextColor(t.Dc, RGB(0, 0, 0));
    SetBkMode(t.Dc, TRANSPARENT);
    Draw(t.Dc);
    return t.Picture({{RGB(255, 255, 255), '.'}});
  };
  auto drawText = [](const std::string& S, unsigned Format) {
    return [S, Format](HDC Dc) {
      TRect r{10, 10, 200, 40};
      DrawText(Dc, S.data(), static_cast<int>(S.size()), &r, Format);
    };
  };
  auto textOut = [](const std::string& S, unsigned Align, unsigned Options) {
    return [S, Align, Options](HDC Dc) {
      SetTextAlign(Dc, Align);
      ExtTextOut(Dc, 20, 10, Options, nullptr, S.data(), static_cast<int>(S.size()), nullptr);
    };
  };
  const std::string want = pixels(drawText(reordered, 0));
  struct Case {
    const char* Name;
    std::function<void(HDC)> Draw;
    std::string Want;
  } cases[] = {
      {"DrawText with DT_RTLREADING", drawText(text, DT_RTLREADING), want},
      {"right-aligned", drawText(text, DT_RTLREADING | DT_RIGHT), pixels(drawText(reordered, DT_RIGHT))},
      {"TextOut with TA_RTLREADING", textOut(text, TA_RTLREADING, 0), pixels(textOut(reordered, 0, 0))},
      {"ExtTextOut with ETO_RTLREADING", textOut(text, 0, ETO_RTLREADING), pixels(textOut(reordered, 0, 0))},
      {"Chinese and digits keep their order", drawText(kChinese + " 123", DT_RTLREADING),
       pixels(drawText(kChinese + " 123", 0))},
  };
  for (const Case& c : cases) EXPECT_EQ(pixels(c.Draw), c.Want) << c.Name;
  EXPECT_NE(want, pixels(drawText(text, 0)));  // the plain line differs
}
