// gallery: every control of the framed-control library on pages, one page per
// package.
//
//   gallery                  a window with a tab per page
//   gallery --png DIR        renders each page offscreen into DIR/<page>.png
//   gallery --form FILE      shows a text form source that uses the library's
//                            classes (--png OUT renders it into OUT instead)
//
// Adding a page: one source file tools/gallery/page_<name>.cpp (picked up by the
// build) that registers the page at start-up:
//
//   static TGalleryPageRegistrar reg{{"name", Width, Height, FormSource, Paint}};
//
// FormSource is a text form source ("object Page: TForm ... end") whose controls
// are placed on the page; Paint(Canvas, ClientRect) draws what is not a control
// (helpers drawn straight onto a canvas). Either may be empty. Pages appear in
// name order; the tests render the same pages with RenderGalleryPage (gallery.h).
// A control class used in a form source must be registered: the program calls
// each library's Register...Classes() below.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "controls/editlist/classes.h"
#include "platform/backend/qt/qt_backend.h"
#include "platform/controls/forms.h"
#include "tools/gallery/gallery.h"

namespace {

int Usage(FILE* Out, int Rc) {
  std::fprintf(Out,
               "usage: gallery [--png DIR]\n"
               "       gallery --form FILE.form [--png OUT.png]\n"
               "Shows every control of the framed-control library, a tab per page, in a window\n"
               "(which needs a display), or renders the pages offscreen.\n"
               "  --png DIR    render every page into DIR/<page>.png, without a window\n"
               "  --form FILE  show a text form source that uses the library's classes\n"
               "               (with --png OUT.png: render it into OUT.png)\n"
               "  -h, --help   this text\n"
               "  --version    the program's version\n"
               "Qt's own options are taken too, for example -display :1.\n");
  return Rc;
}

void RegisterLibraryClasses() { RegisterEditListClasses(); }

int RenderPages(const std::string& Dir) {
  ::mkdir(Dir.c_str(), 0777);
  for (const TGalleryPage* page : GalleryPages()) {
    std::unique_ptr<TComponent> owner(new TComponent(nullptr));
    TWinControl* host = BuildGalleryPage(*page, owner.get(), nullptr);
    std::string file = Dir + "/" + page->Name + ".png";
    RenderControlToPng(host, file);
    std::printf("%s\n", file.c_str());
  }
  return 0;
}

// Shows a form and handles messages until it is closed (it is not the
// application's main form, whose closing would end the loop by itself).
void RunForm(TCustomForm* Form) {
  Form->OnClose = [](TObject*, TCloseAction&) { Application->Terminate(); };
  Form->Show();
  Application->Run();
}

}  // namespace

int main(int argc, char** argv) {
  // The help needs no Qt at all, offscreen rendering no display: decided before Qt
  // starts.
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") return Usage(stdout, 0);
    if (a == "--version") {
      std::printf("gallery %s\n", DTU_VERSION);
      return 0;
    }
    if (a == "--png") setenv("QT_QPA_PLATFORM", "offscreen", 0);
  }
  // Qt takes its own options (-platform, -display ...) out of the arguments.
  InstallQtBackend(argc, argv, "gallery");
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string png, formFile;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--png" && i + 1 < args.size())
      png = args[++i];
    else if (args[i] == "--form" && i + 1 < args.size())
      formFile = args[++i];
    else
      return Usage(stderr, 2);
  }
  RegisterLibraryClasses();
  int rc = 0;
  try {
    Application->Initialize();
    if (!formFile.empty()) {
      TCustomForm* form = LoadFormFile(formFile, Application);
      if (!png.empty()) {
        TWinControl* host = HostFormControls(form, Application);
        RenderControlToPng(host, png);
      } else {
        RunForm(form);
      }
    } else if (!png.empty()) {
      rc = RenderPages(png);
    } else {
      RunForm(CreateGalleryWindow(Application));
    }
  } catch (const Exception& E) {
    std::fprintf(stderr, "gallery: %s\n", E.Message().c_str());
    rc = 1;
  }
  DoneApplication();
  return rc;
}
