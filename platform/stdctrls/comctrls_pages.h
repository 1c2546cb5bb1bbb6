#pragma once
// TPageControl and TTabSheet: pages of controls chosen by a row of tabs that this
// layer draws in the classic look. The pages are the page control's children (a
// form stream holds them inside it); only the active page is visible. A page chosen
// by the user (a click on its tab, the arrow keys on the focused tabs, Ctrl+Tab,
// Alt+a tab's accelerator) asks OnChanging first, which may refuse, and fires
// OnChange after the page has changed. Setting ActivePage or ActivePageIndex from
// the program fires neither.
#include <functional>
#include <string>
#include <vector>

#include "platform/controls/controls.h"

using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

class TPageControl;

class TTabSheet : public TWinControl {
  DTU_CLASS(TTabSheet, TWinControl)
public:
  explicit TTabSheet(TComponent* AOwner);
  void BeforeDestruction() override;

  TPageControl* PageControl() const { return FPageControl; }
  // Moves the page to another page control (nullptr: none), at its end.
  void SetPageControl(TPageControl* Value);
  // The place among the page control's pages (-1 without a page control).
  int PageIndex() const;
  void SetPageIndex(int Value);
  // The place among the visible tabs (-1 when the tab is hidden or there is no
  // page control).
  int TabIndex() const;
  bool TabVisible() const { return FTabVisible; }
  void SetTabVisible(bool Value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);

  void SetParentComponent(TComponent* Value) override;
  void Dispatch(TMessage& Message) override;

  TNotifyEvent OnShow;
  TNotifyEvent OnHide;

protected:
  virtual void DoShow();
  virtual void DoHide();

private:
  friend class TPageControl;
  TPageControl* FPageControl = nullptr;
  bool FTabVisible = true;
  int FImageIndex = 0;
};

class TPageControl : public TCustomControl {
  DTU_CLASS(TPageControl, TCustomControl)
public:
  explicit TPageControl(TComponent* AOwner);
  void BeforeDestruction() override;

  int PageCount() const { return static_cast<int>(FPages.size()); }
  // EListError for an index out of range.
  TTabSheet* Pages(int Index) const;
  TTabSheet* ActivePage() const { return FActivePage; }
  // A page of another page control is ignored.
  void SetActivePage(TTabSheet* Page);
  int ActivePageIndex() const { return FActivePage ? FActivePage->PageIndex() : -1; }
  void SetActivePageIndex(int Value);
  // The active page's place among the visible tabs (-1: none).
  int TabIndex() const { return FActivePage ? FActivePage->TabIndex() : -1; }
  // The next (or previous) page after CurPage, round the end; with CheckTabVisible
  // only pages whose tab shows. nullptr when there is none.
  TTabSheet* FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible);
  // Chooses the next page as the user would (OnChanging, then OnChange).
  void SelectNextPage(bool GoForward, bool CheckTabVisible = true);

  // The tab height (0: from the font) and a fixed tab width (0: from the caption).
  int TabHeight() const { return FTabHeight; }
  void SetTabHeight(int Value);
  int TabWidth() const { return FTabWidth; }
  void SetTabWidth(int Value);
  // The rectangle of the tab at a visible-tab index (client coordinates; the
  // selected tab is drawn two pixels larger), and the visible tab at a point (-1).
  TRect TabRect(int Index);
  int IndexOfTabAt(int X, int Y);
  // Where the pages go.
  TRect DisplayRect();

  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  void SetChildOrder(TComponent* Child, int Order) override;
  void Loaded() override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;

  TNotifyEvent OnChange;
  TTabChangingEvent OnChanging;

protected:
  // OnChanging: whether the active page may change.
  virtual bool CanChange();
  // OnChange: the active page has changed.
  virtual void Change();
  void AdjustClientRect(TRect& Rect) override;
  void Paint() override;

private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* Page);
  void RemovePage(TTabSheet* Page);
  void ChangeActivePage(TTabSheet* Page);
  // A page chosen by the user: OnChanging may refuse; OnChange once it is shown.
  void UserSelect(TTabSheet* Page);
  void TabsChanged();
  std::vector<TTabSheet*> VisibleTabs() const;
  int RowHeight();

  std::vector<TTabSheet*> FPages;
  TTabSheet* FActivePage = nullptr;
  int FTabHeight = 0;
  int FTabWidth = 0;
};
