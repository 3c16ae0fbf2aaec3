#include "document/document_file.h"

#include "dialogs/common_dialogs.h"
#include "editor/document_stream.h"

namespace dodir::document {

bool TDocumentFile::Open() {
    if (!openDialog_.Execute()) return false;
    const std::string path = openDialog_.FileName;
    // Nothing of the file state changes before the load succeeded: a Save after a failed
    // Open must not write the old document over the file that failed to open.
    LoadDocument(editor_, path);
    openFileName_ = path;
    openState_ = osOpened;
    return true;
}

bool TDocumentFile::SaveAs() {
    if (!saveDialog_.Execute()) return false;
    saveFileName_ = saveDialog_.FileName;
    SaveDocument(editor_, saveFileName_);
    return true;
}

void TDocumentFile::Overwrite() {
    SaveDocument(editor_, openFileName_);
    talk_.tell("上書きしました。");
}

void TDocumentFile::Save() {
    if (openState_ == osNotOpened)
        SaveAs();
    else
        Overwrite();
}

void TDocumentFile::OfferSave() {
    if (openState_ == osNotOpened) {
        if (talk_.askYes("ファイルを保存しますか？")) SaveAs();
    } else if (talk_.askYes("ファイルを上書き？")) {
        Overwrite();
    }
}

} // namespace dodir::document
