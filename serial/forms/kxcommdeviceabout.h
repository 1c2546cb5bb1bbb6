#pragma once
// The small About box of the serial library (the form KxCommDeviceAbout in
// resources/serial): the component class it was opened for, the library's version
// and one line describing the running system, from os-release and the kernel.
#include <string>

#include "platform/controls/forms.h"

class TBevel;
class TButton;
class TImage;
class TLabel;

// The system line: the distribution's name (os-release's PRETTY_NAME, else NAME,
// else "Linux"; GBK), its VERSION_ID unless the name already shows it, and the
// kernel release in brackets, for example "Debian GNU/Linux 12 (bookworm)
// (6.1.0-18-amd64)" or "openSUSE Tumbleweed 20240101 (6.8.0)". VersionId and
// KernelRelease are UTF-8; characters without a GBK form are left out.
std::string OsVersionLine(const std::string& ProductName, const std::string& VersionId,
                          const std::string& KernelRelease);

class TForm_KXComm64_About : public TForm {
  DTU_CLASS(TForm_KXComm64_About, TForm)
public:
  // The texts of this box in the calling thread's language.
  class TMsgStrings {
  public:
    TMsgStrings();
    // Entry 0, 1, 4 or 9 as GBK text; "" for any other.
    std::string fGetMsg(int Index) const;

  private:
    int FLanguage;  // 0 English, 1 simplified, 2 traditional Chinese
  };

  TForm_KXComm64_About(TComponent* AOwner, const std::string& ClassName);

  TImage* Image1 = nullptr;
  TLabel* LabelCaption = nullptr;
  TLabel* LabelVersion = nullptr;
  TBevel* Bevel1 = nullptr;
  TLabel* LabelOSVer = nullptr;
  TButton* BnOK = nullptr;

  // Fills LabelOSVer.
  void ShowSysInfo();
  void BnOKClick(TObject* Sender);
};
