#pragma once
// The demo form of the standard controls: one of each, laid out as a small
// settings dialog, for the picture taken offscreen in the tests and on a real
// display under Xvfb. The texts are written here in UTF-8 and given to the
// controls as GBK, the system's text.
#include <QImage>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/stdctrls/comctrls_pages.h"
#include "platform/stdctrls/combobox.h"
#include "platform/stdctrls/edit.h"
#include "platform/stdctrls/hotkey.h"
#include "platform/stdctrls/listbox.h"
#include "platform/stdctrls/listview.h"
#include "platform/stdctrls/maskedit.h"
#include "platform/stdctrls/memo.h"
#include "platform/stdctrls/panels.h"
#include "platform/stdctrls/progress.h"
#include "platform/stdctrls/speedbuttons.h"
#include "platform/stdctrls/stdctrls_buttons.h"
#include "platform/core/gbk.h"

inline std::string DemoText(const char* Utf8) { return Utf8ToGbk(Utf8); }

// Where the demo form's parts are (client coordinates), for the checks.
struct TDemoLayout {
  static constexpr int Width = 640, Height = 432;
  static constexpr TRect Ok{552, 8, 627, 33};
  static constexpr TRect Disabled{552, 68, 627, 93};
  static constexpr TRect Group{8, 40, 208, 150};
  static constexpr TRect Pages{8, 160, 544, 400};
  static constexpr TRect ListView{20, 192, 530, 322};  // on the first page
  static constexpr TRect Progress{8, 408, 544, 425};
  static constexpr TRect Panel{216, 40, 406, 90};
  static constexpr TRect Image{216, 104, 248, 136};
  static constexpr TRect Memo{414, 40, 544, 96};
  static constexpr TRect RichEdit{414, 100, 544, 152};
};

// A 16 x 16 glyph: a filled square of Color on fuchsia (the transparent colour).
inline void DemoGlyph(TBitmap* B, TColor Color) {
  B->SetSize(16, 16);
  B->Canvas()->Brush()->SetColor(clFuchsia);
  B->Canvas()->FillRect({0, 0, 16, 16});
  B->Canvas()->Brush()->SetColor(Color);
  B->Canvas()->FillRect({3, 3, 13, 13});
}

template <class T>
T* DemoControl(TWinControl* Parent, TComponent* Owner, const std::string& Name, TRect R) {
  T* c = new T(Owner);
  c->SetName(Name);
  c->SetBoundsRect(R);
  c->SetParent(Parent);
  return c;
}

inline TForm* MakeDemoForm(TComponent* Owner) {
  auto* f = new TForm(Owner);
  f->SetName("DemoForm");
  f->SetCaption(DemoText("标准控件演示"));
  f->SetBorderStyle(bsSingle);
  f->SetColor(clBtnFace);
  f->Font()->SetName("MS Sans Serif");
  f->Font()->SetHeight(-11);
  f->SetClientSize(TDemoLayout::Width, TDemoLayout::Height);
  f->SetPosition(poScreenCenter);

  auto* label = DemoControl<TLabel>(f, f, "LabelName", {8, 12, 60, 25});
  label->SetCaption(DemoText("名称(&N)："));
  auto* edit = DemoControl<TEdit>(f, f, "Edit1", {64, 8, 204, 29});
  edit->SetText(DemoText("配置 DTU 4G"));
  label->SetFocusControl(edit);
  auto* mask = DemoControl<TMaskEdit>(f, f, "MaskEdit1", {212, 8, 312, 29});
  mask->SetEditMask("!9999/99/99;1;_");
  mask->SetText("2020/05/10");
  auto* hot = DemoControl<THotKey>(f, f, "HotKey1", {320, 8, 410, 29});
  hot->SetHotKey(ShortCut('S', {ssCtrl, ssShift}));

  auto* ok = DemoControl<TButton>(f, f, "ButtonOk", TDemoLayout::Ok);
  ok->SetCaption(DemoText("确定"));
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  auto* cancel = DemoControl<TButton>(f, f, "ButtonCancel", {552, 38, 627, 63});
  cancel->SetCaption(DemoText("取消"));
  cancel->SetCancel(true);
  auto* off = DemoControl<TButton>(f, f, "ButtonOff", TDemoLayout::Disabled);
  off->SetCaption(DemoText("禁用"));
  off->SetEnabled(false);

  auto* group = DemoControl<TGroupBox>(f, f, "GroupBox1", TDemoLayout::Group);
  group->SetCaption(DemoText("PLC端参数设置"));
  auto* check = DemoControl<TCheckBox>(group, f, "CheckSafe", {12, 20, 172, 37});
  check->SetCaption(DemoText("启用安全配置"));
  check->SetChecked(true);
  auto* grey = DemoControl<TCheckBox>(group, f, "CheckGrey", {12, 40, 172, 57});
  grey->SetCaption(DemoText("部分选中"));
  grey->SetAllowGrayed(true);
  grey->SetState(cbGrayed);
  auto* r1 = DemoControl<TRadioButton>(group, f, "RadioStore", {12, 60, 92, 77});
  r1->SetCaption(DemoText("存储"));
  r1->SetChecked(true);
  auto* r2 = DemoControl<TRadioButton>(group, f, "RadioNoStore", {96, 60, 190, 77});
  r2->SetCaption(DemoText("不存储"));
  auto* combo = DemoControl<TComboBox>(group, f, "ComboBaud", {12, 82, 112, 103});
  combo->SetStyle(csDropDownList);
  for (const char* s : {"9600", "19200", "38400"}) combo->Items()->Add(s);
  combo->SetItemIndex(0);

  auto* panel = DemoControl<TPanel>(f, f, "Panel1", TDemoLayout::Panel);
  panel->SetCaption(DemoText("面板"));
  panel->SetAlignment(taRightJustify);
  TBitmap glyph;
  const TColor colours[] = {clRed, clLime, clBlue};
  for (int i = 0; i < 3; ++i) {
    auto* sb = DemoControl<TSpeedButton>(panel, f, "Speed" + std::to_string(i + 1), Bounds(6 + i * 26, 13, 24, 24));
    DemoGlyph(&glyph, colours[i]);
    sb->SetGlyph(&glyph);
    sb->SetGroupIndex(1);
    sb->SetFlat(i == 2);
    if (i == 1) sb->SetDown(true);
  }

  auto* bevel = DemoControl<TBevel>(f, f, "Bevel1", {216, 96, 406, 98});
  bevel->SetShape(bsTopLine);
  auto* image = DemoControl<TImage>(f, f, "Image1", TDemoLayout::Image);
  TBitmap pic(32, 32);
  pic.Canvas()->Brush()->SetColor(clFuchsia);
  pic.Canvas()->FillRect({0, 0, 32, 32});
  pic.Canvas()->Brush()->SetColor(clNavy);
  pic.Canvas()->Ellipse(2, 2, 30, 30);
  pic.Canvas()->Brush()->SetColor(clYellow);
  pic.Canvas()->Ellipse(10, 10, 22, 22);
  image->Picture()->SetGraphic(&pic);
  image->SetTransparent(true);
  auto* list = DemoControl<TListBox>(f, f, "ListBox1", {256, 104, 406, 152});
  for (const char* s : {"COM1", "COM2 (USB)", "COM3", "COM4", "COM5"}) list->Items()->Add(s);
  list->SetItemIndex(1);
  auto* memo = DemoControl<TMemo>(f, f, "Memo1", TDemoLayout::Memo);
  memo->Lines()->Add(DemoText("多行文本"));
  memo->Lines()->Add("Memo line 2");
  auto* rich = DemoControl<TRichEdit>(f, f, "RichEdit1", TDemoLayout::RichEdit);
  rich->SetReadOnly(true);
  rich->Lines()->Add(DemoText("设备返回信息"));
  rich->Lines()->Add("+CSQ: 24,99");

  auto* pages = DemoControl<TPageControl>(f, f, "PageControl1", TDemoLayout::Pages);
  auto* sheet1 = new TTabSheet(f);
  sheet1->SetName("TabSheet1");
  sheet1->SetCaption(DemoText("变量管理"));
  sheet1->SetPageControl(pages);
  auto* sheet2 = new TTabSheet(f);
  sheet2->SetName("TabSheet2");
  sheet2->SetCaption(DemoText("通讯设置及下载"));
  sheet2->SetPageControl(pages);
  auto* view = DemoControl<TListView>(sheet1, f, "ListView1", {8, 8, 518, 138});
  view->SetViewStyle(vsReport);
  view->SetGridLines(true);
  view->SetRowSelect(true);
  view->SetReadOnly(true);
  const struct {
    const char* Caption;
    int Width;
  } columns[] = {{"变量地址", 80}, {"本地数据类型", 100}, {"小数位数", 60}, {"变量名称", 120}, {"波动上限", 0}};
  for (const auto& c : columns) {
    TListColumn* col = view->Columns()->Add();
    col->SetCaption(DemoText(c.Caption));
    col->SetWidth(c.Width);
    if (c.Width != 80) col->SetAlignment(taCenter);
  }
  const char* rows[][4] = {{"4X(D)1", "无符号16位", "0", "D1"}, {"0X(M)3", "位变量", "0", "M3"},
                           {"4X(D)40001", "有符号32位", "2", "Temp"}};
  for (const auto& r : rows) {
    TListItem* item = view->Items()->Add();
    item->SetCaption(DemoText(r[0]));
    for (int i = 1; i < 4; ++i) item->SubItems()->Add(DemoText(r[i]));
  }
  view->SetItemIndex(0);
  auto* inPage = DemoControl<TLabel>(sheet1, f, "LabelStep", {16, 150, 100, 163});
  inPage->SetCaption(DemoText("第一步"));
  inPage->Font()->SetColor(clRed);
  inPage->Font()->SetStyle({fsBold});
  auto* download = DemoControl<TButton>(sheet1, f, "ButtonDownload", {80, 145, 185, 170});
  download->SetCaption(DemoText("下载配置"));
  auto* note = DemoControl<TLabel>(sheet1, f, "LabelNote", {200, 146, 500, 190});
  note->SetAutoSize(false);
  note->SetBounds(200, 146, 220, 40);
  note->SetWordWrap(true);
  note->SetCaption(DemoText("自动换行的标签：文字超过宽度时在词之间换行，再往下排。"));
  pages->SetActivePage(sheet1);

  auto* progress = DemoControl<TProgressBar>(f, f, "ProgressBar1", TDemoLayout::Progress);
  progress->SetPosition(60);
  auto* right = DemoControl<TLabel>(f, f, "LabelRight", {552, 410, 627, 423});
  right->SetAlignment(taRightJustify);
  right->SetCaption("60%");
  right->SetLeft(627 - right->Width());
  return f;
}

// ---------------------------------------------------------------------------
// What the picture of the demo form must show
// ---------------------------------------------------------------------------

inline QRgb DemoRgb(TColor C) {
  if ((C & 0x7F000000) == 0x7F000000) return 0;
  COLORREF c = ColorToRGB(C);
  return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

// Text is smoothed: its pixels are compared by how dark or light they are. Ink is
// anything darker than the face and window colours (text, a selection).
inline constexpr TColor kDarkText = 0x7F000001, kLightText = 0x7F000002, kInk = 0x7F000003;

// Whether some pixel of R (client coordinates) has the colour.
inline bool DemoAny(const QImage& Img, const TRect& R, TColor Color) {
  QRgb want = DemoRgb(Color);
  for (int y = R.Top; y < R.Bottom; ++y)
    for (int x = R.Left; x < R.Right; ++x) {
      QRgb p = Img.pixel(x, y);
      int hi = std::max({qRed(p), qGreen(p), qBlue(p)}), lo = std::min({qRed(p), qGreen(p), qBlue(p)});
      bool hit = Color == kDarkText    ? hi < 90
                 : Color == kLightText ? lo > 235
                 : Color == kInk       ? lo < 150
                                       : (p & 0xFFFFFF) == (want & 0xFFFFFF);
      if (hit) return true;
    }
  return false;
}


// The parts of the picture (client coordinates) that are not as they should be.
inline std::vector<std::string> DemoPictureFaults(const QImage& Img) {
  std::vector<std::string> faults;
  if (Img.width() < TDemoLayout::Width || Img.height() < TDemoLayout::Height) return {"the picture is too small"};
  using L = TDemoLayout;
  struct Part {
    const char* What;
    TRect Where;
    TColor Color;
    bool Present;
  };
  const Part parts[] = {
      {"default button frame", {L::Ok.Left, L::Ok.Top, L::Ok.Left + 1, L::Ok.Top + 1}, clWindowFrame, true},
      {"default button caption", {L::Ok.Left + 5, L::Ok.Top + 5, L::Ok.Right - 5, L::Ok.Bottom - 5}, kDarkText,
       true},
      {"disabled caption embossed",
       {L::Disabled.Left + 6, L::Disabled.Top + 6, L::Disabled.Right - 6, L::Disabled.Bottom - 6},
       kLightText, true},
      {"disabled caption not black",
       {L::Disabled.Left + 6, L::Disabled.Top + 6, L::Disabled.Right - 6, L::Disabled.Bottom - 6},
       kDarkText, false},
      {"check mark", {22, 64, 31, 73}, clWindowText, true},
      {"grayed check mark", {22, 84, 31, 93}, clBtnShadow, true},
      {"radio dot", {24, 106, 29, 111}, clWindowText, true},
      {"group box frame", {L::Group.Left, L::Group.Top + 20, L::Group.Left + 1, L::Group.Top + 60}, clBtnShadow,
       true},
      {"panel bevel", {L::Panel.Left, L::Panel.Top, L::Panel.Left + 1, L::Panel.Top + 1}, clBtnHighlight, true},
      {"image", {L::Image.Left, L::Image.Top, L::Image.Right, L::Image.Bottom}, clNavy, true},
      {"image leaves its transparent colour out", {L::Image.Left, L::Image.Top, L::Image.Right, L::Image.Bottom},
       clFuchsia, false},
      {"speed button glyph", {L::Panel.Left + 6, L::Panel.Top + 13, L::Panel.Left + 30, L::Panel.Top + 37}, clRed,
       true},
      {"selected list item", {256, 104, 406, 152}, clHighlight, true},
      {"edit text (selected: its focus came with the form)", {66, 10, 202, 27}, kInk, true},
      {"mask edit text", {214, 10, 310, 27}, kDarkText, true},
      {"edit background", {66, 10, 202, 27}, clWindow, true},
      {"progress blocks", {L::Progress.Left + 2, L::Progress.Top + 2, L::Progress.Left + 200, L::Progress.Bottom - 2},
       clHighlight, true},
      {"progress past its position",
       {L::Progress.Left + L::Progress.Width() * 6 / 10 + 16, L::Progress.Top + 2, L::Progress.Right - 2,
        L::Progress.Bottom - 2},
       clHighlight, false},
      {"page frame dark shadow", {L::Pages.Right - 1, L::Pages.Top + 40, L::Pages.Right, L::Pages.Bottom}, cl3DDkShadow,
       true},
      {"red bold label on the page", {L::Pages.Left + 4, L::Pages.Top + 170, L::Pages.Left + 120, L::Pages.Top + 200},
       clRed, true},
      {"list view header and rows", L::ListView, kDarkText, true},
      {"memo text", L::Memo, kDarkText, true},
      {"read-only rich edit text", L::RichEdit, kDarkText, true},
      {"hot key", {322, 10, 408, 27}, kDarkText, true},
  };
  for (const Part& p : parts)
    if (DemoAny(Img, p.Where, p.Color) != p.Present)
      faults.push_back(std::string(p.What) + (p.Present ? ": missing" : ": should not be there"));
  return faults;
}
