// The names the edit, spin, date and popup classes publish.
#include "contract.h"

namespace {

const TPublishedNames kEdits[] = {
    {"TQvEdit", {"Align"}},
};

TEST(PublishedNames, EditClasses) {
  for (const TPublishedNames& e : kEdits) ExpectPublishesAndLoads(e);
}

}  // namespace
