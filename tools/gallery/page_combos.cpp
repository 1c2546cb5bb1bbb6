// The "combos" page: the framed combo boxes closed (top rows, live controls: from
// the text form source below, and the image combo built in code) and dropped down
// (the lower half, a picture: each list painted from a dropped control of a form
// of its own).
//
// Layout (tests check it), controls 170 x 21 unless said:
//   column 1, x = 10:  framed combo plain (y 30), frame fsFlat with flat buttons
//                      hot (y 60), frame fsFlatBold (y 90), read-only (y 120),
//                      disabled (y 150), drop-down list with values (y 180)
//   column 2, x = 200: colour combo on Red (y 30), on a custom colour (y 60),
//                      without names (y 90)
//   column 3, x = 390: font combo with name and sample (y 30), history combo
//                      (y 60), image combo closed (y 90, painted)
//   column 4, x = 580: font list box, 170 x 170 (y 30)
//   dropped lists from y 230: framed combo (x 10), colour combo (x 200), font
//   combo with the recent-fonts separator under its first item and the preview
//   panel below it (x 390), image combo with indents and an overlay (x 580).
#include <memory>

#include "controls/editlist/classes.h"
#include "controls/editlist/colorcombo.h"
#include "controls/editlist/combobox.h"
#include "controls/editlist/fontlists.h"
#include "controls/editlist/historycombo.h"
#include "controls/editlist/imagecombo.h"
#include "platform/controls/forms.h"
#include "platform/core/filer.h"
#include "platform/core/textform.h"
#include "platform/graphics/imglist.h"
#include "tools/gallery/gallery.h"

namespace {

const char* const kForm = R"(object Page: TForm
  object Plain: TQvComboBox
    Left = 10
    Top = 30
    Width = 170
    Height = 21
    Items.Strings = (
      'Apple'
      'Apricot'
      #20013#22269)
    Text = 'Apple'
  end
  object Flat: TQvComboBox
    Left = 10
    Top = 60
    Width = 170
    Height = 21
    FlatButtons = True
    FrameVisible = True
    Text = 'flat frame, flat button'
  end
  object Bold: TQvComboBox
    Left = 10
    Top = 90
    Width = 170
    Height = 21
    FrameVisible = True
    FrameStyle = fsFlatBold
    FrameColor = clNavy
    Text = 'bold frame'
  end
  object ReadOnlyCombo: TQvComboBox
    Left = 10
    Top = 120
    Width = 170
    Height = 21
    ReadOnly = True
    Text = 'read-only'
  end
  object Disabled: TQvComboBox
    Left = 10
    Top = 150
    Width = 170
    Height = 21
    Enabled = False
    Text = 'disabled'
  end
  object Valued: TQvComboBox
    Left = 10
    Top = 180
    Width = 170
    Height = 21
    Style = csDropDownList
    Items.Strings = (
      'Nine thousand six hundred'
      'Nineteen thousand two hundred')
    Values.Strings = (
      '9600'
      '19200')
    ItemIndex = 1
  end
  object Red: TQvColorComboBox
    Left = 200
    Top = 30
    Width = 170
    Height = 22
    SelectedColor = clRed
  end
  object Custom: TQvColorComboBox
    Left = 200
    Top = 60
    Width = 170
    Height = 22
    SelectedColor = 3381759
  end
  object NoNames: TQvColorComboBox
    Left = 200
    Top = 90
    Width = 170
    Height = 22
    ShowColorNames = False
    SelectedColor = clTeal
  end
  object Fonts: TQvFontComboBox
    Left = 390
    Top = 30
    Width = 170
    Height = 22
    ShowStyle = ssFontNameAndSample
    FontName = 'DejaVu Sans'
  end
  object History: TQvMRUComboBox
    Left = 390
    Top = 60
    Width = 170
    Height = 21
    Items.Strings = (
      'COM3'
      'COM1'
      '/dev/ttyUSB0')
    Text = 'COM3'
  end
  object FontList: TQvFontListBox
    Left = 580
    Top = 30
    Width = 170
    Height = 170
    ShowStyle = ssFontNameAndSample
    MaintainMRUFonts = True
  end
end
)";

// Four 16 x 16 images (folder, page, gear, star) and a small overlay arrow.
TImageList* MakeImages(TComponent* Owner) {
  auto* images = new TImageList(Owner);
  images->SetWidth(16);
  images->SetHeight(16);
  const TColor colors[] = {clOlive, clSilver, clPurple, clYellow, clRed};
  for (int i = 0; i < 5; ++i) {
    std::unique_ptr<TBitmap> b(new TBitmap(16, 16));
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(clFuchsia);
    c->FillRect(TRect(0, 0, 16, 16));
    c->Brush()->SetColor(colors[i]);
    c->Pen()->SetColor(clBlack);
    if (i == 4) c->Rectangle(TRect(0, 10, 6, 16));  // overlay: a small box in the corner
    else c->Rectangle(TRect(1, 2, 15, 14));
    images->AddMasked(b.get(), clFuchsia);
  }
  images->Overlay(4, 0);
  return images;
}

// A control's list, dropped (scrolled to Top when given), painted at (X, Y);
// returns its height.
int PaintDropped(TCanvas* Canvas, TCustomComboBox* Combo, int X, int Y, int Top = -1) {
  Combo->SetDroppedDown(true);
  if (Top >= 0) Combo->Perform(CB_SETTOPINDEX, static_cast<WPARAM>(Top), 0);
  TWinControl* list = Combo->ListControl();
  list->PaintTo(Canvas->Handle(), X, Y);

  int h = list->Height();
  Combo->SetDroppedDown(false);
  return h;
}

// The image combo with indents and an overlay, closed at (X, Y) or placed for
// dropping.
TQvImageComboBox* MakeImageCombo(TComponent* Owner, TWinControl* Parent, int X, int Y) {
  auto* image = new TQvImageComboBox(Owner);
  image->SetBounds(X, Y, 170, 22);
  image->SetParent(Parent);
  image->HandleNeeded();
  image->SetImages(MakeImages(Owner));
  image->AddItem("Computer", 2, 0);
  image->AddItem("Projects", 0, 1);
  image->AddItem("Gateway", 0, 2);
  image->AddItem("settings.ini", 1, 3)->SetOverlayIndex(0);
  image->AddItem("Favourites", 3, 1);
  image->SetItemIndex(2);
  return image;
}

// What the form source cannot say: the font list box with a recent font, the flat
// button shown hot (as under the pointer, until the pointer comes and goes), the
// image combo closed.
void Build(TWinControl* Host) {
  auto* list = dynamic_cast<TQvFontListBox*>(FindGalleryControl(Host, "FontList"));
  if (list) list->HandleNeeded();  // the fonts are listed with the window
  if (list && list->Items()->Count() > 5) {
    list->SetItemIndex(5);
    list->AddFontToMRUList();
    list->SetItemIndex(2);  // away from the recent font, so its separator shows plainly
  }
  if (auto* flat = dynamic_cast<TQvComboBox*>(FindGalleryControl(Host, "Flat"))) flat->Perform(CM_MOUSEENTER, 0, 0);
  MakeImageCombo(Host->Owner(), Host, 390, 90);
}

// The dropped lists, from controls of a form of their own (shown out of sight, so
// that every window paints).
void PaintDroppedLists(TCanvas* Canvas) {
  RegisterEditListClasses();
  std::unique_ptr<TForm> host(new TForm(nullptr));
  host->SetBounds(0, 0, 800, 300);
  host->SetBorderStyle(bsNone);
  host->SetLeft(-2000);
  host->Show();
  auto place = [&](auto* C, int X) {
    C->SetBounds(X, 250, 170, 22);
    C->SetParent(host.get());
    C->HandleNeeded();
    return C;
  };

  auto* plain = place(new TQvComboBox(host.get()), 10);
  for (const char* s : {"Apple", "Apricot", "Banana", "中国", "中文"}) plain->Items()->Add(s);
  plain->SetItemIndex(1);
  PaintDropped(Canvas, plain, 10, 230);

  auto* colors = place(new TQvColorComboBox(host.get()), 200);
  colors->SetShowSysColors(false);
  colors->SetDropDownCount(12);
  colors->SetSelectedColor(clRed);
  PaintDropped(Canvas, colors, 200, 230);

  auto* fonts = place(new TQvFontComboBox(host.get()), 390);
  fonts->SetShowStyle(ssFontPreview);
  fonts->SetDropDownCount(8);
  if (fonts->Items()->Count() > 3) {
    fonts->SetItemIndex(3);
    fonts->Perform(CN_COMMAND, MAKEWPARAM(0, CBN_CLOSEUP), 0);  // a font chosen: the recent section
    fonts->SetItemIndex(2);
  }
  int h = PaintDropped(Canvas, fonts, 390, 230, 0);
  if (TQvPreviewFontPanel* preview = fonts->PreviewPanel()) {
    preview->Font()->SetName(fonts->GetFontName());
    preview->SetBounds(0, 0, 170, 50);
    preview->Font()->SetSize(24);
    preview->SetParent(host.get());
    preview->HandleNeeded();
    preview->PaintTo(Canvas->Handle(), 390, 230 + h + 8);
  }

  PaintDropped(Canvas, MakeImageCombo(host.get(), host.get(), 580, 250), 580, 230);
}

void Paint(TCanvas* Canvas, const TRect&) {
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->TextOut(10, 8, "Framed combo boxes");
  Canvas->TextOut(200, 8, "Colour combo boxes");
  Canvas->TextOut(390, 8, "Font, history, image");
  Canvas->TextOut(580, 8, "Font list box");
  Canvas->TextOut(10, 212, "Dropped down:");
  Canvas->Brush()->SetStyle(bsSolid);
  PaintDroppedLists(Canvas);
}

std::string Source() {
  RegisterEditListClasses();  // the form source names the classes only by name
  return kForm;
}

TGalleryPageRegistrar reg{{"combos", 760, 520, Source(), Paint, Build}};

}  // namespace
