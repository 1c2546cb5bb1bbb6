// Menus over Qt menus: the items of a TMenuItem tree as actions (or, for owner-drawn
// menus, as widgets drawn by the items' drawing hooks).
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>
#include <QTimer>
#include <QWidgetAction>
#include <qdrawutil.h>

#include "platform/backend/qt/qt_internal.h"
#include "platform/controls/forms.h"
#include "platform/controls/menus.h"

namespace qtbackend {

namespace {

bool MenuContains(TMenuItem* Root, TMenuItem* Item) {
  if (!Root) return false;
  for (int i = 0; i < Root->Count(); ++i)
    if (Root->Items(i) == Item || MenuContains(Root->Items(i), Item)) return true;
  return false;
}

// Clicks an item once the menus are closed, when it still belongs to the menu.
void ClickLater(TMenuItem* Root, TMenuItem* Item) {
  TMenu* menu = Root->GetParentMenu();
  QTimer::singleShot(0, [menu, Root, Item] {
    bool alive = false;
    if (menu) {
      for (int i = 0; Screen && i < Screen->FormCount() && !alive; ++i)
        if (auto* f = Screen->Forms(i); f->Menu() == static_cast<TMenu*>(menu)) alive = MenuContains(menu->Items(), Item);
    }
    (void)Root;
    if (alive) QtGuard(nullptr, [Item] { Item->Click(); });
  });
}

// A menu item drawn by its owner-draw hooks.
class TOwnerDrawItem : public QWidget {
public:
  TOwnerDrawItem(TMenuItem* AItem, TMenuItem* ARoot, std::function<void(TMenuItem*)> AChoose)
      : Item(AItem), Root(ARoot), Choose(std::move(AChoose)) {
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
    TBitmap bmp(1, 1);
    bmp.Canvas()->Font()->Assign(Screen->MenuFont());
    TSize s = MeasureMenuItem(Item, bmp.Canvas(), false);
    setFixedSize(std::max(s.cx, 60), std::max(s.cy, 4));
  }
  TMenuItem* Item;
  TMenuItem* Root;
  std::function<void(TMenuItem*)> Choose;

protected:
  void paintEvent(QPaintEvent*) override {
    TBitmap bmp(width(), height());
    TOwnerDrawState state;
    if (underMouse()) state << odSelected;
    if (!Item->Enabled()) state << odDisabled << odGrayed;
    if (Item->Checked()) state << odChecked;
    if (Item->Default()) state << odDefault;
    QtGuard(this, [&] {
      bmp.Canvas()->Font()->Assign(Screen->MenuFont());
      DrawMenuItem(Item, bmp.Canvas(), {0, 0, width(), height()}, state, false);
    });
    const TSurface& s = BitmapSurface(bmp.Handle());
    QImage img(reinterpret_cast<const uchar*>(s.Bits.data()), s.Width, s.Height, s.Width * 4, QImage::Format_RGB32);
    QPainter(this).drawImage(0, 0, img);
  }
  void enterEvent(QEnterEvent*) override { update(); }
  void leaveEvent(QEvent*) override { update(); }
  void mouseReleaseEvent(QMouseEvent*) override {
    if (!Item->Enabled() || Item->IsLine()) return;
    TMenuItem* item = Item;
    if (Choose) Choose(item);
    else ClickLater(Root, item);
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
      if (auto* m = qobject_cast<QMenu*>(w)) m->hide();
  }
};

bool DrawnByOwner(TMenuItem* Item, bool OwnerDraw) {
  return OwnerDraw || Item->OnDrawItem || Item->OnAdvancedDrawItem || Item->OnMeasureItem;
}

void Fill(QWidget* Menu, TMenuItem* Root, TMenuItem* Top, bool TopLevel, bool OwnerDraw,
          const std::function<void(TMenuItem*)>& Choose) {
  auto* bar = qobject_cast<QMenuBar*>(Menu);
  auto* menu = qobject_cast<QMenu*>(Menu);
  for (int i = 0; i < Root->Count(); ++i) {
    TMenuItem* item = Root->Items(i);
    if (!item->Visible()) continue;
    if (item->IsLine()) {
      if (menu) menu->addSeparator();
      continue;
    }
    QString text = ToQt(item->Caption());
    if (!TopLevel && item->ShortCut()) text += QStringLiteral("\t") + ToQt(ShortCutToText(item->ShortCut()));
    if (item->Count() > 0) {
      auto* sub = new QMenu(text, Menu);
      Fill(sub, item, Top, false, OwnerDraw, Choose);
      sub->menuAction()->setEnabled(item->Enabled());
      if (bar) bar->addMenu(sub);
      else menu->addMenu(sub);
      continue;
    }
    if (menu && DrawnByOwner(item, OwnerDraw)) {
      auto* wa = new QWidgetAction(Menu);
      wa->setDefaultWidget(new TOwnerDrawItem(item, Top, Choose));
      wa->setEnabled(item->Enabled());
      menu->addAction(wa);
      continue;
    }
    auto* a = new QAction(text, Menu);
    a->setEnabled(item->Enabled());
    if (item->Checked() || item->RadioItem() || item->AutoCheck()) {
      a->setCheckable(true);
      a->setChecked(item->Checked());
    }
    if (item->Default()) {
      QFont f = a->font();
      f.setBold(true);
      a->setFont(f);
    }
    if (!item->Hint().empty()) a->setStatusTip(ToQt(item->Hint()));
    QObject::connect(a, &QAction::triggered, [item, Top, Choose] {
      if (Choose) Choose(item);
      else ClickLater(Top, item);
    });
    if (bar) bar->addAction(a);
    else menu->addAction(a);
  }
}

// Qt's own style fills a popup menu with the palette's Base (the white of edit fields)
// lightened; here a menu takes the system's menu colour, which the menu palette
// carries as its Window, like the menu bar and the forms. The frame stays Qt's.
class TMenuStyle : public QProxyStyle {
public:
  void drawPrimitive(PrimitiveElement Element, const QStyleOption* Option, QPainter* Painter,
                     const QWidget* Widget) const override {
    if (Element != PE_PanelMenu) return QProxyStyle::drawPrimitive(Element, Option, Painter, Widget);
    const QColor face = Option->palette.color(QPalette::Window);
    const QBrush fill(face);
    qDrawPlainRect(Painter, Option->rect, face.darker(160), 1, &fill);
  }
};

}  // namespace

void InstallMenuLook() {
  static bool installed = false;
  if (!installed) {
    installed = true;
    QApplication::setStyle(new TMenuStyle);
  }
  auto color = [](TColor C) {
    COLORREF c = ColorToRGB(C);
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
  };
  QPalette pal = SystemPalette();
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    pal.setColor(group, QPalette::Window, color(clMenu));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
      pal.setColor(group, role, group == QPalette::Disabled ? color(clGrayText) : color(clMenuText));
  }
  QApplication::setPalette(pal, "QMenu");
}

void FillQtMenu(QWidget* Menu, TMenuItem* Root, bool TopLevel, bool OwnerDraw,
                const std::function<void(TMenuItem*)>& Choose) {
  Fill(Menu, Root, Root, TopLevel, OwnerDraw, Choose);
}

}  // namespace qtbackend
