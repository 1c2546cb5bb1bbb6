// A form whose class registers a field its stream does not hold is refused when it
// loads, naming the field, instead of leaving a null pointer for the first use; the
// refused form is taken apart (it leaves no form behind on the screen).
#include "fixtures.h"
#include "platform/core/filer.h"
#include "platform/core/typinfo.h"

namespace {

class TFormFieldGap : public TForm {
  DTU_CLASS(TFormFieldGap, TForm)
public:
  explicit TFormFieldGap(TComponent* AOwner) : TForm(AOwner) { LoadForm(); }
  TTimer* Timer1 = nullptr;
  TTimer* Timer2 = nullptr;  // registered, but not in data/TFormFieldGap.form
};

}  // namespace

const TClassInfo& TFormFieldGap::StaticClass() {
  static const TClassInfo info =
      TClassBuilder<TFormFieldGap>("TFormFieldGap", &TForm::StaticClass()).Component().Build();
  return info;
}

namespace {

const bool kRegistered = [] {
  RegisterClass(TFormFieldGap::StaticClass());
  RegisterFields(TFormFieldGap::StaticClass(),
                 {FieldOf("Timer1", &TFormFieldGap::Timer1), FieldOf("Timer2", &TFormFieldGap::Timer2)});
  return true;
}();

using FormFieldsTest = ControlsTest;

TEST_F(FormFieldsTest, AFieldTheStreamDoesNotSetIsNamedWhenTheFormLoads) {
  ASSERT_TRUE(kRegistered);
  ASSERT_TRUE(Screen);
  const int forms = Screen->FormCount();
  try {
    delete new TFormFieldGap(nullptr);
    FAIL() << "a form with an unset field was created";
  } catch (const EReadError& E) {
    EXPECT_EQ(E.Message(), "Field Timer2 of TFormFieldGap is not in the form stream");
  }
  EXPECT_EQ(Screen->FormCount(), forms);
}

}  // namespace
