// Installing the backend after text made a plain QGuiApplication fails with a
// message instead of Qt ending the program at the first widget. Runs in a fresh
// process (death-test child): the other tests' QApplication must not exist yet.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "platform/backend/qt/qt_backend.h"
#include "platform/graphics/graphics.h"

TEST(QtInstall, AfterTextMadeAPlainGuiApplicationFailsWithAMessage) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        TBitmap bmp(40, 20);
        bmp.Canvas()->TextWidth("Ab");  // text starts Qt without widgets
        try {
          InstallQtBackend();
        } catch (const Exception& e) {
          std::fprintf(stderr, "%s\n", e.Message().c_str());
          std::exit(3);
        }
        std::exit(0);
      },
      testing::ExitedWithCode(3), "needs a QApplication.*install it first");
}
