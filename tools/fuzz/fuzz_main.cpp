// libFuzzer driver for the form stream reader and the text form parser.
#include "tools/fuzz/form_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  FuzzFormStream(Data, Size);
  return 0;
}
