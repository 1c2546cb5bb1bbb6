// The names the foundation's and the basic controls' classes publish.
#include "contract.h"

namespace {

const TPublishedNames kBasic[] = {
    {"TQvBorder", {"Align"}},
};

TEST(PublishedNames, BasicClasses) {
  for (const TPublishedNames& e : kBasic) ExpectPublishesAndLoads(e);
}

}  // namespace
