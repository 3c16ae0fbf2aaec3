// Run with the prefix at 144 dpi (the test command gives this suite a prefix of its own):
// the main window, the About box and a message box as the screen's scale lays them out.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "app/main_layout.h"
#include "base/win/window.h"
#include "dialogs/message_form.h"
#include "printing/print_document.h"
#include "printing/printer.h"
#include "support/layout_checks.h"
#include "support/pdf_folder.h"
#include "wine_support.h"

using namespace dodir;
using namespace dodir::testing;

namespace {

constexpr int kDpi = 144;

} // namespace

TEST(HighDpi, TheMainWindowAndItsControlsFollowTheScreensScale) {
    ASSERT_EQ(TestProgram().Scale().Dpi(), kDpi) << "the suite runs in a prefix set to 144 dpi";
    ShownForm1 form;
    const TMainLayout m = MainLayout(TScale(kDpi));
    HWND main = form->Handle();
    RECT client{};
    ::GetClientRect(main, &client);
    EXPECT_EQ(client.right, 1032);
    EXPECT_EQ(client.bottom, 690);
    ExpectLaidOutAs(*form, m);

    EXPECT_EQ(FontHeightOf(form->Edit1->Handle()), -18);
    EXPECT_EQ(FontHeightOf(form->Button2->Handle()), -18);
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    ::SendMessageA(form->RichEdit1->Handle(), EM_GETCHARFORMAT, SCF_DEFAULT,
                   reinterpret_cast<LPARAM>(&format));
    EXPECT_EQ(format.yHeight, 9 * 20); // 18 pixels at 144 dpi: the 9 points of 12 pixels at 96

    HWND bar = form->ToolBar1->Handle();
    const auto button = ::SendMessageA(bar, TB_GETBUTTONSIZE, 0, 0);
    EXPECT_EQ(LOWORD(button), 35);
    EXPECT_EQ(HIWORD(button), 33);
    int imageWidth = 0, imageHeight = 0;
    ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(::SendMessageA(bar, TB_GETIMAGELIST, 0, 0)),
                          &imageWidth, &imageHeight);
    EXPECT_EQ(imageWidth, 24);
    EXPECT_EQ(imageHeight, 24);
    int parts[4] = {};
    ::SendMessageA(form->StatusBar1->Handle(), SB_GETPARTS, 4, reinterpret_cast<LPARAM>(parts));
    EXPECT_EQ(parts[0], 225);
    EXPECT_EQ(parts[1], 450);
    EXPECT_EQ(parts[2], 675);

    TAboutBox& about = *form->AboutBox;
    ::GetClientRect(about.Handle(), &client);
    EXPECT_EQ(client.right, 672);
    EXPECT_EQ(client.bottom, 546);
    ExpectAt(about.Handle(), about.Panel1(), TRect{12, 12, 12 + 650, 12 + 482}, "Panel1");
    ExpectAt(about.Handle(), about.OKButton->Handle(), TRect{539, 498, 539 + 113, 498 + 38}, "OK");
    EXPECT_EQ(FontHeightOf(about.OKButton->Handle()), -18);
}

// The message box's metrics come from its font, the platform's message font at this
// resolution: each length of a box is 1.5 times the same box's laid out with the platform's
// message font at 96 dpi, within what the dialog units' dropped fractions allow (for a unit of
// d pixels at 96 dpi, from 1.5 d / (d + 1) to 1.5 (d + 1) / d times).
TEST(HighDpi, AMessageBoxIsLaidOutForTheLargerFont) {
    ASSERT_EQ(TestProgram().Scale().Dpi(), kDpi);
    const std::string text = "ファイルを上書き？";
    const MessageButtons buttons{MessageButton::Yes, MessageButton::No};
    const auto box = BuildMessageForm(TestApplication(), text, MessageKind::Custom, buttons);
    // Windows 10's call, looked up: the program runs on Windows 7.
    using TForDpi = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
    const auto forDpi = reinterpret_cast<TForDpi>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("user32.dll"), "SystemParametersInfoForDpi")));
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    ASSERT_TRUE(forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, 96));
    win::UniqueFont font(::CreateFontIndirectW(&metrics.lfMessageFont));
    win::WindowDc dc(box->Handle());
    win::SelectObjectScope selected(dc.get(), font.get());
    DcMessageMeasure measure(dc.get());
    ButtonWidthCache widths;
    const MessageLayout small = LayoutMessageBox(text, MessageKind::Custom, buttons,
                                                 ::GetSystemMetrics(SM_CXSCREEN), measure, widths);
    const MessageLayout& large = box->Layout();
    const DialogUnits u = DialogUnitsFromSampleExtent(measure.TextExtent(kDialogUnitSample));
    const struct {
        int at96, at144, unit;
        const char* what;
    } lengths[] = {{small.clientWidth, large.clientWidth, u.x, "width"},
                   {small.clientHeight, large.clientHeight, u.y, "height"},
                   {small.text.width, large.text.width, u.x, "text width"},
                   {small.text.height, large.text.height, u.y, "text height"},
                   {small.buttonWidth, large.buttonWidth, u.x, "button width"},
                   {small.metrics.buttonHeight, large.metrics.buttonHeight, u.y, "button height"}};
    for (const auto& l : lengths)
        EXPECT_TRUE(2 * l.at144 * (l.unit + 1) >= 3 * l.at96 * l.unit &&
                    2 * l.at144 * l.unit <= 3 * l.at96 * (l.unit + 1))
            << l.what << ": " << l.at144 << " at 144 dpi, " << l.at96 << " at 96";
}

// The editor's 18-pixel font is 9 points at 144 dpi, and prints as 9 points.
TEST(HighDpi, PrintingKeepsTheEditorFontsSizeInPoints) {
    ASSERT_EQ(TestProgram().Scale().Dpi(), kDpi);
    ShownForm1 form;
    PdfFolder pdfs;
    ::SetWindowTextA(form->RichEdit1->Handle(), "nine points");
    EXPECT_EQ(PrintDocument(*form->RichEdit1, TestPrinter(), kDpi), 1);
    // The printer's driver embeds the font without a text map at this resolution: the page is
    // read as pixels, not as text.
    const auto pdf = pdfs.NewPdf(true);
    EXPECT_EQ(pdf.pages, 1);
    EXPECT_GT(pdf.darkPixels, 0);
    const int ppi = ::GetDeviceCaps(TestPrinter().Handle(), LOGPIXELSY);
    EXPECT_EQ(TestPrinter().Canvas().Font.height, -::MulDiv(9, ppi, 72));
}
