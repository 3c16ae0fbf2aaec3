// Error classes raised by the program's operations. Messages are code page 932 text.
#pragma once
#include <exception>
#include <string>
#include <utility>

namespace dodir {

class Exception : public std::exception {
  public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const noexcept { return message_; }

  private:
    std::string message_;
};

#define DODIR_ERROR_CLASS(Name, Base)                                                                        \
    class Name : public Base {                                                                               \
      public:                                                                                                \
        using Base::Base;                                                                                    \
    }

DODIR_ERROR_CLASS(EConvertError, Exception);
DODIR_ERROR_CLASS(EStreamError, Exception);
DODIR_ERROR_CLASS(EFOpenError, EStreamError);
DODIR_ERROR_CLASS(EFCreateError, EStreamError);
DODIR_ERROR_CLASS(EOutOfResources, Exception);
DODIR_ERROR_CLASS(EInvalidOperation, Exception);
DODIR_ERROR_CLASS(EPrinter, Exception);
DODIR_ERROR_CLASS(EWin32Error, Exception);

#undef DODIR_ERROR_CLASS

// The silent error: reported by nobody.
class EAbort : public Exception {
  public:
    EAbort() : Exception("Operation aborted") {}
};

// Replaces the first "%s" in a message template by an argument, byte for byte.
std::string FormatMessage1(const std::string& templ, const std::string& arg);

} // namespace dodir
