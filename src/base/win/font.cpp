#include "base/win/font.h"

namespace dodir::win {

LOGFONTA LogFontOf(const TFont& font) {
    LOGFONTA lf{};
    lf.lfHeight = font.height;
    lf.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = font.italic;
    lf.lfUnderline = font.underline;
    lf.lfStrikeOut = font.strikeout;
    lf.lfCharSet = static_cast<BYTE>(font.charset);
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH;
    lstrcpynA(lf.lfFaceName, font.name.c_str(), LF_FACESIZE);
    return lf;
}

HFONT CreateFontOf(const TFont& font) {
    const LOGFONTA lf = LogFontOf(font);
    return ::CreateFontIndirectA(&lf);
}

} // namespace dodir::win
