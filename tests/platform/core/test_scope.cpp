// Scope guards: the state comes back on a normal exit and on an exception, a
// dismissed guard stays quiet, and a failing cleanup never hides the first exception.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/core/scope.h"

namespace {

TEST(Scope, RestoreOnNormalExitAndOnException) {
  std::string path = "Font.";
  {
    TRestore keep(path, std::string("Font.Style."));
    EXPECT_EQ(path, "Font.Style.");
    EXPECT_EQ(keep.Saved(), "Font.");
  }
  EXPECT_EQ(path, "Font.");

  int level = 3;
  EXPECT_THROW(
      {
        TRestore keep(level);
        level = 7;
        throw std::runtime_error("x");
      },
      std::runtime_error);
  EXPECT_EQ(level, 3);
}

TEST(Scope, OnExitRunsAlwaysDismissedOnlyOnFailure) {
  struct Row {
    bool fail, dismiss;
    int runs;
  };
  for (Row r : {Row{false, false, 1}, Row{true, false, 1}, Row{false, true, 0}, Row{true, true, 1}}) {
    int runs = 0;
    try {
      TOnExit guard([&] { ++runs; });
      if (r.fail) throw std::runtime_error("x");
      if (r.dismiss) guard.Dismiss();
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(runs, r.runs) << "fail=" << r.fail << " dismiss=" << r.dismiss;
  }
}

TEST(Scope, CleanupFailure) {
  // On a normal exit the cleanup's exception reaches the caller.
  EXPECT_THROW({ TOnExit guard([] { throw std::logic_error("cleanup"); }); }, std::logic_error);
  // While another exception leaves the block, the first one goes on.
  try {
    TOnExit guard([] { throw std::logic_error("cleanup"); });
    throw std::runtime_error("first");
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "first");
  } catch (...) {
    ADD_FAILURE() << "the cleanup's exception replaced the first one";
  }
}

}  // namespace
