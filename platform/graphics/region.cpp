// Rectangle-list regions: clip regions, visible areas and HRGN objects.
#include "platform/graphics/gdi_internal.h"

namespace gdi {

namespace {

// Merges neighbours that together form one rectangle, so that a region cut apart
// and put back together reports SIMPLEREGION again.
void Coalesce(std::vector<TRect>& V) {
  bool merged = true;
  while (merged) {
    merged = false;
    for (size_t i = 0; i < V.size() && !merged; ++i) {
      for (size_t j = 0; j < V.size(); ++j) {
        if (i == j) continue;
        TRect& a = V[i];
        const TRect& b = V[j];
        if (a.Left == b.Left && a.Right == b.Right && a.Bottom == b.Top) {
          a.Bottom = b.Bottom;
        } else if (a.Top == b.Top && a.Bottom == b.Bottom && a.Right == b.Left) {
          a.Right = b.Right;
        } else {
          continue;
        }
        V.erase(V.begin() + static_cast<std::ptrdiff_t>(j));
        merged = true;
        break;
      }
    }
  }
}

}  // namespace

std::vector<TRect> RgnIntersect(const std::vector<TRect>& A, const TRect& R) {
  std::vector<TRect> out;
  TRect t;
  for (const TRect& a : A)
    if (IntersectRect(t, a, R)) out.push_back(t);
  return out;
}

std::vector<TRect> RgnIntersect(const std::vector<TRect>& A, const std::vector<TRect>& B) {
  std::vector<TRect> out;
  TRect t;
  for (const TRect& a : A)
    for (const TRect& b : B)
      if (IntersectRect(t, a, b)) out.push_back(t);
  Coalesce(out);
  return out;
}

std::vector<TRect> RgnSubtract(const std::vector<TRect>& A, const TRect& R) {
  if (R.IsEmpty()) return A;
  std::vector<TRect> out;
  for (const TRect& a : A) {
    TRect t;
    if (!IntersectRect(t, a, R)) {
      out.push_back(a);
      continue;
    }
    if (a.Top < t.Top) out.push_back({a.Left, a.Top, a.Right, t.Top});
    if (t.Bottom < a.Bottom) out.push_back({a.Left, t.Bottom, a.Right, a.Bottom});
    if (a.Left < t.Left) out.push_back({a.Left, t.Top, t.Left, t.Bottom});
    if (t.Right < a.Right) out.push_back({t.Right, t.Top, a.Right, t.Bottom});
  }
  Coalesce(out);
  return out;
}

std::vector<TRect> RgnSubtract(const std::vector<TRect>& A, const std::vector<TRect>& B) {
  std::vector<TRect> out = A;
  for (const TRect& b : B) out = RgnSubtract(out, b);
  return out;
}

std::vector<TRect> RgnUnion(const std::vector<TRect>& A, const std::vector<TRect>& B) {
  std::vector<TRect> out = A;
  std::vector<TRect> rest = RgnSubtract(B, A);
  out.insert(out.end(), rest.begin(), rest.end());
  Coalesce(out);
  return out;
}

std::vector<TRect> RgnOffset(std::vector<TRect> A, int Dx, int Dy) {
  for (TRect& r : A) OffsetRect(r, Dx, Dy);
  return A;
}

TRect RgnBox(const std::vector<TRect>& A) {
  if (A.empty()) return {};
  TRect box = A.front();
  for (const TRect& r : A) UnionRect(box, box, r);
  return box;
}

int RgnType(const std::vector<TRect>& A) {
  if (A.empty()) return NULLREGION;
  return A.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

}  // namespace gdi

bool IntersectRect(TRect& Dst, const TRect& A, const TRect& B) {
  TRect r{std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right),
          std::min(A.Bottom, B.Bottom)};
  if (r.IsEmpty()) {
    Dst = {};
    return false;
  }
  Dst = r;
  return true;
}

bool UnionRect(TRect& Dst, const TRect& A, const TRect& B) {
  if (A.IsEmpty()) Dst = B;
  else if (B.IsEmpty()) Dst = A;
  else Dst = {std::min(A.Left, B.Left), std::min(A.Top, B.Top), std::max(A.Right, B.Right),
              std::max(A.Bottom, B.Bottom)};
  if (Dst.IsEmpty()) {
    Dst = {};
    return false;
  }
  return true;
}

// ---------------------------------------------------------------------------
// HRGN objects
// ---------------------------------------------------------------------------

HRGN CreateRectRgn(int Left, int Top, int Right, int Bottom) {
  HRGN r = new TGdiRegion;
  SetRectRgn(r, Left, Top, Right, Bottom);
  return r;
}

HRGN CreateRectRgnIndirect(const TRect* R) {
  if (!R) return nullptr;
  return CreateRectRgn(R->Left, R->Top, R->Right, R->Bottom);
}

HRGN CreatePolygonRgn(const TPoint* Points, int Count) {
  if (!Points || Count < 0) return nullptr;
  std::vector<TRect> spans;
  gdi::PolygonSpans(Points, Count, spans);
  HRGN r = new TGdiRegion;
  r->Rects = gdi::RgnUnion({}, spans);  // the one-row spans merged where they line up
  return r;
}

bool SetRectRgn(HRGN Rgn, int Left, int Top, int Right, int Bottom) {
  if (!Rgn) return false;
  // Swapped corners are put in order, as the OS does for region rectangles.
  TRect r{std::min(Left, Right), std::min(Top, Bottom), std::max(Left, Right), std::max(Top, Bottom)};
  Rgn->Rects.clear();
  if (!r.IsEmpty()) Rgn->Rects.push_back(r);
  return true;
}

int CombineRgn(HRGN Dst, HRGN A, HRGN B, int Mode) {
  if (!Dst || !A || (Mode != RGN_COPY && !B)) return ERROR;
  std::vector<TRect> r;
  switch (Mode) {
    case RGN_AND: r = gdi::RgnIntersect(A->Rects, B->Rects); break;
    case RGN_OR: r = gdi::RgnUnion(A->Rects, B->Rects); break;
    case RGN_DIFF: r = gdi::RgnSubtract(A->Rects, B->Rects); break;
    case RGN_XOR:
      r = gdi::RgnUnion(gdi::RgnSubtract(A->Rects, B->Rects), gdi::RgnSubtract(B->Rects, A->Rects));
      break;
    case RGN_COPY: r = A->Rects; break;
    default: return ERROR;
  }
  Dst->Rects = std::move(r);
  return gdi::RgnType(Dst->Rects);
}

int OffsetRgn(HRGN Rgn, int Dx, int Dy) {
  if (!Rgn) return ERROR;
  Rgn->Rects = gdi::RgnOffset(std::move(Rgn->Rects), Dx, Dy);
  return gdi::RgnType(Rgn->Rects);
}

int GetRgnBox(HRGN Rgn, TRect* R) {
  if (!Rgn || !R) return ERROR;
  *R = gdi::RgnBox(Rgn->Rects);
  return gdi::RgnType(Rgn->Rects);
}

bool PtInRegion(HRGN Rgn, int X, int Y) {
  if (!Rgn) return false;
  for (const TRect& r : Rgn->Rects)
    if (r.Contains({X, Y})) return true;
  return false;
}

bool RectInRegion(HRGN Rgn, const TRect* R) {
  if (!Rgn || !R) return false;
  TRect t;
  for (const TRect& r : Rgn->Rects)
    if (IntersectRect(t, r, *R)) return true;
  return false;
}
