#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/form1.h"
#include "base/errors.h"
#include "printing/printer.h"
#include "wine_support.h"

using namespace dodir;
using namespace dodir::testing;

// Run with CUPS_SERVER naming no scheduler (the test command does): the process sees no
// printer at all.
TEST(NoPrinter, ThePrintCommandEndsWithTheErrorBeforeAnyDialog) {
    const char* server = std::getenv("CUPS_SERVER");
    if (!server || std::string(server) != "/nonexistent.sock")
        GTEST_SKIP() << "needs CUPS_SERVER=/nonexistent.sock";
    EXPECT_TRUE(Printer().Printers().empty());
    ShownForm1 form;
    BoxWatcher noDialog; // the print dialog must not open
    try {
        form->ToolButton16Click();
        ADD_FAILURE() << "printed without a printer";
    } catch (const EPrinter& e) {
        EXPECT_EQ(e.Message(), "デフォルト プリンタが存在しません");
    }
    EXPECT_TRUE(noDialog.Seen().empty());
    EXPECT_FALSE(Printer().Printing());
}
