#include "printing/print_dialog.h"

#include <dlgs.h>
#include <gtest/gtest.h>

#include "printing/printer.h"
#include "wine_support.h"

using namespace dodir;
using namespace dodir::testing;

TEST(PrintDialog, OkKeepsThePrinterAndItsCopiesCancelChangesNothingAndNoRangeIsOffered) {
    ShownForm1 form;
    TPrintDialog& dialog = *form->PrintDialog1;
    const int copies = dialog.ChosenPrinter().Copies();
    bool pagesOffered = true, selectionOffered = true, toFileOffered = true;
    BoxWatcher ok({BoxWatcher::Dialog([&](HWND box) {
        pagesOffered = ::IsWindowEnabled(::GetDlgItem(box, rad3)) != FALSE;
        selectionOffered = ::IsWindowEnabled(::GetDlgItem(box, rad2)) != FALSE;
        toFileOffered = ::IsWindowVisible(::GetDlgItem(box, chx1)) != FALSE;
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    })});
    EXPECT_TRUE(dialog.Execute());
    ASSERT_EQ(ok.Seen().size(), 1u);
    EXPECT_FALSE(pagesOffered);
    EXPECT_FALSE(selectionOffered);
    EXPECT_FALSE(toFileOffered);
    EXPECT_EQ(dialog.ChosenPrinter().CurrentPrinter().device, "PDF");
    EXPECT_EQ(dialog.ChosenPrinter().Copies(), copies); // a count of 1 keeps the printer's own

    dialog.ChosenPrinter().SetCopies(2);
    BoxWatcher cancel({BoxWatcher::Dialog(BoxWatcher::Press(IDCANCEL))});
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.ChosenPrinter().Copies(), 2);
    dialog.ChosenPrinter().SetCopies(1);
}
