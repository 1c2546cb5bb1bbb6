// The memo and the rich edit over the layer's own text model: the shared cases,
// Lines before the window exists and the form stream.
#include "platform/core/filer.h"
#include "platform/core/textform.h"
#include "tests/platform/stdctrls/edit_backends.h"
#include "tests/platform/stdctrls/memo_cases.h"

INSTANTIATE_TYPED_TEST_SUITE_P(Headless, MemoCases, ::testing::Types<THeadlessEdits>);

namespace {

using HeadlessMemo = MemoCases<THeadlessEdits>;

TEST_F(HeadlessMemo, LinesWorkOnTheTextBeforeThereIsAWindow) {
  TMemo m(nullptr);
  m.Lines()->Add("a");
  m.Lines()->Add(G(u8"乙"));
  m.Lines()->Insert(0, "z");
  EXPECT_EQ(m.Text(), G(u8"z\r\na\r\n乙\r\n"));
  EXPECT_EQ(m.Lines()->Count(), 3);
  m.Lines()->SetText("1\n2\n");
  EXPECT_EQ(m.Text(), "1\r\n2\r\n");
  EXPECT_FALSE(m.HandleAllocated());
  EXPECT_THROW(m.Lines()->Strings(5), EStringListError);
}

TEST_F(HeadlessMemo, TheMainWindowsRichEditReadsFromItsFormStream) {
  const char8_t* source =
      u8"object Form4: TForm\n"
      "  object RichEdit1: TRichEdit\n    Left = 384\n    Top = 424\n    Width = 233\n    Height = 57\n"
      "    Font.Charset = GB2312_CHARSET\n    Font.Color = clWindowText\n    Font.Height = -11\n"
      "    Font.Name = 'MS Sans Serif'\n    Font.Style = []\n    ParentFont = False\n    ReadOnly = True\n"
      "    TabOrder = 8\n  end\n"
      "  object Memo2: TMemo\n    Lines.Strings = (\n      '第一'\n      'second')\n    ScrollBars = ssVertical\n"
      "    WordWrap = False\n  end\nend\n";
  std::string bin = FormTextToBinary(reinterpret_cast<const char*>(source));
  auto* form = Own(new TForm(nullptr));
  ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(bin.data()), bin.size(), form);
  auto* rich = dynamic_cast<TRichEdit*>(form->FindComponent("RichEdit1"));
  ASSERT_TRUE(rich);
  EXPECT_TRUE(rich->ReadOnly());
  EXPECT_EQ(rich->Font()->Charset(), GB2312_CHARSET);
  EXPECT_FALSE(rich->ParentFont());
  auto* memo = dynamic_cast<TMemo*>(form->FindComponent("Memo2"));
  ASSERT_TRUE(memo);
  EXPECT_EQ(memo->Text(), G(u8"第一\r\nsecond\r\n"));
  memo->HandleNeeded();
  EXPECT_TRUE(GetWindowLong(memo->Handle(), GWL_STYLE) & WS_VSCROLL);
  EXPECT_TRUE(GetWindowLong(memo->Handle(), GWL_STYLE) & ES_AUTOHSCROLL);
  EXPECT_EQ(memo->Lines()->Strings(0), G(u8"第一"));
}

}  // namespace
