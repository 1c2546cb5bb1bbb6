// Invalidation helpers of the frame painters: only a window that can be seen
// gets its frame invalidated; only transparent children are invalidated.
#include <gtest/gtest.h>

#include <memory>

#include "controls/common/frames.h"
#include "platform/controls/forms.h"
#include "platform/controls/winuser.h"

namespace {

TEST(Invalidate, AWindowFrameIsInvalidatedOnlyWhenVisible) {
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBounds(10, 10, 200, 120);
  form->HandleNeeded();
  ValidateRect(form->Handle(), nullptr);
  TRect r;
  InvalidateWindowFrame(form->Handle(), {0, 0, 20, 20});
  EXPECT_FALSE(GetUpdateRect(form->Handle(), &r, FALSE)) << "a hidden window is left alone";
  form->Show();
  UpdatePendingWindows();
  EXPECT_FALSE(GetUpdateRect(form->Handle(), &r, FALSE));
  InvalidateWindowFrame(form->Handle(), {0, 0, 20, 20});
  EXPECT_TRUE(GetUpdateRect(form->Handle(), &r, FALSE));
}

}  // namespace
