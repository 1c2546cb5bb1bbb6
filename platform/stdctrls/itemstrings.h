#pragma once
// The items of a list box or combo box as TStrings: every operation is a message
// to the control (LB_ or CB_ messages, which answer alike). Private to the
// standard controls.
#include "platform/controls/controls.h"
#include "platform/core/strings.h"

// The control's messages for each item operation; Err is what a failed one answers.
struct TItemMessages {
  UINT Reset, Delete, Insert, Add, FindExact, GetTextLen, GetText, GetCount, GetItemData, SetItemData;
  LRESULT Err;
};

class TItemMessageStrings : public TStrings {
public:
  TItemMessageStrings(TControl* AControl, const TItemMessages& AMessages) : FControl(AControl), FMsg(AMessages) {}

  void Clear() override;
  void Delete(int Index) override;
  void Insert(int Index, const std::string& S) override;
  int Add(const std::string& S) override;
  int IndexOf(const std::string& S) const override;

protected:
  std::string Get(int Index) const override;
  int GetCount() const override;
  TObject* GetObject(int Index) const override;
  void PutObject(int Index, TObject* AObject) override;

  LRESULT Send(UINT Msg, WPARAM WParam, LPARAM LParam) const { return FControl->Perform(Msg, WParam, LParam); }

private:
  TControl* FControl;
  TItemMessages FMsg;
};
