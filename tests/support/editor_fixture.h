// The fixture of the editor's tests: a TRichEdit of its own on a plain popup window.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "wine_support.h"

namespace dodir::testing {

class EditorFixture : public ::testing::Test {
  protected:
    HWND Wnd() const { return editor_->Handle(); }
    void SetText(const std::string& t) { SetTextAndPump(Wnd(), t); }

    HostedEditor editor_{300, 200};
};

} // namespace dodir::testing
