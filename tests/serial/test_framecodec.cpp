// Head/tail frame encoding and decoding, and the decoder's fuzz corpus.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "serial/framecodec.h"
#include "tools/fuzz-frames/frame_fuzz.h"

namespace {

using TBytes = std::vector<std::uint8_t>;

TBytes Encode(const TBytes& Data, bool DoubleMark, const TFrameMarks& Marks = {}) {
  TBytes out(MaxEncodedSize(Data.size()));
  out.resize(EncodeFrame(Data.data(), Data.size(), Marks, DoubleMark, out.data()));
  return out;
}

std::vector<TBytes> Decode(TFrameDecoder& D, const TBytes& Stream, const TFrameMarks& Marks = {}) {
  std::vector<TBytes> frames;
  D.Feed(Stream.data(), Stream.size(), Marks,
         [&](const std::uint8_t* P, std::uint32_t N) { frames.emplace_back(P, P + N); });
  return frames;
}

TEST(FrameCodec, EncodesEscapesAndMarks) {
  struct Case {
    TBytes Data;
    bool Double;
    TBytes Want;
  } cases[] = {
      {{0xEB, 0x01, 0xEE}, false, {0xEB, 0xEC, 0xEB, 0x01, 0xEC, 0xEE, 0xEE}},
      {{0xEB, 0x01, 0xEE}, true, {0xEB, 0xEB, 0xEC, 0xEB, 0x01, 0xEC, 0xEE, 0xEE, 0xEE}},
      {{}, false, {0xEB, 0xEE}},
      {{0xEC, 0xEC}, false, {0xEB, 0xEC, 0xEC, 0xEC, 0xEC, 0xEE}},
  };
  for (const Case& c : cases) EXPECT_EQ(Encode(c.Data, c.Double), c.Want);
  // Other marks: only they are escaped.
  TFrameMarks m{0x02, 0x03, 0x10};
  EXPECT_EQ(Encode({0xEB, 0x03, 0x41}, false, m), (TBytes{0x02, 0xEB, 0x10, 0x03, 0x41, 0x03}));
}

TEST(FrameCodec, DecodesTheStreamRules) {
  struct Case {
    const char* What;
    std::uint32_t Max;
    TBytes Stream;
    std::vector<TBytes> Want;
  } cases[] = {
      {"escaped tail", 16, {0xEB, 0xEC, 0xEE, 0xEE}, {{0xEE}}},
      {"empty frame", 16, {0xEB, 0xEE}, {{}}},
      {"escaped head outside a frame", 16, {0xEC, 0xEB, 0x01, 0xEE}, {}},
      {"doubled marks", 16, {0xEB, 0xEB, 0x05, 0xEE, 0xEE}, {{0x05}}},
      {"head restarts a frame", 16, {0xEB, 0x01, 0x02, 0xEB, 0x03, 0xEE}, {{0x03}}},
      {"bytes outside frames", 16, {0x41, 0xEE, 0x42, 0xEB, 0x07, 0xEE, 0x43}, {{0x07}}},
      {"bytes beyond the largest frame", 3, {0xEB, 1, 2, 3, 4, 5, 0xEE, 0xEB, 9, 0xEE}, {{1, 2, 3}, {9}}},
      {"two in a row", 16, {0xEB, 0x01, 0xEE, 0xEB, 0xEC, 0xEC, 0xEE}, {{0x01}, {0xEC}}},
  };
  for (const Case& c : cases) {
    TFrameDecoder d(c.Max);
    EXPECT_EQ(Decode(d, c.Stream), c.Want) << c.What;
  }
}

// Random payloads made mostly of mark bytes, encoded back to back and fed in random
// pieces, come back whole, with and without doubled marks.
TEST(FrameCodec, RoundTripsPayloadsFullOfMarks) {
  std::mt19937 rng(20240601);
  const std::uint8_t pool[] = {0xEB, 0xEC, 0xEE, 0x00, 0xFF, 0x41};
  for (bool doubled : {false, true}) {
    std::vector<TBytes> sent;
    TBytes stream;
    for (int f = 0; f < 200; ++f) {
      TBytes data(rng() % 300);
      for (auto& b : data) b = rng() % 4 ? pool[rng() % 3] : pool[3 + rng() % 3];
      TBytes e = Encode(data, doubled);
      EXPECT_LE(e.size(), MaxEncodedSize(data.size()));
      stream.insert(stream.end(), e.begin(), e.end());
      sent.push_back(std::move(data));
    }
    TFrameDecoder d(300);
    std::vector<TBytes> got;
    for (size_t i = 0; i < stream.size();) {
      size_t n = std::min<size_t>(stream.size() - i, 1 + rng() % 97);
      d.Feed(stream.data() + i, n, TFrameMarks{},
             [&](const std::uint8_t* P, std::uint32_t N) { got.emplace_back(P, P + N); });
      i += n;
    }
    EXPECT_EQ(got, sent) << "doubled " << doubled;
  }
}

// Garbage of every kind, through the fuzz entry: no frame exceeds the largest.
TEST(FrameCodec, FuzzCorpusReplaysClean) {
  std::filesystem::path dir = std::filesystem::path(DTU_TEST_DATA_DIR) / "fuzz-frames";
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    std::ifstream in(entry.path(), std::ios::binary);
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(FuzzFrameDecoder(reinterpret_cast<const std::uint8_t*>(data.data()), data.size()), "")
        << entry.path();
    ++count;
  }
  EXPECT_GE(count, 5);
}

}  // namespace
