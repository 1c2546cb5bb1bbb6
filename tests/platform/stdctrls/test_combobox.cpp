// The combo box: CB_ messages over its list, notifications in order on a
// drop-down, a pick and a close-up, the port combo that refills as it drops,
// owner drawing of the face and the list, the dropped list's place and size, the
// edit's window procedure hook and form streams.
#include "tests/platform/controls/fixtures.h"
#include "platform/stdctrls/combobox.h"
#include "platform/stdctrls/edit.h"
#include "platform/core/filer.h"
#include "platform/core/textform.h"
#include "tests/platform/controls/shot.h"

namespace {

LPARAM Str(const char* S) { return reinterpret_cast<LPARAM>(S); }

std::string CodeName(WORD Code) {
  static const std::map<WORD, std::string> names = {
      {CBN_SELCHANGE, "SELCHANGE"}, {CBN_DROPDOWN, "DROPDOWN"},     {CBN_CLOSEUP, "CLOSEUP"},
      {CBN_SELENDOK, "SELENDOK"},   {CBN_SELENDCANCEL, "SELENDCANCEL"}, {CBN_EDITCHANGE, "EDITCHANGE"}};
  auto it = names.find(Code);
  return it == names.end() ? std::string() : it->second;
}

// Logs its notifications and events into one list, and what its list deletes.
class TLogCombo : public TComboBox {
public:
  TLogCombo(TComponent* AOwner, TLog* ALog) : TComboBox(AOwner), Log(ALog) {
    OnDropDown = [this](TObject*) { Log->push_back("OnDropDown"); };
    OnCloseUp = [this](TObject*) { Log->push_back("OnCloseUp"); };
    OnChange = [this](TObject*) { Log->push_back("OnChange " + std::to_string(ItemIndex())); };
    OnClick = [this](TObject*) { Log->push_back("OnClick"); };
  }
  TLog* Log;
  std::vector<std::pair<UINT, ULONG_PTR>> Deleted;  // (CtlType, data) of WM_DELETEITEM
  bool SwallowX = false;
  void WndProc(TMessage& M) override {
    if (M.Msg == CN_COMMAND) {
      std::string n = CodeName(HIWORD(M.WParam));
      if (!n.empty()) Log->push_back(n);
    }
    if (M.Msg == WM_DELETEITEM) {
      auto* d = reinterpret_cast<DELETEITEMSTRUCT*>(M.LParam);
      Deleted.push_back({d->CtlType, d->itemData});
    }
    TComboBox::WndProc(M);
  }

protected:
  void ComboWndProc(TMessage& M, HWND ComboWnd) override {
    if (SwallowX && M.Msg == WM_CHAR && M.WParam == 'x') return;
    TComboBox::ComboWndProc(M, ComboWnd);
  }
};

struct TDrawn {
  int Index;
  TRect Rect;
  TOwnerDrawState State;
};

}  // namespace

class ComboBoxTest : public ControlsTest {
protected:
  TLogCombo* MakeCombo(TComboBoxStyle Style, std::initializer_list<const char*> Items, bool Show = true) {
    if (!Form) Form = MakeForm();
    auto* c = new TLogCombo(Form, &Log);
    c->SetName("Combo" + std::to_string(Form->ComponentCount()));
    c->SetStyle(Style);
    c->SetBounds(10, 10, 145, 21);
    c->SetParent(Form);
    for (const char* s : Items) c->Items()->Add(s);
    if (Show) Form->Show();
    return c;
  }
  // A form client point over item Index of the dropped list.
  TPoint OverItem(TCustomComboBox* C, int Index) {
    TComboListBox* l = C->ListControl();
    TRect r = l->ItemRect(Index);
    return Form->ScreenToClient(l->ClientToScreen({r.Left + 5, r.Top + r.Height() / 2}));
  }
  void Press(TPoint P) {
    Mouse(Form, WM_LBUTTONDOWN, P, MK_LBUTTON);
    Mouse(Form, WM_LBUTTONUP, P, 0);
  }
  TForm* Form = nullptr;
};

TEST_F(ComboBoxTest, MessagesReachTheItemsInItsListWithOrWithoutWindows) {
  for (bool show : {false, true}) {
    SCOPED_TRACE(show ? "shown" : "no window");
    Form = nullptr;
    TLogCombo* c = MakeCombo(csDropDownList, {}, show);
    EXPECT_EQ(c->Perform(CB_ADDSTRING, 0, Str("beta")), 0);
    EXPECT_EQ(c->Perform(CB_ADDSTRING, 0, Str("alpha")), 1);
    EXPECT_EQ(c->Perform(CB_INSERTSTRING, 0, Str("gamma")), 0);
    EXPECT_EQ(c->Perform(CB_INSERTSTRING, 7, Str("x")), CB_ERR);
    EXPECT_EQ(c->Perform(CB_SETCURSEL, 2, 0), 2);
    EXPECT_EQ(c->Text(), "alpha");
    EXPECT_EQ(c->Perform(CB_DELETESTRING, 0, 0), 2);
    EXPECT_EQ(c->ItemIndex(), 1) << "the selection stays on its item";
    EXPECT_EQ(c->Perform(CB_FINDSTRING, WPARAM(-1), Str("AL")), 1);
    EXPECT_EQ(c->Perform(CB_FINDSTRINGEXACT, WPARAM(-1), Str("Beta")), 0);
    EXPECT_EQ(c->Perform(CB_FINDSTRINGEXACT, WPARAM(-1), Str("bet")), CB_ERR);
    EXPECT_EQ(c->Perform(CB_SETCURSEL, 5, 0), CB_ERR);
    EXPECT_EQ(c->ItemIndex(), -1);
    EXPECT_EQ(c->Text(), "");
    c->SetText("BETA");
    EXPECT_EQ(c->ItemIndex(), 0) << "a drop-down list takes the text of an item";
    c->Perform(CB_SETITEMDATA, 0, 11);
    c->Perform(CB_SETITEMDATA, 1, 22);
    c->Perform(CB_SETTOPINDEX, 1, 0);
    EXPECT_EQ(c->Perform(CB_GETTOPINDEX, 0, 0), show ? 0 : 0) << "two items need no scrolling";
    // Items with data are announced through the combo box's window, as its own.
    c->Items()->Clear();
    EXPECT_EQ(c->Deleted, (std::vector<std::pair<UINT, ULONG_PTR>>{{ODT_COMBOBOX, 11}, {ODT_COMBOBOX, 22}}));
    EXPECT_EQ(c->Items()->Count(), 0);
  }
  EXPECT_TRUE(Log.empty()) << "messages notify nobody";
}

// A short buffer gets the text cut before a double-byte character that does not
// fit whole, in every style (the drop-down list answers itself, the others through
// their edit), and always a terminating NUL.
TEST_F(ComboBoxTest, GetTextIntoAShortBufferNeverSplitsADoubleByteCharacter) {
  const std::string item = "ab\xD6\xD0";  // "ab" and one double-byte character
  struct TRow {
    size_t Cap;
    std::string Want;
  };
  const TRow rows[] = {{1, ""}, {3, "ab"}, {4, "ab"}, {5, item}, {9, item}};
  for (TComboBoxStyle style : {csDropDownList, csDropDown}) {
    TLogCombo* c = MakeCombo(style, {item.c_str()});
    c->SetItemIndex(0);
    for (const TRow& row : rows) {
      SCOPED_TRACE(std::string(style == csDropDown ? "drop-down" : "list") + " cap " + std::to_string(row.Cap));
      char buf[16];
      std::fill(std::begin(buf), std::end(buf), 'X');
      LRESULT got = c->Perform(WM_GETTEXT, row.Cap, reinterpret_cast<LPARAM>(buf));
      EXPECT_EQ(got, static_cast<LRESULT>(row.Want.size()));
      EXPECT_EQ(std::string(buf), row.Want);
    }
    EXPECT_EQ(c->Perform(WM_GETTEXT, 0, reinterpret_cast<LPARAM>(nullptr)), 0);
    EXPECT_EQ(c->Perform(WM_GETTEXTLENGTH, 0, 0), 4);
  }
}

TEST_F(ComboBoxTest, NotificationsArriveInOrderOnADropDownAPickAndACloseUp) {
  TLogCombo* c = MakeCombo(csDropDownList, {"one", "two", "three", "four"});
  TLog otherLog;
  auto* other = new TProbe(Form, &otherLog);
  other->SetName("Other");
  other->SetBounds(10, 150, 50, 30);
  other->SetParent(Form);
  c->SetItemIndex(0);
  EXPECT_TRUE(Log.empty()) << "setting ItemIndex notifies nobody";

  // A click on the face drops the list below the combo box.
  Press({50, 20});
  EXPECT_EQ(Log, (TLog{"DROPDOWN", "OnDropDown"}));
  ASSERT_TRUE(c->DroppedDown());
  EXPECT_TRUE(IsWindowVisible(c->ListHandle()));
  EXPECT_EQ(GetFocus(), c->Handle());
  TRect lr, cr;
  GetWindowRect(c->ListHandle(), &lr);
  GetWindowRect(c->Handle(), &cr);
  EXPECT_EQ(lr.TopLeft(), (TPoint{cr.Left, cr.Bottom}));

  // Hovering moves the highlight only; a click on an item picks it.
  Log.clear();
  Mouse(Form, WM_MOUSEMOVE, OverItem(c, 2));
  EXPECT_EQ(c->Text(), "one");
  EXPECT_TRUE(Log.empty());
  Press(OverItem(c, 2));
  EXPECT_EQ(Log, (TLog{"SELENDOK", "CLOSEUP", "OnCloseUp", "SELCHANGE", "OnClick", "OnChange 2"}));
  EXPECT_FALSE(c->DroppedDown());
  EXPECT_FALSE(IsWindowVisible(c->ListHandle()));
  EXPECT_EQ(c->Text(), "three");

  // Escape closes without taking what the pointer hovered.
  Log.clear();
  Key(VK_F4);
  Mouse(Form, WM_MOUSEMOVE, OverItem(c, 0));
  Key(VK_ESCAPE);
  EXPECT_EQ(Log, (TLog{"DROPDOWN", "OnDropDown", "SELENDCANCEL", "CLOSEUP", "OnCloseUp"}));
  EXPECT_EQ(c->ItemIndex(), 2);

  // A click elsewhere closes the list and goes no further.
  Log.clear();
  Key(VK_DOWN, {}, true);
  ASSERT_TRUE(c->DroppedDown());
  Press({20, 160});
  EXPECT_EQ(Log, (TLog{"DROPDOWN", "OnDropDown", "SELENDCANCEL", "CLOSEUP", "OnCloseUp"}));
  EXPECT_FALSE(c->DroppedDown());
  EXPECT_EQ(std::count(otherLog.begin(), otherLog.end(), "Other WM_LBUTTONDOWN"), 0);

  // Picking the item already chosen changes nothing; Enter takes the highlight.
  Log.clear();
  Press({50, 20});
  Press(OverItem(c, 2));
  EXPECT_EQ(Log, (TLog{"DROPDOWN", "OnDropDown", "SELENDOK", "CLOSEUP", "OnCloseUp"}));
  Log.clear();
  Key(VK_F4);
  Mouse(Form, WM_MOUSEMOVE, OverItem(c, 3));
  Key(VK_RETURN);
  EXPECT_EQ(Log, (TLog{"DROPDOWN", "OnDropDown", "SELENDOK", "CLOSEUP", "OnCloseUp", "SELCHANGE", "OnClick",
                       "OnChange 3"}));

  // Closed, the arrows and the wheel step through the items; OnSelect takes Change's place.
  Log.clear();
  Key(VK_UP);
  InputMouseWheel(Form->Handle(), 120, {50, 20}, 0);
  EXPECT_EQ(Log, (TLog{"SELCHANGE", "OnClick", "OnChange 2", "SELCHANGE", "OnClick", "OnChange 1"}));
  Log.clear();
  c->OnSelect = [&](TObject*) { Log.push_back("OnSelect"); };
  Key('T', "t");
  EXPECT_EQ(c->Text(), "three") << "a letter selects the next item starting with it";
  EXPECT_EQ(Log, (TLog{"SELCHANGE", "OnClick", "OnSelect"}));
}

TEST_F(ComboBoxTest, ThePortComboRefillsAsItDropsAndKeepsItsIndex) {
  TLogCombo* c = MakeCombo(csDropDown, {});
  std::vector<std::string> ports{"COM1", "COM2", "COM3"};
  c->OnDropDown = [&](TObject*) {
    int k = c->ItemIndex();
    c->Items()->Clear();
    for (const std::string& p : ports) c->Items()->Add(p);
    if (c->Items()->Count() > k) c->SetItemIndex(k);
  };
  c->OnChange = [&](TObject*) {
    Log.push_back("OnChange " + std::to_string(c->ItemIndex()) + " " + c->Text());
    int k = c->ItemIndex();
    c->Items()->Clear();
    for (const std::string& p : ports) c->Items()->Add(p + " (USB)");
    if (c->Items()->Count() > k) c->SetItemIndex(k);
  };
  ASSERT_NE(c->EditControl(), nullptr);
  // The button drops the list; the edit covers the rest of the face.
  TRect b{145 - 2 - 16, 2, 145 - 2, 19};
  Press({10 + b.Left + 5, 10 + 10});
  ASSERT_TRUE(c->DroppedDown());
  EXPECT_EQ(c->Items()->Count(), 3);
  Press(OverItem(c, 2));
  EXPECT_EQ(Log, (TLog{"DROPDOWN", "SELENDOK", "CLOSEUP", "OnCloseUp", "SELCHANGE", "OnClick", "OnChange 2 COM3"}));
  EXPECT_EQ(c->Text(), "COM3 (USB)");
  EXPECT_EQ(c->ItemIndex(), 2);
  // Dropping again keeps the index although the items are made anew.
  Log.clear();
  Key(VK_F4);
  EXPECT_EQ(c->ItemIndex(), 2);
  EXPECT_EQ(c->Text(), "COM3");
  Key(VK_ESCAPE);
  EXPECT_EQ(c->ItemIndex(), 2);

  // Typing makes a text of its own: no item is chosen any more.
  EXPECT_EQ(GetFocus(), c->EditHandle());
  c->OnChange = [&](TObject*) { Log.push_back("OnChange " + std::to_string(c->ItemIndex()) + " " + c->Text()); };
  Log.clear();
  c->SelectAll();
  Key('X', "x");
  EXPECT_EQ(c->Text(), "x");
  EXPECT_EQ(c->ItemIndex(), -1);
  EXPECT_EQ(Log, (TLog{"EDITCHANGE", "OnChange -1 x"}));
  // The edit's selection through the CB_ messages, in bytes.
  c->SetText("COM12");
  EXPECT_EQ(c->ItemIndex(), -1);
  c->Perform(CB_SETEDITSEL, 0, MAKELPARAM(1, 3));
  EXPECT_EQ(c->SelStart(), 1);
  EXPECT_EQ(c->SelLength(), 2);
  EXPECT_EQ(c->SelText(), "OM");
}

TEST_F(ComboBoxTest, TheEditsWindowProcedureIsTheComboBoxsToHook) {
  TLogCombo* c = MakeCombo(csDropDown, {"a"});
  c->SwallowX = true;
  c->SetFocus();
  Key('X', "x");
  Key('Y', "y");
  EXPECT_EQ(c->Text(), "y");
  // The combo box's key events see keys typed into the edit.
  std::string pressed;
  c->OnKeyPress = [&](TObject*, char& K) {
    pressed += K;
    if (K == 'z') K = 'Z';
  };
  Key('Z', "z");
  EXPECT_EQ(pressed, "z");
  EXPECT_EQ(c->Text(), "yZ");
  EXPECT_TRUE(c->Focused());
  EXPECT_EQ(c->MaxLength(), 0);
  c->SetMaxLength(3);
  Key('Q', "q");
  Key('Q', "q");
  EXPECT_EQ(c->Text(), "yZq");
}

TEST_F(ComboBoxTest, OwnerDrawnFaceAndListGetTheirRectanglesAndStates) {
  TLogCombo* c = MakeCombo(csOwnerDrawFixed, {"a", "b", "c"});
  std::vector<TDrawn> drawn;
  c->OnDrawItem = [&](TWinControl*, int Index, TRect R, TOwnerDrawState S) { drawn.push_back({Index, R, S}); };
  c->SetItemHeight(18);
  EXPECT_EQ(c->Height(), 18 + 6);
  c->SetItemIndex(1);
  c->SetFocus();
  drawn.clear();
  c->Repaint();
  const int cw = 145 - 4, ch = 18 + 2;
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(drawn[0].Index, 1);
  EXPECT_EQ(drawn[0].Rect, (TRect{1, 1, cw - 16 - 1, ch - 1}));
  EXPECT_EQ(drawn[0].State, (TOwnerDrawState{odSelected, odFocused, odComboBoxEdit}));

  drawn.clear();
  c->SetDroppedDown(true);
  UpdatePendingWindows();
  // The face drops its focus while the list is down; the list's items are plain items.
  std::vector<TDrawn> face, items;
  for (const TDrawn& d : drawn) (d.State.Contains(odComboBoxEdit) ? face : items).push_back(d);
  ASSERT_EQ(items.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(items[size_t(i)].Rect, (TRect{0, 18 * i, 145 - 2, 18 * i + 18}));
    EXPECT_EQ(items[size_t(i)].State, i == 1 ? TOwnerDrawState{odSelected} : TOwnerDrawState{});
  }
  ASSERT_FALSE(face.empty());
  EXPECT_EQ(face.back().State, TOwnerDrawState{odComboBoxEdit});
  c->SetEnabled(false);
  EXPECT_FALSE(c->DroppedDown()) << "disabling closes the list";
  drawn.clear();
  c->Repaint();
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(drawn[0].State, (TOwnerDrawState{odDisabled, odComboBoxEdit}));
}

TEST_F(ComboBoxTest, TheDroppedListTakesItsRowsWidthAndPlaceFromTheComboBox) {
  Form = MakeForm();
  Form->SetBounds(100, 680, 300, 40);  // near the bottom of the 728-pixel work area
  TLogCombo* c = MakeCombo(csDropDownList, {});
  for (int i = 0; i < 20; ++i) c->Items()->Add("item " + std::to_string(i));
  c->SetDropDownCount(5);
  EXPECT_EQ(c->Perform(CB_SETDROPPEDWIDTH, 200, 0), 200);
  c->SetItemIndex(12);
  c->SetDroppedDown(true);
  const int h = static_cast<int>(c->Perform(CB_GETITEMHEIGHT, 0, 0));
  TRect lr, cr;
  GetWindowRect(c->ListHandle(), &lr);
  GetWindowRect(c->Handle(), &cr);
  EXPECT_EQ(lr.Width(), 200);
  EXPECT_EQ(lr.Height(), 5 * h + 2);
  EXPECT_EQ(lr.Bottom, cr.Top) << "no room below: the list opens above";
  EXPECT_EQ(c->ListControl()->TopIndex(), 12) << "the selection shows at the top";
  EXPECT_FALSE(c->ListControl()->ClientWidth() == lr.Width() - 2) << "twenty rows need the scroll bar";
  c->SetDroppedDown(false);
  EXPECT_EQ(Log, (TLog{"DROPDOWN", "OnDropDown", "SELENDCANCEL", "CLOSEUP", "OnCloseUp"}));
}

// The dropped list reads as its combo box does: right to left its items stand at
// its right edge, its bar goes to the left, and a list wider than the combo box
// keeps the combo box's right edge and grows to the left.
TEST_F(ComboBoxTest, TheDroppedListReadsAsItsComboBoxDoes) {
  struct Case {
    TBiDiMode Mode;
    bool Rtl;
  } cases[] = {{bdLeftToRight, false}, {bdRightToLeft, true}};
  Form = MakeForm();
  Form->SetBounds(100, 100, 400, 200);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Rtl ? "right to left" : "left to right");
    TLogCombo* cb = MakeCombo(csDropDownList, {"WWWWW", "b", "c"});
    cb->SetBounds(150, 10, 120, 21);
    cb->SetBiDiMode(c.Mode);
    cb->Perform(CB_SETDROPPEDWIDTH, 200, 0);
    cb->SetDroppedDown(true);
    HWND list = cb->ListHandle();
    TRect lr, cr;
    GetWindowRect(list, &lr);
    GetWindowRect(cb->Handle(), &cr);
    EXPECT_EQ(lr.Width(), 200);
    EXPECT_EQ(c.Rtl ? lr.Right : lr.Left, c.Rtl ? cr.Right : cr.Left);
    const auto ex = static_cast<DWORD>(GetWindowLong(list, GWL_EXSTYLE));
    EXPECT_EQ((ex & WS_EX_LEFTSCROLLBAR) != 0, c.Rtl);
    EXPECT_EQ((ex & WS_EX_RTLREADING) != 0, c.Rtl);
    // Ink of the first row's text in its left and right 60 pixels.
    TComboListBox* l = cb->ListControl();
    TRect row = l->ItemRect(0);
    TShot shot(l);
    const COLORREF back = Rgb(cb->Color());
    auto ink = [&](int From, int To) {
      int n = 0;
      for (int y = row.Top + 1; y < row.Bottom + 1; ++y)
        for (int x = From; x < To; ++x) n += shot(x, y) != back;
      return n;
    };
    EXPECT_EQ(ink(2, 62) > 0, !c.Rtl);
    EXPECT_EQ(ink(138, 198) > 0, c.Rtl);
    cb->SetDroppedDown(false);
    delete cb;
  }
}

TEST_F(ComboBoxTest, AFormStreamGivesStyleItemsAndAnItemIndexReadBeforeThem) {
  std::string bin = FormTextToBinary(
      "object F: TForm\n"
      "  Font.Height = -11\n"
      "  Font.Name = 'MS Sans Serif'\n"
      "  object ComboBoxBits: TComboBox\n"
      "    Left = 72\n    Top = 48\n    Width = 97\n    Height = 21\n"
      "    Style = csDropDownList\n"
      "    Enabled = False\n"
      "    ItemHeight = 13\n"
      "    ItemIndex = 1\n"
      "    TabOrder = 0\n"
      "    Items.Strings = (\n      '7'\n      '8')\n"
      "  end\n"
      "  object ComboBoxDownCom: TComboBox\n"
      "    Left = 440\n    Top = 2\n    Width = 161\n    Height = 21\n"
      "    Style = csDropDown\n"
      "    ItemHeight = 13\n"
      "    TabOrder = 1\n"
      "  end\n"
      "end\n");
  auto* f = Own(new TForm(nullptr));
  ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(bin.data()), bin.size(), f);
  auto* bits = dynamic_cast<TComboBox*>(f->FindComponent("ComboBoxBits"));
  auto* port = dynamic_cast<TComboBox*>(f->FindComponent("ComboBoxDownCom"));
  ASSERT_TRUE(bits && port);
  EXPECT_EQ(bits->Style(), csDropDownList);
  EXPECT_EQ(bits->ItemIndex(), 1);
  EXPECT_EQ(bits->Text(), "8");
  EXPECT_FALSE(bits->Enabled());
  EXPECT_EQ(bits->Height(), 21);
  EXPECT_EQ(port->Style(), csDropDown);
  EXPECT_EQ(port->ItemIndex(), -1);
  EXPECT_EQ(port->Text(), "");
  EXPECT_EQ(port->Items()->Count(), 0);
}

// Sorted recreates the window; read into a combo box on a shown form, the new
// window must get its edit back, and freeing the combo box must free both.
TEST_F(ComboBoxTest, ASortedComboReadIntoAShownFormKeepsItsEditAndFreesCleanly) {
  const std::string bin = FormTextToBinary(
      "object Combo: TComboBox\n"
      "  Sorted = True\n"
      "  Items.Strings = (\n      'pear'\n      'apple'\n      'fig')\n"
      "end\n");
  for (TComboBoxStyle style : {csDropDown, csSimple, csDropDownList}) {
    SCOPED_TRACE(static_cast<int>(style));
    TLogCombo* c = MakeCombo(style, {});
    c->SetName("Combo");
    ASSERT_TRUE(c->HandleAllocated());
    ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(bin.data()), bin.size(), c);
    EXPECT_TRUE(c->Sorted());
    EXPECT_EQ(c->Items()->Text(), "apple\r\nfig\r\npear\r\n");
    ASSERT_TRUE(c->HandleAllocated());
    if (style != csDropDownList) {
      ASSERT_NE(c->EditControl(), nullptr);
      HWND edit = c->EditHandle();
      EXPECT_EQ(GetParent(edit), c->Handle());
      EXPECT_TRUE(IsWindowVisible(edit));
      c->SetText("fig");
      EXPECT_EQ(c->Text(), "fig");
    }
    HWND combo = c->Handle();
    delete c;
    EXPECT_FALSE(IsControlWindow(combo));
  }
}

TEST_F(ComboBoxTest, TabAndShiftTabPassThroughAComboBoxWithAnEdit) {
  Form = MakeForm();
  auto* a = Child<TProbe>(Form, "A", {10, 50, 40, 70});
  TLogCombo* c = MakeCombo(csDropDown, {"a", "b"});
  auto* b = Child<TProbe>(Form, "B", {10, 80, 40, 100});
  a->SetTabOrder(0);
  c->SetTabOrder(1);
  b->SetTabOrder(2);
  c->SetText("text");
  a->SetFocus();
  Key(VK_TAB);
  EXPECT_EQ(GetFocus(), c->EditHandle());
  EXPECT_EQ(Form->ActiveControl(), c) << "the form sees the combo box, not its edit";
  EXPECT_EQ(c->SelLength(), 4) << "entered by Tab, the text is selected";
  Key(VK_TAB);
  EXPECT_EQ(GetFocus(), b->Handle());
  SetKeyDown(VK_SHIFT, true);
  Key(VK_TAB);
  EXPECT_EQ(Form->ActiveControl(), c);
  Key(VK_TAB);
  SetKeyDown(VK_SHIFT, false);
  EXPECT_EQ(GetFocus(), a->Handle());
}

TEST_F(ComboBoxTest, ASimpleComboBoxShowsItsListUnderTheEdit) {
  Form = MakeForm();
  TLogCombo* c = MakeCombo(csSimple, {"red", "green", "blue"}, false);
  c->SetBounds(10, 10, 145, 100);
  Form->Show();
  EXPECT_EQ(c->Height(), 100) << "a simple combo box keeps its height";
  ASSERT_TRUE(IsWindowVisible(c->ListHandle()));
  TComboListBox* l = c->ListControl();
  TRect r = l->ItemRect(1);
  TPoint p = Form->ScreenToClient(l->ClientToScreen({r.Left + 5, r.Top + 3}));
  Mouse(Form, WM_LBUTTONDOWN, p, MK_LBUTTON);
  Mouse(Form, WM_LBUTTONUP, p, 0);
  EXPECT_EQ(c->ItemIndex(), 1);
  EXPECT_EQ(c->Text(), "green");
  EXPECT_EQ(Log, (TLog{"SELENDOK", "SELCHANGE", "OnClick", "OnChange 1"}));
  EXPECT_EQ(GetFocus(), c->EditHandle());
  EXPECT_FALSE(c->DroppedDown());
}

TEST_F(ComboBoxTest, AFreedComboBoxAnnouncesItsItemsWithDataAndLeavesNoListBehind) {
  struct TFreeing : TComboBox {
    using TComboBox::TComboBox;
    std::vector<ULONG_PTR>* Freed = nullptr;
    void WndProc(TMessage& M) override {
      if (M.Msg == CN_DELETEITEM) Freed->push_back(reinterpret_cast<DELETEITEMSTRUCT*>(M.LParam)->itemData);
      if (M.Msg == CN_COMMAND) Freed->push_back(1000 + HIWORD(M.WParam));
      TComboBox::WndProc(M);
    }
  };
  Form = MakeForm();
  std::vector<ULONG_PTR> freed;
  auto* c = new TFreeing(Form);
  c->Freed = &freed;
  c->SetStyle(csDropDownList);
  c->SetBounds(10, 10, 100, 21);
  c->SetParent(Form);
  c->Items()->AddObject("a", reinterpret_cast<TObject*>(7));
  c->Items()->Add("b");
  c->Items()->AddObject("c", reinterpret_cast<TObject*>(9));
  Form->Show();
  c->SetDroppedDown(true);
  HWND list = c->ListHandle();
  ASSERT_EQ(GetCapture(), list);
  freed.clear();
  delete c;
  EXPECT_EQ(freed, (std::vector<ULONG_PTR>{7, 9})) << "no notification from a control being freed";
  EXPECT_FALSE(IsControlWindow(list));
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ComboBoxTest, CharCaseConvertsTheTypedTextAndTheItemsButKeepsTheirData) {
  struct TCase {
    TEditCharCase Case;
    const char* Typed;
    std::vector<std::string> Items;
  };
  const TCase cases[] = {
      {ecUpperCase, "AB", {"ONE", "TWO\xB0\x61", "ADDED"}},
      {ecLowerCase, "ab", {"one", "two\xB0\x61", "added"}},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(static_cast<int>(k.Case));
    Form = nullptr;
    // A double-byte character whose second byte is a letter keeps it.
    TLogCombo* c = MakeCombo(csDropDown, {"One", "Two\xB0\x61"});
    c->Perform(CB_SETITEMDATA, 1, 77);
    c->SetItemIndex(1);
    c->SetCharCase(k.Case);
    c->Items()->Add("Added");
    std::vector<std::string> items;
    for (int i = 0; i < c->Items()->Count(); ++i) items.push_back(c->Items()->Strings(i));
    EXPECT_EQ(items, k.Items);
    EXPECT_EQ(c->Perform(CB_GETITEMDATA, 1, 0), 77);
    EXPECT_EQ(c->ItemIndex(), 1);
    EXPECT_TRUE(c->Deleted.empty()) << "no item was announced deleted";
    c->SetText("");
    c->SetFocus();
    Key('A', "A");
    Key('B', "b");
    EXPECT_EQ(c->Text(), k.Typed);
  }
}
