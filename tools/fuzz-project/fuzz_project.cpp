// libFuzzer driver for the project-file decoder: any input must decode or be refused,
// and a decoded project must encode back to the bytes it came from.
#include <cstdlib>

#include "app/ProjectFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  std::string bytes(reinterpret_cast<const char*>(Data), Size);
  TProjectData d;
  if (DecodeProject(bytes, d) == TProjectResult::prOk) {
    std::string again = EncodeProject(d);
    if (bytes.compare(0, again.size(), again) != 0) std::abort();
  }
  return 0;
}
