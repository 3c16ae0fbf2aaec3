#include "appearance/colors.h"

#include "app/form1.h"

namespace dodir::appearance {

void ComboBox1Change(TForm1&) {}
void ComboBox2Change(TForm1&) {}
void Button1Click(TForm1&) {}
void Button2Click(TForm1&) {}

} // namespace dodir::appearance
