#include "document/document_file.h"

namespace dodir {

bool TDocumentFile::Open() {
    const auto path = host_.AskOpenPath();
    if (!path) return false;
    // Nothing of the file state changes before the load succeeded: a Save after a failed
    // Open must not write the old document over the file that failed to open.
    host_.Load(*path);
    openFileName_ = *path;
    openState_ = osOpened;
    return true;
}

bool TDocumentFile::SaveAs() {
    const auto path = host_.AskSavePath();
    if (!path) return false;
    saveFileName_ = *path;
    host_.Save(saveFileName_);
    return true;
}

void TDocumentFile::Overwrite() {
    host_.Save(openFileName_);
    host_.ShowNotice("上書きしました。");
}

void TDocumentFile::Save() {
    if (openState_ == osNotOpened)
        SaveAs();
    else
        Overwrite();
}

void TDocumentFile::OfferSave() {
    if (openState_ == osNotOpened) {
        if (host_.AskYes("ファイルを保存しますか？")) SaveAs();
    } else if (host_.AskYes("ファイルを上書き？")) {
        Overwrite();
    }
}

} // namespace dodir
