// Which file the document belongs to, and the New, Open, Save and Exit commands.
#pragma once
#include <string>

namespace dodir {
class TForm1;
}

namespace dodir::document {

// 0: the document is not tied to a file; 1: it was opened from OpenFileName.
extern int OpenState;
// The path of the last successful Open.
extern std::string OpenFileName;
// The path chosen in the save dialog at the last save through it.
extern std::string SaveFileName;

void ToolButton1Click(TForm1& form);  // New
void ToolButton2Click(TForm1& form);  // Open
void ToolButton3Click(TForm1& form);  // Save
void ToolButton13Click(TForm1& form); // Exit

} // namespace dodir::document
