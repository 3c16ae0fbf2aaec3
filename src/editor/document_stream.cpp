#include "base/errors.h"
#include "editor/rich_edit.h"

namespace dodir {

void TRichEditStrings::LoadDocument(const std::string& path) {
    throw EFOpenError(FormatMessage1("ファイル %s は開けません", path));
}

void TRichEditStrings::SaveDocument(const std::string& path) {
    throw EFCreateError(FormatMessage1("ファイル %s を作成できません", path));
}

} // namespace dodir
