// The windows, one of each, as the application made them.
#pragma once

namespace verrimo {

class TForm1;
class TForm2;
class TForm3;
class TForm_tag;
class TForm4;
class TAboutBox;
class RequestPreview;
class TrialRun;
class HarRoadDialog;
class DefinitionFolder;
class RepairDialog;

// Filled in creation order. The windows never reach into each other: the application calls
// their verbs and connects what they announce.
struct Forms {
    TForm1* Form1 = nullptr;
    TForm2* Form2 = nullptr;
    TForm3* Form3 = nullptr;
    TForm_tag* Form_tag = nullptr;
    TForm4* Form4 = nullptr;
    TAboutBox* AboutBox = nullptr;
    RequestPreview* Preview = nullptr;
    TrialRun* Run = nullptr;
    HarRoadDialog* HarDialog = nullptr;
    DefinitionFolder* Folder = nullptr;
    RepairDialog* Repair = nullptr;
};

}  // namespace verrimo
