// Forms from their compiled form source, modal forms through the modal runner,
// closing, positioning, the main menu and the form's timer.
#include "fixtures.h"
#include "platform/core/filer.h"
#include "platform/core/textform.h"
#include "platform/core/typinfo.h"

namespace {

class TStreamPanel : public TProbe {
  DTU_CLASS(TStreamPanel, TProbe)
public:
  explicit TStreamPanel(TComponent* AOwner) : TProbe(AOwner) {
    FControlStyle << csAcceptsControls;
    SetTabStop(false);
  }
};

class TStreamEdit : public TProbe {
  DTU_CLASS(TStreamEdit, TProbe)
public:
  explicit TStreamEdit(TComponent* AOwner) : TProbe(AOwner) { DlgCode = DLGC_WANTCHARS | DLGC_WANTARROWS; }
};

class TStreamButton : public TTestButton {
  DTU_CLASS(TStreamButton, TTestButton)
public:
  explicit TStreamButton(TComponent* AOwner) : TTestButton(AOwner) {}
};

class TFormProbe : public TForm {
  DTU_CLASS(TFormProbe, TForm)
public:
  explicit TFormProbe(TComponent* AOwner) : TForm(AOwner) { LoadForm(); }
  TStreamPanel* Panel1 = nullptr;
  TStreamEdit* Edit1 = nullptr;
  TStreamEdit* Edit2 = nullptr;
  TStreamButton* ButtonOk = nullptr;
  TStreamButton* ButtonCancel = nullptr;
  TMainMenu* MainMenu1 = nullptr;
  TTimer* Timer1 = nullptr;
  TLog Events;
  void FormShow(TObject*) { Events.push_back("show"); }
  void ButtonOkClick(TObject*) { Events.push_back("ok clicked"); }
  void NSaveClick(TObject*) { Events.push_back("save"); }
  void Timer1Timer(TObject*) { Events.push_back("tick"); }
  void FormKeyDown(TObject*, WORD& Key, TShiftState) {
    if (Key == VK_F5) {
      Events.push_back("F5 previewed");
      Key = 0;
    }
  }
};

}  // namespace

const TClassInfo& TStreamPanel::StaticClass() {
  static const TClassInfo info = TClassBuilder<TStreamPanel>("TStreamPanel", &TCustomControl::StaticClass())
                                     .Component()
                                     .Prop(TControl::Property("Caption"))
                                     .Prop(TControl::Property("Color"))
                                     .Prop(TControl::Property("TabOrder"))
                                     .Prop(TControl::Property("Visible"))
                                     .Build();
  return info;
}

const TClassInfo& TStreamEdit::StaticClass() {
  static const TClassInfo info = TClassBuilder<TStreamEdit>("TStreamEdit", &TCustomControl::StaticClass())
                                     .Component()
                                     .Prop(TControl::Property("TabOrder"))
                                     .Prop(TControl::Property("Text"))
                                     .Build();
  return info;
}

const TClassInfo& TStreamButton::StaticClass() {
  using B = TStreamButton;
  static const TClassInfo info =
      TClassBuilder<B>("TStreamButton", &TCustomControl::StaticClass())
          .Component()
          .Prop(TControl::Property("Caption"))
          .Bool("Cancel", [](B* b) { return b->Cancel; }, [](B* b, bool v) { b->Cancel = v; }, false)
          .Bool("Default", [](B* b) { return b->Default; }, [](B* b, bool v) { b->Default = v; }, false)
          .Int("ModalResult", [](B* b) { return b->ModalResult; }, [](B* b, int64_t v) { b->ModalResult = static_cast<int>(v); }, 0)
          .Prop(TControl::Property("TabOrder"))
          .Prop(TControl::Property("OnClick"))
          .Build();
  return info;
}

const TClassInfo& TFormProbe::StaticClass() {
  using F = TFormProbe;
  static const TClassInfo info = TClassBuilder<F>("TFormProbe", &TForm::StaticClass())
                                     .Component()
                                     .Method("FormShow", &F::FormShow)
                                     .Method("ButtonOkClick", &F::ButtonOkClick)
                                     .Method("NSaveClick", &F::NSaveClick)
                                     .Method("Timer1Timer", &F::Timer1Timer)
                                     .Method("FormKeyDown", &F::FormKeyDown)
                                     .Build();
  return info;
}

namespace {
struct TRegistration {
  TRegistration() {
    RegisterClasses({&TStreamPanel::StaticClass(), &TStreamEdit::StaticClass(), &TStreamButton::StaticClass(),
                     &TFormProbe::StaticClass()});
    RegisterFields(TFormProbe::StaticClass(),
                   {FieldOf("Panel1", &TFormProbe::Panel1), FieldOf("Edit1", &TFormProbe::Edit1),
                    FieldOf("Edit2", &TFormProbe::Edit2), FieldOf("ButtonOk", &TFormProbe::ButtonOk),
                    FieldOf("ButtonCancel", &TFormProbe::ButtonCancel), FieldOf("MainMenu1", &TFormProbe::MainMenu1),
                    FieldOf("Timer1", &TFormProbe::Timer1)});
  }
} const kRegistration;
}  // namespace

using FormsTest = ControlsTest;

TEST_F(FormsTest, AFormIsBuiltFromItsCompiledSourceWithFieldsAndEventsBoundByName) {
  auto* f = Own(new TFormProbe(nullptr));
  ASSERT_TRUE(f->Panel1 && f->Edit1 && f->Edit2 && f->ButtonOk && f->ButtonCancel && f->MainMenu1 && f->Timer1);
  EXPECT_EQ(f->Caption(), "探针窗体");
  EXPECT_EQ(f->Edit1->Parent(), f->Panel1);
  EXPECT_EQ(f->Menu(), f->MainMenu1);
  EXPECT_EQ(f->MainMenu1->Items()->Count(), 1);
  EXPECT_EQ(f->MainMenu1->Items()->Items(0)->Items(0)->Name(), "NSave");
  EXPECT_FALSE(f->Visible());
  // The client size is kept although the menu bar came after it in the stream:
  // bsDialog has a 3-pixel frame, a 19-pixel caption and a 19-pixel menu bar.
  EXPECT_EQ(f->ClientWidth(), 250);
  EXPECT_EQ(f->ClientHeight(), 150);
  EXPECT_EQ(f->Width(), 250 + 6);
  EXPECT_EQ(f->Height(), 150 + 6 + 19 + 19);

  f->ButtonOk->Click();
  EXPECT_EQ(f->Events, (TLog{"ok clicked"}));
  EXPECT_EQ(f->ButtonOk->OnClick.target_type() == typeid(void), false);
  EXPECT_EQ(f->ButtonOk->EventName("OnClick"), "ButtonOkClick");

  // Shown centred on the 1024 x 768 screen, OnShow first.
  f->Show();
  EXPECT_EQ(f->Events.back(), "show");
  EXPECT_EQ(f->Left(), (1024 - f->Width()) / 2);
  EXPECT_EQ(f->Top(), (768 - f->Height()) / 2);
  EXPECT_TRUE(f->Active());
  EXPECT_EQ(f->ActiveControl(), f->ButtonOk);  // the first in tab order
  EXPECT_EQ(Screen->ActiveForm(), f);
}

TEST_F(FormsTest, TabAndShiftTabWalkTheTabOrderThroughNestedControls) {
  auto* f = Own(new TFormProbe(nullptr));
  f->Show();
  struct Step {
    bool Shift;
    std::string Focused;
  };
  const Step steps[] = {{false, "Edit2"}, {false, "Edit1"}, {false, "ButtonCancel"}, {false, "ButtonOk"},
                        {true, "ButtonCancel"}, {true, "Edit1"}, {true, "Edit2"}, {true, "ButtonOk"}};
  ASSERT_EQ(f->ActiveControl(), f->ButtonOk);
  for (const Step& s : steps) {
    if (s.Shift) InputKey(WM_KEYDOWN, VK_SHIFT, 0, {});
    Key(VK_TAB, "\t");
    if (s.Shift) InputKey(WM_KEYUP, VK_SHIFT, KF_UP_BIT, {});
    ASSERT_TRUE(f->ActiveControl());
    EXPECT_EQ(f->ActiveControl()->Name(), s.Focused) << (s.Shift ? "Shift+Tab" : "Tab");
    EXPECT_EQ(GetFocus(), f->ActiveControl()->Handle());
  }
}

TEST_F(FormsTest, EnterAndEscapeReachTheDefaultAndCancelButtonsAndAltLettersTheirAccelerators) {
  struct Case {
    const char* Keys;
    WORD VKey;
    std::string Chars;
    bool Alt;
    TModalResult Result;
  };
  const Case cases[] = {
      {"Enter", VK_RETURN, "\r", false, mrOk},
      {"Escape", VK_ESCAPE, "\x1b", false, mrCancel},
      {"Alt+O", 'O', "o", true, mrOk},
  };
  for (const Case& c : cases) {
    auto* f = new TFormProbe(nullptr);
    Runner->OnLoop([&](TWinControl*) {
      f->Edit1->SetFocus();  // an edit that takes characters and arrows, not Enter or Escape
      Key(c.VKey, c.Chars, c.Alt);
    });
    int r = f->ShowModal();
    EXPECT_EQ(r, c.Result) << c.Keys;
    EXPECT_EQ(Runner->Calls.back().Answer, "done") << c.Keys;
    EXPECT_FALSE(f->Visible());
    delete f;
  }
}

TEST_F(FormsTest, ShowModalReturnsTheModalResultAndCloseQueryCanKeepTheFormOpen) {
  auto* f = Own(new TFormProbe(nullptr));
  auto* other = MakeForm("Other");
  other->Show();
  int queries = 0;
  f->OnCloseQuery = [&](TObject*, bool& CanClose) { CanClose = ++queries > 1; };
  bool otherDisabledMeanwhile = false;
  Runner->OnLoop([&](TWinControl* W) {
    EXPECT_EQ(W, f);
    EXPECT_TRUE(f->FormState().Contains(TFormStateItem::fsModal));
    otherDisabledMeanwhile = !IsWindowEnabled(other->Handle());
    f->ButtonOk->Click();  // refused once by OnCloseQuery: the loop goes on
    Application->ProcessMessages();
    f->ButtonCancel->Click();
  });
  EXPECT_EQ(f->ShowModal(), mrCancel);
  EXPECT_EQ(queries, 2);
  EXPECT_TRUE(otherDisabledMeanwhile);
  EXPECT_TRUE(IsWindowEnabled(other->Handle()));
  EXPECT_THROW(
      {
        f->Show();
        f->ShowModal();
      },
      EInvalidOperation);
  f->Hide();

  // Nothing scripted: the loop is dismissed as Escape would.
  EXPECT_EQ(f->ShowModal(), mrCancel);
  EXPECT_EQ(Runner->Calls.back().Answer, "cancelled");
}

TEST_F(FormsTest, CloseHidesOrFreesByOnCloseAndClosingTheMainFormEndsTheApplication) {
  TApplication app(nullptr);
  TApplication* saved = Application;
  Application = &app;
  TFormProbe* main = nullptr;
  app.CreateForm(main);
  EXPECT_EQ(app.MainForm(), main);
  auto* second = new TFormProbe(nullptr);
  second->Show();
  second->Close();
  EXPECT_FALSE(second->Visible());
  bool freed = false;
  second->OnClose = [](TObject*, TCloseAction& A) { A = caFree; };
  second->OnDestroy = [&](TObject*) { freed = true; };
  second->Show();
  second->Close();
  EXPECT_FALSE(freed);  // released once the message in hand is done
  app.ProcessMessages();
  EXPECT_TRUE(freed);

  // Run shows the main form; closing it ends the loop.
  PostMessage(main->Handle(), WM_CLOSE, 0, 0);
  app.Run();
  EXPECT_TRUE(app.Terminated());
  EXPECT_TRUE(main->Events.front() == "show");
  Application = saved;
  app.DestroyComponents();
}

TEST_F(FormsTest, MenuShortcutsKeyPreviewAndTheFormTimer) {
  auto* f = Own(new TFormProbe(nullptr));
  f->Show();
  f->Edit1->SetFocus();
  InputKey(WM_KEYDOWN, VK_CONTROL, 0, {});
  Key('S', "\x13");
  InputKey(WM_KEYUP, VK_CONTROL, KF_UP_BIT, {});
  Key(VK_F5);
  Clock.Advance(99);
  Application->ProcessMessages();
  Clock.Advance(1);
  Application->ProcessMessages();
  Clock.Advance(250);  // fell behind: one tick, not two
  Application->ProcessMessages();
  EXPECT_EQ(f->Events, (TLog{"show", "save", "F5 previewed", "tick", "tick"}));
  f->Timer1->SetEnabled(false);
  Clock.Advance(1000);
  Application->ProcessMessages();
  EXPECT_EQ(f->Events.back(), "tick");
  EXPECT_EQ(std::count(f->Events.begin(), f->Events.end(), "tick"), 2);
}

TEST_F(FormsTest, PositionPlacesAFormWhenItIsShown) {
  TApplication app(nullptr);
  TApplication* saved = Application;
  Application = &app;
  TForm* main = nullptr;
  app.CreateForm(main);
  main->SetBorderStyle(bsNone);
  struct Case {
    TPosition Position;
    TRect Main;
    TPoint Want;
  };
  const Case cases[] = {
      {poDesigned, {100, 100, 400, 300}, {7, 9}},
      {poScreenCenter, {100, 100, 400, 300}, {(1024 - 100) / 2, (768 - 50) / 2}},
      {poMainFormCenter, {100, 100, 400, 300}, {100 + (300 - 100) / 2, 100 + (200 - 50) / 2}},
      {poMainFormCenter, {-300, -200, 0, 0}, {0, 0}},  // kept on the desktop
  };
  for (const Case& c : cases) {
    main->SetBoundsRect(c.Main);
    TForm* f = Own(new TForm(nullptr));
    f->SetBorderStyle(bsNone);
    f->SetBounds(7, 9, 100, 50);
    f->SetPosition(c.Position);
    f->Show();
    EXPECT_EQ(f->BoundsRect().TopLeft(), c.Want) << static_cast<int>(c.Position);
  }
  Application = saved;
  app.DestroyComponents();
}

namespace {
// A control that hands the focus back to its form while it is freed, as a popup
// editor does when it closes.
class TFocusBackOnFree : public TProbe {
public:
  using TProbe::TProbe;
  TCustomForm* Back = nullptr;
  void BeforeDestruction() override {
    if (Back) Back->SetFocusedControl(Back);
    TProbe::BeforeDestruction();
  }
};
}  // namespace

TEST_F(FormsTest, AFreedFormIsNoLongerTheScreensFormEvenWhenAChildRefocusesItWhileFreed) {
  auto* form = new TForm(nullptr);
  form->SetBounds(100, 100, 300, 200);
  auto* c = new TFocusBackOnFree(form, &Log);
  c->SetBounds(10, 10, 50, 20);
  c->SetParent(form);
  c->Back = form;
  form->Show();
  c->SetFocus();
  delete form;
  EXPECT_EQ(Screen->FocusedForm(), nullptr);
  EXPECT_EQ(Screen->ActiveCustomForm(), nullptr);
  for (int i = 0; i < Screen->FormCount(); ++i) EXPECT_NE(Screen->Forms(i), form);
}

// A form placed inside another is written once, with what it holds (controls and
// components it owns, a reference to one of them), and reads back the same.
TEST_F(FormsTest, AFormInsideAFormIsWrittenOnceWithItsChildren) {
  const std::string source =
      "object Outer: TForm\n"
      "  object Inner: TForm\n"
      "    Left = 10\n    Top = 10\n    Width = 200\n    Height = 120\n"
      "    PopupMenu = PM1\n"
      "    object P1: TStreamPanel\n"
      "      Caption = 'Panel'\n"
      "      object B1: TStreamButton\n        Caption = 'Go'\n      end\n"
      "    end\n"
      "    object T1: TTimer\n      Interval = 250\n    end\n"
      "    object PM1: TPopupMenu\n    end\n"
      "  end\n"
      "  object B2: TStreamButton\n    Caption = 'Outside'\n  end\n"
      "end\n";
  auto read = [&](const std::string& Text) {
    std::unique_ptr<TForm> f(new TForm(nullptr));
    const std::string bin = FormTextToBinary(Text);
    ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(bin.data()), bin.size(), f.get());
    return f;
  };
  auto write = [](TComponent* C) {
    TMemoryStream s;
    s.WriteComponent(C);
    return FormBinaryToText(std::string(static_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size())));
  };
  std::unique_ptr<TForm> outer = read(source);
  auto* inner = dynamic_cast<TForm*>(outer->FindComponent("Inner"));
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(inner->Parent(), outer.get());
  const std::string first = write(outer.get());
  const char* const once[] = {"object Inner: TForm", "object P1: TStreamPanel", "object B1: TStreamButton",
                              "object T1: TTimer",   "object B2: TStreamButton", "Interval = 250",
                              "object PM1: TPopupMenu"};
  for (const std::string line : once) {
    const size_t at = first.find(line);
    EXPECT_NE(at, std::string::npos) << line << "\n" << first;
    if (at != std::string::npos) {
      EXPECT_EQ(first.find(line, at + 1), std::string::npos) << line << "\n" << first;
    }
  }
  std::unique_ptr<TForm> again = read(first);
  EXPECT_EQ(write(again.get()), first);
  auto* innerAgain = dynamic_cast<TForm*>(again->FindComponent("Inner"));
  ASSERT_NE(innerAgain, nullptr);
  auto* button = dynamic_cast<TControl*>(again->FindComponent("B1"));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->Caption(), "Go");
  EXPECT_EQ(button->Parent()->Name(), "P1");
  EXPECT_EQ(button->Parent()->Parent(), innerAgain);
  // A reference to what the inner form owns reads back.
  EXPECT_EQ(innerAgain->PopupMenu(), innerAgain->FindComponent("PM1"));
  EXPECT_NE(innerAgain->PopupMenu(), nullptr);
}


// A windowed control that follows its parent's 3-D look takes it whether it is put
// into the parent in code or read with it from a form; one that does not keeps its own.
TEST_F(FormsTest, ControlsFollowTheirParentsCtl3DWhenPlacedAndWhenRead) {
  std::unique_ptr<TForm> f(new TForm(nullptr));
  const std::string bin = FormTextToBinary(
      "object F: TForm\n  Ctl3D = False\n"
      "  object P1: TStreamPanel\n    object E1: TStreamEdit\n    end\n  end\n"
      "end\n");
  ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(bin.data()), bin.size(), f.get());
  ASSERT_FALSE(f->Ctl3D());
  auto* p1 = dynamic_cast<TWinControl*>(f->FindComponent("P1"));
  auto* e1 = dynamic_cast<TWinControl*>(f->FindComponent("E1"));
  ASSERT_TRUE(p1 && e1);
  EXPECT_FALSE(p1->Ctl3D());
  EXPECT_FALSE(e1->Ctl3D());
  EXPECT_TRUE(e1->ParentCtl3D());
  EXPECT_FALSE(e1->Ctl3DRead()) << "taking the parent's look is not a value the form set";

  auto* placed = new TStreamEdit(f.get());
  auto* own = new TStreamEdit(f.get());
  own->SetParentCtl3D(false);
  placed->SetParent(f.get());
  own->SetParent(f.get());
  EXPECT_FALSE(placed->Ctl3D());
  EXPECT_TRUE(placed->ParentCtl3D());
  EXPECT_TRUE(own->Ctl3D());
  f->SetCtl3D(true);
  EXPECT_TRUE(placed->Ctl3D());
  EXPECT_TRUE(p1->Ctl3D());
  EXPECT_TRUE(e1->Ctl3D());
}
