// The six windows, one of each, reachable from each other as the program needs.
#pragma once

namespace verrimo {

class TForm1;
class TForm2;
class TForm3;
class TForm_tag;
class TForm4;
class TAboutBox;

// Filled in creation order; a window looks the others up when a handler runs.
struct Forms {
    TForm1* Form1 = nullptr;
    TForm2* Form2 = nullptr;
    TForm3* Form3 = nullptr;
    TForm_tag* Form_tag = nullptr;
    TForm4* Form4 = nullptr;
    TAboutBox* AboutBox = nullptr;
};

}  // namespace verrimo
