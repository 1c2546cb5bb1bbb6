#pragma once
// The fuzz entry for the frame decoder, shared by the libFuzzer target and the
// test that replays the checked-in corpus (tests/serial/data/fuzz-frames).
#include <cstddef>
#include <cstdint>
#include <string>

// The first five bytes of Data pick the largest frame (0..511 bytes), the head and
// tail marks and, with the low bit of the fifth, doubled end marks; the control
// mark is what the fifth byte leaves. The rest is fed to a decoder in pieces whose
// sizes come from the data. Every frame delivered must fit the largest frame, and
// when the three marks differ it must survive another encode and decode unchanged.
// Returns an empty text, or what went wrong.
std::string FuzzFrameDecoder(const std::uint8_t* Data, std::size_t Size);
