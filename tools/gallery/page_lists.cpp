// The "lists" page: the framed list box with group headers (gradients, an indent
// and an item wider than the list for its hint), tabbed list boxes in automatic and
// manual mode and one whose columns follow a header control, check lists with
// every state (one drawing its boxes from a glyph strip), an edit list with its
// editor open and a rank list in the middle of a drag.
//
// Geometry the tests check: every list's client area starts 2 pixels inside its
// bounds; Groups at (8, 24), TabManual at (200, 108) with stops -16 (right-aligned)
// and 18 average characters, Checks at (8, 216), Edits at (392, 216), Ranks at (584, 216).
#include "controls/editlist/checklist.h"
#include "controls/editlist/editlists.h"
#include "controls/editlist/listboxes.h"
#include "controls/editlist/tabbedlist.h"
#include "platform/stdctrls/header.h"
#include "tools/gallery/gallery.h"

namespace {

// A tabbed list box whose stops follow a header control's sections, as the user
// resizes them too.
class TGalleryHeaderList : public TQvTabbedListBox {
  DTU_CLASS(TGalleryHeaderList, TQvTabbedListBox)
public:
  using TQvTabbedListBox::TQvTabbedListBox;
  THeaderControl* Header() const { return FHeader; }
  void SetHeader(THeaderControl* Value) { FHeader = Value; }
  void Loaded() override {
    TQvTabbedListBox::Loaded();
    if (!FHeader) return;
    FHeader->OnSectionTrack = [this](THeaderControl* H, THeaderSection*, int, TSectionTrackState) {
      UpdateFromHeader(H);
    };
    UpdateFromHeader(FHeader);
  }

private:
  THeaderControl* FHeader = nullptr;
};

// A check list drawing its boxes from a strip of six 12 x 12 glyphs made here:
// unchecked, checked, grayed, then the same three disabled.
class TGalleryGlyphCheckList : public TQvCheckList {
  DTU_CLASS(TGalleryGlyphCheckList, TQvCheckList)
public:
  explicit TGalleryGlyphCheckList(TComponent* AOwner) : TQvCheckList(AOwner) {
    TBitmap strip;
    strip.SetWidth(6 * 12);
    strip.SetHeight(12);
    TCanvas* c = strip.Canvas();
    c->Brush()->SetColor(clOlive);  // the transparent colour
    c->FillRect(TRect(0, 0, 72, 12));
    for (int g = 0; g < 6; ++g) {
      bool disabled = g >= 3;
      TRect r(g * 12 + 1, 1, g * 12 + 11, 11);
      c->Brush()->SetColor(disabled ? clSilver : clWhite);
      c->Pen()->SetColor(disabled ? clGray : clNavy);
      c->Ellipse(r);
      c->Brush()->SetColor(disabled ? clGray : g % 3 == 1 ? clGreen : clYellow);
      if (g % 3 != 0) c->Ellipse(TRect(r.Left + 3, r.Top + 3, r.Right - 3, r.Bottom - 3));
    }
    SetCustomGlyphs(&strip);
  }
};

// An edit list with its editor open over the second item.
class TGalleryOpenEditList : public TQvEditListBox {
  DTU_CLASS(TGalleryOpenEditList, TQvEditListBox)
public:
  using TQvEditListBox::TQvEditListBox;
  void Loaded() override {
    TQvEditListBox::Loaded();
    SetItemIndex(1);
    ShowEditor();
    Editor()->SetText(Editor()->Text() + " (editing)");
  }
};

// A rank list whose first item has been dragged (Shift held) to the third row and
// is still held.
class TGalleryDraggedRankList : public TQvRankListBox {
  DTU_CLASS(TGalleryDraggedRankList, TQvRankListBox)
public:
  using TQvRankListBox::TQvRankListBox;
  void Loaded() override {
    TQvRankListBox::Loaded();
    int h = ItemHeight();
    SetItemIndex(0);
    MouseDown(mbLeft, TShiftState{ssShift, ssLeft}, 20, h / 2);
    MouseMove(TShiftState{ssShift, ssLeft}, 20, 2 * h + h / 2);
    if (Screen) Screen->SetCursor(crDefault);  // the page does not keep the drag cursor
  }
};

const char* const ListsForm = R"(object Page: TForm
  object Groups: TQvListBox
    Left = 8
    Top = 24
    Width = 176
    Height = 164
    FrameVisible = True
    GroupColor = $00F0C8A0
    OwnerDrawIndent = 10
    ShowGroups = True
    Items.Strings = (
      '//Fruit'
      'Apple'
      'Banana'
      'Cherry'
      '//Vegetables'
      'Carrot'
      'A leek whose name is wider than the list'
      '//Empty group')
  end
  object TabAuto: TQvTabbedListBox
    Left = 200
    Top = 24
    Width = 184
    Height = 80
    TabStopsMode = tsmAutomatic
    Items.Strings = (
      'Name'#9'Type'#9'Size'
      'config.ini'#9'text'#9'2 KB'
      'logo'#9'image'#9'14 KB'
      'a'#9'b'#9'c')
  end
  object TabManual: TQvTabbedListBox
    Left = 200
    Top = 108
    Width = 184
    Height = 80
    TabStops.Integers = (
      -16
      18)
    Items.Strings = (
      'Width'#9'12.5'#9'mm'
      'Weight'#9'1234.75'#9'kg'
      'Count'#9'7'#9'pcs')
  end
  object Header: THeaderControl
    Left = 400
    Top = 24
    Width = 232
    Height = 18
    Sections = <
      item
        Text = 'Variable'
        Width = 80
      end
      item
        Text = 'Address'
        Width = 72
      end
      item
        Alignment = taRightJustify
        Text = 'Value'
        Width = 80
      end>
  end
  object TabHeader: TGalleryHeaderList
    Left = 400
    Top = 42
    Width = 232
    Height = 146
    Header = Header
    TabStops.Integers = (
      1
      -1)
    Items.Strings = (
      'Temp'#9'D100'#9'21.5'
      'Pressure'#9'D102'#9'1013'
      'Speed'#9'D104'#9'7')
  end
  object Checks: TQvCheckList
    Left = 8
    Top = 216
    Width = 176
    Height = 150
    AllowGrayed = True
    Items.Strings = (
      '//Options'
      'Checked'
      'Unchecked'
      'Grayed'
      'Disabled, checked'
      'Disabled'
      '//Columns'
      'Name'#9'on')
    ItemEnabled = (
      True
      True
      True
      True
      False
      False
      True
      True)
    ItemState = (
      0
      1
      0
      2
      1
      0
      0
      1)
  end
  object Glyphs: TGalleryGlyphCheckList
    Left = 200
    Top = 216
    Width = 176
    Height = 150
    Items.Strings = (
      'Custom unchecked'
      'Custom checked'
      'Custom grayed'
      'Custom disabled')
    ItemEnabled = (
      True
      True
      True
      False)
    ItemState = (
      0
      1
      2
      1)
  end
  object Edits: TGalleryOpenEditList
    Left = 392
    Top = 216
    Width = 176
    Height = 150
    Items.Strings = (
      'Station 1'
      'Station 2'
      'Station 3')
  end
  object Ranks: TGalleryDraggedRankList
    Left = 584
    Top = 216
    Width = 120
    Height = 150
    Items.Strings = (
      'First'
      'Second'
      'Third'
      'Fourth')
  end
end
)";

const bool Registered = [] {
  RegisterClasses({ClassEntry<TQvListBox>(), ClassEntry<TQvTabbedListBox>(), ClassEntry<TQvCheckList>(),
                   ClassEntry<THeaderControl>(), ClassEntry<TGalleryHeaderList>(),
                   ClassEntry<TGalleryGlyphCheckList>(), ClassEntry<TGalleryOpenEditList>(),
                   ClassEntry<TGalleryDraggedRankList>()});
  return true;
}();

void Caption(TCanvas* Canvas, int X, int Y, const char* S) {
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->TextOut(X, Y, S);
  Canvas->Brush()->SetStyle(bsSolid);
}

void PaintLists(TCanvas* Canvas, const TRect&) {
  Caption(Canvas, 8, 6, "groups (gradients, indent 10)");
  Caption(Canvas, 200, 6, "tabbed: automatic / manual");
  Caption(Canvas, 400, 6, "tabbed list following a header");
  Caption(Canvas, 8, 198, "check list (grayed allowed)");
  Caption(Canvas, 200, 198, "check list, custom glyphs");
  Caption(Canvas, 392, 198, "edit list, editor open");
  Caption(Canvas, 584, 198, "rank list, mid-drag");
}

}  // namespace

const TClassInfo& TGalleryHeaderList::StaticClass() {
  using C = TGalleryHeaderList;
  static const TClassInfo info = TClassBuilder<C>("TGalleryHeaderList", &TQvTabbedListBox::StaticClass())
                                     .Component()
                                     .Object<THeaderControl>("Header", &C::Header, &C::SetHeader)
                                     .Build();
  return info;
}

const TClassInfo& TGalleryGlyphCheckList::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TGalleryGlyphCheckList>("TGalleryGlyphCheckList", &TQvCheckList::StaticClass()).Component().Build();
  return info;
}

const TClassInfo& TGalleryOpenEditList::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TGalleryOpenEditList>("TGalleryOpenEditList", &TQvEditListBox::StaticClass()).Component().Build();
  return info;
}

const TClassInfo& TGalleryDraggedRankList::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TGalleryDraggedRankList>("TGalleryDraggedRankList", &TQvRankListBox::StaticClass())
          .Component()
          .Build();
  return info;
}

static TGalleryPageRegistrar reg{{"lists", 712, 376, ListsForm, PaintLists, nullptr}};
