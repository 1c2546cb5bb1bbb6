// Menus over Qt menus: the items of a TMenuItem tree as actions (or, for owner-drawn
// menus, as widgets drawn by the items' drawing hooks).
#include <QApplication>
#include <QIconEngine>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>
#include <QTimer>
#include <QWidgetAction>
#include <qdrawutil.h>

#include <algorithm>
#include <optional>

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

// The system's submenu arrow, in the text colour, at the right of a row whose item
// opens a submenu: owner-drawn rows get it after their own drawing, as the system
// adds it to them.
void DrawSubmenuArrow(TCanvas* Canvas, const TRect& Row, bool Enabled) {
  constexpr int kSide = 16;
  TBitmap mark(kSide, kSide);
  TRect mr{0, 0, kSide, kSide};
  DrawFrameControl(mark.Canvas()->Handle(), &mr, DFC_MENU, DFCS_MENUARROW);
  const int left = Row.Right - kSide - 2, top = Row.Top + (Row.Height() - kSide) / 2;
  const TColor ink = ColorToRGB(Enabled ? clMenuText : clGrayText);
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x)
      if ((static_cast<COLORREF>(mark.Canvas()->Pixels(x, y)) & 0xFFFFFF) == 0)
        Canvas->SetPixels(left + x, top + y, ink);
}

// Paints a bitmap drawn by the layer into a Qt widget.
void Blit(QPainter& Painter, QPoint At, TBitmap& Bmp) {
  const TSurface& s = BitmapSurface(Bmp.Handle());
  QImage img(reinterpret_cast<const uchar*>(s.Bits.data()), s.Width, s.Height, s.Width * 4, QImage::Format_RGB32);
  Painter.drawImage(At, img);
}

// A row of a popup menu drawn by its item's owner-draw hooks: commands, separators
// and entries that open a submenu alike. Its measure is only a size hint: the menu
// lays every row out as wide as its widest, so selections and backgrounds reach
// the menu's right edge.
class TOwnerDrawItem : public QWidget {
public:
  TOwnerDrawItem(TMenuItem* AItem, TMenuItem* ATop, QAction* AAction) : Item(AItem), Top(ATop), Action(AAction) {
    setMouseTracking(true);
    TBitmap bmp(1, 1);
    bmp.Canvas()->Font()->Assign(Screen->MenuFont());
    TSize s = MeasureMenuItem(Item, bmp.Canvas(), false);
    Hint = QSize(std::max(s.cx, 60), std::max(s.cy, 3));
  }
  QSize sizeHint() const override { return Hint; }
  QSize minimumSizeHint() const override { return Hint; }
  TMenuItem* Item;
  TMenuItem* Top;  // the root of the menu the row was made from
  QAction* Action;
  QSize Hint;

protected:
  // The menu's current row, and only it, shows selected: the keys and the pointer
  // both move it (the menu takes the pointer's moves over a row from the row).
  bool Selected() const {
    if (Item->IsLine()) return false;
    auto* menu = qobject_cast<QMenu*>(parentWidget());
    return menu && menu->activeAction() == Action;
  }
  // A row of a drop-down of the form's menu bar whose rebuild is pending: its item
  // may be gone. (A popup menu's rows are not the bar's.)
  bool Stale() const {
    QWidget* w = parentWidget();
    while (w && !qobject_cast<QMenuBar*>(w)) w = w->parentWidget();
    auto* frame = w ? dynamic_cast<TFrameWidget*>(w->parentWidget()) : nullptr;
    return frame && frame->Peer && frame->Peer->MenuDirty;
  }
  // The item may have been freed while the menu is open (a timer's handler): only
  // one still in the menu's tree is touched.
  bool Gone() const { return Stale() || !MenuContains(Top, Item); }
  void paintEvent(QPaintEvent*) override {
    if (Gone()) return;
    TBitmap bmp(width(), height());
    TOwnerDrawState state;
    if (Selected()) state << odSelected;
    if (!Item->Enabled()) state << odDisabled << odGrayed;
    if (Item->Checked()) state << odChecked;
    if (Item->Default()) state << odDefault;
    QtGuard(this, [&] {
      bmp.Canvas()->Font()->Assign(Screen->MenuFont());
      const TRect row{0, 0, width(), height()};
      DrawMenuItem(Item, bmp.Canvas(), row, state, false);
      if (Item->Count() > 0) DrawSubmenuArrow(bmp.Canvas(), row, Item->Enabled());
    });
    QPainter painter(this);
    Blit(painter, {0, 0}, bmp);
  }
  void mouseReleaseEvent(QMouseEvent* E) override {
    // A separator does nothing; an entry with a submenu leaves the press to the
    // menu, which opens the submenu.
    if (Gone() || Item->IsLine() || Item->Count() > 0) {
      E->ignore();
      return;
    }
    if (!Item->Enabled()) return;
    QAction* action = Action;
    std::vector<QPointer<QMenu>> chain;
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
      if (auto* m = qobject_cast<QMenu*>(w)) chain.emplace_back(m);
    action->trigger();
    for (auto& m : chain)
      if (m) m->hide();
  }
};

// Repaints the owner-drawn rows when the menu's current row changes by key or mouse.
void RepaintRowsOnHover(QMenu* Menu) {
  QObject::connect(Menu, &QMenu::hovered, Menu, [Menu](QAction*) {
    for (QObject* o : Menu->children())
      if (auto* row = dynamic_cast<TOwnerDrawItem*>(o)) row->update();
  });
}

bool DrawnByOwner(TMenuItem* Item, bool OwnerDraw) {
  return OwnerDraw || Item->OnDrawItem || Item->OnAdvancedDrawItem || Item->OnMeasureItem;
}

// The menu item a menu-bar action stands for, when its owner draws it.
const char* const kOwnerDrawnItem = "dtuOwnerDrawnItem";

void Fill(QWidget* Menu, TMenuItem* Root, TMenuItem* Top, bool TopLevel, bool OwnerDraw,
          const std::function<void(TMenuItem*)>& Choose);

// Runs when an item is chosen: the popup's caller hears of it, or the item is
// clicked once the menus are closed.
void Connect(QAction* A, TMenuItem* Item, TMenuItem* Top, const std::function<void(TMenuItem*)>& Choose) {
  QObject::connect(A, &QAction::triggered, [Item, Top, Choose] {
    if (Choose) Choose(Item);
    else ClickLater(Top, Item);
  });
}

// An item with children: a submenu, entered from the bar or from a row of a menu.
void AddSubmenu(QWidget* Menu, TMenuItem* Item, TMenuItem* Top, bool OwnerDraw, const QString& Text,
                const std::function<void(TMenuItem*)>& Choose) {
  auto* bar = qobject_cast<QMenuBar*>(Menu);
  auto* menu = qobject_cast<QMenu*>(Menu);
  auto* sub = new QMenu(Text, Menu);
  Fill(sub, Item, Top, false, OwnerDraw, Choose);
  if (menu && DrawnByOwner(Item, OwnerDraw)) {
    auto* wa = new QWidgetAction(Menu);
    wa->setDefaultWidget(new TOwnerDrawItem(Item, Top, wa));
    wa->setMenu(sub);
    wa->setEnabled(Item->Enabled());
    menu->addAction(wa);
    return;
  }
  sub->menuAction()->setEnabled(Item->Enabled());
  if (bar && DrawnByOwner(Item, OwnerDraw))
    sub->menuAction()->setProperty(kOwnerDrawnItem, QVariant::fromValue(reinterpret_cast<quintptr>(Item)));
  if (bar) bar->addMenu(sub);
  else menu->addMenu(sub);
}

// A plain command as a native action.
void AddNativeAction(QWidget* Menu, TMenuItem* Item, TMenuItem* Top, bool OwnerDraw, const QString& Text,
                     const std::function<void(TMenuItem*)>& Choose) {
  auto* a = new QAction(Text, Menu);
  a->setEnabled(Item->Enabled());
  if (Item->Checked() || Item->RadioItem() || Item->AutoCheck()) {
    a->setCheckable(true);
    a->setChecked(Item->Checked());
  }
  if (Item->Default()) {
    QFont f = a->font();
    f.setBold(true);
    a->setFont(f);
  }
  if (!Item->Hint().empty()) a->setStatusTip(ToQt(Item->Hint()));
  Connect(a, Item, Top, Choose);
  if (auto* bar = qobject_cast<QMenuBar*>(Menu)) {
    if (DrawnByOwner(Item, OwnerDraw))
      a->setProperty(kOwnerDrawnItem, QVariant::fromValue(reinterpret_cast<quintptr>(Item)));
    bar->addAction(a);
  } else {
    static_cast<QMenu*>(Menu)->addAction(a);
  }
}

void Fill(QWidget* Menu, TMenuItem* Root, TMenuItem* Top, bool TopLevel, bool OwnerDraw,
          const std::function<void(TMenuItem*)>& Choose) {
  auto* menu = qobject_cast<QMenu*>(Menu);
  if (menu) RepaintRowsOnHover(menu);
  for (int i = 0; i < Root->Count(); ++i) {
    TMenuItem* item = Root->Items(i);
    if (!item->Visible()) continue;
    QString text = ToQt(item->Caption());
    if (!TopLevel && !item->IsLine() && item->ShortCut())
      text += QStringLiteral("\t") + ToQt(ShortCutToText(item->ShortCut()));
    if (item->Count() > 0 && !item->IsLine()) {
      AddSubmenu(Menu, item, Top, OwnerDraw, text, Choose);
    } else if (menu && DrawnByOwner(item, OwnerDraw)) {
      // Drawn by the owner, separators included, so an owner's look (an icon bar
      // down the left) runs unbroken through the whole menu.
      auto* wa = new QWidgetAction(Menu);
      wa->setDefaultWidget(new TOwnerDrawItem(item, Top, wa));
      wa->setEnabled(item->Enabled() && !item->IsLine());
      if (!item->IsLine()) Connect(wa, item, Top, Choose);
      menu->addAction(wa);
    } else if (item->IsLine()) {
      if (menu) menu->addSeparator();
    } else {
      AddNativeAction(Menu, item, Top, OwnerDraw, text, Choose);
    }
  }
}

// A standard icon of the style, asked of it when something first draws or measures
// it. Every menu bar makes the icon of its overflow button when it is made, which the
// style reads from an image file: to learn which codec reads it, Qt loads every image
// format plugin and its library, for a button most windows never show.
class TDeferredIcon : public QIconEngine {
public:
  TDeferredIcon(const QProxyStyle* Style, QStyle::StandardPixmap Which, const QWidget* Widget)
      : FStyle(const_cast<QProxyStyle*>(Style)), FWhich(Which), FWidget(const_cast<QWidget*>(Widget)) {}

  void paint(QPainter* Painter, const QRect& Rect, QIcon::Mode Mode, QIcon::State State) override {
    Real().paint(Painter, Rect, Qt::AlignCenter, Mode, State);
  }
  QSize actualSize(const QSize& Size, QIcon::Mode Mode, QIcon::State State) override {
    return Real().actualSize(Size, Mode, State);
  }
  QPixmap pixmap(const QSize& Size, QIcon::Mode Mode, QIcon::State State) override {
    return Real().pixmap(Size, 1.0, Mode, State);
  }
  QPixmap scaledPixmap(const QSize& Size, QIcon::Mode Mode, QIcon::State State, qreal Scale) override {
    return Real().pixmap(Size / Scale, Scale, Mode, State);
  }
  QList<QSize> availableSizes(QIcon::Mode Mode, QIcon::State State) override {
    return Real().availableSizes(Mode, State);
  }
  bool isNull() override { return Real().isNull(); }
  QString iconName() override { return Real().name(); }
  QString key() const override { return QStringLiteral("TDeferredIcon"); }
  QIconEngine* clone() const override {
    auto* copy = new TDeferredIcon(FStyle, FWhich, FWidget);
    copy->FReal = FReal;
    return copy;
  }

private:
  const QIcon& Real() {
    if (!FReal) {
      // The style's own icon; the application's style when that style is gone.
      FReal = FStyle ? FStyle->QProxyStyle::standardIcon(FWhich, nullptr, FWidget)
                     : QApplication::style()->standardIcon(FWhich, nullptr, FWidget);
    }
    return *FReal;
  }

  QPointer<QProxyStyle> FStyle;
  QStyle::StandardPixmap FWhich;
  QPointer<QWidget> FWidget;
  std::optional<QIcon> FReal;
};

// Qt's own style fills a popup menu with the palette's Base (the white of edit fields)
// lightened; here a menu takes the system's menu colour, which the menu palette
// carries as its Window, like the menu bar and the forms, inside a 1-pixel frame.
// The frame is the menu's panel width, so the menu lays its rows out inside it and
// rows drawn by their owners leave it alone.
class TMenuStyle : public QProxyStyle {
public:
  static constexpr int kMenuFrame = 1;
  int pixelMetric(PixelMetric Metric, const QStyleOption* Option, const QWidget* Widget) const override {
    if (Metric == PM_MenuPanelWidth) return kMenuFrame;
    return QProxyStyle::pixelMetric(Metric, Option, Widget);
  }
  QIcon standardIcon(StandardPixmap Which, const QStyleOption* Option, const QWidget* Widget) const override {
    if (Option || (Which != SP_ToolBarHorizontalExtensionButton && Which != SP_ToolBarVerticalExtensionButton))
      return QProxyStyle::standardIcon(Which, Option, Widget);
    return QIcon(new TDeferredIcon(this, Which, Widget));
  }
  void drawPrimitive(PrimitiveElement Element, const QStyleOption* Option, QPainter* Painter,
                     const QWidget* Widget) const override {
    if (Element != PE_PanelMenu && Element != PE_FrameMenu)
      return QProxyStyle::drawPrimitive(Element, Option, Painter, Widget);
    // The panel under the rows, then the frame over their edges: the same ring.
    const QColor face = Option->palette.color(QPalette::Window);
    const QBrush fill(face);
    qDrawPlainRect(Painter, Option->rect, face.darker(160), kMenuFrame, Element == PE_PanelMenu ? &fill : nullptr);
  }
};

// The form's menu bar. Entries whose owner draws them are painted by their hooks
// over Qt's layout of the bar: hot while the pointer is over one, selected while its
// menu is open, inactive while the window is. They stop above the line the style
// draws along the bar's bottom edge.
class TQtMenuBar : public QMenuBar {
public:
  using QMenuBar::QMenuBar;

protected:
  void paintEvent(QPaintEvent* E) override {
    QMenuBar::paintEvent(E);
    // A rebuild is pending after a change to the menu: its items may be gone.
    auto* frame = dynamic_cast<TFrameWidget*>(parentWidget());
    if (!frame || !frame->Peer || frame->Peer->MenuDirty) return;
    QPainter painter(this);
    for (QAction* a : actions()) {
      QVariant v = a->property(kOwnerDrawnItem);
      if (!v.isValid()) continue;
      auto* item = reinterpret_cast<TMenuItem*>(v.value<quintptr>());
      constexpr int kBottomLine = 1;
      QRect r = actionGeometry(a);
      r.setBottom(std::min(r.bottom(), height() - 1 - kBottomLine));
      if (r.isEmpty()) continue;
      TOwnerDrawState state;
      if (activeAction() == a) state << ((a->menu() && a->menu()->isVisible()) ? odSelected : odHotLight);
      if (!item->Enabled()) state << odDisabled << odGrayed;
      if (!isActiveWindow()) state << odInactive;
      TBitmap bmp(r.width(), r.height());
      QtGuard(this, [&] {
        bmp.Canvas()->Font()->Assign(Screen->MenuFont());
        DrawMenuItem(item, bmp.Canvas(), {0, 0, r.width(), r.height()}, state, true);
      });
      Blit(painter, r.topLeft(), bmp);
    }
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

QMenuBar* NewQtMenuBar(QWidget* Parent) { return new TQtMenuBar(Parent); }

}  // namespace qtbackend
