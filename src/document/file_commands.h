// Which file the document belongs to, and the New, Open, Save and Exit commands.
#pragma once
#include <cstdint>
#include <string>

namespace dodir {
class TForm1;
}

namespace dodir::document {

// Whether the document is tied to the file OpenFileName; stored as 0 and 1.
enum TOpenState : std::int32_t { osNotOpened = 0, osOpened = 1 };
extern TOpenState OpenState;
// The path of the last successful Open.
extern std::string OpenFileName;
// The path chosen in the save dialog at the last save through it.
extern std::string SaveFileName;

void ToolButton1Click(TForm1& form);  // New
void ToolButton2Click(TForm1& form);  // Open
void ToolButton3Click(TForm1& form);  // Save
void ToolButton13Click(TForm1& form); // Exit

} // namespace dodir::document
