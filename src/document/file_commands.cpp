#include "document/file_commands.h"

#include "app/form1.h"
#include "dialogs/message_form.h"

namespace dodir::document {

TOpenState OpenState = osNotOpened;
std::string OpenFileName;
std::string SaveFileName;

namespace {
bool AskYes(const std::string& question) {
    return ShowMessageForm(question, MessageKind::Confirmation, {MessageButton::Yes, MessageButton::No}) ==
           kResultYes;
}
} // namespace

void ToolButton1Click(TForm1& form) {
    OpenState = osNotOpened;
    form.RichEdit1->Lines.ClearAll();
    form.RichEdit2->Lines.ClearAll();
    form.SetCaption("dodir");
}

void ToolButton2Click(TForm1& form) {
    if (!form.OpenDialog1->Execute()) return;
    const std::string path = form.OpenDialog1->FileName;
    // Nothing of the file state changes before the load succeeded: a Save after a failed
    // Open must not write the old document over the file that failed to open.
    form.RichEdit1->Lines.LoadDocument(path);
    OpenFileName = path;
    form.SetCaption(path);
    OpenState = osOpened;
}

void ToolButton3Click(TForm1& form) {
    if (OpenState == osNotOpened) {
        if (!form.SaveDialog1->Execute()) return;
        SaveFileName = form.SaveDialog1->FileName;
        form.RichEdit1->Lines.SaveDocument(SaveFileName);
    } else {
        form.RichEdit1->Lines.SaveDocument(OpenFileName);
        ShowNotice("上書きしました。");
    }
}

void ToolButton13Click(TForm1& form) {
    if (OpenState == osNotOpened) {
        if (AskYes("ファイルを保存しますか？") && form.SaveDialog1->Execute()) {
            SaveFileName = form.SaveDialog1->FileName;
            form.RichEdit1->Lines.SaveDocument(SaveFileName);
        }
    } else if (AskYes("ファイルを上書き？")) {
        form.RichEdit1->Lines.SaveDocument(OpenFileName);
        ShowNotice("上書きしました。");
    }
    if (AskYes("プログラムを終了しますか？")) ::SendMessageA(form.Handle(), WM_CLOSE, 0, 0);
}

} // namespace dodir::document
