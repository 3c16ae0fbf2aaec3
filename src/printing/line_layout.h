// Plain-text printing without the platform. Text written to a TLinePrinter is cut into
// pieces of 128 bytes and laid out by TLineLayout: runs of ordinary bytes are drawn at the
// pen and wrapped at the right edge of the printable area, at any character but never
// inside a double-byte one; TAB, LF, FF and CR move the pen; lines and pages are started
// as the text needs them. All positions are device units from the top-left corner of the
// printable area.
//
// The device is reached through TLineCanvas. On Windows, over the printer's device context
// with the canvas font selected:
//   StartJob, NextPage, FinishJob,  a job of the printer object (StartDoc/StartPage,
//   AbortJob                        EndPage/StartPage, EndPage/EndDoc, AbortDoc)
//   PrintableWidth, PrintableHeight GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)
//   FontMetrics                     GetTextMetricsA: {tmHeight, tmAveCharWidth}
//   MeasureRun                      the run turned into UTF-16 from code page 932, then
//                                   GetTextExtentExPointW(dc, text, chars, 0, nullptr, extents,
//                                   &size), returning size.cy; the partial extents come one per
//                                   character, each goes to the character's last byte (only
//                                   those entries are read)
//   DrawBytes                        TextOutA(dc, x, y, bytes, len)
#pragma once
#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dodir {

struct TLineFontMetrics {
    int height = 0;       // tmHeight: the advance of a line without text
    int aveCharWidth = 0; // tmAveCharWidth: a tab stop is every 8 of these
};

// The printer and its canvas, as far as line printing uses them.
class TLineCanvas {
  public:
    virtual ~TLineCanvas() = default;
    virtual void StartJob() = 0; // starts the job and its first page
    virtual void NextPage() = 0;
    virtual void FinishJob() = 0; // ends the current page and the job
    // Ends a started job where it stands, dropping it; nothing without one.
    virtual void AbortJob() noexcept = 0;
    virtual int PrintableWidth() = 0;
    virtual int PrintableHeight() = 0;
    // Metrics of the canvas font as it is now.
    virtual TLineFontMetrics FontMetrics() = 0;
    // Measures run in the canvas font: ends[i] receives the width of run's bytes 0..i (ends has
    // run.size() entries). Only entries at the last byte of a character are read. Returns the
    // height of the run's text.
    virtual int MeasureRun(std::string_view run, std::span<int> ends) = 0;
    // Draws bytes with their top-left corner at (x, y).
    virtual void DrawBytes(int x, int y, std::string_view bytes) = 0;
};

// A job on a line canvas, a scope: made, it starts the job; gone without Finish it aborts it.
class TLineJob {
  public:
    explicit TLineJob(TLineCanvas& canvas) : canvas_(&canvas) { canvas.StartJob(); }
    TLineJob(TLineJob&& other) noexcept : canvas_(std::exchange(other.canvas_, nullptr)) {}
    TLineJob(const TLineJob&) = delete;
    TLineJob& operator=(const TLineJob&) = delete;
    TLineJob& operator=(TLineJob&&) = delete;
    ~TLineJob() {
        if (canvas_) canvas_->AbortJob();
    }
    void Finish() {
        canvas_->FinishJob();
        canvas_ = nullptr;
    }

  private:
    TLineCanvas* canvas_;
};

// Bytes the layout acts on instead of drawing them.
inline constexpr char kTab = 9;
inline constexpr char kLineFeed = 10;
inline constexpr char kFormFeed = 12;
inline constexpr char kCarriageReturn = 13;

constexpr bool IsLayoutControl(char c) noexcept {
    return c == kTab || c == kLineFeed || c == kFormFeed || c == kCarriageReturn;
}

// The pen and the line being built, for one job.
class TLineLayout {
  public:
    TLineLayout(TLineCanvas& canvas, int rightLimit, int bottomLimit)
        : canvas_(canvas), rightLimit_(rightLimit), bottomLimit_(bottomLimit) {}

    // Lays out one piece. A lead byte that ends the piece waits for its trail byte in the next.
    void LayOutPiece(std::string_view piece);
    // Draws a lead byte still waiting for its trail byte.
    void Finish();

    int PenX() const { return penX_; }
    int PenY() const { return penY_; }
    int LineHeight() const { return lineHeight_; }
    int RightLimit() const { return rightLimit_; }
    int BottomLimit() const { return bottomLimit_; }

  private:
    void DrawRun(std::string_view run);
    void Tab();
    void AdvanceLine();
    void StartNextPage();
    void BreakPageWhenFull();
    void StartOwedPage();

    TLineCanvas& canvas_;
    int penX_ = 0;
    int penY_ = 0;
    int rightLimit_ = 0;
    int bottomLimit_ = 0;
    int lineHeight_ = 0; // 0 while nothing is drawn on the line
    // A page filled up: the next one is started only when something goes on it, so that a
    // document that ends with a full page leaves no empty one behind.
    bool pageOwed_ = false;
    std::optional<char> carried_;
    std::string run_;
    std::vector<int> ends_;
    std::vector<std::size_t> charEnds_;
};

// The buffered text sink of a print job: closed until Open, then collects written bytes and
// hands them to the layout 128 at a time, or at each line end however few. Its job is aborted
// when it goes open, or when Open fails once the job has started.
class TLinePrinter {
  public:
    static constexpr std::size_t kBufferSize = 128;

    explicit TLinePrinter(TLineCanvas& canvas) : canvas_(canvas) {}

    // Starts the job and reads the printable area; an error leaves it closed.
    void Open();
    void WriteText(std::string_view text);
    // Writes LF and hands the buffer to the layout.
    void WriteLineEnd();
    // Hands over what is left and finishes the job.
    void Close();

    bool IsOpen() const { return layout_.has_value(); }
    // Only while open.
    const TLineLayout& Layout() const { return *layout_; }

  private:
    void Flush();
    TLineLayout& OpenLayout();

    TLineCanvas& canvas_;
    std::optional<TLineJob> job_;
    std::optional<TLineLayout> layout_;
    std::array<char, kBufferSize> buffer_{};
    std::size_t used_ = 0;
};

} // namespace dodir
