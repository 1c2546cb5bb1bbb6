// The hot-key control: combinations taken from the keyboard, the refusal rules,
// clearing, and Alt combinations that are no accelerators here.
#include "platform/stdctrls/hotkey.h"
#include "tests/platform/controls/fixtures.h"

namespace {

class HotKeyTest : public ControlsTest {
protected:
  void SetUp() override {
    ControlsTest::SetUp();
    Form = MakeForm();
    Button = Child<TTestButton>(Form, "Button", {10, 60, 80, 25});
    Button->SetCaption("&K");
    Hot = new THotKey(Form);
    Hot->SetParent(Form);
    Hot->SetBounds(10, 10, 150, 25);
    Form->Show();
    Hot->SetFocus();
  }
  void Press(WORD VKey, WORD Mods) {
    bool alt = Mods & HOTKEYF_ALT;
    if (Mods & HOTKEYF_SHIFT) SetKeyDown(VK_SHIFT, true);
    if (Mods & HOTKEYF_CONTROL) SetKeyDown(VK_CONTROL, true);
    if (alt) SetKeyDown(VK_MENU, true);
    std::string chars = VKey >= 'A' && VKey <= 'Z' ? std::string(1, static_cast<char>(VKey + 32)) : std::string();
    Key(VKey, chars, alt);
    SetKeyDown(VK_SHIFT, false);
    SetKeyDown(VK_CONTROL, false);
    SetKeyDown(VK_MENU, false);
  }
  TForm* Form = nullptr;
  TTestButton* Button = nullptr;
  THotKey* Hot = nullptr;
};

TEST_F(HotKeyTest, CombinationsFollowTheRulesAndAltLettersAreNoAccelerators) {
  EXPECT_EQ(Hot->HotKey(), scAlt | 'A');
  struct {
    WORD Key, Mods;
    TShortCut Want;
  } cases[] = {
      {'K', HOTKEYF_CONTROL, static_cast<TShortCut>(scCtrl | 'K')},
      {'K', HOTKEYF_CONTROL | HOTKEYF_ALT, static_cast<TShortCut>(scCtrl | scAlt | 'K')},
      {'K', HOTKEYF_ALT, static_cast<TShortCut>(scAlt | 'K')},      // not Button's accelerator
      {'K', HOTKEYF_SHIFT, static_cast<TShortCut>(scAlt | 'K')},    // Shift alone is refused: Alt instead
      {VK_F5, 0, static_cast<TShortCut>(scAlt | VK_F5)},            // no modifier is refused too
      {VK_BACK, 0, 0},                                              // cleared
  };
  for (auto& c : cases) {
    Press(c.Key, c.Mods);
    EXPECT_EQ(Hot->HotKey(), c.Want) << c.Key << " " << c.Mods;
  }
  EXPECT_TRUE(Log.empty() || std::find(Log.begin(), Log.end(), "Button Click") == Log.end());
  Hot->SetInvalidKeys({});
  Press(VK_F5, 0);
  EXPECT_EQ(Hot->HotKey(), VK_F5);
  Hot->SetHotKey(scShift | scCtrl | 'Z');
  EXPECT_EQ(Hot->Perform(HKM_GETHOTKEY, 0, 0), 'Z' | ((HOTKEYF_SHIFT | HOTKEYF_CONTROL) << 8));
  // Tab still leaves the control.
  Key(VK_TAB, "\t");
  EXPECT_TRUE(Button->Focused());
}

}  // namespace
