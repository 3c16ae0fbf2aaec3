// Identifiers of the main window's controls; the end-to-end tests find the controls by them.
#pragma once

namespace dodir {

enum TForm1ControlId : int {
    idEdit1 = 101,
    idEdit2,
    idEdit3,
    idButton1,
    idButton2,
    idStatusBar1,
    idComboBox1,
    idComboBox2,
    idRichEdit1,
    idToolBar1,
    idRichEdit2,
};

} // namespace dodir
