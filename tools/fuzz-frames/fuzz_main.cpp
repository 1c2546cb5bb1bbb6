// libFuzzer driver for the head/tail frame decoder.
#include <cstdio>
#include <cstdlib>

#include "tools/fuzz-frames/frame_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  std::string error = FuzzFrameDecoder(Data, Size);
  if (!error.empty()) {
    std::fprintf(stderr, "%s\n", error.c_str());
    std::abort();
  }
  return 0;
}
