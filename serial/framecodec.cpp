#include "serial/framecodec.h"

std::size_t EncodeFrame(const std::uint8_t* Data, std::size_t N, const TFrameMarks& Marks,
                        bool DoubleMark, std::uint8_t* Out) {
  std::size_t k = 0;
  Out[k++] = Marks.Head;
  if (DoubleMark) Out[k++] = Marks.Head;
  for (std::size_t i = 0; i < N; ++i) {
    const std::uint8_t b = Data[i];
    if (b == Marks.Head || b == Marks.Tail || b == Marks.Ctrl) Out[k++] = Marks.Ctrl;
    Out[k++] = b;
  }
  Out[k++] = Marks.Tail;
  if (DoubleMark) Out[k++] = Marks.Tail;
  return k;
}
