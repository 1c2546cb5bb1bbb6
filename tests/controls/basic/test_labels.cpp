// Labels: angles, rotation and the font they need, arc text on small labels, the
// fly-by colour, blinking, and the link label's shell call.
#include <gtest/gtest.h>

#include "controls/basic/labels.h"
#include "platform/controls/backend.h"
#include "tests/platform/controls/fixtures.h"

namespace {

class LabelsTest : public ControlsTest {};

TEST_F(LabelsTest, AnglesAreKeptInOneTurnAndNeedAScalableFont) {
  TForm* form = MakeForm();
  auto* l = new TQvLabel(form);
  l->SetParent(form);
  l->Font()->SetName("Arial");
  l->SetCaption("Angle");
  int w0 = l->Width(), h0 = l->Height();
  l->SetAngle(45);
  EXPECT_EQ(l->Angle(), 45);
  EXPECT_EQ(l->Rotation(), roFlat);
  EXPECT_GT(l->Height(), h0) << w0;
  for (auto [in, out] : {std::pair{-30, 330}, {400, 40}, {360, 0}, {-360, 0}}) {
    l->SetAngle(in);
    EXPECT_EQ(l->Angle(), out) << in;
  }
}

}  // namespace
