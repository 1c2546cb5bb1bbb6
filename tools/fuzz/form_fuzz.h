#pragma once
// The fuzz entry for form streams, shared by the libFuzzer target and the test
// that replays the checked-in corpus.
#include <cstddef>
#include <cstdint>

// Feeds Data to the binary form reader (into a root with children of every
// property kind), to the text form parser and to the printer. Malformed input
// must end in an EStreamError (EReadError, EFilerError, EParserError); any other
// exception escapes to the caller as a finding.
void FuzzFormStream(const uint8_t* Data, size_t Size);
