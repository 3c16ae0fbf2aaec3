#include "editor/line_view.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/cp932.h"
#include "base/errors.h"
#include "editor/control_text.h"

namespace dodir {

int TRichEditStrings::LineCount() {
    const int n = static_cast<int>(Send(EM_GETLINECOUNT));
    const auto p = Send(EM_LINEINDEX, static_cast<WPARAM>(n - 1));
    return Send(EM_LINELENGTH, static_cast<WPARAM>(p)) == 0 ? n - 1 : n;
}

std::string TRichEditStrings::LineAt(int index) {
    // The buffer's size goes in its first WORD. Wine hands back the last line with a CR LF
    // that is not in the text; room for it.
    constexpr std::size_t kRoom = 4096;
    std::vector<char> buf(kRoom + 4, '\0');
    const auto word = static_cast<WORD>(kRoom);
    std::memcpy(buf.data(), &word, sizeof word);
    auto k = static_cast<std::size_t>(std::max<LRESULT>(
        Send(EM_GETLINE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buf.data())), 0));
    k = std::min(k, kRoom);
    if (k + 2 < kRoom) {
        if (k >= 2 && buf[k - 2] == '\r' && buf[k - 1] == '\n') k -= 2;
        return std::string(buf.data(), k);
    }
    // A row longer than the buffer, in an editor that does not wrap. Wine takes as long over
    // EM_GETLINE as the row is long, whatever the buffer, and no buffer size can exceed a
    // WORD: the row is read again as a range of the text, whole.
    const auto start = Send(EM_LINEINDEX, static_cast<WPARAM>(index));
    const auto length = Send(EM_LINELENGTH, static_cast<WPARAM>(start));
    return TControlText(editor_.Handle()).Run(TControlPos(static_cast<int>(start)), static_cast<int>(length));
}

void TRichEditStrings::AddLine(const std::string& line) {
    const int i = LineCount();
    auto p = static_cast<int>(Send(EM_LINEINDEX, static_cast<WPARAM>(i)));
    std::string insert;
    if (p >= 0) {
        insert = line + "\r\n";
    } else {
        const auto q = static_cast<int>(Send(EM_LINEINDEX, static_cast<WPARAM>(i - 1)));
        if (q < 0) return;
        const auto m = static_cast<int>(Send(EM_LINELENGTH, static_cast<WPARAM>(q)));
        if (m == 0) return;
        p = q + m;
        insert = "\r\n" + line;
    }
    CHARRANGE at{p, p};
    Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&at));
    Send(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(insert.c_str()));
    CHARRANGE now{};
    Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&now));
    const auto insertedLength =
        static_cast<int>(TControlText::CountsCharacters() ? CharCount(insert) : insert.size());
    if (now.cpMin != p + insertedLength) throw EOutOfResources("RichEdit での行の挿入エラー");
}

void TRichEditStrings::ClearAll() { door_.Empty(); }

std::string TRichEditStrings::JoinedText() {
    std::string out;
    const int n = LineCount();
    for (int i = 0; i < n; ++i) {
        out += LineAt(i);
        out += "\r\n";
    }
    return out;
}

} // namespace dodir
