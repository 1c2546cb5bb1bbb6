#pragma once
// The class library's exception hierarchy: every error the system raises derives
// from Exception, whose Message is 8-bit GBK text.
#include <stdexcept>
#include <string>

class Exception : public std::exception {
public:
  explicit Exception(std::string Msg) : FMessage(std::move(Msg)) {}
  const std::string& Message() const noexcept { return FMessage; }
  void SetMessage(std::string Msg) { FMessage = std::move(Msg); }
  const char* what() const noexcept override { return FMessage.c_str(); }
  // The class name shown by the standard exception display ("EConvertError").
  virtual const char* ClassName() const noexcept { return "Exception"; }
private:
  std::string FMessage;
};

// Declares an exception class derived from Base that reports its own class name.
#define DTU_DECLARE_EXCEPTION(Name, Base)                                   \
  class Name : public Base {                                                \
  public:                                                                   \
    using Base::Base;                                                       \
    const char* ClassName() const noexcept override { return #Name; }       \
  };

DTU_DECLARE_EXCEPTION(EAbort, Exception)
DTU_DECLARE_EXCEPTION(EConvertError, Exception)
DTU_DECLARE_EXCEPTION(EListError, Exception)
DTU_DECLARE_EXCEPTION(EStringListError, Exception)
DTU_DECLARE_EXCEPTION(EOutOfResources, Exception)
DTU_DECLARE_EXCEPTION(EInvalidOperation, Exception)
DTU_DECLARE_EXCEPTION(EInvalidPointer, Exception)
DTU_DECLARE_EXCEPTION(EComponentError, Exception)
DTU_DECLARE_EXCEPTION(EClassNotFound, Exception)
DTU_DECLARE_EXCEPTION(EPropertyError, Exception)
DTU_DECLARE_EXCEPTION(EPropertyConvertError, Exception)
DTU_DECLARE_EXCEPTION(EStreamError, Exception)
DTU_DECLARE_EXCEPTION(EFCreateError, EStreamError)
DTU_DECLARE_EXCEPTION(EFOpenError, EStreamError)
DTU_DECLARE_EXCEPTION(EReadError, EStreamError)
DTU_DECLARE_EXCEPTION(EWriteError, EStreamError)
DTU_DECLARE_EXCEPTION(EFilerError, EStreamError)
DTU_DECLARE_EXCEPTION(EResNotFound, Exception)
DTU_DECLARE_EXCEPTION(EInOutError, Exception)
DTU_DECLARE_EXCEPTION(EOSError, Exception)
DTU_DECLARE_EXCEPTION(EIntError, Exception)
DTU_DECLARE_EXCEPTION(ERangeError, EIntError)
DTU_DECLARE_EXCEPTION(EDivByZero, EIntError)
DTU_DECLARE_EXCEPTION(EMathError, Exception)
DTU_DECLARE_EXCEPTION(EInvalidArgument, EMathError)
DTU_DECLARE_EXCEPTION(EOutOfMemory, Exception)
DTU_DECLARE_EXCEPTION(EInvalidCast, Exception)
DTU_DECLARE_EXCEPTION(EInvalidGraphic, Exception)
DTU_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception)
DTU_DECLARE_EXCEPTION(EMenuError, Exception)
DTU_DECLARE_EXCEPTION(ERegistryException, Exception)
DTU_DECLARE_EXCEPTION(EIniFileException, Exception)

// Raises the silent exception: the standard exception display shows nothing for it.
[[noreturn]] void Abort();
