// The edit peers: the "EDIT" window class as a native line edit (single-line) or
// plain-text editor (ES_MULTILINE), and "RICHEDIT" as a rich-text editor showing
// plain text. The native widget covers the whole window; the non-client frame the
// layer paints into the back buffer is drawn over its edges, and the text sits
// inside. Text, selection, undo and scrolling live in the widget; the peer answers
// the edit's state messages (WM_SETTEXT, EM_GETSEL, EM_REPLACESEL ...) in GBK bytes.
// Keys and committed input-method text go to the layer first (the control types
// them back through EM_REPLACESEL); only keys that reach the default window
// procedure without typing a character (caret keys, Delete) reach the widget.
// Text changes reach the parent as WM_COMMAND EN_CHANGE, sent once the change is
// done, never from inside Qt.
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>

#include <climits>
#include <cstring>
#include <map>
#include <memory>

#include "platform/backend/qt/qt_internal.h"
#include "platform/stdctrls/edit.h"
#include "platform/controls/textreply.h"
#include "platform/controls/input.h"
#include "platform/core/gbk.h"
#include "platform/core/scope.h"

namespace qtbackend {

namespace {

class TQtEditPeer;

// ---------------------------------------------------------------------------
// Byte offsets of Qt text

// The GBK bytes of one character of an edit's text (a line break of a multi-line
// edit is CR LF; a character GBK cannot hold has none).
size_t CharBytes(QChar C, bool Multi) {
  char16_t u = C.unicode();
  if (u == u'\n') return Multi ? 2 : 1;
  if (u < 0x80) return 1;
  static unsigned char cache[0x10000];  // 0: not known yet, else bytes + 1
  if (!cache[u]) cache[u] = static_cast<unsigned char>(FromQt(QString(C)).size() + 1);
  return cache[u] - 1u;
}

size_t BytesBefore(const QString& S, int Pos, bool Multi) {
  size_t b = 0;
  for (int i = 0; i < Pos && i < S.size(); ++i) b += CharBytes(S[i], Multi);
  return b;
}

// The character position of a byte offset (inside a character: that character).
int PosOfByte(const QString& S, size_t Byte, bool Multi) {
  size_t b = 0;
  int i = 0;
  for (; i < S.size(); ++i) {
    size_t n = CharBytes(S[i], Multi);
    if (b + n > Byte && n) break;
    b += n;
  }
  return i;
}

std::string GbkText(const QString& S, bool Multi) {
  std::string g = FromQt(S);
  if (!Multi) return g;
  std::string out;
  out.reserve(g.size() + g.size() / 16);
  for (char c : g) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

QString QtText(const std::string& Gbk, bool Multi) {
  QString q = ToQt(Gbk);
  if (Multi) {
    q.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    q.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  }
  return q;
}

// A style that masks passwords with a chosen character (kept for the program's
// life, one per character).
QStyle* PasswordStyle(char Ch) {
  class TPasswordStyle : public QProxyStyle {
  public:
    explicit TPasswordStyle(QChar C) : Mask(C) {}
    QChar Mask;
    int styleHint(StyleHint Hint, const QStyleOption* Option, const QWidget* Widget,
                  QStyleHintReturn* Return) const override {
      if (Hint == SH_LineEdit_PasswordCharacter) return Mask.unicode();
      return QProxyStyle::styleHint(Hint, Option, Widget, Return);
    }
  };
  static std::map<char, QStyle*> styles;
  QStyle*& s = styles[Ch];
  if (!s) {
    QString q = ToQt(std::string(1, Ch));
    s = new TPasswordStyle(q.isEmpty() ? QChar(u'*') : q[0]);
  }
  return s;
}

// ---------------------------------------------------------------------------
// Widgets: the native editors, with the layer's frame drawn over their edges

void PaintFrameOver(QWidget* W, TQtEditPeer* P);
void TakeColors(QWidget* W, TQtEditPeer* P);

template <class Base>
class TEditWidget : public Base {
public:
  explicit TEditWidget(QWidget* Parent) : Base(Parent) {}
  TQtEditPeer* Peer = nullptr;
  using Base::setViewportMargins;

protected:
  bool event(QEvent* E) override {
    if (E->type() == QEvent::Paint && Peer) TakeColors(this, Peer);
    bool r = Base::event(E);
    if (E->type() == QEvent::Paint && Peer) PaintFrameOver(this, Peer);
    return r;
  }
};

template <>
class TEditWidget<QLineEdit> : public QLineEdit {
public:
  explicit TEditWidget(QWidget* Parent) : QLineEdit(Parent) {}
  TQtEditPeer* Peer = nullptr;
  using QLineEdit::cursorRect;

protected:
  bool event(QEvent* E) override {
    if (E->type() == QEvent::Paint && Peer) TakeColors(this, Peer);
    bool r = QLineEdit::event(E);
    if (E->type() == QEvent::Paint && Peer) PaintFrameOver(this, Peer);
    return r;
  }
};

using TLineWidget = TEditWidget<QLineEdit>;
using TMemoWidget = TEditWidget<QPlainTextEdit>;
using TRichWidget = TEditWidget<QTextEdit>;

enum class TEditKind { Line, Memo, Rich };

// ---------------------------------------------------------------------------
// The peer

class TEditFilter;

class TQtEditPeer : public TQtNativePeer, public TEditFlags {
public:
  TQtEditPeer(const TPeerParams& P, TEditKind AKind);
  ~TQtEditPeer() override;

  bool DefaultProc(TMessage& M) override;
  void SetBounds(const TRect& B, const TRect& C) override;
  void SetCaretVisible(bool Visible) override;

  // Sends EN_CHANGE when the text changed meanwhile, and EN_SELCHANGE when the
  // selection moved.
  void FlushChange();
  // The widget changed its text or selection: noted, and sent once the change is
  // done (at once after the layer's own call, else from the event loop).
  void MarkChanged(bool Text);
  bool Multi() const { return Kind != TEditKind::Line; }

  TEditKind Kind;
  bool ChangePending = false;
  bool SelPending = false;
  bool FlushScheduled = false;
  std::shared_ptr<bool> Alive = std::make_shared<bool>(true);
  bool SettingText = false;  // a change by WM_SETTEXT (not a modification)
  char Password = 0;
  int LeftMargin = 0, RightMargin = 0;
  TEditFilter* Filter = nullptr;
  QColor Back, Fore;
  bool OwnDisabled = false;  // the colours were taken for an edit disabled itself
  QMargins Inset;  // the non-client frame's width on each side

private:
  QLineEdit* Line() const { return Kind == TEditKind::Line ? static_cast<QLineEdit*>(Widget()) : nullptr; }
  QAbstractScrollArea* Area() const { return Kind == TEditKind::Line ? nullptr : static_cast<QAbstractScrollArea*>(Widget()); }
  QString Text() const;
  void SetText(const QString& Q);
  // Selection as anchor and caret character positions.
  void GetSel(int& Anchor, int& Caret) const;
  void SetSel(int Anchor, int Caret);
  void Insert(const QString& Q, bool CanUndo);
  bool CanUndo() const;
  void Undo();
  // The multi-line editors' text cursor (selection and caret), not the pointer's shape.
  QTextCursor TextCursor() const;
  void SetTextCursor(const QTextCursor& C);
  QTextDocument* Document() const;
  // Where the client area's origin is in the widget.
  QPoint ClientOffset() const;
  int FirstVisibleLine() const;
  // Puts a scroll area's viewport and scroll bars inside the client area.
  void PlaceViewport();
  bool Handle(TMessage& M);
  bool HandleText(TMessage& M);
  bool HandleSelection(TMessage& M);
  bool HandleOptions(TMessage& M);
  bool HandleScrolling(TMessage& M);
  bool HandleInput(TMessage& M);
  // A read-only editor keeps its caret keys.
  void KeepKeyboardSelection();
  int FDepth = 0;
  QMetaObject::Connection FChanged, FCaretMoved, FSelected;
};

// A hidden caret: the line edit draws it with the style's text-cursor width, the
// editors with their own cursor width. While hidden the line edit uses a style of
// zero cursor width (a password mask style is set again when the caret returns).
void TQtEditPeer::SetCaretVisible(bool Visible) {
  class TNoCaretStyle : public QProxyStyle {
  public:
    int pixelMetric(PixelMetric Metric, const QStyleOption* Option, const QWidget* Widget) const override {
      if (Metric == PM_TextCursorWidth) return 0;
      return QProxyStyle::pixelMetric(Metric, Option, Widget);
    }
  };
  static QStyle* noCaret = new TNoCaretStyle;
  if (QLineEdit* line = Line()) {
    static std::map<QWidget*, QStyle*> saved;
    if (!Visible) {
      saved[line] = line->style() == noCaret ? saved[line] : line->style();
      line->setStyle(noCaret);
    } else if (auto it = saved.find(line); it != saved.end()) {
      line->setStyle(it->second);
      saved.erase(it);
    }
    line->update();
  } else if (auto* plain = qobject_cast<QPlainTextEdit*>(Widget())) {
    plain->setCursorWidth(Visible ? 1 : 0);
  } else if (auto* rich = qobject_cast<QTextEdit*>(Widget())) {
    rich->setCursorWidth(Visible ? 1 : 0);
  }
}

// Gives an event to the widget itself: no filter sees it again and, ignored, it
// goes to no parent (whose peer would send it to the layer once more).
void Deliver(QWidget* W, QEvent* E) {
  if (!W) return;
  static_cast<QObject*>(W)->event(E);
}

// Keys, committed input-method text and middle clicks of the native widget go
// through the layer first (this filter is installed after the generic one, so it
// runs first).
class TEditFilter : public QObject {
public:
  TEditFilter(TQtEditPeer* APeer, QObject* Parent) : QObject(Parent), Peer(APeer) {}
  TQtEditPeer* Peer;

  bool eventFilter(QObject* Watched, QEvent* E) override {
    if (!Peer || Peer->Replaying) return false;
    switch (E->type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
        Key(static_cast<QKeyEvent*>(E), E->type() == QEvent::KeyPress);
        return true;
      case QEvent::InputMethod:
        return InputMethod(static_cast<QInputMethodEvent*>(E));
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove:
        return Mouse(Watched, static_cast<QMouseEvent*>(E));
      case QEvent::ContextMenu:
      case QEvent::DragEnter:
      case QEvent::DragMove:
      case QEvent::Drop:
        return true;  // the layer shows the menu; nothing is dropped in past the messages
      default:
        return false;
    }
  }

private:
  void Key(QKeyEvent* E, bool Press) {
    QWidget* w = Peer->Widget();
    QtGuard(w, [&] {
      SyncModifiers(E->modifiers());
      WORD vk = QtKeyToVirtualKey(E->key(), E->modifiers());
      if (!vk) {
        TypeUnmappedKey(E, Press);
        if (Peer) Peer->FlushChange();
        return;
      }
      Qt::KeyboardModifiers m = E->modifiers();
      bool sys = ((m & Qt::AltModifier) && !(m & Qt::ControlModifier)) || vk == VK_MENU || vk == VK_F10;
      bool refused = false;
      std::string chars = Press ? QtKeyChars(E, refused) : std::string();
      if (refused) MessageBeep(0);  // a character GBK cannot hold is refused where it is typed
      UINT msg = Press ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
      Peer->InFlightMsg = msg;
      Peer->InFlightWParam = vk;
      Peer->InFlightHasText = !chars.empty() || refused;
      Peer->PassInFlight = false;
      InputKey(msg, vk, QtKeyData(E, !Press), chars);
      if (!Peer) return;
      bool pass = Peer->PassInFlight;
      Peer->InFlightMsg = 0;
      Peer->PassInFlight = false;
      if (pass && Peer->Widget()) {
        // The key reached the default procedure: the widget moves the caret or deletes.
        QKeyEvent copy(E->type(), E->key(), E->modifiers(), E->nativeScanCode(), E->nativeVirtualKey(),
                       E->nativeModifiers(), E->text(), E->isAutoRepeat(), static_cast<quint16>(E->count()));
        Peer->Replaying = true;
        Deliver(Peer->Widget(), &copy);
        if (Peer) Peer->Replaying = false;
      }
      if (Peer) Peer->FlushChange();
    });
  }

  bool InputMethod(QInputMethodEvent* E) {
    if (E->commitString().isEmpty()) return false;  // composing: the widget shows it
    QWidget* w = Peer->Widget();
    QtGuard(w, [&] {
      bool lossless = true;
      std::string gbk = FromQt(E->commitString(), &lossless);
      if (!lossless) MessageBeep(0);
      if (!gbk.empty()) InputChars(gbk);
      if (!Peer || !Peer->Widget()) return;
      // What the input method composes next (or nothing) is the widget's to show.
      QList<QInputMethodEvent::Attribute> attrs;
      for (const auto& a : E->attributes())
        if (a.type != QInputMethodEvent::Selection) attrs << a;
      QInputMethodEvent rest(E->preeditString(), attrs);
      Peer->Replaying = true;
      Deliver(Peer->Widget(), &rest);
      if (Peer) Peer->Replaying = false;
      if (Peer) Peer->FlushChange();
    });
    return true;
  }

  bool Mouse(QObject* Watched, QMouseEvent* E) {
    auto* w = qobject_cast<QWidget*>(Watched);
    if (!w) return false;
    bool middle = E->button() == Qt::MiddleButton || (E->type() == QEvent::MouseMove && (E->buttons() & Qt::MiddleButton));
    UINT msg = 0;
    switch (E->type()) {
      case QEvent::MouseMove: msg = WM_MOUSEMOVE; break;
      case QEvent::MouseButtonPress:
        msg = E->button() == Qt::LeftButton ? WM_LBUTTONDOWN : E->button() == Qt::RightButton ? WM_RBUTTONDOWN : WM_MBUTTONDOWN;
        break;
      case QEvent::MouseButtonRelease:
        msg = E->button() == Qt::LeftButton ? WM_LBUTTONUP : E->button() == Qt::RightButton ? WM_RBUTTONUP : WM_MBUTTONUP;
        break;
      default:
        msg = E->button() == Qt::LeftButton ? WM_LBUTTONDBLCLK : E->button() == Qt::RightButton ? WM_RBUTTONDBLCLK : WM_MBUTTONDBLCLK;
        break;
    }
    bool pass = false;
    QtGuard(w, [&] {
      SyncModifiers(E->modifiers());
      TQtPeer* root = Peer->Root();
      if (!root) return;
      Peer->InFlightMsg = msg;
      Peer->InFlightWParam = 0;
      Peer->InFlightHasText = false;
      Peer->PassInFlight = false;
      TPoint p = Peer->ToRootClient(w, E->position().toPoint());
      InputMouse(root->Wnd, msg, p, QtMouseKeys(E->buttons(), E->modifiers()));
      if (!Peer) return;
      pass = Peer->PassInFlight;
      Peer->InFlightMsg = 0;
      Peer->PassInFlight = false;
    });
    // The middle button would paste the selection past WM_PASTE.
    return !pass || middle;
  }
};

// ---------------------------------------------------------------------------

QWidget* MakeWidget(TEditKind Kind, QWidget* Parent) {
  switch (Kind) {
    case TEditKind::Line: {
      auto* w = new TLineWidget(Parent);
      w->setFrame(false);
      w->setMaxLength(INT_MAX);
      w->setDragEnabled(false);
      return w;
    }
    case TEditKind::Memo: {
      auto* w = new TMemoWidget(Parent);
      w->setFrameShape(QFrame::NoFrame);
      return w;
    }
    case TEditKind::Rich: {
      auto* w = new TRichWidget(Parent);
      w->setFrameShape(QFrame::NoFrame);
      w->setAcceptRichText(false);
      return w;
    }
  }
  return nullptr;
}

void SetWidgetPeer(QWidget* W, TEditKind Kind, TQtEditPeer* P) {
  switch (Kind) {
    case TEditKind::Line: static_cast<TLineWidget*>(W)->Peer = P; break;
    case TEditKind::Memo: static_cast<TMemoWidget*>(W)->Peer = P; break;
    case TEditKind::Rich: static_cast<TRichWidget*>(W)->Peer = P; break;
  }
}

TQtEditPeer::TQtEditPeer(const TPeerParams& P, TEditKind AKind)
    : TQtNativePeer(P, [AKind](QWidget* Parent) { return MakeWidget(AKind, Parent); }), Kind(AKind) {
  QWidget* w = Widget();
  SetWidgetPeer(w, Kind, this);
  w->setAcceptDrops(false);
  w->setContextMenuPolicy(Qt::PreventContextMenu);
  w->setAttribute(Qt::WA_InputMethodEnabled);
  Filter = new TEditFilter(this, w);
  w->installEventFilter(Filter);
  // Read right to left, the widget lays its text out right to left; the side the
  // text sits on is the window style's, whatever the direction (AlignAbsolute).
  if (P.ExStyle & WS_EX_RTLREADING) w->setLayoutDirection(Qt::RightToLeft);
  Qt::Alignment align = (P.Style & ES_RIGHT) ? Qt::AlignRight : (P.Style & ES_CENTER) ? Qt::AlignHCenter : Qt::AlignLeft;
  align |= Qt::AlignAbsolute;
  if (QLineEdit* line = Line()) {
    line->setAlignment(align | Qt::AlignVCenter);
    line->setReadOnly(P.Style & ES_READONLY);
    if (P.Style & ES_PASSWORD) {
      Password = '*';
      line->setEchoMode(QLineEdit::Password);
    }
    line->setText(ToQt(P.Caption));
    line->setCursorPosition(0);
    if (P.ExStyle & WS_EX_RTLREADING) {
      // A line edit reads in the direction of its text, whatever the widget's layout
      // direction; the direction key (what Ctrl+Right Shift sends) sets it right to
      // left for good, past later texts. Sent past the filter, which passes keys on.
      QKeyEvent direction(QEvent::KeyPress, Qt::Key_Direction_R, Qt::NoModifier);
      Replaying = true;
      QCoreApplication::sendEvent(line, &direction);
      Replaying = false;
    }
    FChanged = QObject::connect(line, &QLineEdit::textChanged, line, [this] { MarkChanged(true); });
    FCaretMoved = QObject::connect(line, &QLineEdit::cursorPositionChanged, line, [this] { MarkChanged(false); });
    FSelected = QObject::connect(line, &QLineEdit::selectionChanged, line, [this] { MarkChanged(false); });
  } else {
    QAbstractScrollArea* area = Area();
    area->viewport()->installEventFilter(Filter);
    area->viewport()->setContextMenuPolicy(Qt::PreventContextMenu);
    area->viewport()->setAcceptDrops(false);
    area->setVerticalScrollBarPolicy((P.Style & WS_VSCROLL) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    area->setHorizontalScrollBarPolicy((P.Style & WS_HSCROLL) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    bool wrap = !(P.Style & ES_AUTOHSCROLL);
    QTextOption::WrapMode mode = wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap;
    if (Kind == TEditKind::Memo) {
      auto* m = static_cast<QPlainTextEdit*>(area);
      m->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
      m->setWordWrapMode(mode);
      m->setReadOnly(P.Style & ES_READONLY);
      m->setPlainText(QtText(P.Caption, true));
    } else {
      auto* r = static_cast<QTextEdit*>(area);
      r->setLineWrapMode(wrap ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
      r->setWordWrapMode(mode);
      r->setReadOnly(P.Style & ES_READONLY);
      r->setPlainText(QtText(P.Caption, true));
    }
    // Read-only editors still take the keyboard focus and show a caret position.
    if (P.Style & ES_READONLY) KeepKeyboardSelection();
    Document()->setDefaultTextOption([&] {
      QTextOption o = Document()->defaultTextOption();
      o.setAlignment(align);
      return o;
    }());
    FChanged = QObject::connect(Document(), &QTextDocument::contentsChanged, area, [this] { MarkChanged(true); });
    if (Kind == TEditKind::Memo) {
      auto* m = static_cast<QPlainTextEdit*>(area);
      FCaretMoved = QObject::connect(m, &QPlainTextEdit::cursorPositionChanged, m, [this] { MarkChanged(false); });
      FSelected = QObject::connect(m, &QPlainTextEdit::selectionChanged, m, [this] { MarkChanged(false); });
    } else {
      auto* r = static_cast<QTextEdit*>(area);
      FCaretMoved = QObject::connect(r, &QTextEdit::cursorPositionChanged, r, [this] { MarkChanged(false); });
      FSelected = QObject::connect(r, &QTextEdit::selectionChanged, r, [this] { MarkChanged(false); });
    }
  }
  SetBounds(P.Bounds, P.Client);
}

TQtEditPeer::~TQtEditPeer() {
  if (Filter) Filter->Peer = nullptr;
  *Alive = false;
  QObject::disconnect(FChanged);
  QObject::disconnect(FCaretMoved);
  QObject::disconnect(FSelected);
  if (QWidget* w = Widget()) SetWidgetPeer(w, Kind, nullptr);
}

void TQtEditPeer::SetBounds(const TRect& B, const TRect& C) {
  TQtNativePeer::SetBounds(B, C);
  if (!Widget()) return;
  Inset = QMargins(C.Left, C.Top, std::max(0, B.Width() - C.Right), std::max(0, B.Height() - C.Bottom));
  if (!Area()) {
    Widget()->setContentsMargins(Inset);
    return;
  }
  PlaceViewport();
}

void TQtEditPeer::PlaceViewport() {
  // A scroll area owns its contents margins (its frame sets them whenever it lays
  // itself out), so the client area is made of two parts: a plain frame as wide as
  // the narrowest side of the non-client frame, inside which the native scroll bars
  // sit, and viewport margins for the rest (plus the edit's own text margins). The
  // frame Qt draws lies wholly in the non-client area, which PaintFrameOver covers.
  QAbstractScrollArea* a = Area();
  int n = std::max(0, std::min({Inset.left(), Inset.top(), Inset.right(), Inset.bottom()}));
  if (a->lineWidth() != n || (a->frameShape() == QFrame::NoFrame) != (n == 0)) {
    a->setFrameStyle(n ? QFrame::Box | QFrame::Plain : QFrame::NoFrame);
    a->setLineWidth(n);
    a->setMidLineWidth(0);
  }
  int vbar = a->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn ? a->verticalScrollBar()->sizeHint().width() : 0;
  int hbar = a->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOn ? a->horizontalScrollBar()->sizeHint().height() : 0;
  QMargins m(Inset.left() - n + LeftMargin, Inset.top() - n, std::max(0, Inset.right() - n - vbar) + RightMargin,
             std::max(0, Inset.bottom() - n - hbar));
  if (Kind == TEditKind::Memo) static_cast<TMemoWidget*>(a)->setViewportMargins(m);
  else static_cast<TRichWidget*>(a)->setViewportMargins(m);
  QEvent relayout(QEvent::LayoutRequest);
  QCoreApplication::sendEvent(a, &relayout);
}

QTextDocument* TQtEditPeer::Document() const {
  if (Kind == TEditKind::Memo) return static_cast<QPlainTextEdit*>(Widget())->document();
  if (Kind == TEditKind::Rich) return static_cast<QTextEdit*>(Widget())->document();
  return nullptr;
}

QTextCursor TQtEditPeer::TextCursor() const {
  if (Kind == TEditKind::Memo) return static_cast<QPlainTextEdit*>(Widget())->textCursor();
  return static_cast<QTextEdit*>(Widget())->textCursor();
}

void TQtEditPeer::SetTextCursor(const QTextCursor& C) {
  if (Kind == TEditKind::Memo) static_cast<QPlainTextEdit*>(Widget())->setTextCursor(C);
  else static_cast<QTextEdit*>(Widget())->setTextCursor(C);
}

QString TQtEditPeer::Text() const {
  if (QLineEdit* l = Line()) return l->text();
  return Document()->toPlainText();
}

void TQtEditPeer::SetText(const QString& Q) {
  SettingText = true;
  if (QLineEdit* l = Line()) {
    l->setText(Q);
    l->setCursorPosition(0);
  } else if (Kind == TEditKind::Memo) {
    static_cast<QPlainTextEdit*>(Widget())->setPlainText(Q);
  } else {
    static_cast<QTextEdit*>(Widget())->setPlainText(Q);
  }
  SettingText = false;
  ChangePending = true;  // a new text is a change even when it is the same
}

void TQtEditPeer::GetSel(int& Anchor, int& Caret) const {
  if (QLineEdit* l = Line()) {
    Caret = l->cursorPosition();
    Anchor = Caret;
    if (l->hasSelectedText()) {
      int s = l->selectionStart(), n = l->selectionLength();
      Anchor = Caret == s ? s + n : s;
    }
    return;
  }
  QTextCursor c = TextCursor();
  Anchor = c.anchor();
  Caret = c.position();
}

void TQtEditPeer::SetSel(int Anchor, int Caret) {
  if (QLineEdit* l = Line()) {
    if (Anchor == Caret) l->setCursorPosition(Caret);
    else l->setSelection(Anchor, Caret - Anchor);
    return;
  }
  QTextCursor c = TextCursor();
  c.setPosition(Anchor);
  c.setPosition(Caret, QTextCursor::KeepAnchor);
  SetTextCursor(c);
}

void TQtEditPeer::Insert(const QString& Q, bool Undoable) {
  if (QLineEdit* l = Line()) {
    if (Undoable) {
      l->insert(Q);
      return;
    }
    // Not undoable: the text is set anew (which also forgets what could be undone).
    int a, c;
    GetSel(a, c);
    QString t = l->text();
    int s = std::min(a, c), e = std::max(a, c);
    t.replace(s, e - s, Q);
    l->setText(t);
    l->setCursorPosition(s + static_cast<int>(Q.size()));
    return;
  }
  QTextDocument* d = Document();
  if (!Undoable) d->setUndoRedoEnabled(false);
  QTextCursor c = TextCursor();
  c.insertText(Q);
  SetTextCursor(c);
  if (!Undoable) d->setUndoRedoEnabled(true);
}

bool TQtEditPeer::CanUndo() const {
  if (QLineEdit* l = Line()) return l->isUndoAvailable();
  return Document()->isUndoAvailable();
}

void TQtEditPeer::Undo() {
  if (QLineEdit* l = Line()) l->undo();
  else if (Kind == TEditKind::Memo) static_cast<QPlainTextEdit*>(Widget())->undo();
  else static_cast<QTextEdit*>(Widget())->undo();
}

void TQtEditPeer::KeepKeyboardSelection() {
  auto flags = Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard;
  if (Kind == TEditKind::Memo) static_cast<QPlainTextEdit*>(Widget())->setTextInteractionFlags(flags);
  else if (Kind == TEditKind::Rich) static_cast<QTextEdit*>(Widget())->setTextInteractionFlags(flags);
}

QPoint TQtEditPeer::ClientOffset() const {
  TRect c = GetClientArea(Wnd);
  return {c.Left, c.Top};
}

int TQtEditPeer::FirstVisibleLine() const {
  if (Kind == TEditKind::Line) return 0;
  QTextCursor top = Kind == TEditKind::Memo ? static_cast<QPlainTextEdit*>(Widget())->cursorForPosition(QPoint(1, 1))
                                            : static_cast<QTextEdit*>(Widget())->cursorForPosition(QPoint(1, 1));
  // Lines of the layer are the text's lines (CR LF): the block holding the top.
  return top.block().blockNumber();
}

void TQtEditPeer::MarkChanged(bool Text) {
  if (Text) {
    if (!SettingText) Modified = true;
    ChangePending = true;
  }
  SelPending = true;
  if (FDepth > 0 || Replaying || FlushScheduled || !Widget()) return;
  // A change the widget made on its own (a click moving the caret ...).
  FlushScheduled = true;
  QPointer<TEditFilter> filter = Filter;
  QTimer::singleShot(0, Widget(), [filter] {
    if (!filter || !filter->Peer) return;
    TQtEditPeer* p = filter->Peer;
    p->FlushScheduled = false;
    QtGuard(p->Widget(), [p] { p->FlushChange(); });
  });
}

void TQtEditPeer::FlushChange() {
  if (FDepth > 0) return;
  std::shared_ptr<bool> alive = Alive;
  HWND wnd = Wnd;
  HWND parent = GetParent(wnd);
  if (ChangePending) {
    ChangePending = false;
    if (parent) SendMessage(parent, WM_COMMAND, MAKEWPARAM(0, EN_CHANGE), reinterpret_cast<LPARAM>(wnd));
    if (!*alive) return;
  }
  if (SelPending) {
    SelPending = false;
    if (parent) SendMessage(parent, WM_COMMAND, MAKEWPARAM(0, EN_SELCHANGE), reinterpret_cast<LPARAM>(wnd));
  }
}

bool TQtEditPeer::DefaultProc(TMessage& M) {
  if (!Widget()) return false;
  if (M.Msg == WM_ERASEBKGND && M.WParam) {
    // The edit's background, where a control that paints its client itself leaves
    // room (the widget covers it otherwise).
    TRect r;
    GetClientRect(Wnd, &r);
    HBRUSH brush = CreateSolidBrush(Back.isValid() ? RGB(Back.red(), Back.green(), Back.blue()) : ColorToRGB(clWindow));
    FillRect(reinterpret_cast<HDC>(M.WParam), &r, brush);
    DeleteObject(brush);
    M.Result = 1;
    return true;
  }
  bool done;
  {
    ++FDepth;
    TOnExit leave([this] { --FDepth; });
    done = Handle(M);
  }
  FlushChange();
  return done;
}

// The edit's messages by group; the last group passes what no group knows to the
// native peer's procedure.
bool TQtEditPeer::Handle(TMessage& M) {
  return HandleText(M) || HandleSelection(M) || HandleFlags(M) || HandleOptions(M) || HandleScrolling(M) ||
         HandleInput(M);
}

// The text in GBK bytes, replacing the selection and undoing.
bool TQtEditPeer::HandleText(TMessage& M) {
  bool multi = Multi();
  switch (M.Msg) {
    case WM_SETTEXT: {
      const char* t = reinterpret_cast<const char*>(M.LParam);
      SetText(QtText(t ? t : "", multi));
      Modified = false;
      M.Result = TRUE;
      return true;
    }
    case WM_GETTEXT: case WM_GETTEXTLENGTH: {
      ReplyWindowText(M, GbkText(Text(), multi));
      return true;
    }
    case EM_REPLACESEL: {
      const char* p = reinterpret_cast<const char*>(M.LParam);
      std::string s = p ? p : "";
      if (!multi) {
        if (size_t br = s.find_first_of("\r\n"); br != std::string::npos) s.resize(br);
      }
      QString t = Text();
      int a, c;
      GetSel(a, c);
      size_t len = BytesBefore(t, static_cast<int>(t.size()), multi);
      size_t sel = BytesBefore(t, std::max(a, c), multi) - BytesBefore(t, std::min(a, c), multi);
      size_t keep = len - sel;
      size_t room = Limit > keep ? Limit - keep : 0;
      QString q = QtText(s, multi);
      if (BytesBefore(q, static_cast<int>(q.size()), multi) > room) {
        q = QtText(GbkTruncate(GbkText(q, multi), room), multi);
        if (HWND parent = GetParent(Wnd))
          SendMessage(parent, WM_COMMAND, MAKEWPARAM(0, EN_MAXTEXT), reinterpret_cast<LPARAM>(Wnd));
      }
      if (q.isEmpty() && a == c) return true;
      Insert(q, M.WParam != 0);
      Modified = true;
      return true;
    }
    case EM_CANUNDO:
      M.Result = CanUndo() ? TRUE : FALSE;
      return true;
    case EM_UNDO:
      if (!CanUndo()) {
        M.Result = FALSE;
        return true;
      }
      Undo();
      Modified = true;
      M.Result = TRUE;
      return true;
    case EM_EMPTYUNDOBUFFER:
      if (QLineEdit* l = Line()) {
        int a, c;
        GetSel(a, c);
        bool was = Modified;
        bool pending = ChangePending;
        SettingText = true;
        l->setText(l->text());
        SettingText = false;
        SetSel(a, c);
        Modified = was;
        ChangePending = pending;
      } else {
        Document()->clearUndoRedoStacks();
      }
      return true;
    default:
      return false;
  }
}

// The selection in bytes.
bool TQtEditPeer::HandleSelection(TMessage& M) {
  bool multi = Multi();
  switch (M.Msg) {
    case EM_GETSEL: {
      QString t = Text();
      int a, c;
      GetSel(a, c);
      auto s = static_cast<DWORD>(BytesBefore(t, std::min(a, c), multi));
      auto e = static_cast<DWORD>(BytesBefore(t, std::max(a, c), multi));
      if (auto* ps = reinterpret_cast<DWORD*>(M.WParam)) *ps = s;
      if (auto* pe = reinterpret_cast<DWORD*>(M.LParam)) *pe = e;
      M.Result = MAKELPARAM(static_cast<int>(std::min<DWORD>(s, 0xFFFF)), static_cast<int>(std::min<DWORD>(e, 0xFFFF)));
      return true;
    }
    case EM_GETCARETINDEX: {
      int a, c;
      GetSel(a, c);
      M.Result = static_cast<LRESULT>(BytesBefore(Text(), c, multi));
      return true;
    }
    case EM_SETSEL: {
      QString t = Text();
      auto s = static_cast<std::intptr_t>(M.WParam);
      auto e = static_cast<std::intptr_t>(M.LParam);
      if (s == -1) {
        int a, c;
        GetSel(a, c);
        SetSel(c, c);
        return true;
      }
      int a = s < 0 ? 0 : PosOfByte(t, static_cast<size_t>(s), multi);
      int c = e < 0 ? static_cast<int>(t.size()) : PosOfByte(t, static_cast<size_t>(e), multi);
      SetSel(a, c);
      return true;
    }
    default:
      return false;
  }
}

// The options: read-only, password character, margins and the text's rectangle.
bool TQtEditPeer::HandleOptions(TMessage& M) {
  QWidget* w = Widget();
  switch (M.Msg) {
    case EM_SETREADONLY: {
      bool ro = M.WParam != 0;
      if (QLineEdit* l = Line()) {
        l->setReadOnly(ro);
      } else {
        if (Kind == TEditKind::Memo) static_cast<QPlainTextEdit*>(w)->setReadOnly(ro);
        else static_cast<QTextEdit*>(w)->setReadOnly(ro);
        if (ro) KeepKeyboardSelection();
      }
      M.Result = TRUE;
      return true;
    }
    case EM_SETPASSWORDCHAR:
      if (QLineEdit* l = Line()) {
        Password = static_cast<char>(M.WParam & 0xFF);
        if (Password) {
          l->setStyle(PasswordStyle(Password));
          l->setEchoMode(QLineEdit::Password);
        } else {
          l->setEchoMode(QLineEdit::Normal);
        }
        l->update();
      }
      return true;
    case EM_GETPASSWORDCHAR:
      M.Result = static_cast<unsigned char>(Password);
      return true;
    case EM_SETMARGINS: {
      int font = std::max(1, w->fontMetrics().averageCharWidth() / 2);
      bool useFont = M.WParam == EC_USEFONTINFO;
      if (useFont || (M.WParam & EC_LEFTMARGIN)) LeftMargin = useFont ? font : LOWORD(M.LParam);
      if (useFont || (M.WParam & EC_RIGHTMARGIN)) RightMargin = useFont ? font : HIWORD(M.LParam);
      if (QLineEdit* l = Line()) l->setTextMargins(LeftMargin, 0, RightMargin, 0);
      else PlaceViewport();
      return true;
    }
    case EM_GETMARGINS:
      M.Result = MAKELPARAM(LeftMargin, RightMargin);
      return true;
    case EM_GETRECT: {
      auto* r = reinterpret_cast<TRect*>(M.LParam);
      if (!r) return true;
      QRect g = Line() ? w->contentsRect().marginsRemoved(Line()->textMargins()) : Area()->viewport()->geometry();
      QPoint o = ClientOffset();
      *r = TRect{g.left() - o.x(), g.top() - o.y(), g.right() + 1 - o.x(), g.bottom() + 1 - o.y()};
      return true;
    }
    default:
      return false;
  }
}

// Positions on the screen and scrolling.
bool TQtEditPeer::HandleScrolling(TMessage& M) {
  QWidget* w = Widget();
  bool multi = Multi();
  switch (M.Msg) {
    case EM_CHARFROMPOS: {
      QPoint p = QPoint(GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)) + ClientOffset();
      QString t = Text();
      int pos, line = 0;
      if (QLineEdit* l = Line()) {
        pos = l->cursorPositionAt(p);
      } else {
        QPoint vp = Area()->viewport()->mapFrom(w, p);
        QTextCursor c = Kind == TEditKind::Memo ? static_cast<QPlainTextEdit*>(w)->cursorForPosition(vp)
                                                : static_cast<QTextEdit*>(w)->cursorForPosition(vp);
        pos = c.position();
        line = c.block().blockNumber();
      }
      auto b = BytesBefore(t, pos, multi);
      M.Result = MAKELPARAM(static_cast<int>(std::min<size_t>(b, 0xFFFF)), line);
      return true;
    }
    case EM_POSFROMCHAR: {
      QString t = Text();
      size_t b = static_cast<size_t>(M.WParam);
      if (b > BytesBefore(t, static_cast<int>(t.size()), multi)) {
        M.Result = -1;
        return true;
      }
      int pos = PosOfByte(t, b, multi);
      QPoint at;
      if (QLineEdit* l = Line()) {
        // From the caret's place: the advance between the caret and the character.
        auto* lw = static_cast<TLineWidget*>(l);
        QString shown = l->displayText();
        QFontMetrics fm(l->font());
        int caret = l->cursorPosition();
        at = QPoint(lw->cursorRect().center().x() + fm.horizontalAdvance(shown.left(pos)) -
                        fm.horizontalAdvance(shown.left(caret)),
                    lw->cursorRect().top());
      } else {
        QTextCursor c(Document());
        c.setPosition(pos);
        QRect r = Kind == TEditKind::Memo ? static_cast<QPlainTextEdit*>(w)->cursorRect(c)
                                          : static_cast<QTextEdit*>(w)->cursorRect(c);
        at = Area()->viewport()->mapTo(w, r.topLeft());
      }
      at -= ClientOffset();
      M.Result = MAKELPARAM(at.x(), at.y());
      return true;
    }
    case EM_GETFIRSTVISIBLELINE:
      M.Result = FirstVisibleLine();
      return true;
    case EM_LINESCROLL: case EM_SCROLL: {
      if (!multi) {
        M.Result = FALSE;
        return true;
      }
      QScrollBar* v = Area()->verticalScrollBar();
      // A plain-text editor scrolls by lines; the rich editor by pixels.
      int unit = Kind == TEditKind::Memo ? 1 : std::max(1, w->fontMetrics().lineSpacing());
      int before = FirstVisibleLine();
      if (M.Msg == EM_LINESCROLL) {
        v->setValue(v->value() + static_cast<int>(M.LParam) * unit);
        QScrollBar* h = Area()->horizontalScrollBar();
        h->setValue(h->value() + static_cast<int>(static_cast<std::intptr_t>(M.WParam)) * w->fontMetrics().averageCharWidth());
        M.Result = TRUE;
        return true;
      }
      int old = v->value();
      switch (LOWORD(M.WParam)) {
        case SB_LINEUP: v->setValue(old - unit); break;
        case SB_LINEDOWN: v->setValue(old + unit); break;
        case SB_PAGEUP: v->triggerAction(QAbstractSlider::SliderPageStepSub); break;
        case SB_PAGEDOWN: v->triggerAction(QAbstractSlider::SliderPageStepAdd); break;
        default: M.Result = FALSE; return true;
      }
      int moved = FirstVisibleLine() - before;
      if (v->value() != old && moved == 0) moved = (v->value() > old) ? 1 : -1;
      M.Result = MAKELPARAM(moved, TRUE);
      return true;
    }
    case EM_SCROLLCARET:
      if (Kind == TEditKind::Memo) static_cast<QPlainTextEdit*>(w)->ensureCursorVisible();
      else if (Kind == TEditKind::Rich) static_cast<QTextEdit*>(w)->ensureCursorVisible();
      M.Result = TRUE;
      return true;
    default:
      return false;
  }
}

// Keys and clipboard messages; the rest goes to the native peer's procedure.
bool TQtEditPeer::HandleInput(TMessage& M) {
  QWidget* w = Widget();
  switch (M.Msg) {
    case WM_CUT: case WM_COPY: case WM_PASTE: case WM_CLEAR: case WM_UNDO: case WM_CHAR:
      // The layer does these through the messages above; the widget never does them.
      return true;
    case WM_KEYDOWN: case WM_KEYUP: {
      if (InFlightMsg && M.Msg == InFlightMsg && M.WParam == InFlightWParam) return TQtNativePeer::DefaultProc(M);
      // A key the program sends: the widget moves its caret (or deletes).
      int qk = VirtualKeyToQtKey(static_cast<WORD>(M.WParam));
      if (!qk) return true;
      Qt::KeyboardModifiers mods;
      if (GetKeyState(VK_SHIFT) < 0) mods |= Qt::ShiftModifier;
      if (GetKeyState(VK_CONTROL) < 0) mods |= Qt::ControlModifier;
      QKeyEvent e(M.Msg == WM_KEYDOWN ? QEvent::KeyPress : QEvent::KeyRelease, qk, mods);
      Deliver(w, &e);
      return true;
    }
    default:
      return TQtNativePeer::DefaultProc(M);
  }
}

// ---------------------------------------------------------------------------

void TakeColors(QWidget* W, TQtEditPeer* P) {
  // The control says its colours the way an edit asks its parent: CN_CTLCOLOREDIT
  // with a device context whose text and background colours it sets.
  HWND wnd = P->Wnd;
  QColor back, fore;
  QtGuard(W, [&] {
    HDC dc = CreateCompatibleDC(nullptr);
    SetTextColor(dc, ColorToRGB(clWindowText));
    SetBkColor(dc, ColorToRGB(clWindow));
    SendMessage(wnd, CN_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(wnd));
    COLORREF t = GetTextColor(dc), b = GetBkColor(dc);
    DeleteDC(dc);
    fore = QColor(GetRValue(t), GetGValue(t), GetBValue(t));
    back = QColor(GetRValue(b), GetGValue(b), GetBValue(b));
  });
  // Qt disables every widget of a disabled window, so the edits of a window that a
  // modal loop disables would be drawn greyed. Only an edit that is disabled itself
  // looks disabled; under a modal box the others keep their look.
  const bool ownDisabled = W->testAttribute(Qt::WA_ForceDisabled);
  if (!back.isValid() || (back == P->Back && fore == P->Fore && ownDisabled == P->OwnDisabled)) return;
  P->Back = back;
  P->Fore = fore;
  P->OwnDisabled = ownDisabled;
  QPalette pal = W->palette();
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    pal.setColor(group, QPalette::Base, back);
    pal.setColor(group, QPalette::Window, back);
    if (group != QPalette::Disabled) pal.setColor(group, QPalette::Text, fore);
  }
  COLORREF gray = ColorToRGB(clGrayText);
  pal.setColor(QPalette::Disabled, QPalette::Text,
               ownDisabled ? QColor(GetRValue(gray), GetGValue(gray), GetBValue(gray)) : fore);
  if (!ownDisabled)
    for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
      pal.setColor(QPalette::Disabled, role, pal.color(QPalette::Inactive, role));
  W->setPalette(pal);
}

// Whether the control paints its client itself (a colour edit's swatch): it says so
// in its ControlStyle, so nothing is sent to it from inside Qt's painting.
bool PaintsItsOwnClient(HWND Wnd) {
  TWinControl* control = FindControl(Wnd);
  return control && control->ControlStyle().Contains(csOwnClientPaint);
}

void PaintFrameOver(QWidget* W, TQtEditPeer* P) {
  HWND wnd = P->Wnd;
  QtGuard(W, [&] { InputPaint(wnd); });
  if (!IsControlWindow(wnd)) return;
  TRect c = GetClientArea(wnd);
  // The frame the layer paints, and the client too when the control paints it.
  QRegion frame = QRegion(W->rect());
  if (!PaintsItsOwnClient(wnd)) frame -= QRegion(c.Left, c.Top, c.Width(), c.Height());
  if (frame.isEmpty()) return;
  QImage img = P->BufferImage();
  if (img.isNull()) return;
  // Rectangle by rectangle (see TPeerWidget::paintEvent): a copy each, no blending
  // under a region clip.
  QPainter p(W);
  for (const QRect& r : frame) {
    p.setClipRect(r);
    p.drawImage(r, img, r);
  }
}

}  // namespace

void RegisterEditPeers() {
  RegisterPeerClass("EDIT", [](const TPeerParams& P) -> std::unique_ptr<TWindowPeer> {
    return std::make_unique<TQtEditPeer>(P, (P.Style & ES_MULTILINE) ? TEditKind::Memo : TEditKind::Line);
  });
  RegisterPeerClass("RICHEDIT", [](const TPeerParams& P) -> std::unique_ptr<TWindowPeer> {
    return std::make_unique<TQtEditPeer>(P, TEditKind::Rich);
  });
}

}  // namespace qtbackend
