#pragma once
// Shared helpers of the basic controls' tests: a form to put controls on, a
// control painted into a bitmap, and form-stream round trips.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/controls/forms.h"
#include "platform/core/filer.h"
#include "platform/core/textform.h"

struct TFormFixture : ::testing::Test {
  void SetUp() override {
    Form = new TForm(nullptr);
    Form->SetBounds(0, 0, 400, 300);
    Form->HandleNeeded();  // children are aligned once their parent has a window
  }
  void TearDown() override { delete Form; }
  TForm* Form = nullptr;
};

// The control and its children painted into a new bitmap of its size.
inline std::unique_ptr<TBitmap> Shot(TWinControl* Control) {
  auto b = std::make_unique<TBitmap>(Control->Width(), Control->Height());
  Control->PaintTo(b->Canvas()->Handle(), 0, 0);
  return b;
}

inline COLORREF Px(TBitmap* B, int X, int Y) { return static_cast<COLORREF>(B->Canvas()->Pixels(X, Y)); }

inline std::string TextOf(TComponent* C) {
  TMemoryStream s;
  s.WriteComponent(C);
  return FormBinaryToText(std::string(static_cast<const char*>(s.Memory()), s.Size()));
}

inline void ReadInto(const std::string& Text, TComponent* C) {
  std::string bin = FormTextToBinary(Text);
  ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(bin.data()), bin.size(), C);
}
