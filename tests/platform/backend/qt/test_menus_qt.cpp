// Menus whose items a menu controller draws, shown by Qt on the offscreen platform:
// every row of a popup (separators and submenu entries too) is drawn by the
// controller and as wide as the menu; the form's menu bar is drawn by it as well.
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProxyStyle>
#include <QPointer>
#include <QTimer>
#include <QWidgetAction>

#include <cstdlib>

#include "controls/common/menucontroller.h"
#include "platform/backend/qt/qt_backend.h"
#include "platform/backend/qt/qt_internal.h"
#include "tests/platform/controls/fixtures.h"

using namespace qtbackend;

namespace {

class QtMenuTest : public ControlsTest {
protected:
  void SetUp() override {
    InstallQtBackend();
    ControlsTest::SetUp();
  }
  void Pump() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  }
  TMenuItem* Add(TMenuItem* Parent, const std::string& Caption) {
    auto* item = new TMenuItem(&Owner);
    item->SetCaption(Caption);
    Parent->Add(item);
    return item;
  }
  // A controller with plain colours, so regions can be told apart.
  TQvMenuController* Controller() {
    auto* ctl = new TQvMenuController(&Owner);
    ctl->SetGradientColorStyle(TQvGradientColorStyle::gcsCustom);
    ctl->SetIconBarColorStart(clRed);
    ctl->SetIconBarColorStop(clRed);
    ctl->SetMenuColor(clWhite);
    ctl->SetMenuFontColor(clBlue);
    ctl->SetSelectionFrameColor(clNavy);
    ctl->SetSelectionColorStart(clLime);
    ctl->SetSelectionColorStop(clLime);
    return ctl;
  }
  TComponent Owner{nullptr};
};

QColor Q(TColor C) {
  COLORREF c = ColorToRGB(C);
  return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

TEST_F(QtMenuTest, EveryRowOfAControlledPopupIsOwnerDrawnAndAsWideAsTheMenu) {
  auto* popup = new TPopupMenu(&Owner);
  TMenuItem* open = Add(popup->Items(), "Open");
  open->SetShortCut(ShortCut('O', {ssCtrl}));
  Add(popup->Items(), "-");
  TMenuItem* recent = Add(popup->Items(), "Recent projects");
  Add(recent, "a.cloud");
  TMenuItem* save = Add(popup->Items(), "Save the project under another name");
  Controller()->SetupMenuItems();
  int clicked = 0;
  open->OnClick = [&](TObject*) { ++clicked; };
  Runner.reset();  // the real runner over Qt

  struct Row {
    bool OwnerDrawn;
    int Left, Width, Height;
  };
  std::vector<Row> rows;
  QImage idle, selected;
  QRect shortRow;
  QTimer::singleShot(0, [&] {
    auto* m = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!m) return;
    for (QAction* a : m->actions()) {
      auto* wa = qobject_cast<QWidgetAction*>(a);
      QWidget* w = wa ? wa->defaultWidget() : nullptr;
      rows.push_back({w != nullptr, w ? w->x() : 0, w ? w->width() : 0, w ? w->height() : 0});
    }
    idle = m->grab().toImage();
    shortRow = m->actionGeometry(m->actions()[0]);
    m->setActiveAction(m->actions()[0]);
    QCoreApplication::processEvents();
    selected = m->grab().toImage();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(m, &enter);
  });
  popup->Popup(100, 100);
  Pump();

  ASSERT_EQ(rows.size(), 4u);
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_TRUE(rows[i].OwnerDrawn) << "row " << i;
    EXPECT_EQ(rows[i].Width, rows[3].Width) << "row " << i;
    EXPECT_EQ(rows[i].Left, rows[3].Left) << "row " << i;
  }
  EXPECT_EQ(rows[0].Height, 22);  // the controller's heights
  EXPECT_EQ(rows[1].Height, 3);
  EXPECT_GT(rows[0].Width, 31 + 36 + 100);  // the long caption's row, with the controller's extra width
  ASSERT_FALSE(idle.isNull());
  // The icon bar runs unbroken down the whole menu, separator and submenu rows too.
  const int barX = rows[0].Left + 2;
  for (int y = shortRow.top(); y < shortRow.top() + rows[0].Height * 3 + 3; ++y)
    EXPECT_EQ(idle.pixelColor(barX, y), Q(clRed)) << "y " << y;
  // The short row's background and selection reach the menu's right edge.
  const int rightX = rows[0].Left + rows[0].Width - 2, midY = shortRow.center().y();
  EXPECT_EQ(idle.pixelColor(rightX, midY), Q(clWhite));
  EXPECT_EQ(selected.pixelColor(rightX, midY), Q(clLime));
  EXPECT_EQ(selected.pixelColor(rows[0].Left + rows[0].Width - 1, midY), Q(clNavy));
  // Return on the current row chooses it.
  EXPECT_EQ(clicked, 1);
  (void)save;
}

// An owner-drawn submenu entry opens its submenu, whose rows are owner-drawn too,
// and a row chosen there is what the popup returns.
TEST_F(QtMenuTest, AnOwnerDrawnSubmenuEntryOpensAnOwnerDrawnSubmenu) {
  auto* popup = new TPopupMenu(&Owner);
  Add(popup->Items(), "Open");
  TMenuItem* recent = Add(popup->Items(), "Recent projects");
  Add(recent, "a.cloud");
  TMenuItem* second = Add(recent, "b.cloud");
  Controller()->SetupMenuItems();
  int clicked = 0;
  second->OnClick = [&](TObject*) { ++clicked; };
  Runner.reset();
  bool subOwnerDrawn = false;
  QTimer::singleShot(0, [&] {
    auto* m = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!m) return;
    m->setActiveAction(m->actions()[1]);
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(m, &right);
    QCoreApplication::processEvents();
    auto* sub = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!sub || sub == m) {
      m->close();
      return;
    }
    subOwnerDrawn = qobject_cast<QWidgetAction*>(sub->actions()[1]) != nullptr;
    sub->setActiveAction(sub->actions()[1]);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(sub, &enter);
  });
  popup->Popup(100, 100);
  Pump();
  EXPECT_TRUE(subOwnerDrawn);
  EXPECT_EQ(clicked, 1);
}

TEST_F(QtMenuTest, AControlledMenuBarIsDrawnByTheController) {
  TForm* form = MakeForm();
  form->SetBorderStyle(bsSizeable);
  auto* menu = new TMainMenu(form);
  auto* file = new TMenuItem(form);
  file->SetCaption("File");
  menu->Items()->Add(file);
  auto* save = new TMenuItem(form);
  save->SetCaption("Save");
  file->Add(save);
  auto* ctl = new TQvMenuController(form);
  ctl->SetMenuFontColor(clRed);
  ctl->SetupMenuItems();
  form->SetMenu(menu);
  form->SetClientSize(300, 200);
  form->Show();
  Pump();
  QMenuBar* bar = dynamic_cast<TQtPeer*>(WindowPeer(form->Handle()))->MenuBar;
  ASSERT_TRUE(bar);
  QImage img = bar->grab().toImage();
  QRect r = bar->actionGeometry(bar->actions()[0]);
  ASSERT_FALSE(r.isEmpty());
  // The controller's fill (themes off: the button face) and its caption colour, grey
  // while the window is inactive.
  EXPECT_EQ(img.pixelColor(r.left() + 1, r.top() + 1), Q(clBtnFace));
  const QColor ink = bar->isActiveWindow() ? Q(clRed) : Q(clGrayText);
  int inked = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) {  // text is antialiased: near the ink
      QColor c = img.pixelColor(x, y);
      inked += std::abs(c.red() - ink.red()) + std::abs(c.green() - ink.green()) + std::abs(c.blue() - ink.blue()) < 40;
    }
  EXPECT_GT(inked, 5);
  // Its drop-down is owner-drawn too.
  QMenu* sub = bar->actions()[0]->menu();
  ASSERT_TRUE(sub);
  EXPECT_TRUE(qobject_cast<QWidgetAction*>(sub->actions()[0]));
}

}  // namespace

namespace {

// The bar is rebuilt after its menu changes. A drop-down open at that moment (an
// item freed by a timer while the user looks at it) must close and go with its
// rows, which point at the old items; none of the old drop-downs may linger.
TEST_F(QtMenuTest, ARebuiltMenuBarClosesAndDropsItsOldDropDowns) {
  TForm* form = MakeForm();
  form->SetBorderStyle(bsSizeable);
  auto* menu = new TMainMenu(form);
  auto* file = new TMenuItem(form);
  file->SetCaption("File");
  menu->Items()->Add(file);
  auto* save = new TMenuItem(form);
  save->SetCaption("Save");
  file->Add(save);
  auto* quit = new TMenuItem(form);
  quit->SetCaption("Quit");
  file->Add(quit);
  auto* ctl = new TQvMenuController(form);
  ctl->SetupMenuItems();
  form->SetMenu(menu);
  form->SetClientSize(300, 200);
  form->Show();
  Pump();
  QMenuBar* bar = dynamic_cast<TQtPeer*>(WindowPeer(form->Handle()))->MenuBar;
  ASSERT_TRUE(bar);
  QPointer<QMenu> old = bar->actions()[0]->menu();
  ASSERT_TRUE(old);
  old->popup(bar->mapToGlobal(bar->actionGeometry(bar->actions()[0]).bottomLeft()));
  Pump();
  ASSERT_TRUE(old->isVisible());
  delete save;
  Pump();
  EXPECT_TRUE(!old || !old->isVisible());
  Pump();
  EXPECT_TRUE(old.isNull());
  EXPECT_EQ(bar->findChildren<QMenu*>(Qt::FindDirectChildrenOnly).size(), 1);
  ASSERT_EQ(bar->actions().size(), 1);
  ASSERT_TRUE(bar->actions()[0]->menu());
  EXPECT_EQ(bar->actions()[0]->menu()->actions().size(), 1);
}

}  // namespace

namespace {

// An item freed while its popup is open (a timer's handler): its row draws nothing
// more, where the controller's red icon bar would be, and the popup goes on.
TEST_F(QtMenuTest, ARowWhoseItemWasFreedWhileThePopupIsOpenDrawsNothing) {
  auto* popup = new TPopupMenu(&Owner);
  Add(popup->Items(), "Open");
  TMenuItem* save = Add(popup->Items(), "Save");
  Controller()->SetupMenuItems();
  Runner.reset();  // the real runner over Qt
  QImage after;
  QRect row;
  QTimer::singleShot(0, [&] {
    auto* m = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!m) return;
    row = m->actionGeometry(m->actions()[1]);
    delete save;
    after = m->grab().toImage();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(m, &escape);
  });
  popup->Popup(100, 100);
  Pump();
  ASSERT_FALSE(after.isNull());
  ASSERT_FALSE(row.isEmpty());
  int red = 0;
  for (int y = row.top(); y <= row.bottom(); ++y)
    for (int x = row.left(); x <= row.right(); ++x) red += after.pixelColor(x, y) == Q(clRed);
  EXPECT_EQ(red, 0);
  EXPECT_EQ(popup->Items()->Count(), 1);
}

}  // namespace

// The program's style hands out the menu bar's overflow icons before anything reads
// them; read, they are the base style's own, pixel for pixel, at every size.
TEST_F(QtMenuTest, TheOverflowIconsAreTheBaseStylesOwn) {
  auto* proxy = qobject_cast<QProxyStyle*>(QApplication::style());
  ASSERT_NE(proxy, nullptr);
  for (QStyle::StandardPixmap which : {QStyle::SP_ToolBarHorizontalExtensionButton,
                                       QStyle::SP_ToolBarVerticalExtensionButton}) {
    QIcon mine = proxy->standardIcon(which, nullptr, nullptr);
    QIcon base = proxy->baseStyle()->standardIcon(which, nullptr, nullptr);
    ASSERT_FALSE(base.isNull());
    EXPECT_FALSE(mine.isNull());
    EXPECT_EQ(mine.availableSizes(), base.availableSizes());
    for (int side : {8, 16, 24, 32}) {
      for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled}) {
        EXPECT_EQ(mine.actualSize(QSize(side, side), mode), base.actualSize(QSize(side, side), mode)) << side;
        EXPECT_EQ(mine.pixmap(side, mode).toImage(), base.pixmap(side, mode).toImage()) << which << " " << side;
        QImage a(side, side, QImage::Format_ARGB32_Premultiplied), b = a;
        a.fill(Qt::transparent);
        b.fill(Qt::transparent);
        QPainter pa(&a), pb(&b);
        mine.paint(&pa, QRect(0, 0, side, side), Qt::AlignCenter, mode);
        base.paint(&pb, QRect(0, 0, side, side), Qt::AlignCenter, mode);
        pa.end();
        pb.end();
        EXPECT_EQ(a, b) << which << " " << side;
      }
    }
  }
}
