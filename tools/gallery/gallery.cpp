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

// Draws the page's paint function over its whole client area.
class TGalleryPaintBox : public TGraphicControl {
public:
  TGalleryPaintBox(TComponent* AOwner, std::function<void(TCanvas*, const TRect&)> Fn)
      : TGraphicControl(AOwner), FPaint(std::move(Fn)) {}

protected:
  void Paint() override {
    if (FPaint) FPaint(Canvas(), GetClientRect());
  }

private:
  std::function<void(TCanvas*, const TRect&)> FPaint;
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

TWinControl* BuildGalleryPage(const TGalleryPage& Page, TComponent* Owner, TWinControl* Parent) {
  TPanel* host = MakeHost(Owner, Page.Width, Page.Height, clBtnFace);
  if (Parent) host->SetParent(Parent);
  if (Page.Paint) {
    auto* box = new TGalleryPaintBox(Owner, Page.Paint);
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
  return host;
}

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
    BuildGalleryPage(*page, form, sheet);
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
  auto form = std::make_unique<TForm>(nullptr);
  ReadComponentFromBytes(reinterpret_cast<const uint8_t*>(binary.data()), binary.size(), form.get());
  TForm* f = form.release();
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
