// The colour and date/time edits: drop-downs through the scripted popup loop, key
// steps, typed text, the exit checks and their form streams.
#include "controls/editlist/dateedits.h"

#include <memory>

#include "controls/basic/colorpicker.h"
#include "edit_fixture.h"

namespace {

class DateEditTest : public EditTest {
protected:
  void SetUp() override {
    EditTest::SetUp();
    ShortDateFormat = "yyyy-m-d";
    DateSeparator = '-';
    Edit = Place<TQvDateTimeEdit>(10, 10, 121, 21);
    Other = Place<TQvEdit>(10, 60, 121, 21);
    Show();
    Edit->SetFocus();
  }
  // A left click at a client point of a control shown in the popup window W.
  static void ClickIn(TWinControl* W, TControl* C, TPoint P) {
    TPoint w = W->ScreenToClient(C->ClientToScreen(P));
    InputMouse(W->Handle(), WM_LBUTTONDOWN, w, MK_LBUTTON);
    InputMouse(W->Handle(), WM_LBUTTONUP, w, 0);
  }
  TQvDateTimeEdit* Edit = nullptr;
  TQvEdit* Other = nullptr;
};

TEST_F(DateEditTest, PickingADayFromTheDropDownWritesTheShortDate) {
  Edit->SetDate(EncodeDate(2024, 5, 15));
  TDateTime picked = 0;
  Runner->OnLoop([&](TWinControl* W) {
    auto* cal = dynamic_cast<TQvCalendar*>(Edit->DroppedContent());
    ASSERT_NE(cal, nullptr);
    EXPECT_EQ(cal->Date(), EncodeDate(2024, 5, 15));
    TRect cell = cal->CellRect(4, 3);
    picked = cal->HitTest(cell.Left + 3, cell.Top + 3);
    ClickIn(W, cal, {cell.Left + 3, cell.Top + 3});

  });
  Key(VK_F4);
  ASSERT_NE(picked, 0);
  EXPECT_EQ(Edit->GetDate(), picked);
  Word y, m, d;
  DecodeDate(picked, y, m, d);
  EXPECT_EQ(Edit->Text(), std::to_string(y) + "-" + std::to_string(m) + "-" + std::to_string(d));
  EXPECT_EQ(Edit->DroppedContent(), nullptr);
}

TEST_F(DateEditTest, OpeningOnAnEmptyEditSetsToday) {
  EXPECT_EQ(Edit->Text(), "");
  Runner->OnLoop([](TWinControl*) {});  // dismissed
  Key(VK_F4);
  EXPECT_EQ(Edit->GetDate(), ::Date());
  EXPECT_EQ(Edit->Text(), FormatDateTime("ddddd", ::Date()));
}

TEST_F(DateEditTest, KeysStepTheDate) {
  Edit->SetDate(EncodeDate(2024, 1, 31));
  std::vector<TDateTime> changes;
  Edit->OnDateTimeChange = [&](TObject*, TDateTime V) { changes.push_back(V); };
  Key(VK_OEM_PLUS, "+");
  EXPECT_EQ(Edit->Text(), "2024-2-1") << "'+' steps a day and inserts nothing";
  Key(VK_OEM_MINUS, "_");
  EXPECT_EQ(Edit->Text(), "2024-1-31");
  Key(VK_PRIOR);
  EXPECT_EQ(Edit->Text(), "2024-2-29");
  Key(VK_UP);
  EXPECT_EQ(Edit->Text(), "2024-3-1");
  EXPECT_EQ(changes.size(), 4u);
  // A time-of-day change is no date change.
  changes.clear();
  Edit->SetDate(EncodeDate(2024, 3, 1) + 0.5);
  EXPECT_TRUE(changes.empty());
}

TEST_F(DateEditTest, UnparsableTextTakesTheInvalidDatePath) {
  int invalid = 0;
  Edit->OnInvalidDate = [&](TObject*, bool&, bool&, TDateTime&) { ++invalid; };
  for (const char* text : {"12345678901234567890", "65537-1-1", "2024-2-30"}) {
    Edit->SetFocus();
    Edit->SetText(text);
    Edit->SetModified(true);
    EXPECT_NO_THROW(Other->SetFocus());
    EXPECT_EQ(Edit->Text(), "") << text;
    EXPECT_EQ(Edit->Value(), 0) << text;
  }
  EXPECT_EQ(invalid, 3);
  EXPECT_TRUE(Runner->CallsOf("messagebox").empty()) << "no exception box";
}

TEST_F(DateEditTest, RangeRules) {
  Edit->SetDate(EncodeDate(1999, 12, 31));
  Edit->SetMinDate(EncodeDate(2000, 1, 1));
  EXPECT_EQ(Edit->GetDate(), EncodeDate(2000, 1, 1));
  Edit->SetMaxDate(EncodeDate(2000, 6, 30));
  try {
    Edit->SetMinDate(EncodeDate(2000, 7, 1));
    FAIL();
  } catch (const EQvCalendarError& e) {
    EXPECT_EQ(std::string(e.what()), "Date exceeds maximum of 2000-6-30");
  }
  EXPECT_THROW(Edit->SetDate(EncodeDate(2001, 1, 1)), EQvCalendarError);
  // Typed beyond the range: the exit shows the range box and keeps the focus.
  Edit->SetFocus();
  Edit->SetText("2001-1-1");
  Edit->SetModified(true);
  Other->SetFocus();
  Application->ProcessMessages();
  auto boxes = Runner->CallsOf("messagebox");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Text, "Date is beyond valid date range");
}

TEST_F(DateEditTest, TimeEditKeysAndPicker) {
  Edit->SetTime(EncodeTime(23, 30, 0, 0));
  Edit->SetFormat("hh:nn");
  EXPECT_EQ(Edit->Text(), "23:30");
  Key(VK_PRIOR);
  EXPECT_EQ(Edit->Text(), "00:30");
  Key(VK_OEM_MINUS, "-");
  EXPECT_EQ(Edit->Text(), "23:30");
  int beeps = Beeper.Beeps;
  Key('X', "x");
  EXPECT_EQ(Beeper.Beeps, beeps + 1);
  Runner->OnLoop([&](TWinControl* W) {
    auto* picker = dynamic_cast<TQvTimePicker*>(Edit->DroppedContent());
    ASSERT_NE(picker, nullptr);
    picker->SetTime(EncodeTime(7, 5, 0, 0));
    TRect set = picker->SetRect();
    ClickIn(W, picker, {(set.Left + set.Right) / 2, (set.Top + set.Bottom) / 2});
  });
  Key(VK_F4);
  EXPECT_EQ(Edit->Text(), "07:05");
}

TEST_F(DateEditTest, StreamRoundTrip) {
  Edit->SetDate(EncodeDate(2024, 5, 15));
  Edit->SetMaxDate(EncodeDate(2024, 12, 31));
  Edit->SetCaptionTodayBtn("Now");
  Edit->CalendarColors()->SetColor(0, clRed);
  Edit->SetName("DateEdit");
  std::string text = TextOf(Edit);
  EXPECT_EQ(text.find("Time ="), std::string::npos);
  auto back = std::make_unique<TQvDateTimeEdit>(nullptr);
  ReadInto(text, back.get());
  EXPECT_EQ(back->GetDate(), EncodeDate(2024, 5, 15));
  EXPECT_EQ(back->MaxDate(), EncodeDate(2024, 12, 31));
  EXPECT_EQ(back->CaptionTodayBtn(), "Now");
  EXPECT_EQ(back->CalendarColors()->Days(), clRed);
  // Retired framing properties of old streams are read and dropped.
  ReadInto("object DateEdit: TQvDateTimeEdit\n  FrameFlat = True\n  FrameFlatStyle = fsFlat\nend\n", back.get());
  EXPECT_TRUE(back->FrameHotTrack());
}

class ColorEditTest : public EditTest {};

TEST_F(ColorEditTest, PickingFromThePopupReturnsTheColour) {
  auto* edit = Place<TQvColorEdit>(10, 10, 121, 21);
  Show();
  edit->SetFocus();
  int changes = 0;
  edit->OnChange = [&](TObject*) { ++changes; };
  EXPECT_EQ(edit->SelectedColor(), clNone);
  Runner->OnLoop([&](TWinControl* W) {
    auto* picker = dynamic_cast<TQvColorPicker*>(edit->DroppedPicker());
    ASSERT_NE(picker, nullptr);
    TRect cell = picker->GetCellRect(12);
    TPoint p = W->ScreenToClient(picker->ClientToScreen({cell.Left + 5, cell.Top + 5}));
    InputMouse(W->Handle(), WM_LBUTTONDOWN, p, MK_LBUTTON);
    InputMouse(W->Handle(), WM_LBUTTONUP, p, 0);
  });
  Key(VK_F4);
  EXPECT_EQ(edit->SelectedColor(), PickerColors(12).Color);
  EXPECT_EQ(changes, 1);
  // Dismissed: nothing changes.
  Runner->OnLoop([](TWinControl*) {});
  Key(VK_F4);
  EXPECT_EQ(edit->SelectedColor(), PickerColors(12).Color);
  EXPECT_EQ(changes, 1);
  // The caret stays hidden while it has the focus.
  EXPECT_TRUE(IsCaretHidden(edit->Handle()));
}

TEST_F(ColorEditTest, StreamRoundTrip) {
  auto* edit = Place<TQvColorEdit>(10, 10, 121, 21);
  edit->SetSelectedColor(clRed);
  edit->SetShowNoColor(true);
  edit->SetNoColorCaption("None");
  edit->SetName("ColorEdit");
  std::string text = TextOf(edit);
  EXPECT_EQ(text.find("Text ="), std::string::npos);
  auto back = std::make_unique<TQvColorEdit>(nullptr);
  ReadInto(text, back.get());
  EXPECT_EQ(back->SelectedColor(), clRed);
  EXPECT_TRUE(back->ShowNoColor());
  EXPECT_EQ(back->NoColorCaption(), "None");
  EXPECT_TRUE(back->DropButtonVisible());
}

}  // namespace
