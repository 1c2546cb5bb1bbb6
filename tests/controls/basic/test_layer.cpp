// What the layer gives the panels: size constraints, AutoSize fitting the
// children, and scaling a form designed at another pixel density.
#include "basic_fixture.h"
#include "controls/basic/classes.h"
#include "controls/basic/panels.h"

namespace {

using Layer = TFormFixture;

TEST_F(Layer, ConstraintsLimitEverySize) {
  auto* p = new TQvPanel(Form);
  p->SetParent(Form);
  p->Constraints()->SetMinWidth(50);
  p->Constraints()->SetMaxHeight(30);
  p->SetBounds(0, 0, 10, 100);
  EXPECT_EQ(p->Width(), 50);
  EXPECT_EQ(p->Height(), 30);
  p->Constraints()->SetMinWidth(0);
  p->SetWidth(10);
  EXPECT_EQ(p->Width(), 10);
  p->Constraints()->SetMinHeight(60);  // above the maximum: the maximum follows
  EXPECT_EQ(p->Constraints()->MaxHeight(), 60);
  EXPECT_EQ(p->Height(), 60);
}

TEST_F(Layer, AutoSizeFitsTheChildrenAndTheBorder) {
  auto* p = new TQvPanel(Form);
  p->SetParent(Form);
  p->SetBorderOuter(fsNone);
  p->SetBorderWidth(3);
  p->HandleNeeded();
  auto* c = new TQvPanel(Form);
  c->SetParent(p);
  c->SetBounds(10, 5, 40, 20);
  p->SetAutoSize(true);
  EXPECT_EQ(p->Width(), 53);
  EXPECT_EQ(p->Height(), 28);
  c->SetWidth(60);
  EXPECT_EQ(p->Width(), 73);
}

TEST_F(Layer, AFormDesignedAtTwiceTheDensityIsScaledOnce) {
  RegisterBasicClasses();
  ReadInto("object F: TForm\n  ClientWidth = 400\n  ClientHeight = 200\n  PixelsPerInch = 192\n"
           "  object P: TQvPanel\n    Left = 20\n    Top = 40\n    Width = 100\n    Height = 50\n"
           "    object Q: TQvPanel\n      Left = 2\n      Top = 4\n      Width = 60\n      Height = 20\n    end\n"
           "  end\nend\n",
           Form);
  auto* p = dynamic_cast<TControl*>(Form->FindComponent("P"));
  auto* q = dynamic_cast<TControl*>(Form->FindComponent("Q"));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->BoundsRect(), (TRect{10, 20, 60, 45}));
  EXPECT_EQ(q->BoundsRect(), (TRect{1, 2, 31, 12}));
  EXPECT_EQ(Form->ClientWidth(), 200);
  EXPECT_EQ(Form->DesignPixelsPerInch(), 96);
}

TEST_F(Layer, AFormAtTheScreensDensityIsLeftAlone) {
  RegisterBasicClasses();
  ReadInto("object F: TForm\n  PixelsPerInch = 96\n  object P: TQvPanel\n    Left = 20\n    Top = 40\n"
           "    Width = 100\n    Height = 50\n  end\nend\n",
           Form);
  auto* p = dynamic_cast<TControl*>(Form->FindComponent("P"));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->BoundsRect(), (TRect{20, 40, 120, 90}));
}

}  // namespace
