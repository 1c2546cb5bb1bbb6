// The native editors on a real display under a Chinese locale: a degree sign (℃)
// in an edit, a memo and a rich edit is drawn, and their Latin text is in the Latin
// face, as the layer's own text is.
//   qt_edit_symbols <out-dir>        exit 0 when every field shows its text
#include <QFontInfo>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/backend/qt/qt_backend.h"
#include "platform/backend/qt/qt_internal.h"
#include "platform/controls/forms.h"
#include "platform/core/gbk.h"
#include "platform/stdctrls/edit.h"
#include "platform/stdctrls/memo.h"
#include "platform/stdctrls/stdctrls_buttons.h"

namespace {

void Settle(int Ms) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(Ms);
  while (std::chrono::steady_clock::now() < end) {
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

// The Qt editor behind a control's window.
QWidget* Editor(TWinControl* C) {
  auto* peer = dynamic_cast<qtbackend::TQtPeer*>(WindowPeer(C->Handle()));
  QWidget* outer = peer ? peer->Outer() : nullptr;
  if (!outer) return nullptr;
  auto isEditor = [](QWidget* W) {
    return qobject_cast<QLineEdit*>(W) || qobject_cast<QPlainTextEdit*>(W) || qobject_cast<QTextEdit*>(W);
  };
  if (isEditor(outer)) return outer;
  for (QWidget* w : outer->findChildren<QWidget*>())
    if (isEditor(w)) return w;
  return nullptr;
}

// The control as the screen shows it with Text in it.
QImage Shot(TCustomEdit* C, const std::string& Text, const std::string& File) {
  C->SetText(Text);
  Settle(200);
  SaveWindowImage(C, File, true);
  return QImage(QString::fromStdString(File)).convertToFormat(QImage::Format_RGB32);
}

int Differing(const QImage& A, const QImage& B) {
  if (A.size() != B.size()) return -1;
  int n = 0;
  for (int y = 0; y < A.height(); ++y)
    for (int x = 0; x < A.width(); ++x) n += A.pixel(x, y) != B.pixel(x, y);
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: qt_edit_symbols <out-dir>\n");
    return 2;
  }
  const std::string out = argv[1];
  std::filesystem::create_directories(out);
  InstallQtBackend();
  Application->Initialize();
  auto* form = new TForm(Application);
  form->SetCaption("Symbols");
  form->SetClientSize(320, 200);
  form->SetPosition(poScreenCenter);
  // The focus stays on the button: no caret in the pictures.
  auto* button = new TButton(form);
  button->SetBounds(230, 10, 75, 25);
  button->SetParent(form);
  struct Field {
    const char* name;
    TCustomEdit* control;
  };
  const Field fields[] = {
      {"edit", new TEdit(form)}, {"memo", new TMemo(form)}, {"richedit", new TRichEdit(form)}};
  int top = 10;
  for (const Field& f : fields) {
    f.control->SetBounds(10, top, 200, f.control->ClassName() == std::string("TEdit") ? 21 : 50);
    f.control->SetParent(form);
    top += 60;
  }
  form->Show();
  button->SetFocus();
  Settle(800);

  int rc = 0;
  try {
    for (const Field& f : fields) {
      QImage empty = Shot(f.control, "", out + "/" + f.name + "-empty.png");
      QImage degree = Shot(f.control, Utf8ToGbk("℃"), out + "/" + f.name + "-celsius.png");
      // An 11-pixel ℃ covers a few dozen pixels; a blank glyph none.
      int ink = Differing(empty, degree);
      QWidget* editor = Editor(f.control);
      const QString family = editor ? QFontInfo(editor->font()).family() : QString();
      std::printf("%s: ℃ changes %d pixels; Latin face %s\n", f.name, ink, family.toUtf8().constData());
      if (ink < 10) {
        std::printf("fault: %s: ℃ is not drawn\n", f.name);
        rc = 1;
      }
      if (family != "DejaVu Sans") {
        std::printf("fault: %s: Latin text in %s, not in DejaVu Sans\n", f.name, family.toUtf8().constData());
        rc = 1;
      }
    }
  } catch (const Exception& e) {
    std::fprintf(stderr, "%s\n", e.Message().c_str());
    rc = 1;
  }
  DoneApplication();
  return rc;
}
