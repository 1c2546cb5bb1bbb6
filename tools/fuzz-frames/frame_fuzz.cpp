#include "tools/fuzz-frames/frame_fuzz.h"

#include <algorithm>
#include <vector>

#include "serial/framecodec.h"

std::string FuzzFrameDecoder(const std::uint8_t* Data, std::size_t Size) {
  if (Size < 5) return "";
  const std::uint32_t maxSize = ((std::uint32_t(Data[0]) << 8) | Data[1]) % 512;
  TFrameMarks marks;
  marks.Head = Data[2];
  marks.Tail = Data[3];
  marks.Ctrl = static_cast<std::uint8_t>(Data[4] & 0xFE);
  const bool doubleMark = Data[4] & 1;
  const bool distinct = marks.Head != marks.Tail && marks.Head != marks.Ctrl && marks.Tail != marks.Ctrl;
  Data += 5;
  Size -= 5;

  std::string error;
  std::vector<std::uint8_t> encoded;
  TFrameDecoder decoder(maxSize);
  auto check = [&](const std::uint8_t* Frame, std::uint32_t Length) {
    if (Length > maxSize) {
      error = "frame of " + std::to_string(Length) + " bytes exceeds " + std::to_string(maxSize);
      return;
    }
    if (!distinct) return;
    encoded.resize(MaxEncodedSize(Length));
    std::size_t n = EncodeFrame(Frame, Length, marks, doubleMark, encoded.data());
    if (n > encoded.size()) {
      error = "encoding overran its room";
      return;
    }
    TFrameDecoder again(maxSize);
    std::vector<std::uint8_t> back;
    std::size_t frames = again.Feed(encoded.data(), n, marks, [&](const std::uint8_t* D, std::uint32_t L) {
      back.assign(D, D + L);
    });
    if (frames != 1 || back != std::vector<std::uint8_t>(Frame, Frame + Length))
      error = "a frame did not survive encode and decode";
  };

  // Pieces: each piece's length is taken from the byte that starts it.
  std::size_t i = 0;
  while (i < Size && error.empty()) {
    std::size_t piece = std::min<std::size_t>(Size - i, 1 + Data[i] % 64);
    decoder.Feed(Data + i, piece, marks, check);
    if (decoder.Length() > maxSize) error = "partial frame exceeds the largest frame";
    i += piece;
  }
  return error;
}
