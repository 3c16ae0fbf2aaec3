// The box watcher itself: a box too many, or one that stays up when answered, fails the
// test instead of hanging it.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "dialogs/message_form.h"
#include "wine_support.h"

using namespace dodir;
using dodir::testing::BoxWatcher;
using dodir::testing::TestApplication;

namespace {
void ErrorBoxWhereNoneIsExpected() {
    BoxWatcher none;
    TestApplication().ShowErrorBox("one too many");
}
void NoticeAnsweredWithNothing() {
    BoxWatcher watcher({BoxWatcher::MessageForm([](HWND) {})});
    ShowNotice(TestApplication(), "never answered");
}
} // namespace

TEST(BoxWatcherTest, ABoxNoStepAsksForIsClosedAndFailsTheTest) {
    EXPECT_NONFATAL_FAILURE(ErrorBoxWhereNoneIsExpected(), "a box no step asked for was closed");
}

TEST(BoxWatcherTest, ABoxThatStaysUpWhenAnsweredIsClosedAndFailsTheTest) {
    EXPECT_NONFATAL_FAILURE(NoticeAnsweredWithNothing(), "a box stayed up when answered");
}
