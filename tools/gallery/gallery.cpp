// The page registry, page building and offscreen rendering.
#include "tools/gallery/gallery.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

#include "platform/stdctrls/comctrls_pages.h"
#include "platform/controls/forms.h"
#include "platform/stdctrls/panels.h"
#include "platform/core/filer.h"
#include "platform/core/textform.h"

namespace {

std::vector<TGalleryPage>& Registry() {
  static std::vector<TGalleryPage> pages;
  return pages;
}

// Shows what the page's paint function draws over its whole client area. The
// function runs once into a picture on the page's colour (it may build and show
// controls of its own to draw them, which a live window must not see at every paint).
class TGalleryPaintBox : public TGraphicControl {
public:
  TGalleryPaintBox(TComponent* AOwner, std::function<void(TCanvas*, const TRect&)> Fn, TColor Back)
      : TGraphicControl(AOwner), FPaint(std::move(Fn)), FBack(Back) {}

  // Draws the picture now (in the control's font, as its own canvas would).
  void Render() {
    if (FPicture || !FPaint) return;
    FPicture = std::make_unique<TBitmap>(Width(), Height());
    TCanvas* c = FPicture->Canvas();
    c->Font()->Assign(Font());
    c->Brush()->SetColor(FBack);
    c->FillRect(GetClientRect());
    FPaint(c, GetClientRect());
  }

protected:
  void Paint() override {
    Render();
    if (FPicture) Canvas()->Draw(0, 0, FPicture.get());
  }

private:
  std::function<void(TCanvas*, const TRect&)> FPaint;
  TColor FBack;
  std::unique_ptr<TBitmap> FPicture;
};

TPanel* MakeHost(TComponent* Owner, int Width, int Height, TColor Color) {
  auto* host = new TPanel(Owner);
  host->SetBevelOuter(bvNone);
  host->SetCaption("");
  host->SetColor(Color);
  host->SetBounds(0, 0, Width, Height);
  return host;
}

// Moves every control of From onto To, keeping their places.
void MoveControls(TWinControl* From, TWinControl* To) {
  while (From->ControlCount() > 0) From->Controls(0)->SetParent(To);
}

// Gives the control and its windowed children their (hidden) windows, so that
// what lives in a window (an edit's text, a non-client frame) is painted as on
// the screen.
// A control without a parent is put on a hidden form (owned by its owner) first.
void WindowsForPainting(TWinControl* Control) {
  if (!Control->Parent()) {
    auto* form = new TForm(Control->Owner());
    form->SetBounds(0, 0, Control->Width() + 16, Control->Height() + 40);
    Control->SetParent(form);
  }
  Control->HandleNeeded();
  // A hidden window has not painted its frame yet.
  SendMessage(Control->Handle(), WM_NCPAINT, 1, 0);
  for (int i = 0; i < Control->ControlCount(); ++i)
    if (auto* w = dynamic_cast<TWinControl*>(Control->Controls(i))) WindowsForPainting(w);
}

// The class named by a text form source's first object line ("object Name: TClass",
// "inherited ...", "inline ..."); empty when there is none.
std::string RootClassName(const std::string& Source) {
  std::istringstream in(Source);
  std::string word;
  while (in >> word) {
    if (word != "object" && word != "inherited" && word != "inline") return {};
    std::string rest;
    std::getline(in, rest);
    size_t colon = rest.find(':');
    std::string cls = colon == std::string::npos ? rest : rest.substr(colon + 1);
    size_t b = cls.find_first_not_of(" \t"), e = cls.find_first_of(" \t\r[", b);
    return b == std::string::npos ? std::string() : cls.substr(b, e == std::string::npos ? e : e - b);
  }
  return {};
}

}  // namespace

TGalleryPageRegistrar::TGalleryPageRegistrar(TGalleryPage Page) { Registry().push_back(std::move(Page)); }

std::vector<const TGalleryPage*> GalleryPages() {
  std::vector<const TGalleryPage*> out;
  for (const TGalleryPage& p : Registry()) out.push_back(&p);
  std::sort(out.begin(), out.end(), [](const TGalleryPage* a, const TGalleryPage* b) { return a->Name < b->Name; });
  return out;
}

const TGalleryPage* FindGalleryPage(const std::string& Name) {
  for (const TGalleryPage& p : Registry())
    if (p.Name == Name) return &p;
  return nullptr;
}

TControl* FindGalleryControl(TWinControl* Host, const std::string& Name) {
  for (int i = 0; i < Host->ControlCount(); ++i) {
    TControl* c = Host->Controls(i);
    if (c->Name() == Name) return c;
    if (auto* w = dynamic_cast<TWinControl*>(c))
      if (TControl* found = FindGalleryControl(w, Name)) return found;
  }
  return nullptr;
}

TWinControl* BuildGalleryPage(const TGalleryPage& Page, TComponent* Owner, TWinControl* Parent) {
  TPanel* host = MakeHost(Owner, Page.Width, Page.Height, clBtnFace);
  if (Parent) host->SetParent(Parent);
  else WindowsForPainting(host);
  if (Page.Paint) {
    auto* box = new TGalleryPaintBox(Owner, Page.Paint, clBtnFace);
    box->SetBounds(0, 0, Page.Width, Page.Height);
    box->SetParent(host);
  }
  if (!Page.FormSource.empty()) {
    std::string binary = FormTextToBinary(Page.FormSource);
    // Every page's source names its root "Page": the form joins the owner nameless,
    // so pages built side by side (the gallery window) do not clash.
    auto form = std::make_unique<TForm>(nullptr);
    ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(binary.data()), binary.size(), form.get());
    form->SetName("");
    MoveControls(form.get(), host);
    Owner->InsertComponent(form.release());
  }
  if (Page.Build) {
    host->HandleNeeded();
    Page.Build(host);
  }
  return host;
}

namespace {
// Draws the pictures of a built page's paint boxes now.
void RenderPaintBoxes(TWinControl* Host) {
  for (int i = 0; i < Host->ControlCount(); ++i)
    if (auto* box = dynamic_cast<TGalleryPaintBox*>(Host->Controls(i))) box->Render();
}
}  // namespace

TCustomForm* CreateGalleryWindow(TComponent* Owner) {
  auto* form = new TForm(Owner);
  form->SetCaption("Gallery");
  int w = 320, h = 240;
  for (const TGalleryPage* page : GalleryPages()) {
    w = std::max(w, page->Width);
    h = std::max(h, page->Height);
  }
  auto* pages = new TPageControl(form);
  pages->SetParent(form);
  for (const TGalleryPage* page : GalleryPages()) {
    auto* sheet = new TTabSheet(form);
    sheet->SetPageControl(pages);
    sheet->SetCaption(page->Name);
    // The pictures are drawn before the window shows: drawing may show windows of
    // its own, which would take the activation from the gallery.
    RenderPaintBoxes(BuildGalleryPage(*page, form, sheet));
  }
  // The pages' display area is the page control less its tabs and border.
  pages->SetBounds(0, 0, w + 8, h + 32);
  TRect display = pages->DisplayRect();
  int cw = w + (w + 8 - display.Width()), ch = h + (h + 32 - display.Height());
  pages->SetBounds(0, 0, cw, ch);
  form->SetClientWidth(cw);
  form->SetClientHeight(ch);
  pages->SetAlign(alClient);
  if (pages->PageCount() > 0) pages->SetActivePageIndex(0);
  return form;
}

TCustomForm* LoadFormFile(const std::string& FileName, TComponent* Owner) {
  std::ifstream in(FileName, std::ios::binary);
  if (!in) throw EFOpenError("Cannot open file \"" + FileName + "\". " + std::strerror(errno));
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw EFOpenError("Cannot read file \"" + FileName + "\"");
  std::string binary = FormTextToBinary(text.str());
  // The root's class: a registered form class makes the root itself; a class nobody
  // registered is the reader's error ("Class TX not found"), as for any component.
  const std::string className = RootClassName(text.str());
  const TClassInfo* cls = GetClass(className);
  TCustomForm* f = nullptr;
  if (!cls || cls->InheritsFrom(&TCustomForm::StaticClass())) {
    TComponent* root = ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(binary.data()), binary.size(), nullptr);
    f = dynamic_cast<TCustomForm*>(root);
    if (!f) {
      delete root;
      throw EReadError("Class " + className + " is not a form");
    }
  } else {
    auto form = std::make_unique<TForm>(nullptr);
    ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(binary.data()), binary.size(), form.get());
    f = form.release();
  }
  if (Owner) Owner->InsertComponent(f);
  return f;
}

TWinControl* HostFormControls(TCustomForm* Form, TComponent* Owner) {
  TPanel* host = MakeHost(Owner, Form->ClientWidth(), Form->ClientHeight(), Form->Color());
  host->SetFont(Form->Font());
  MoveControls(Form, host);
  return host;
}

void RenderControlToPng(TWinControl* Control, const std::string& FileName) {
  WindowsForPainting(Control);
  std::unique_ptr<TBitmap> bmp(new TBitmap(Control->Width(), Control->Height()));
  Control->PaintTo(bmp->Canvas()->Handle(), 0, 0);
  bmp->SaveToPngFile(FileName);
}

TBitmap* RenderGalleryPage(const TGalleryPage& Page) {
  std::unique_ptr<TComponent> owner(new TComponent(nullptr));
  TWinControl* host = BuildGalleryPage(Page, owner.get(), nullptr);
  WindowsForPainting(host);
  auto* bmp = new TBitmap(host->Width(), host->Height());
  host->PaintTo(bmp->Canvas()->Handle(), 0, 0);
  return bmp;
}
