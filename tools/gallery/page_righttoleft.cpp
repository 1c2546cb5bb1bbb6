// The "righttoleft" page: each framed family twice, side by side: on the left in a
// panel read left to right, on the right in the same panel with BiDiMode
// bdRightToLeft, which every control on it follows. Buttons (push, menu, split
// tool button, toolbar menu button), a toolbar of three buttons, a label, a check
// box and a radio button, a radio group of two columns, a group box, an edit with
// its drop button, a spin edit, list boxes (indented, tabbed, check list) and a
// combo box.
//
// Places the tests check: the panels "LPane" at (8, 24) and "RPane" at (456, 24),
// each 440 x 400; within each, the toolbar "<p>Bar" at (8, 8) 200 x 32 with the
// tool buttons "<p>T1".."<p>T3" (30, 30 and 44 wide), the check box "<p>Check" at (8, 120)
// 140 x 17 and the spin edit "<p>Spin" at (232, 260) 97 x 21; p is L or R.
#include <string>

#include "controls/basic/classes.h"
#include "controls/editlist/classes.h"
#include "tools/gallery/gallery.h"

namespace {

std::string Obj(const std::string& Name, const std::string& Class, int L, int T, int W, int H,
                const std::string& Props, const std::string& Children = "") {
  return "    object " + Name + ": " + Class + "\n      Left = " + std::to_string(L) + "\n      Top = " +
         std::to_string(T) + "\n      Width = " + std::to_string(W) + "\n      Height = " + std::to_string(H) +
         "\n" + Props + Children + "    end\n";
}

std::string Items(std::initializer_list<const char*> Lines) {
  std::string s = "      Items.Strings = (";
  for (const char* l : Lines) s += "\n        '" + std::string(l) + "'";
  return s + ")\n";
}

// One family set, every name prefixed with P.
std::string Family(const std::string& P) {
  std::string s;
  std::string tools;
  for (int i = 1; i <= 3; ++i)
    tools += "      object " + P + "T" + std::to_string(i) + ": TQvToolButton\n        Caption = 'T" +
             std::to_string(i) + "'\n        ShowCaption = True\n        UseToolbarButtonSize = False\n" +
             (i == 3 ? "        ToolStyle = tsDropDown\n        Width = 44\n" : "        Width = 30\n") +
             "      end\n";
  s += Obj(P + "Bar", "TQvToolbar", 8, 8, 200, 32, "      Align = alNone\n", tools);
  s += Obj(P + "Menu", "TQvMenuToolbarButton", 216, 8, 44, 25,
           "      Flat = False\n      Caption = 'M'\n");
  s += Obj(P + "Push", "TQvButton", 8, 48, 120, 25,
           "      Caption = 'Left aligned'\n      Alignment = taLeftJustify\n");
  s += Obj(P + "MenuBtn", "TQvMenuButton", 136, 48, 120, 25, "      Caption = 'Menu'\n");
  s += Obj(P + "Label", "TQvLabel", 264, 52, 160, 17,
           "      AutoSize = False\n      Caption = 'Label, left aligned.'\n");
  s += Obj(P + "Tool", "TQvToolButton", 8, 84, 60, 25,
           "      Caption = 'Split'\n      ShowCaption = True\n      ToolStyle = tsDropDown\n      Flat = False\n");
  s += Obj(P + "Check", "TQvCheckBox", 8, 120, 140, 17, "      Caption = 'Check box.'\n      Checked = True\n");
  s += Obj(P + "Radio", "TQvRadioButton", 156, 120, 140, 17, "      Caption = 'Radio button!'\n      Checked = True\n");
  s += Obj(P + "Group", "TQvRadioGroup", 8, 144, 216, 80,
           "      Caption = 'Radio group'\n      Columns = 2\n      ItemIndex = 1\n" +
               Items({"One", "Two", "Three", "Four"}));
  s += Obj(P + "GBox", "TQvGroupBox", 232, 144, 200, 80, "      Caption = 'Group box'\n");
  s += Obj(P + "Top", "TQvGroupBox", 232, 176, 200, 40,
           "      Caption = 'Top line'\n      GroupStyle = gsTopLine\n");
  s += Obj(P + "Color", "TQvColorEdit", 8, 232, 120, 21, "      DropButtonVisible = True\n");
  s += Obj(P + "Edit", "TQvEdit", 136, 232, 88, 21, "      Text = 'Text!'\n");
  s += Obj(P + "Combo", "TQvComboBox", 232, 232, 120, 21,
           "      Style = csDropDownList\n      ItemIndex = 0\n" + Items({"Combo, first", "Second"}));
  s += Obj(P + "Spin", "TQvSpinEdit", 232, 260, 97, 21, "      Value = 42\n");
  s += Obj(P + "List", "TQvListBox", 8, 292, 136, 96,
           "      OwnerDrawIndent = 16\n      ShowGroups = True\n      GroupPrefix = '#'\n      UseGradients = True\n" +
               Items({"#Group", "Indented one", "Indented two!"}));
  s += Obj(P + "Tabbed", "TQvTabbedListBox", 152, 292, 136, 96, Items({"a\t1", "bb\t22", "ccc\t333"}));
  s += Obj(P + "Checks", "TQvCheckList", 296, 292, 136, 96, Items({"Checked", "Plain", "Third."}));
  return s;
}

std::string Source() {
  std::string s = "object RightToLeftPage: TForm\n";
  s += "  object LPane: TQvPanel\n    Left = 8\n    Top = 24\n    Width = 440\n    Height = 400\n"
       "    BorderOuter = fsLowered\n    Caption = ''\n" +
       Family("L") + "  end\n";
  s += "  object RPane: TQvPanel\n    Left = 456\n    Top = 24\n    Width = 440\n    Height = 400\n"
       "    BorderOuter = fsLowered\n    Caption = ''\n    BiDiMode = bdRightToLeft\n    ParentBiDiMode = False\n" +
       Family("R") + "  end\n";
  return s + "end\n";
}

void Captions(TCanvas* Canvas, const TRect&) {
  Canvas->Font()->SetColor(clWindowText);
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->TextOut(8, 6, "Left to right (bdLeftToRight)");
  Canvas->TextOut(456, 6, "Right to left (bdRightToLeft): the same controls, mirrored");
  Canvas->Brush()->SetStyle(bsSolid);
}

const bool kClassesRegistered = (RegisterBasicClasses(), RegisterEditListClasses(), true);
TGalleryPageRegistrar reg{{"righttoleft", 904, 432, Source(), Captions, nullptr}};

}  // namespace
