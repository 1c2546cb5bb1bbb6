// The Qt backend: the event loop with the message queue and the timers plugged in,
// the screen, the clipboard, native dialogs and menus, screenshots.
#include "platform/backend/qt/qt_backend.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <QFileDialog>
#include <QFontMetrics>
#include <QIcon>
#include <QGridLayout>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QRegion>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>
#include <QTranslator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "platform/backend/qt/qt_internal.h"
#include "platform/controls/controls.h"
#include "platform/controls/input.h"
#include "platform/controls/menus.h"
#include "platform/graphics/graphics.h"
#include "platform/win32/clock.h"
#include "platform/win32/desktopapps.h"

namespace qtbackend {

Qt::CursorShape CursorShapeOf(HCURSOR Cursor) {
  if (!Cursor) return Qt::BlankCursor;
  switch (PredefinedCursorId(Cursor)) {
    case IDC_IBEAM: return Qt::IBeamCursor;
    case IDC_WAIT: return Qt::WaitCursor;
    case IDC_CROSS: return Qt::CrossCursor;
    case IDC_UPARROW: return Qt::UpArrowCursor;
    case IDC_SIZENWSE: return Qt::SizeFDiagCursor;
    case IDC_SIZENESW: return Qt::SizeBDiagCursor;
    case IDC_SIZEWE: return Qt::SizeHorCursor;
    case IDC_SIZENS: return Qt::SizeVerCursor;
    case IDC_SIZEALL: return Qt::SizeAllCursor;
    case IDC_NO: return Qt::ForbiddenCursor;
    case IDC_HAND: return Qt::PointingHandCursor;
    case IDC_APPSTARTING: return Qt::BusyCursor;
    case IDC_HELP: return Qt::WhatsThisCursor;
    default: return Qt::ArrowCursor;
  }
}

namespace {

QWidget* OwnerWidget(HWND Owner) {
  auto* p = dynamic_cast<TQtPeer*>(WindowPeer(GetAncestorRoot(Owner)));
  return p ? p->Outer() : nullptr;
}

// "Text files|*.txt;*.log|All|*.*" -> "Text files (*.txt *.log)", "All (*.*)".
QStringList QtFilters(const std::string& Filter) {
  QStringList parts = ToQt(Filter).split(QLatin1Char('|'));
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    out << parts[i] + QStringLiteral(" (") + patterns + QStringLiteral(")");
  }
  return out;
}

}  // namespace

TQtBackend::TQtBackend() {
  FOffscreen = QGuiApplication::platformName() == QStringLiteral("offscreen");
  FQueueNotifier = new QSocketNotifier(MessageQueueFd(), QSocketNotifier::Read);
  QObject::connect(FQueueNotifier, &QSocketNotifier::activated, [] { QtGuard(nullptr, DispatchPostedMessages); });
  FTimer = new QTimer;
  FTimer->setSingleShot(true);
  FTimer->setTimerType(Qt::PreciseTimer);
  QObject::connect(FTimer, &QTimer::timeout, [] { QtGuard(nullptr, DispatchPostedMessages); });
}

TQtBackend::~TQtBackend() {
  delete FQueueNotifier;
  delete FTimer;
  delete FDragFrame;
}

namespace {
std::map<std::string, TPeerFactory>& PeerClasses() {
  static auto* m = new std::map<std::string, TPeerFactory>;
  return *m;
}
}  // namespace

void RegisterPeerClass(const std::string& ClassName, TPeerFactory Factory) {
  PeerClasses()[ClassName] = std::move(Factory);
}

TPeerFactory PeerClassFactory(const std::string& ClassName) {
  auto it = PeerClasses().find(ClassName);
  return it == PeerClasses().end() ? TPeerFactory{} : it->second;
}

std::unique_ptr<TWindowPeer> TQtBackend::CreatePeer(const TPeerParams& Params) {
  if (Params.Parent && !Params.ClassName.empty()) {
    if (TPeerFactory make = PeerClassFactory(Params.ClassName)) return make(Params);
  }
  if (Params.Parent && !Params.ClassName.empty() && NativeClassRegistered(Params.ClassName)) {
    return std::make_unique<TQtNativePeer>(Params, NativeFactory(Params.ClassName));
  }
  return std::make_unique<TQtPeer>(Params);
}

bool TQtBackend::HasNativeClass(const std::string& ClassName) const {
  return NativeClassRegistered(ClassName) || PeerClassFactory(ClassName) != nullptr;
}

std::vector<TMonitorInfo> TQtBackend::Monitors() {
  std::vector<TMonitorInfo> out;
  QScreen* primary = QGuiApplication::primaryScreen();
  auto add = [&out](QScreen* s, bool Primary) {
    QRect g = s->geometry(), a = s->availableGeometry();
    out.push_back({Bounds(g.x(), g.y(), g.width(), g.height()), Bounds(a.x(), a.y(), a.width(), a.height()), Primary});
  };
  if (primary) add(primary, true);
  for (QScreen* s : QGuiApplication::screens())
    if (s != primary) add(s, false);
  return out;
}

TPoint TQtBackend::CursorPos() {
  if (FOffscreen) return FLastPointer;
  QPoint p = QCursor::pos();
  return {p.x(), p.y()};
}

void TQtBackend::SetCursorPos(TPoint P) {
  FLastPointer = P;
  if (!FOffscreen) QCursor::setPos(P.X, P.Y);
}

void TQtBackend::SetOverrideCursor(HCURSOR Cursor) {
  if (FOverride) QGuiApplication::restoreOverrideCursor();
  FOverride = Cursor != nullptr;
  if (Cursor) QGuiApplication::setOverrideCursor(QCursor(CursorShapeOf(Cursor)));
}

bool TQtBackend::ClipboardHasText() { return !QGuiApplication::clipboard()->text().isEmpty(); }

std::string TQtBackend::ClipboardText() { return FromQt(QGuiApplication::clipboard()->text()); }

void TQtBackend::SetClipboardText(const std::string& Text) { QGuiApplication::clipboard()->setText(ToQt(Text)); }

void TQtBackend::ProcessEvents(bool Wait) {
  QCoreApplication::processEvents(Wait ? QEventLoop::WaitForMoreEvents : QEventLoop::AllEvents);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TQtBackend::Wake() {
  if (QAbstractEventDispatcher* d = QCoreApplication::eventDispatcher()) d->wakeUp();
}

void TQtBackend::TimerDue(std::optional<std::uint64_t> DueMs) {
  if (!DueMs) {
    FTimer->stop();
    return;
  }
  std::uint64_t now = Clock().NowMs();
  std::uint64_t wait = *DueMs > now ? *DueMs - now : 0;
  FTimer->start(static_cast<int>(std::min<std::uint64_t>(wait, INT_MAX)));
}

int TQtBackend::MessageBox(HWND Owner, const std::string& Text, const std::string& Caption, UINT Type) {
  QMessageBox box(OwnerWidget(Owner));
  box.setWindowTitle(ToQt(Caption));
  box.setText(ToQt(Text));
  switch (Type & MB_ICONMASK) {
    case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
  }
  struct TButton {
    QMessageBox::StandardButton Qt;
    int Id;
  };
  std::vector<TButton> buttons;
  switch (Type & MB_TYPEMASK) {
    case MB_OKCANCEL: buttons = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}}; break;
    case MB_ABORTRETRYIGNORE:
      buttons = {{QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY}, {QMessageBox::Ignore, IDIGNORE}};
      break;
    case MB_YESNOCANCEL:
      buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
      break;
    case MB_YESNO: buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}}; break;
    case MB_RETRYCANCEL: buttons = {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}}; break;
    default: buttons = {{QMessageBox::Ok, IDOK}}; break;
  }
  for (const TButton& b : buttons) box.addButton(b.Qt);
  size_t def = (Type & MB_DEFBUTTON3) ? 2 : (Type & MB_DEFBUTTON2) ? 1 : 0;
  if (def < buttons.size()) box.setDefaultButton(buttons[def].Qt);
  int fallback = MessageBoxDefaultResult(Type);
  for (const TButton& b : buttons)
    if (b.Id == fallback) box.setEscapeButton(b.Qt);
  // The window manager cuts a title wider than the box ("dt... fig"): make the box
  // wide enough for the title in a bold title-bar font, with room for the title
  // bar's icon and buttons, up to the screen's width.
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
    QFont font = QApplication::font();
    font.setBold(true);
    constexpr int kTitleBarRoom = 160;  // icon, three buttons and the margins
    int want = QFontMetrics(font).horizontalAdvance(box.windowTitle()) + kTitleBarRoom;
    if (QScreen* screen = QGuiApplication::primaryScreen()) want = std::min(want, screen->availableSize().width());
    grid->addItem(new QSpacerItem(want, 0, QSizePolicy::Minimum, QSizePolicy::Expanding), grid->rowCount(), 0, 1,
                  grid->columnCount());
  }
  box.exec();
  QAbstractButton* clicked = box.clickedButton();
  for (const TButton& b : buttons)
    if (clicked && box.standardButton(clicked) == b.Qt) return b.Id;
  return fallback;
}

TMenuItem* TQtBackend::TrackPopupMenu(TMenuItem* Root, TPoint ScreenPos, HWND Owner,
                                      const TPopupPlacement& Placement) {
  if (!Root) return nullptr;
  TMenu* menu = Root->GetParentMenu();
  QMenu popup(OwnerWidget(Owner));
  // Set before the rows are made, so that submenus read the same way.
  if (Placement.RightToLeft) popup.setLayoutDirection(Qt::RightToLeft);
  TMenuItem* chosen = nullptr;
  FillQtMenu(&popup, Root, false, menu && menu->OwnerDraw(), [&chosen](TMenuItem* I) { chosen = I; });
  QPoint at(ScreenPos.X, ScreenPos.Y);
  const int width = popup.sizeHint().width();
  if (Placement.Align == TPopupAlign::paRight) at.rx() -= width;
  else if (Placement.Align == TPopupAlign::paCenter) at.rx() -= width / 2;
  popup.exec(at);
  // The item must still be in the menu (a handler run meanwhile may have changed it).
  std::vector<TMenuItem*> stack{Root};
  while (chosen && !stack.empty()) {
    TMenuItem* i = stack.back();
    stack.pop_back();
    for (int k = 0; k < i->Count(); ++k) {
      if (i->Items(k) == chosen) return chosen;
      stack.push_back(i->Items(k));
    }
  }
  return nullptr;
}

bool TQtBackend::FileDialog(TFileDialogRequest& R) {
  QFileDialog dlg(OwnerWidget(R.Owner), ToQt(R.Title), ToQt(R.InitialDir));
  dlg.setOption(QFileDialog::DontUseNativeDialog, FOffscreen);
  dlg.setAcceptMode(R.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dlg.setFileMode(R.Save ? QFileDialog::AnyFile
                         : R.AllowMultiSelect ? QFileDialog::ExistingFiles
                                              : R.FileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  if (R.Save && !R.OverwritePrompt) dlg.setOption(QFileDialog::DontConfirmOverwrite);
  QStringList filters = QtFilters(R.Filter);
  if (!filters.isEmpty()) {
    dlg.setNameFilters(filters);
    if (R.FilterIndex >= 1 && R.FilterIndex <= filters.size()) dlg.selectNameFilter(filters[R.FilterIndex - 1]);
  }
  if (!R.DefaultExt.empty()) dlg.setDefaultSuffix(ToQt(R.DefaultExt));
  if (!R.FileName.empty()) dlg.selectFile(ToQt(R.FileName));
  if (dlg.exec() != QDialog::Accepted) return false;
  std::vector<std::string> files;
  for (const QString& f : dlg.selectedFiles()) {
    bool lossless = true;
    std::string gbk = FromQt(f, &lossless);
    if (!lossless) {
      // A path the system's text cannot hold cannot be opened or saved by it.
      // This file is compiled without the GBK literal encoding: the texts are UTF-8.
      const QString text = QStringLiteral("文件名“") + f + QStringLiteral("”含有本程序无法使用的字符，请换一个文件名。");
      MessageBox(R.Owner, FromQt(text), FromQt(QStringLiteral("错误")), MB_OK | MB_ICONERROR);
      return false;
    }
    files.push_back(gbk);
  }
  if (files.empty()) return false;
  R.Files = files;
  R.FileName = files.front();
  R.Confirmed = true;  // the Qt dialog asks about existing and missing files itself
  int idx = filters.indexOf(dlg.selectedNameFilter());
  if (idx >= 0) R.FilterIndex = idx + 1;
  return true;
}

bool TQtBackend::ColorDialog(TColorDialogRequest& R) {
  QColorDialog dlg(OwnerWidget(R.Owner));
  for (size_t i = 0; i < R.CustomColors.size() && i < 16; ++i) {
    COLORREF c = ColorToRGB(R.CustomColors[i]);
    QColorDialog::setCustomColor(static_cast<int>(i), QColor(GetRValue(c), GetGValue(c), GetBValue(c)));
  }
  COLORREF c = ColorToRGB(R.Color);
  dlg.setCurrentColor(QColor(GetRValue(c), GetGValue(c), GetBValue(c)));
  if (dlg.exec() != QDialog::Accepted) return false;
  QColor q = dlg.selectedColor();
  R.Color = static_cast<TColor>(RGB(q.red(), q.green(), q.blue()));
  for (size_t i = 0; i < R.CustomColors.size() && i < 16; ++i) {
    QColor k = QColorDialog::customColor(static_cast<int>(i));
    R.CustomColors[i] = static_cast<TColor>(RGB(k.red(), k.green(), k.blue()));
  }
  return true;
}

void TQtBackend::Beep() { QApplication::beep(); }

bool TQtBackend::ShellOpen(const std::string& Target) {
  // A path that exists is a file; anything else is taken as a URL ("www.x.org"
  // gets its scheme as a user would expect).
  QString t = ToQt(Target).trimmed();
  if (t.isEmpty()) return false;
  QUrl url = QFileInfo::exists(t) ? QUrl::fromLocalFile(QFileInfo(t).absoluteFilePath())
                                  : QUrl::fromUserInput(t, QDir::currentPath());
  if (!url.isValid()) return false;
  // Qt counts an opener that started as success; the desktop's opener says by its
  // exit status whether a program took the target, so it is asked when there is one.
  std::string target = (url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded)).toStdString();
  switch (OpenWithDesktopOpener(target)) {
    case TDesktopOpen::Opened: return true;
    case TDesktopOpen::Failed: return false;
    case TDesktopOpen::NoOpener: break;
  }
  return QDesktopServices::openUrl(url);
}

namespace {
// The frame of a control dragged to dock: a window above all others that takes no
// input, shaped to the frame's ring and filled with a half-tone of black and
// white dots, the look of a pattern XOR-ed over the screen.
class TDragFrameWidget : public QWidget {
public:
  TDragFrameWidget()
      : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                             Qt::WindowTransparentForInput | Qt::X11BypassWindowManagerHint) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
  }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.fillRect(rect(), QBrush(Qt::black, Qt::Dense4Pattern));
  }
};
}  // namespace

void TQtBackend::ShowDragFrame(const TRect& R, int Width) {
  if (R.IsEmpty() || Width <= 0) {
    if (FDragFrame) FDragFrame->hide();
    return;
  }
  if (!FDragFrame) FDragFrame = new TDragFrameWidget;
  FDragFrame->setGeometry(R.Left, R.Top, R.Width(), R.Height());
  QRegion ring(0, 0, R.Width(), R.Height());
  if (R.Width() > 2 * Width && R.Height() > 2 * Width)
    ring = ring.subtracted(QRegion(Width, Width, R.Width() - 2 * Width, R.Height() - 2 * Width));
  FDragFrame->setMask(ring);
  FDragFrame->show();
  FDragFrame->raise();
  FDragFrame->update();
}

bool LoadQtTranslations(const QLocale& Locale) {
  static QTranslator* texts = nullptr;
  if (texts) {
    QCoreApplication::removeTranslator(texts);
    delete texts;
    texts = nullptr;
  }
  auto* t = new QTranslator;
  // "qt" is the catalogue of every Qt module's texts (qtbase: dialogs, buttons).
  if (!t->load(Locale, QStringLiteral("qt"), QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete t;
    return false;
  }
  QCoreApplication::installTranslator(t);
  texts = t;
  return true;
}

QPalette SystemPalette() {
  auto color = [](TColor C) {
    COLORREF c = ColorToRGB(C);
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
  };
  QPalette pal;
  const std::pair<QPalette::ColorRole, TColor> roles[] = {
      {QPalette::Window, clBtnFace},          {QPalette::WindowText, clWindowText},
      {QPalette::Base, clWindow},             {QPalette::AlternateBase, clWindow},
      {QPalette::Text, clWindowText},         {QPalette::PlaceholderText, clGrayText},
      {QPalette::Button, clBtnFace},          {QPalette::ButtonText, clBtnText},
      {QPalette::BrightText, clHighlightText}, {QPalette::Light, clBtnHighlight},
      {QPalette::Midlight, cl3DLight},        {QPalette::Mid, clBtnShadow},
      {QPalette::Dark, clBtnShadow},          {QPalette::Shadow, cl3DDkShadow},
      {QPalette::Highlight, clHighlight},     {QPalette::HighlightedText, clHighlightText},
      {QPalette::ToolTipBase, clInfoBk},      {QPalette::ToolTipText, clInfoText},
      {QPalette::Link, clHotLight},
  };
  // Inactive windows keep their colours (a selection stays as it was); disabled
  // texts are grey and a disabled field has the face colour, as the layer draws them.
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
    for (const auto& [role, c] : roles) pal.setColor(group, role, color(c));
  for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    pal.setColor(QPalette::Disabled, role, color(clGrayText));
  pal.setColor(QPalette::Disabled, QPalette::Base, color(clBtnFace));
  return pal;
}

}  // namespace qtbackend

// ---------------------------------------------------------------------------
// The entry points for programs

using namespace qtbackend;

namespace {

// The arguments Qt keeps for the life of the application object, which outlives main.
struct TQtArguments {
  int Argc = 0;
  std::vector<std::string> Texts;
  std::vector<char*> Argv;
};

// The program being started, for the message below.
std::string g_StartingName;
QtMessageHandler g_OuterHandler = nullptr;

// Ends the program for want of a display: a message and exit status 1, where Qt
// would abort (a core dump and status 134 for a missing DISPLAY).
[[noreturn]] void NoDisplay(const std::string& Name, const std::string& Reason) {
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  std::fprintf(stderr,
               "%s: cannot open a window: %s (DISPLAY=%s, WAYLAND_DISPLAY=%s).\n"
               "Start it from a desktop session or over \"ssh -X\", or on a virtual display:\n"
               "  xvfb-run -a %s\n",
               Name.c_str(), Reason.c_str(), display ? display : "", wayland ? wayland : "", Name.c_str());
  std::fflush(nullptr);
  std::_Exit(1);
}

// While the application object is made: Qt's fatal end when its windowing platform
// cannot start (the display cannot be reached) becomes NoDisplay; other messages go
// where they went.
void StartupMessages(QtMsgType Type, const QMessageLogContext& Context, const QString& Text) {
  // Qt's own words ("reinstalling the application may fix this") would mislead; its
  // warnings before this one say which display it tried.
  if (Type == QtFatalMsg) NoDisplay(g_StartingName, "Qt could not start its windowing platform on the display");
  if (g_OuterHandler) g_OuterHandler(Type, Context, Text);
  else std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(Type, Context, Text)));
}

// Whether anything names a windowing platform or a display to open windows on.
bool DisplayNamed(const std::vector<std::string>& Arguments) {
  for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(v);
    if (value && *value) return true;
  }
  for (const std::string& a : Arguments)
    if (a == "-platform" || a == "--platform" || a == "-display" || a == "--display") return true;
  return false;
}

void MakeApplication(TQtArguments& A, const std::string& Name) {
  if (!DisplayNamed(A.Texts)) NoDisplay(Name, "no display is set");
  A.Argv.clear();
  for (std::string& t : A.Texts) A.Argv.push_back(t.data());
  A.Argv.push_back(nullptr);
  A.Argc = static_cast<int>(A.Texts.size());
  g_StartingName = Name;
  g_OuterHandler = qInstallMessageHandler(StartupMessages);
  // Lives to the end of the program: windows may be freed after main returns.
  auto* app = new QApplication(A.Argc, A.Argv.data());
  qInstallMessageHandler(g_OuterHandler);
  QCoreApplication::setApplicationName(QString::fromLocal8Bit(Name.c_str()));
  app->setQuitOnLastWindowClosed(false);
  // Qt's own texts (file dialogs, standard buttons) in the user's language; the
  // program's texts are its own.
  LoadQtTranslations(QLocale::system());
  // The application losing or regaining activation (another program's window
  // taking the focus); before the first activation Qt may report the inactive
  // state of a program that was never active, which is no change.
  QObject::connect(app, &QGuiApplication::applicationStateChanged, app, [](Qt::ApplicationState State) {
    static bool wasActive = false;
    bool active = State == Qt::ApplicationActive;
    if (active) wasActive = true;
    if (!wasActive) return;
    QtGuard(nullptr, [&] { InputAppActivate(active); });
  });
}

void InstallBackend(TQtArguments* Arguments, const std::string& Name) {
  if (!QApplication::instance()) {
    MakeApplication(*Arguments, Name);
  } else if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
    // Qt would end the program at the first widget.
    throw EInvalidOperation(
        "The Qt backend needs a QApplication, but a plain Qt application object exists already "
        "(text was measured or drawn before the backend was installed): install it first");
  }
  // One colour scheme: what Qt draws itself (message boxes, file dialogs, the menu
  // bar, a native edit's selection) takes the layer's system colours.
  QApplication::setPalette(SystemPalette());
  InstallMenuLook();
  static bool filtering = false;
  if (!filtering && QGuiApplication::platformName() == QStringLiteral("offscreen")) {
    // Qt raises the frameless tool and tooltip windows it shows, which the offscreen
    // platform cannot do and reports each time; nothing is stacked there, so that
    // report is dropped (everything else goes on to the handler before).
    filtering = true;
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler([](QtMsgType Type, const QMessageLogContext& Context, const QString& Text) {
      if (Text == QStringLiteral("This plugin does not support raise()")) return;
      if (previous) previous(Type, Context, Text);
      else std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(Type, Context, Text)));
    });
  }
  static TQtBackend* backend = new TQtBackend;
  SetBackend(backend);
  RegisterEditPeers();
  InstallInputLayer();
}

}  // namespace

void InstallQtBackend(int& Argc, char** Argv, const std::string& Name) {
  static TQtArguments arguments;
  const bool make = !QApplication::instance();
  if (make) arguments.Texts.assign(Argv, Argv + Argc);
  InstallBackend(&arguments, Name);
  if (!make) return;
  // What Qt left of the arguments, for the program to read.
  Argc = arguments.Argc;
  for (int i = 0; i < Argc; ++i) Argv[i] = arguments.Argv[static_cast<size_t>(i)];
  Argv[Argc] = nullptr;
}

void InstallQtBackend() {
  static TQtArguments arguments;
  if (!QApplication::instance()) arguments.Texts = {program_invocation_short_name};
  InstallBackend(&arguments, program_invocation_short_name);
}

bool SetProgramIcon(const unsigned char* Ico, std::size_t Size) {
  // Decoded here rather than by Qt's image plugins, which would load the codec
  // libraries of every format they know (memory the program never uses again).
  std::vector<TIconImage> images;
  try {
    images = DecodeIconImages(Ico, Size);
  } catch (const EInvalidGraphic&) {
    return false;
  }
  QIcon icon;
  // Every size the file holds, so the window system picks the one it shows.
  for (const TIconImage& i : images) {
    QImage image(i.Width, i.Height, QImage::Format_ARGB32);
    for (int y = 0; y < i.Height; ++y)
      std::memcpy(image.scanLine(y), i.Pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(i.Width),
                  static_cast<size_t>(i.Width) * 4);
    icon.addPixmap(QPixmap::fromImage(image));
  }
  if (icon.isNull()) return false;
  QApplication::setWindowIcon(icon);
  return true;
}

void SaveWindowImage(TWinControl* Control, const std::string& FileName, bool FromScreen) {
  if (!Control || !Control->HandleAllocated() || !IsWindowVisible(Control->Handle()))
    throw EInvalidOperation("Cannot take a picture of a window that is not shown");
  QCoreApplication::processEvents();
  QImage img = GrabWindowImage(Control->Handle(), FromScreen);
  if (img.isNull()) throw EInvalidOperation("Cannot take a picture of this window");
  if (!img.save(ToQt(FileName), "PNG")) throw EFCreateError("Cannot create file \"" + FileName + "\"");
}
