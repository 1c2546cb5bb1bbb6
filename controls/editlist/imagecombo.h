#pragma once
// The image combo box: an owner-drawn framed combo box whose items carry a
// caption, an image of an image list (with an optional overlay) and an indent
// level. Every entry keeps its caption as its string too, so the typed-prefix
// search and completion find the items.
#include <functional>
#include <string>

#include "controls/editlist/combobox.h"
#include "platform/graphics/imglist.h"

class TQvCustomImageComboBox;

class TQvImageComboBoxItem : public TObject {
  DTU_CLASS(TQvImageComboBoxItem, TObject)
public:
  explicit TQvImageComboBoxItem(TQvCustomImageComboBox* Owner) : FOwner(Owner) {}
  int Index() const { return FIndex; }
  int IndentLevel() const { return FIndentLevel; }
  void SetIndentLevel(int V);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int V);
  int OverlayIndex() const { return FOverlayIndex; }
  void SetOverlayIndex(int V);
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& V);
  void* Data = nullptr;

  // How many items exist (the leak tests count them).
  static int LiveCount();
  ~TQvImageComboBoxItem() override;

private:
  friend class TQvCustomImageComboBox;
  void Changed();
  TQvCustomImageComboBox* FOwner;
  int FIndex = -1;
  int FIndentLevel = 0;
  int FImageIndex = -1;
  int FOverlayIndex = -1;
  std::string FCaption;
};

using TQvDeleteImageComboBoxItemEvent = std::function<void(TObject* Sender, TQvImageComboBoxItem* Item)>;
using TQvImageComboBoxGetItemDataEvent = std::function<void(TObject* Sender, TQvImageComboBoxItem* Item)>;

class TQvCustomImageComboBox : public TQvCustomComboBox {
  DTU_CLASS(TQvCustomImageComboBox, TQvCustomComboBox)
public:
  explicit TQvCustomImageComboBox(TComponent* AOwner);
  ~TQvCustomImageComboBox() override;
  void BeforeDestruction() override;

  virtual TQvImageComboBoxItem* AddItem(const std::string& Caption, int ImageIndex, int IndentLevel);
  void Delete(int Index);
  TQvImageComboBoxItem* GetImageComboBoxItem(int Index);
  int IndexOf(const std::string& S) override;
  int IndexOfItem(TQvImageComboBoxItem* Item);
  int IndexOfData(void* P);
  void ItemsBeginUpdate() { Items()->BeginUpdate(); }
  void ItemsEndUpdate() { Items()->EndUpdate(); }

  bool AutoSizeHeight() const { return FAutoSizeHeight; }
  void SetAutoSizeHeight(bool V) { FAutoSizeHeight = V; }
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* V);
  int ItemIndent() const { return FItemIndent; }
  void SetItemIndent(int V);

  TQvDeleteImageComboBoxItemEvent OnDeleteImageItem;
  TQvImageComboBoxGetItemDataEvent OnGetItemData;

protected:
  virtual void GetItemData(TQvImageComboBoxItem* Item);
  virtual void AutoSize(HFONT Font);
  void CreateWnd() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void DrawItem(int Index, TRect Rect, TOwnerDrawState State) override;
  void DeleteItem(void* Item) override;
  void WndProc(TMessage& Message) override;

private:
  bool FAutoSizeHeight = true;
  TCustomImageList* FImages = nullptr;
  int FItemIndent = 12;
  bool FSettingFont = false;
  bool FDeleting = false;
};

class TQvImageComboBox : public TQvCustomImageComboBox {
  DTU_CLASS(TQvImageComboBox, TQvCustomImageComboBox)
public:
  using TQvCustomImageComboBox::TQvCustomImageComboBox;
};
