#include "printing/line_layout.h"

#include <stdexcept>

#include "base/cp932.h"

namespace dodir {

namespace {

bool IsLead(char c) { return IsLeadByte(static_cast<unsigned char>(c)); }

} // namespace

void TLineLayout::LayOutPiece(std::string_view piece) {
    run_.clear();
    if (carried_) run_.push_back(*carried_);
    carried_.reset();
    for (const char c : piece) {
        if (!IsLayoutControl(c)) {
            run_.push_back(c);
            continue;
        }
        DrawRun(run_);
        run_.clear();
        switch (c) {
        case kTab:
            Tab();
            break;
        case kLineFeed:
            AdvanceLine();
            break;
        case kFormFeed:
            StartNextPage();
            break;
        default: // CR leaves the pen where it is
            break;
        }
    }
    // A lead byte that starts the last character of the piece pairs with the next piece's first byte.
    std::size_t at = 0;
    while (at + 1 < run_.size()) at += IsLead(run_[at]) ? 2 : 1;
    if (at + 1 == run_.size() && IsLead(run_[at])) {
        carried_ = run_[at];
        run_.pop_back();
    }
    DrawRun(run_);
}

void TLineLayout::Finish() {
    if (!carried_) return;
    const char lead = *carried_;
    carried_.reset();
    DrawRun(std::string_view(&lead, 1));
}

void TLineLayout::DrawRun(std::string_view run) {
    while (!run.empty()) {
        ends_.assign(run.size(), 0);
        const int height = canvas_.MeasureRun(run, ends_);
        charEnds_.clear();
        for (std::size_t at = 0; at < run.size();) {
            at += IsLead(run[at]) && at + 1 < run.size() ? 2 : 1;
            charEnds_.push_back(at);
        }
        // The longest run of whole characters that fits, found as stepping back from the end
        // one character at a time finds it. At the left edge the first character goes out
        // whole even when it is wider than the page, so that every line takes something.
        std::size_t fit = 0;
        for (auto it = charEnds_.rbegin(); it != charEnds_.rend(); ++it) {
            if (penX_ + ends_[*it - 1] <= rightLimit_) {
                fit = *it;
                break;
            }
        }
        if (fit == 0 && penX_ == 0) fit = charEnds_.front();
        const int width = fit == 0 ? 0 : ends_[fit - 1];
        if (fit > 0) {
            StartOwedPage();
            // Blank lines advance the pen up to the bottom itself: text that would not fit
            // below it goes to the top of the next page instead of off the paper.
            if (penY_ > 0 && penY_ + height > bottomLimit_) {
                canvas_.NextPage();
                penY_ = 0;
            }
            if (lineHeight_ < height) lineHeight_ = height + 2;
            canvas_.DrawBytes(penX_, penY_, run.substr(0, fit));
        }
        run.remove_prefix(fit);
        if (!run.empty())
            AdvanceLine();
        else
            penX_ += width;
    }
}

void TLineLayout::Tab() {
    // To the largest multiple of T not above PenX + T + 1; a font without an average width
    // has no tab stops, and the pen stays.
    const int t = 8 * canvas_.FontMetrics().aveCharWidth;
    if (t > 0) penX_ = penX_ + t - ((penX_ + t + 1) % t) + 1;
    if (penX_ > rightLimit_) AdvanceLine();
}

void TLineLayout::AdvanceLine() {
    penX_ = 0;
    penY_ += lineHeight_ != 0 ? lineHeight_ : canvas_.FontMetrics().height;
    if (penY_ > bottomLimit_ - 2 * lineHeight_) BreakPageWhenFull();
    lineHeight_ = 0;
}

void TLineLayout::BreakPageWhenFull() {
    StartOwedPage();
    penX_ = 0;
    penY_ = 0;
    pageOwed_ = true;
}

void TLineLayout::StartNextPage() {
    StartOwedPage();
    penX_ = 0;
    penY_ = 0;
    canvas_.NextPage();
}

void TLineLayout::StartOwedPage() {
    if (!pageOwed_) return;
    pageOwed_ = false;
    canvas_.NextPage();
}

void TLinePrinter::Open() {
    if (layout_) throw std::logic_error("line printer already open");
    TLineJob job(canvas_);
    layout_.emplace(canvas_, canvas_.PrintableWidth(), canvas_.PrintableHeight());
    job_.emplace(std::move(job));
    used_ = 0;
}

TLineLayout& TLinePrinter::OpenLayout() {
    if (!layout_) throw std::logic_error("line printer not open");
    return *layout_;
}

void TLinePrinter::Flush() {
    OpenLayout().LayOutPiece(std::string_view(buffer_.data(), used_));
    used_ = 0;
}

void TLinePrinter::WriteText(std::string_view text) {
    OpenLayout();
    for (const char c : text) {
        buffer_[used_++] = c;
        if (used_ == kBufferSize) Flush();
    }
}

void TLinePrinter::WriteLineEnd() {
    WriteText(std::string_view(&kLineFeed, 1));
    if (used_ > 0) Flush();
}

void TLinePrinter::Close() {
    if (used_ > 0) Flush();
    OpenLayout().Finish();
    job_->Finish();
    job_.reset();
    layout_.reset();
}

} // namespace dodir
