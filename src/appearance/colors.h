// The colour handlers of the main window: preset lists and custom red/green/blue values.
#pragma once

namespace dodir {
class TForm1;
}

namespace dodir::appearance {

void ComboBox1Change(TForm1& form);
void ComboBox2Change(TForm1& form);
void Button1Click(TForm1& form);
void Button2Click(TForm1& form);

} // namespace dodir::appearance
