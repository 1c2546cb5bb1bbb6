#pragma once
// Head/tail frame coding, kept apart from the package layer so that it can be
// tested and fuzzed on its own. A frame is a head mark, the data bytes with every
// byte equal to one of the three marks preceded by the control mark, and a tail
// mark; both end marks may be doubled.
#include <cstddef>
#include <cstdint>
#include <vector>

// The three mark bytes of a frame.
struct TFrameMarks {
  std::uint8_t Head = 0xEB;
  std::uint8_t Tail = 0xEE;
  std::uint8_t Ctrl = 0xEC;
};

// Room the encoding of N data bytes may need: doubled end marks, every byte escaped.
constexpr std::size_t MaxEncodedSize(std::size_t N) { return 2 * N + 4; }

// Encodes N data bytes into Out, which holds at least MaxEncodedSize(N) bytes;
// returns the number of bytes written.
std::size_t EncodeFrame(const std::uint8_t* Data, std::size_t N, const TFrameMarks& Marks,
                        bool DoubleMark, std::uint8_t* Out);

// Turns a byte stream back into frames. A head mark (not escaped) always starts a
// new frame, inside a frame or not; bytes outside a frame are ignored, but a control
// mark there still escapes the next byte, so an escaped head does not open a frame.
// Data beyond MaxSize bytes in one frame is dropped; the frame is still delivered,
// cut to MaxSize.
class TFrameDecoder {
public:
  explicit TFrameDecoder(std::uint32_t MaxSize = 4096) : FData(MaxSize) {}

  // Changes the largest frame and forgets any partial frame.
  void SetMaxSize(std::uint32_t MaxSize) {
    FData.assign(MaxSize, 0);
    Reset();
  }
  std::uint32_t MaxSize() const { return static_cast<std::uint32_t>(FData.size()); }
  // Forgets the partial frame and the escape state.
  void Reset() {
    FInFrame = false;
    FEscape = false;
    FLength = 0;
  }
  bool InFrame() const { return FInFrame; }
  std::uint32_t Length() const { return FLength; }

  // Feeds N bytes; Deliver(const uint8_t* Data, uint32_t Length) is called for each
  // frame that ends among them, in order. Returns the number of frames delivered.
  template <class F>
  std::size_t Feed(const std::uint8_t* P, std::size_t N, const TFrameMarks& Marks, F&& Deliver) {
    std::size_t frames = 0;
    for (std::size_t i = 0; i < N; ++i) {
      const std::uint8_t b = P[i];
      if (!FEscape && b == Marks.Head) {
        FLength = 0;
        FInFrame = true;
      } else if (FInFrame) {
        if (FEscape) {
          Append(b);
          FEscape = false;
        } else if (b == Marks.Ctrl) {
          FEscape = true;
        } else if (b == Marks.Tail) {
          Deliver(static_cast<const std::uint8_t*>(FData.data()), FLength);
          ++frames;
          FLength = 0;
          FInFrame = false;
        } else {
          Append(b);
        }
      } else {
        FEscape = !FEscape && b == Marks.Ctrl;
      }
    }
    return frames;
  }

private:
  void Append(std::uint8_t B) {
    if (FLength < FData.size()) FData[FLength++] = B;
  }

  std::vector<std::uint8_t> FData;
  std::uint32_t FLength = 0;
  bool FInFrame = false;
  bool FEscape = false;
};
