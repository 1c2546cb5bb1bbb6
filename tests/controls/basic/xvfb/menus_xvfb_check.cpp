// Menus on a real display, photographed from the screen:
// - a popup opened with a right-click, then Down, Down: one row shows selected and
//   Return chooses it; the pointer moved over a row makes that row the one selected,
//   and a key moves on from it without leaving it selected;
// - the popup keeps its 1-pixel frame all round under rows its controller draws;
// - the form's menu bar keeps its bottom line under an entry the controller draws;
// - a menu button's drop-down opens under the button: left edges lined up left to
//   right, right edges right to left.
//   menus_xvfb_check <folder>     exit 0 when every step did what it should
#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "controls/basic/bitbuttons.h"
#include "controls/basic/panels.h"
#include "controls/common/menucontroller.h"
#include "platform/backend/qt/qt_backend.h"
#include "platform/backend/qt/qt_internal.h"
#include "platform/controls/forms.h"

namespace {

int g_Failures = 0;
std::filesystem::path g_Out;

void Check(bool Ok, const std::string& What) {
  std::printf("%s: %s\n", Ok ? "ok" : "FAILED", What.c_str());
  if (!Ok) ++g_Failures;
}

void Settle(int Ms) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(Ms);
  while (std::chrono::steady_clock::now() < end) {
    QCoreApplication::processEvents();
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

QColor Q(TColor C) {
  COLORREF c = ColorToRGB(C);
  return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

// What the screen shows of a widget.
QImage Shot(QWidget* W, const char* Name) {
  const QPoint at = W->mapToGlobal(QPoint(0, 0));
  QImage img = QGuiApplication::primaryScreen()
                   ->grabWindow(0, at.x(), at.y(), W->width(), W->height())
                   .toImage()
                   .convertToFormat(QImage::Format_RGB32);
  img.save(QString::fromStdString((g_Out / Name).string()));
  return img;
}

// A mouse event at a screen point, moving the pointer there, as Qt delivers the user's.
void Pointer(QEvent::Type Type, QPoint Global, Qt::MouseButton Button) {
  QCursor::setPos(Global);
  QWidget* target = QWidget::mouseGrabber();
  if (!target) target = QApplication::widgetAt(Global);
  if (!target) return;
  Qt::MouseButtons held = Type == QEvent::MouseButtonPress ? Qt::MouseButtons(Button) : Qt::NoButton;
  QMouseEvent e(Type, QPointF(target->mapFromGlobal(Global)), QPointF(Global),
                Type == QEvent::MouseMove ? Qt::NoButton : Button, held, Qt::NoModifier);
  QApplication::sendEvent(target, &e);
}

void Press(QMenu* M, Qt::Key K) {
  QKeyEvent e(QEvent::KeyPress, K, Qt::NoModifier);
  QApplication::sendEvent(M, &e);
  Settle(150);
}

// Runs Step on the popup menu once it shows (the menu runs modally meanwhile).
void WhenPopupShows(std::function<void(QMenu*)> Step) {
  auto* timer = new QTimer;
  timer->setInterval(50);
  QObject::connect(timer, &QTimer::timeout, [timer, Step] {
    auto* m = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!m || !m->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    Settle(300);
    Step(m);
  });
  timer->start();
}

// The rows painted in the selection colour, by index.
std::vector<int> SelectedRows(QMenu* M, const QImage& Img) {
  std::vector<int> out;
  for (int i = 0; i < M->actions().size(); ++i) {
    QRect r = M->actionGeometry(M->actions()[i]);
    if (Img.pixelColor(r.center().x() + r.width() / 3, r.center().y()) == Q(clLime)) out.push_back(i);
  }
  return out;
}

TQvMenuController* Controller(TComponent* Owner) {
  auto* ctl = new TQvMenuController(Owner);
  ctl->SetGradientColorStyle(TQvGradientColorStyle::gcsCustom);
  ctl->SetIconBarColorStart(clRed);
  ctl->SetIconBarColorStop(clRed);
  ctl->SetMenuColor(clWhite);
  ctl->SetSelectionFrameColor(clNavy);
  ctl->SetSelectionColorStart(clLime);
  ctl->SetSelectionColorStop(clLime);
  return ctl;
}

TMenuItem* Add(TMenuItem* Parent, TComponent* Owner, const std::string& Caption) {
  auto* item = new TMenuItem(Owner);
  item->SetCaption(Caption);
  Parent->Add(item);
  return item;
}

std::string Rows(const std::vector<int>& V) {
  std::string s;
  for (int i : V) s += std::to_string(i) + " ";
  return s.empty() ? "none" : s;
}

void RightClickPopup(TForm* Form) {
  auto* panel = new TQvPanel(Form);
  panel->SetBounds(10, 10, 200, 150);
  panel->SetParent(Form);
  auto* popup = new TPopupMenu(Form);
  const char* captions[] = {"Open", "Save", "Export", "Close"};
  std::string chosen;
  for (const char* c : captions)
    Add(popup->Items(), Form, c)->OnClick = [&chosen](TObject* S) { chosen = static_cast<TMenuItem*>(S)->Caption(); };
  panel->SetPopupMenu(popup);
  Controller(Form)->SetupMenuItems();
  Settle(300);

  std::vector<int> afterKeys, afterPointer, afterPointerAndKey;
  QRgb frameColour = 0;
  bool frameWhole = false;
  WhenPopupShows([&](QMenu* m) {
    Press(m, Qt::Key_Down);
    Press(m, Qt::Key_Down);
    QImage keys = Shot(m, "popup-down-down.png");
    afterKeys = SelectedRows(m, keys);
    // The frame: every pixel of the outer ring in the frame's one colour.
    frameColour = keys.pixel(0, 0);
    frameWhole = frameColour != Q(clWhite).rgb() && frameColour != Q(clRed).rgb();
    for (int x = 0; x < keys.width(); ++x)
      frameWhole = frameWhole && keys.pixel(x, 0) == frameColour && keys.pixel(x, keys.height() - 1) == frameColour;
    for (int y = 0; y < keys.height(); ++y)
      frameWhole = frameWhole && keys.pixel(0, y) == frameColour && keys.pixel(keys.width() - 1, y) == frameColour;
    // The pointer over the last row makes it the current row; Up then moves on.
    QRect last = m->actionGeometry(m->actions()[3]);
    QPoint over = m->mapToGlobal(last.center());
    Pointer(QEvent::MouseMove, over + QPoint(-10, 0), Qt::NoButton);
    Pointer(QEvent::MouseMove, over, Qt::NoButton);
    Settle(200);
    afterPointer = SelectedRows(m, Shot(m, "popup-pointer.png"));
    Press(m, Qt::Key_Up);
    afterPointerAndKey = SelectedRows(m, Shot(m, "popup-pointer-up.png"));
    Press(m, Qt::Key_Return);
  });
  QPoint at = QPoint(panel->ClientToScreen({60, 40}).X, panel->ClientToScreen({60, 40}).Y);
  Pointer(QEvent::MouseMove, at, Qt::NoButton);
  Pointer(QEvent::MouseButtonPress, at, Qt::RightButton);
  Pointer(QEvent::MouseButtonRelease, at, Qt::RightButton);
  Settle(300);
  Check(afterKeys == std::vector<int>{1}, "right-click, Down, Down: the second row alone shows selected (" +
                                              Rows(afterKeys) + ")");
  Check(frameWhole, "the popup's 1-pixel frame runs all round, under the controller's rows");
  Check(afterPointer == std::vector<int>{3}, "the pointer over the last row selects it alone (" +
                                                 Rows(afterPointer) + ")");
  Check(afterPointerAndKey == std::vector<int>{2},
        "Up from there selects the row above alone, the pointer still on the last (" + Rows(afterPointerAndKey) + ")");
  Check(chosen == "Export", "Return chooses the row shown selected (" + chosen + ")");
  delete panel;
}

// The bar's bottom row of pixels is one colour, under the controller's entry too.
void MenuBarBottomLine(TForm* Form) {
  auto* menu = new TMainMenu(Form);
  TMenuItem* file = Add(menu->Items(), Form, "File");
  Add(file, Form, "Save");
  Controller(Form)->SetupMenuItems();
  Form->SetMenu(menu);
  Settle(400);
  QMenuBar* bar = dynamic_cast<qtbackend::TQtPeer*>(WindowPeer(Form->Handle()))->MenuBar;
  if (!bar) return Check(false, "the form shows its menu bar");
  QImage img = Shot(bar, "menubar.png");
  QRect entry = bar->actionGeometry(bar->actions()[0]);
  const int bottom = img.height() - 1;
  const QRgb line = img.pixel(img.width() - 3, bottom);  // right of every entry
  bool whole = true;
  for (int x = entry.left(); x <= entry.right(); ++x) whole = whole && img.pixel(x, bottom) == line;
  Check(whole && line != Q(clLime).rgb(), "the menu bar's bottom line runs under the controller's entry");
  Form->SetMenu(nullptr);
}

// A menu button's drop-down on the screen: under the button, its left edge at the
// button's left edge, or its right edge at the button's right edge right to left.
void DropDownUnderTheButton(TForm* Form, TBiDiMode Mode) {
  Form->SetBiDiMode(Mode);
  auto* popup = new TPopupMenu(Form);
  Add(popup->Items(), Form, "One");
  Add(popup->Items(), Form, "Two");
  auto* button = new TQvMenuButton(Form);
  button->SetBounds(150, 60, 110, 25);
  button->SetParent(Form);
  button->SetDropDownMenu(popup);
  Settle(300);
  QRect menuRect;
  WhenPopupShows([&](QMenu* m) {
    menuRect = m->geometry();
    Shot(m, Mode == bdRightToLeft ? "dropdown-rtl.png" : "dropdown-ltr.png");
    Press(m, Qt::Key_Escape);
  });
  TPoint tl = button->ClientToScreen({0, 0});
  QPoint at(tl.X + 40, tl.Y + 12);
  Pointer(QEvent::MouseMove, at, Qt::NoButton);
  Pointer(QEvent::MouseButtonPress, at, Qt::LeftButton);
  Pointer(QEvent::MouseButtonRelease, at, Qt::LeftButton);
  Settle(300);
  const bool rtl = Mode == bdRightToLeft;
  const int edge = rtl ? menuRect.x() + menuRect.width() : menuRect.x();
  const int want = rtl ? tl.X + button->Width() : tl.X;
  char what[160];
  std::snprintf(what, sizeof what, "%s: the drop-down opens under the button (menu %d,%d %dx%d, button %d,%d)",
                rtl ? "right to left" : "left to right", menuRect.x(), menuRect.y(), menuRect.width(),
                menuRect.height(), tl.X, tl.Y);
  Check(!menuRect.isEmpty() && menuRect.y() == tl.Y + button->Height() && edge == want, what);
  delete button;
  delete popup;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: menus_xvfb_check <folder>\n");
    return 2;
  }
  g_Out = argv[1];
  std::filesystem::create_directories(g_Out);
  InstallQtBackend();
  Application->Initialize();
  auto* form = new TForm(Application);
  form->SetCaption("Menus");
  form->SetBounds(200, 150, 420, 260);
  form->Show();
  Settle(600);
  RightClickPopup(form);
  MenuBarBottomLine(form);
  DropDownUnderTheButton(form, bdLeftToRight);
  DropDownUnderTheButton(form, bdRightToLeft);
  delete form;
  Settle(200);
  std::printf("%d failures\n", g_Failures);
  DoneApplication();
  return g_Failures ? 1 : 0;
}
