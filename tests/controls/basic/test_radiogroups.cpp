// Radio group and check group: the column layout, the index kept within the
// items, the OnChanging veto, and the check states a stream carries.
#include "controls/basic/radiogroups.h"
#include "tests/controls/basic/buttons_fixture.h"

namespace {

class GroupsTest : public ButtonsFixture {
protected:
  TQvRadioGroup* Radio(TForm* F, int Count) {
    auto* g = Make<TQvRadioGroup>(F, "G", {10, 10, 260, 110});
    for (int i = 0; i < Count; ++i) g->Items()->Add("Item " + std::to_string(i));
    return g;
  }
  TQvRadioButton* At(TQvCustomItemGroup* G, int I) { return static_cast<TQvRadioButton*>(G->Button(I)); }
};

TEST_F(GroupsTest, ItemsFillColumnByColumnAndColumnsStayWithinOneToSixteen) {
  TForm* form = MakeForm();
  TQvRadioGroup* g = Radio(form, 5);
  g->SetColumns(2);
  // Three rows: items 0-2 in the first column, 3-4 in the second, each row
  // ItemHeight + VerticalSpacing below the last.
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(g->Button(i)->Top(), g->Button(i % 3)->Top()) << i;
    EXPECT_EQ(g->Button(i)->Height(), 17);
  }
  EXPECT_EQ(g->Button(1)->Top() - g->Button(0)->Top(), 20);
  EXPECT_EQ(g->Button(0)->Left(), 8);
  EXPECT_EQ(g->Button(3)->Left(), g->Button(4)->Left());
  EXPECT_GT(g->Button(3)->Left(), g->Button(0)->Left() + g->Button(0)->Width());
  g->SetSpaceEvenly(true);
  EXPECT_EQ(g->Button(3)->Left(), 8 + (250 - 8 - 10) / 2);
  for (auto [in, out] : {std::pair{0, 1}, {20, 16}, {-3, 1}, {7, 7}}) {
    g->SetColumns(in);
    EXPECT_EQ(g->Columns(), out) << in;
  }
}

TEST_F(GroupsTest, TheIndexFollowsTheItemsAndTheClicks) {
  TForm* form = MakeForm();
  TQvRadioGroup* g = Radio(form, 3);
  form->Show();
  g->SetItemIndex(2);
  EXPECT_TRUE(At(g, 2)->Checked());
  g->Items()->Delete(2);
  EXPECT_EQ(g->ItemIndex(), 1) << "the checked last item went: the new last one";
  g->SetItemIndex(7);
  EXPECT_EQ(g->ItemIndex(), 1);
  g->SetItemIndex(-5);
  EXPECT_EQ(g->ItemIndex(), -1);
  for (int i = 0; i < 2; ++i) EXPECT_FALSE(At(g, i)->Checked());
  int clicks = 0;
  g->OnClick = [&](TObject*) { ++clicks; };
  TPoint p = g->ClientToScreen({g->Button(0)->Left() + 5, g->Button(0)->Top() + 5});
  TPoint q = form->ScreenToClient(p);
  Mouse(form, WM_LBUTTONDOWN, q, MK_LBUTTON);
  Mouse(form, WM_LBUTTONUP, q);
  EXPECT_EQ(g->ItemIndex(), 0);
  EXPECT_EQ(clicks, 1);
}

TEST_F(GroupsTest, ARefusedChangeShowsTheIndexEvenWhenTheOldButtonHasTheFocus) {
  TForm* form = MakeForm();
  TQvRadioGroup* g = Radio(form, 3);
  form->Show();
  g->SetItemIndex(0);
  At(g, 0)->SetFocus();
  g->OnChanging = [](TObject*, int, bool& Allow) { Allow = false; };
  // The user checks the second button (a click with the focus staying on the
  // first, as a program or an accelerator would do it).
  At(g, 1)->SetChecked(true);
  EXPECT_EQ(g->ItemIndex(), 0);
  EXPECT_TRUE(At(g, 0)->Checked());
  EXPECT_FALSE(At(g, 1)->Checked());
  // With no index, the refused button is unchecked again.
  g->OnChanging = nullptr;
  g->SetItemIndex(-1);
  g->OnChanging = [](TObject*, int, bool& Allow) { Allow = false; };
  At(g, 2)->SetChecked(true);
  EXPECT_EQ(g->ItemIndex(), -1);
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(At(g, i)->Checked()) << i;
}

TEST_F(GroupsTest, AStreamedIndexBeyondTheItemsIsClamped) {
  TForm* f = Own(new TForm(nullptr));
  ReadForm("object F: TForm\n  object G: TQvRadioGroup\n    ItemIndex = 9\n"
           "    Items.Strings = (\n      'a'\n      'b')\n  end\nend\n",
           f);
  auto* g = dynamic_cast<TQvRadioGroup*>(f->FindComponent("G"));
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->ItemIndex(), 1);
  EXPECT_TRUE(At(g, 1)->Checked());
}

TEST_F(GroupsTest, CheckStatesRoundTripAndACraftedStreamLoadsOnlyValidStates) {
  TForm* form = MakeForm();
  auto* g = Make<TQvCheckGroup>(form, "C", {10, 10, 200, 100});
  g->SetAllowGrayed(true);
  for (const char* s : {"x", "y", "z"}) g->Items()->Add(s);
  g->SetItemState(0, cbChecked);
  g->SetItemState(2, cbGrayed);
  std::string text = FormText(form);
  EXPECT_NE(text.find("CheckStates = (\n      1\n      0\n      2)"), std::string::npos) << text;
  TForm* back = Own(new TForm(nullptr));
  ReadForm(text, back);
  auto* r = dynamic_cast<TQvCheckGroup*>(back->FindComponent("C"));
  ASSERT_NE(r, nullptr);
  ASSERT_EQ(r->ButtonCount(), 3);
  EXPECT_EQ(r->GetItemState(0), cbChecked);
  EXPECT_EQ(r->GetItemState(1), cbUnchecked);
  EXPECT_EQ(r->GetItemState(2), cbGrayed);

  // Five states for three checks, one of them 7: three states, the bad one skipped.
  TForm* crafted = Own(new TForm(nullptr));
  ReadForm("object F: TForm\n  object C: TQvCheckGroup\n    AllowGrayed = True\n"
           "    Items.Strings = (\n      'a'\n      'b'\n      'c')\n"
           "    CheckStates = (\n      2\n      7\n      1\n      1\n      2)\n  end\nend\n",
           crafted);
  auto* c = dynamic_cast<TQvCheckGroup*>(crafted->FindComponent("C"));
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->GetItemState(0), cbGrayed);
  EXPECT_EQ(c->GetItemState(1), cbUnchecked);
  EXPECT_EQ(c->GetItemState(2), cbChecked);
}

TEST_F(GroupsTest, RadioGroupsRoundTripAndTheOldFlatFlagMakesTheItemsFlat) {
  TForm* form = MakeForm();
  TQvRadioGroup* g = Radio(form, 3);
  g->SetColumns(3);
  g->SetItemIndex(1);
  g->SetItemHeight(20);
  g->SetTextStyle(tsRaised);
  g->ItemFont()->SetSize(10);
  std::string text = FormText(form);
  TForm* back = Own(new TForm(nullptr));
  ReadForm(text, back);
  auto* r = dynamic_cast<TQvRadioGroup*>(back->FindComponent("G"));
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->Columns(), 3);
  EXPECT_EQ(r->ItemIndex(), 1);
  EXPECT_EQ(r->ItemHeight(), 20);
  EXPECT_EQ(r->ItemFont()->Size(), 10);
  EXPECT_EQ(r->Button(0)->TextStyle(), tsRaised) << "pushed into the buttons";
  EXPECT_EQ(FormText(back), text);

  TForm* old = Own(new TForm(nullptr));
  ReadForm("object F: TForm\n  object G: TQvCheckGroup\n    Flat = True\n"
           "    Items.Strings = (\n      'a')\n  end\nend\n",
           old);
  auto* c = dynamic_cast<TQvCheckGroup*>(old->FindComponent("G"));
  ASSERT_NE(c, nullptr);
  EXPECT_TRUE(c->ItemHotTrack());
  EXPECT_TRUE(c->Button(0)->HotTrack());
  EXPECT_EQ(FormText(old).find("Flat ="), std::string::npos);
}

TEST_F(GroupsTest, ChangesOfACheckReachOnChange) {
  TForm* form = MakeForm();
  auto* g = Make<TQvCheckGroup>(form, "C", {10, 10, 200, 100});
  for (const char* s : {"x", "y"}) g->Items()->Add(s);
  std::vector<std::pair<int, TCheckBoxState>> seen;
  g->OnChange = [&](TObject*, int I, TCheckBoxState S) { seen.push_back({I, S}); };
  g->SetItemChecked(1, true);
  EXPECT_EQ(seen, (std::vector<std::pair<int, TCheckBoxState>>{{1, cbChecked}}));
  EXPECT_TRUE(g->GetItemChecked(1));
}

}  // namespace
