// The names the list and combo classes publish.
#include "contract.h"

namespace {

const TPublishedNames kLists[] = {
    {"TQvListBox", {"Align"}},
};

TEST(PublishedNames, ListClasses) {
  for (const TPublishedNames& e : kLists) ExpectPublishesAndLoads(e);
}

}  // namespace
