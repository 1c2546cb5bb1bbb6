#pragma once
// TQvMenuController: dropped on a form, it draws every menu item its owner owns
// in the "Office" look: a gradient icon bar at the left of popup menus, gradient
// selection boxes in a frame, boxed check marks and images. It takes over the
// items' owner-draw events (OnAdvancedDrawItem, OnMeasureItem), leaving alone an
// item that has a drawing handler of its own, and follows items inserted into or
// removed from the owner at run time.
//
// Item layout (popup menus), for an icon bar of width B (24, or the image width
// + 8 with an image list):
//   |<- B ->|        |                                  |<-16->|
//   | icon  |8| caption                         shortcut|      |
// A separator is one clBtnShadow line at Top + 1, from the text start to the
// right edge.
#include <string>
#include <vector>

#include "controls/common/colors.h"
#include "platform/controls/menus.h"

class TQvMenuController : public TComponent {
  DTU_CLASS(TQvMenuController, TComponent)
public:
  explicit TQvMenuController(TComponent* AOwner);
  ~TQvMenuController() override;

  TQvGradientColorStyle GradientColorStyle() const { return FGradientColorStyle; }
  void SetGradientColorStyle(TQvGradientColorStyle Value) { FGradientColorStyle = Value; }
  TColor SelectionColorStart() const { return FSelectionColorStart; }
  void SetSelectionColorStart(TColor Value) { FSelectionColorStart = Value; }
  TColor SelectionColorStop() const { return FSelectionColorStop; }
  void SetSelectionColorStop(TColor Value) { FSelectionColorStop = Value; }
  TColor SelectionFrameColor() const { return FSelectionFrameColor; }
  void SetSelectionFrameColor(TColor Value) { FSelectionFrameColor = Value; }
  TColor IconBarColorStart() const { return FIconBarColorStart; }
  void SetIconBarColorStart(TColor Value) { FIconBarColorStart = Value; }
  TColor IconBarColorStop() const { return FIconBarColorStop; }
  void SetIconBarColorStop(TColor Value) { FIconBarColorStop = Value; }
  TColor MenuColor() const { return FMenuColor; }
  void SetMenuColor(TColor Value) { FMenuColor = Value; }
  TColor MenuFontColor() const { return FMenuFontColor; }
  void SetMenuFontColor(TColor Value) { FMenuFontColor = Value; }

  void Loaded() override;
  // Every menu of the owner owner-drawn (design time).
  void SetupMenus();
  // Every menu item of the owner taken over (run time).
  void SetupMenuItems();
  void SetupMenuItem(TMenuItem* Item);
  void CleanupMenuItem(TMenuItem* Item);
  void CleanupMenuItems();
  bool IsManaged(TMenuItem* Item) const;
  // Takes over the items that joined the owner since the last notification.
  void TakePending();

  void MeasureMenuItem(TMenuItem* Item, TCanvas* Canvas, int& Width, int& Height);
  void PaintMenuItem(TMenuItem* Item, TCanvas* Canvas, TRect Rect, TOwnerDrawState State);

  // Whether the user hides keyboard cues (the "UserPreferencesMask" of the
  // desktop settings, bit 0x20 of its first byte clear).
  static bool HideMenuPrefix();

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void DefineProperties(TFiler* Filer) override;

private:
  std::vector<TMenuItem*> FItems;
  std::vector<TComponent*> FPending;
  TQvGradientColorStyle FGradientColorStyle = TQvGradientColorStyle::gcsSystem;
  TColor FSelectionColorStart = clBtnFace;
  TColor FSelectionColorStop = clBtnShadow;
  TColor FSelectionFrameColor = cl3DDkShadow;
  TColor FIconBarColorStart = static_cast<TColor>(0xFFFFFF);
  TColor FIconBarColorStop = clBtnFace;
  TColor FMenuColor = clWindow;
  TColor FMenuFontColor = clWindowText;
};
