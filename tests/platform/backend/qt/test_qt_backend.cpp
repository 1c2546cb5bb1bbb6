// The Qt backend on the offscreen platform: peers render the back buffers, Qt
// events become the system's messages at one guarded boundary, the message queue
// and timers run in Qt's loop, menus, native dialogs and native widgets.
#include <QAbstractButton>
#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/backend/qt/qt_backend.h"
#include "platform/backend/qt/qt_internal.h"
#include "platform/stdctrls/edit.h"
#include "platform/core/gbk.h"
#include "tests/platform/controls/fixtures.h"
#include "tests/platform/win32/desktop_fixture.h"

using namespace qtbackend;

namespace {

class QtTest : public ControlsTest {
protected:
  void SetUp() override {
    InstallQtBackend();
    ControlsTest::SetUp();
  }
  TQtPeer* PeerOf(TWinControl* C) { return dynamic_cast<TQtPeer*>(WindowPeer(C->Handle())); }
  QWidget* ClientOf(TWinControl* C) { return PeerOf(C)->Client; }
  QWidget* FrameOf(TWinControl* C) { return PeerOf(C)->Frame; }
  void Pump() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  }
  // Runs Qt's loop until Done or a generous real-time bound passes.
  template <class F>
  void RunUntil(F Done) {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!Done() && std::chrono::steady_clock::now() < end) {
      QTimer guard;
      guard.start(50);  // wakes the wait now and then
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
  }
  // A pointer event at a client point of the form, delivered to the widget under it
  // the way Qt would (the deepest peer widget there).
  void QtMouse(TCustomForm* Form, QEvent::Type Type, QPoint P, Qt::MouseButton Button, Qt::MouseButtons Buttons) {
    QWidget* client = ClientOf(Form);
    QWidget* target = client->childAt(P);
    if (!target) target = client;
    QPoint local = target->mapFrom(client, P);
    QMouseEvent e(Type, QPointF(local), QPointF(client->mapToGlobal(P)), Button, Buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &e);
  }
  void QtKey(QWidget* To, int Key, Qt::KeyboardModifiers Mods, const QString& Text) {
    QKeyEvent press(QEvent::KeyPress, Key, Mods, Text);
    QApplication::sendEvent(To, &press);
    QKeyEvent release(QEvent::KeyRelease, Key, Mods, Text);
    QApplication::sendEvent(To, &release);
  }
};

class TSeeThrough : public TProbe {
public:
  using TProbe::TProbe;
  void Dispatch(TMessage& M) override {
    if (M.Msg == WM_ERASEBKGND && Parent()) {
      HDC dc = reinterpret_cast<HDC>(M.WParam);
      int saved = SaveDC(dc);
      OffsetViewportOrgEx(dc, -Left(), -Top(), nullptr);
      Parent()->Perform(WM_ERASEBKGND, M.WParam, 0);
      Parent()->Perform(WM_PAINT, M.WParam, 0);
      RestoreDC(dc, saved);
      M.Result = 1;
      return;
    }
    TProbe::Dispatch(M);
  }
protected:
  void Paint() override {}
};

QColor Q(TColor C) {
  COLORREF c = ColorToRGB(C);
  return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

}  // namespace

TEST_F(QtTest, AnOffscreenFormWithNestedWindowedAndGraphicChildrenRendersThroughItsPeers) {
  TForm* form = MakeForm();
  auto* panel = Child<TProbe>(form, "Panel", {20, 20, 220, 120}, clBlue);
  Child<TGraphicProbe>(panel, "Red", {90, 20, 120, 50}, clRed);
  Child<TSeeThrough>(panel, "Glass", {100, 10, 180, 60});
  form->Show();
  Pump();
  QImage img = GrabWindowImage(form->Handle(), false);
  ASSERT_EQ(img.size(), QSize(300, 200));
  struct Case {
    QPoint At;
    TColor Color;
    const char* What;
  };
  const Case cases[] = {
      {{5, 5}, clBtnFace, "form"},
      {{25, 25}, clBlue, "panel"},
      {{115, 45}, clRed, "graphic child"},
      {{125, 50}, clRed, "graphic child seen through the see-through child"},
      {{170, 50}, clBlue, "panel seen through the see-through child"},
  };
  for (const Case& c : cases) EXPECT_EQ(img.pixelColor(c.At), Q(c.Color)) << c.What;

  std::string file = (std::filesystem::temp_directory_path() / "dtu_qt_form.png").string();
  SaveWindowImage(form, file);
  QImage back(QString::fromStdString(file));
  EXPECT_EQ(back.pixelColor(25, 25), Q(clBlue));
  std::filesystem::remove(file);
}

TEST_F(QtTest, AClickThroughQtEntersCapturesFollowsThePointerAndClicks) {
  TForm* form = MakeForm();
  auto* b = Child<TProbe>(form, "B", {50, 50, 150, 80});
  form->Show();
  Pump();
  QtMouse(form, QEvent::MouseMove, {10, 10}, Qt::NoButton, Qt::NoButton);
  QtMouse(form, QEvent::MouseMove, {60, 60}, Qt::NoButton, Qt::NoButton);
  QtMouse(form, QEvent::MouseButtonPress, {60, 60}, Qt::LeftButton, Qt::LeftButton);
  EXPECT_TRUE(b->MouseCapture());
  // While captured the moves reach B wherever the pointer is.
  QtMouse(form, QEvent::MouseMove, {290, 190}, Qt::NoButton, Qt::LeftButton);
  QtMouse(form, QEvent::MouseMove, {70, 62}, Qt::NoButton, Qt::LeftButton);
  QtMouse(form, QEvent::MouseButtonRelease, {70, 62}, Qt::LeftButton, Qt::NoButton);
  TLog seen;
  for (const std::string& e : Log)
    if (e == "B CM_MOUSEENTER" || e == "B CM_MOUSELEAVE" || e == "B WM_LBUTTONDOWN" || e == "B WM_LBUTTONUP" ||
        e == "B Click")
      seen.push_back(e.substr(2));
  EXPECT_EQ(seen, (TLog{"CM_MOUSEENTER", "WM_LBUTTONDOWN", "CM_MOUSELEAVE", "CM_MOUSEENTER", "WM_LBUTTONUP", "Click"}));
  EXPECT_FALSE(b->MouseCapture());
}

TEST_F(QtTest, QtKeysBecomeVirtualKeysDialogKeysAndGbkCharacters) {
  TForm* form = MakeForm();
  auto* a = Child<TTestButton>(form, "A", {10, 10, 80, 30});
  auto* b = Child<TTestButton>(form, "B", {10, 40, 80, 60});
  auto* e = Child<TProbe>(form, "E", {10, 70, 80, 90});
  e->DlgCode = DLGC_WANTCHARS;
  a->Default = true;
  b->Cancel = true;
  b->SetCaption("&Open");
  form->Show();
  Pump();
  QWidget* frame = FrameOf(form);
  ASSERT_TRUE(a->Focused());
  QtKey(frame, Qt::Key_Tab, Qt::NoModifier, "\t");
  EXPECT_TRUE(b->Focused());
  QtKey(frame, Qt::Key_Backtab, Qt::ShiftModifier, "\t");
  EXPECT_TRUE(a->Focused());

  Log.clear();
  QtKey(frame, Qt::Key_Return, Qt::NoModifier, "\r");
  QtKey(frame, Qt::Key_Escape, Qt::NoModifier, "\x1b");
  QtKey(frame, Qt::Key_O, Qt::AltModifier, "o");
  TLog clicks;
  for (const std::string& x : Log)
    if (x.find("Click") != std::string::npos) clicks.push_back(x);
  EXPECT_EQ(clicks, (TLog{"A Click", "B Click", "B Click"}));

  e->SetFocus();
  std::string typed;
  e->OnKeyPress = [&](TObject*, char& K) { typed += K; };
  QtKey(frame, Qt::Key_A, Qt::ShiftModifier, "A");
  QtKey(frame, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("中"));
  QtKey(frame, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("😀"));  // GBK has no such character: refused
  QInputMethodEvent im;
  im.setCommitString(QString::fromUtf8("文字"));
  QApplication::sendEvent(frame, &im);
  EXPECT_EQ(typed, Utf8ToGbk("A中文字"));
}

// Keys that carry text but have no virtual key of their own (a degree sign, a
// letter of a non-US layout typed without an input method) still type their
// characters, lead byte first; one that GBK cannot hold is refused with a beep, in
// a window of the layer and in a native edit alike.
TEST_F(QtTest, KeysOutsideTheKeyTableStillTypeTheirText) {
  struct TCountingBackend : TQtBackend {
    int Beeps = 0;
    void Beep() override { ++Beeps; }
  } backend;
  TBackend& installed = Backend();
  SetBackend(&backend);
  TForm* form = MakeForm();
  auto* probe = Child<TProbe>(form, "P", {10, 10, 80, 30});
  probe->DlgCode = DLGC_WANTCHARS;
  auto* edit = new TEdit(form);
  edit->SetName("Edit");
  edit->SetBounds(10, 40, 150, 25);
  edit->SetParent(form);
  form->Show();
  Pump();
  struct Target {
    TWinControl* Control;
    QWidget* Widget;
  } targets[] = {{probe, FrameOf(form)}, {edit, ClientOf(edit)}};
  for (const Target& t : targets) {
    SCOPED_TRACE(t.Control->Name());
    t.Control->SetFocus();
    std::vector<unsigned> typed;
    TKeyPressEvent onKey = [&](TObject*, char& K) { typed.push_back(static_cast<unsigned char>(K)); };
    if (t.Control == probe) probe->OnKeyPress = onKey;
    else edit->OnKeyPress = onKey;
    backend.Beeps = 0;
    QtKey(t.Widget, Qt::Key_degree, Qt::NoModifier, QString::fromUtf8("°"));
    QtKey(t.Widget, Qt::Key_Eacute, Qt::NoModifier, QString::fromUtf8("é"));
    QtKey(t.Widget, Qt::Key_twosuperior, Qt::NoModifier, QString::fromUtf8("²"));  // not in GBK
    EXPECT_EQ(typed, (std::vector<unsigned>{0xA1, 0xE3, 0xA8, 0xA6}));
    EXPECT_EQ(backend.Beeps, 1);
  }
  EXPECT_EQ(edit->Text(), "\xA1\xE3\xA8\xA6");
  delete form;
  Owned.erase(Owned.begin());
  SetBackend(&installed);
}

// Qt's own texts follow the locale: under a Chinese one the file dialog and the
// standard buttons read Chinese.
TEST_F(QtTest, QtsOwnTextsFollowTheLocale) {
  ASSERT_TRUE(LoadQtTranslations(QLocale(QLocale::Chinese, QLocale::China)))
      << "Qt's translations are missing (scripts/setup installs them)";
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString::fromUtf8("取消"));
  EXPECT_EQ(QCoreApplication::translate("QFileDialog", "File &name:"), QString::fromUtf8("文件名称(&N)："));
  LoadQtTranslations(QLocale::c());
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
}

TEST_F(QtTest, PostedMessagesFromAWorkerThreadArriveThroughQtsEventLoop) {
  TForm* form = MakeForm();
  auto* c = Child<TProbe>(form, "C", {0, 0, 10, 10});
  form->Show();
  std::atomic<int> got{0};
  TWndMethod old = c->WindowProc;
  c->WindowProc = [&](TMessage& M) {
    if (M.Msg == WM_USER + 3) got += static_cast<int>(M.WParam);
    old(M);
  };
  HWND h = c->Handle();
  std::thread worker([h] {
    for (int i = 1; i <= 10; ++i) PostMessage(h, WM_USER + 3, i, 0);
  });
  worker.join();
  // Only Qt's own loop runs here: the queue's descriptor wakes it.
  RunUntil([&] { return got >= 55; });
  EXPECT_EQ(got, 55);
  c->WindowProc = old;
}

TEST_F(QtTest, AHandlerThatThrowsInAQtEventIsShownAndTheNextEventIsHandled) {
  Application->SetTitle("Probe");
  TForm* form = MakeForm();
  auto* b = Child<TProbe>(form, "B", {10, 10, 100, 40});
  int clicks = 0;
  b->OnClick = [&](TObject*) {
    if (++clicks == 1) throw EConvertError("'abc' is not a valid integer value");
  };
  form->Show();
  Pump();
  for (int i = 0; i < 2; ++i) {
    QtMouse(form, QEvent::MouseButtonPress, {20, 20}, Qt::LeftButton, Qt::LeftButton);
    QtMouse(form, QEvent::MouseButtonRelease, {20, 20}, Qt::LeftButton, Qt::NoButton);
  }
  EXPECT_EQ(clicks, 2);
  auto boxes = Runner->CallsOf("messagebox");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Text, "'abc' is not a valid integer value.");
  EXPECT_EQ(boxes[0].Caption, "Probe");
  Application->SetTitle("");
}

TEST_F(QtTest, TimersFireInQtsLoopOnTheRealClock) {
  SetClock(nullptr);
  TTimer timer(nullptr);
  int ticks = 0;
  timer.OnTimer = [&](TObject*) { ++ticks; };
  timer.SetInterval(20);
  RunUntil([&] { return ticks >= 2; });
  EXPECT_GE(ticks, 2);
  SetClock(&Clock);
}

TEST_F(QtTest, TheMainMenuIsAQtMenuBarWhoseActionsClickTheirItems) {
  TForm* form = MakeForm();
  form->SetBorderStyle(bsSizeable);
  auto* menu = new TMainMenu(form);
  auto* file = new TMenuItem(form);
  file->SetCaption(Utf8ToGbk("文件"));
  auto* save = new TMenuItem(form);
  save->SetName("NSave");
  save->SetCaption(Utf8ToGbk("保存"));
  save->SetShortCut(ShortCut('S', {ssCtrl}));
  int saved = 0;
  save->OnClick = [&](TObject*) { ++saved; };
  menu->Items()->Add(file);
  file->Add(save);
  form->SetMenu(menu);
  form->SetClientSize(300, 200);
  form->Show();
  Pump();
  QMenuBar* bar = PeerOf(form)->MenuBar;
  ASSERT_TRUE(bar);
  ASSERT_EQ(bar->actions().size(), 1);
  EXPECT_EQ(bar->actions()[0]->text(), QString::fromUtf8("文件"));
  QMenu* sub = bar->actions()[0]->menu();
  ASSERT_TRUE(sub);
  EXPECT_EQ(sub->actions()[0]->text(), QString::fromUtf8("保存\tCtrl+S"));
  sub->actions()[0]->trigger();
  Pump();
  EXPECT_EQ(saved, 1);
  EXPECT_EQ(form->ClientHeight(), 200);
  EXPECT_EQ(ClientOf(form)->height(), 200);

  save->SetCaption(Utf8ToGbk("另存为"));
  Pump();
  EXPECT_EQ(bar->actions()[0]->menu()->actions()[0]->text(), QString::fromUtf8("另存为\tCtrl+S"));
}

TEST_F(QtTest, TheBackendRunnerShowsRealMessageBoxesPopupMenusAndModalFormsWithoutBlockingForever) {
  Runner.reset();  // the real runner over Qt
  // Each modal thing is answered by a timer that acts like the user.
  QTimer::singleShot(0, [] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
      box->button(QMessageBox::No)->click();
  });
  EXPECT_EQ(Application->MessageBox(Utf8ToGbk("继续?"), "Probe", MB_YESNO | MB_ICONQUESTION), IDNO);

  // A short text under a long title: the box is wide enough for the whole title in
  // a bold title-bar font beside the title bar's icon and buttons.
  const QString title = QString::fromUtf8("dtu-config 配置工具 - 未命名的工程文件.cloud");
  int width = 0;
  QTimer::singleShot(0, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      width = box->width();
      box->button(QMessageBox::Ok)->click();
    }
  });
  Application->MessageBox(Utf8ToGbk("好"), Utf8ToGbk(title.toStdString()), MB_OK);
  QFont bold = QApplication::font();
  bold.setBold(true);
  EXPECT_GE(width, QFontMetrics(bold).horizontalAdvance(title) + 100);

  TPopupMenu popup(nullptr);
  auto* one = new TMenuItem(&popup);
  one->SetCaption("One");
  auto* two = new TMenuItem(&popup);
  two->SetCaption("Two");
  popup.Items()->Add(one);
  popup.Items()->Add(two);
  int clicked = 0;
  two->OnClick = [&](TObject*) { ++clicked; };
  QTimer::singleShot(0, [] {
    if (auto* m = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      m->actions()[1]->trigger();
      m->close();
    }
  });
  popup.Popup(100, 100);
  EXPECT_EQ(clicked, 1);

  TForm* form = MakeForm();
  auto* ok = Child<TTestButton>(form, "Ok", {10, 10, 80, 30});
  ok->ModalResult = mrOk;
  QTimer::singleShot(10, [ok] { ok->Click(); });
  EXPECT_EQ(form->ShowModal(), mrOk);
  EXPECT_FALSE(form->Visible());
}

TEST_F(QtTest, ANativeWidgetPeerGetsOnlyWhatReachesTheDefaultWindowProcedure) {
  RegisterNativeClass("TESTEDIT", [](QWidget* Parent) { return new QLineEdit(Parent); });
  class TNativeEdit : public TProbe {
  public:
    using TProbe::TProbe;
  protected:
    void CreateParams(TCreateParams& P) override {
      TProbe::CreateParams(P);
      P.WinClassName = "TESTEDIT";
    }
  };
  TForm* form = MakeForm();
  auto* edit = Child<TNativeEdit>(form, "Edit", {10, 10, 200, 31});
  edit->DlgCode = DLGC_WANTCHARS | DLGC_WANTARROWS;
  // The control keeps every 'x' from the widget.
  edit->OnKeyPress = [](TObject*, char& K) {
    if (K == 'x') K = 0;
  };
  form->Show();
  Pump();
  auto* line = qobject_cast<QLineEdit*>(ClientOf(edit));
  ASSERT_TRUE(line);
  edit->SetFocus();
  for (QString s : {QString("a"), QString("x"), QString("b"), QString::fromUtf8("中")}) QtKey(line, 0, Qt::NoModifier, s);
  EXPECT_EQ(line->text(), QString::fromUtf8("ab中"));
  EXPECT_EQ(edit->Text(), Utf8ToGbk("ab中"));
  QtKey(line, Qt::Key_Home, Qt::NoModifier, {});  // not kept: reaches the widget
  EXPECT_EQ(line->cursorPosition(), 0);
  edit->SetText(Utf8ToGbk("设定"));
  EXPECT_EQ(line->text(), QString::fromUtf8("设定"));
}

namespace {

// The desktop's opener that started but exited with a failure opened nothing.
TEST_F(QtTest, ShellOpenFollowsTheExitStatusOfTheDesktopsOpener) {
  struct Case {
    int Exit;
    bool Opened;
  } cases[] = {{0, true}, {4, false}};
  for (const Case& c : cases) {
    TTempDesktop desktop;
    desktop.Opener(c.Exit);
    const std::string page = desktop.Root + "/page.htm";
    desktop.Write("page.htm", "<p>");
    EXPECT_EQ(Backend().ShellOpen(page), c.Opened) << c.Exit;
    EXPECT_EQ(desktop.Opened(), page + "\n") << c.Exit;
  }
}

}  // namespace
