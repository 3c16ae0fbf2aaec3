// Lays arbitrary bytes out on pages of arbitrary sizes, handed over in pieces of sizes the
// fuzzer picks (straight to TLineLayout, or through TLinePrinter's writes and line ends), on a
// canvas whose characters have widths of 0 to 26 units. Checks that the layout ends within a
// bounded number of pages and draws, draws every byte but TAB, LF, FF and CR exactly once and
// in order, never starts or ends a draw inside a double-byte character, starts every draw
// inside the page, and breaks a line exactly where the longest fitting run of characters ends
// (a character wider than the page alone at the left edge).
//
// Input layout: width, bottom, average character width, font height, text height, mode,
// n (plan bytes, mod 16), n plan bytes (piece or write sizes 1 to 128, cycled), then the text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "printing/line_layout.h"

namespace {

using dodir::IsLayoutControl;

bool IsLead(char c) { return dodir::IsLeadByte(static_cast<unsigned char>(c)); }

int SingleWidth(unsigned char b) { return (b * 7) % 13; }
int PairWidth(unsigned char lead, unsigned char trail) { return 10 + (lead + trail) % 17; }

// Width of text on the canvas, a lead byte with a byte after it counting as one character.
int Width(std::string_view text) {
    int w = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (IsLead(text[i]) && i + 1 < text.size())
            w += PairWidth(b, static_cast<unsigned char>(text[++i]));
        else
            w += SingleWidth(b);
    }
    return w;
}

[[noreturn]] void Fail(const char* what, std::size_t draw) {
    std::fprintf(stderr, "line layout: %s (draw %zu)\n", what, draw);
    std::abort();
}

struct Draw {
    int page, x, y;
    std::string text;
};

class Canvas : public dodir::TLineCanvas {
  public:
    int width = 0, bottom = 0, ave = 0, fontHeight = 0, textHeight = 0;
    std::size_t maxPages = 0, maxDraws = 0, maxMeasures = 0, measures = 0;
    int page = 1;
    std::vector<Draw> draws;

    void StartJob() override {}
    void NextPage() override {
        if (static_cast<std::size_t>(++page) > maxPages) Fail("too many pages", draws.size());
    }
    void FinishJob() override {}
    void AbortJob() noexcept override {}
    int PrintableWidth() override { return width; }
    int PrintableHeight() override { return bottom; }
    dodir::TLineFontMetrics FontMetrics() override { return {fontHeight, ave}; }
    int MeasureRun(std::string_view run, std::span<int> ends) override {
        // Each measure draws at least one character, or moves the rest of the run to a new line.
        if (++measures > maxMeasures) Fail("too many measures", draws.size());
        int w = 0;
        for (std::size_t i = 0; i < run.size(); ++i) {
            const std::size_t start = i;
            if (IsLead(run[i]) && i + 1 < run.size())
                ends[i++] = -1000000; // inside a character: a layout that reads it splits the pair
            ends[i] = w += Width(run.substr(start, i + 1 - start));
        }
        return textHeight;
    }
    void DrawBytes(int x, int y, std::string_view bytes) override {
        if (draws.size() >= maxDraws) Fail("too many draws", draws.size());
        draws.push_back({page, x, y, std::string(bytes)});
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 7) return 0;
    Canvas canvas;
    canvas.width = data[0];
    canvas.bottom = data[1] * 4;
    canvas.ave = data[2] % 8;
    canvas.fontHeight = data[3] % 32;
    canvas.textHeight = data[4] % 32;
    const bool throughPrinter = (data[5] & 1) != 0;
    const std::size_t planSize = std::min<std::size_t>(data[6] % 16, size - 7);
    std::vector<std::size_t> plan;
    for (std::size_t i = 0; i < planSize; ++i) plan.push_back(data[7 + i] % 128 + 1);
    if (plan.empty()) plan.push_back(128);
    const std::string text(reinterpret_cast<const char*>(data) + 7 + planSize, size - 7 - planSize);

    // The bytes to be drawn, and which of them are the trail byte of a double-byte character.
    std::string ordinary;
    std::vector<bool> trail;
    std::size_t controls = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsLayoutControl(text[i])) {
            ++controls;
            continue;
        }
        const bool pair = IsLead(text[i]) && i + 1 < text.size() && !IsLayoutControl(text[i + 1]);
        ordinary.push_back(text[i]);
        trail.push_back(false);
        if (pair) {
            ordinary.push_back(text[++i]);
            trail.push_back(true);
        }
    }
    canvas.maxDraws = ordinary.size();
    canvas.maxMeasures = 2 * ordinary.size();
    canvas.maxPages = 1 + controls + 2 * ordinary.size();

    std::size_t at = 0, step = 0;
    if (throughPrinter) {
        dodir::TLinePrinter printer(canvas);
        printer.Open();
        while (at < text.size()) {
            if (text[at] == dodir::kLineFeed) {
                printer.WriteLineEnd();
                ++at;
                continue;
            }
            std::size_t n = std::min(plan[step++ % plan.size()], text.size() - at);
            const std::size_t lf = text.find(dodir::kLineFeed, at);
            if (lf != std::string::npos) n = std::min(n, lf - at);
            printer.WriteText(std::string_view(text).substr(at, n));
            at += n;
        }
        printer.Close();
    } else {
        dodir::TLineLayout layout(canvas, canvas.width, canvas.bottom);
        while (at < text.size()) {
            const std::size_t n = std::min(plan[step++ % plan.size()], text.size() - at);
            layout.LayOutPiece(std::string_view(text).substr(at, n));
            at += n;
        }
        layout.Finish();
    }

    // Where each drawn byte came from in text, to tell adjacent draws from ones a control byte separates.
    std::vector<std::size_t> source;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!IsLayoutControl(text[i])) source.push_back(i);

    std::size_t pos = 0;
    for (std::size_t d = 0; d < canvas.draws.size(); ++d) {
        const Draw& draw = canvas.draws[d];
        const std::size_t n = draw.text.size();
        if (n == 0) Fail("empty draw", d);
        if (ordinary.compare(pos, n, draw.text) != 0) Fail("drawn bytes differ from the text", d);
        if (trail[pos] || (pos + n < trail.size() && trail[pos + n])) Fail("double-byte character split", d);
        if (draw.x < 0 || draw.x > canvas.width || draw.y < 0 || draw.y > canvas.bottom)
            Fail("draw starts outside the page", d);
        const bool oneChar = n == 1 || (n == 2 && trail[pos + 1]);
        if (draw.x + Width(draw.text) > canvas.width && !(draw.x == 0 && oneChar)) Fail("draw too wide", d);
        pos += n;
        if (d + 1 == canvas.draws.size() || source[pos] != source[pos - 1] + 1) continue;
        // The next draw continues the same run: on the same line right after this one, or at
        // the start of another line because its first character did not fit here.
        const Draw& next = canvas.draws[d + 1];
        const std::size_t first = pos + 1 < trail.size() && trail[pos + 1] ? 2 : 1;
        const bool sameLine =
            next.page == draw.page && next.y == draw.y && next.x == draw.x + Width(draw.text);
        const bool wrapped =
            next.x == 0 && draw.x + Width(draw.text + ordinary.substr(pos, first)) > canvas.width;
        if (!sameLine && !wrapped) Fail("line broken before the last character that fits", d);
    }
    if (pos != ordinary.size()) Fail("bytes not drawn", canvas.draws.size());
    return 0;
}
