// Owns the six windows and the page they show: creates the windows in their fixed order,
// connects what each announces to the verbs of the others, and runs every load.
#pragma once

#include <QTranslator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "application_windows.h"
#include "fetch.h"
#include "file_places.h"
#include "form_recording.h"
#include "har_road.h"
#include "page_load.h"
#include "request_follow.h"
#include "road_state.h"

namespace verrimo {

class Application {
  public:
    // Creates every window, running each creation handler; an error in one is shown and the
    // creation of the others goes on.
    Application();
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Shows the main window (whose show handler shows the page viewer).
    void Start();

    const Forms& forms() const { return forms_; }

    // How pages are downloaded; the defaults suit any real site.
    FetchOptions& fetchOptions() { return fetchOptions_; }

    // The windows' font: a proportional Japanese UI face at 12 pixels.
    static void SetUiFont();

  private:
    void Connect();
    // The one load path: downloads url when given, else extracts the page viewer's source;
    // then shows the page in every window.
    void LoadPage(const std::optional<std::string>& url);
    // A load or a send of the road, shown as every load is; returns what came. The caller keeps
    // the request, so that it can wipe what it sent.
    LoadedPage LoadPage(LoadRequest& request);
    // Every text of every window read again in the charset's code page; no byte changes.
    void SwitchCodePage(const std::string& charset);
    // A saved page: its bytes become the page source, extracted as タグ抽出 does.
    void OpenPageFile(const std::string& path);
    // The required-tag list as the walker reads it: the last load's, or the user's edit of it.
    const TagLines& RequiredTags();
    // A form submitted in the page viewer: the road holds it, the entry dialog's target and the
    // walker take it, until it is discarded or replaced.
    void KeepRecording(const FormRecording& recording);
    // The viewer's bar and the walker follow the road's recording.
    void ShowRecording(const FormRecording* recording);
    // The follower's requests in the preview, when shown, and its findings in the definition.
    void ShowRequests();
    void SaveSamples(const SampleValues& samples);
    // A HAR file: its form submissions listed, for the user to choose the steps to add.
    void OpenHarFile(const std::string& path);
    // The chosen steps' lines appended to the definition, and their pages kept for the road.
    void AddHarSteps(const std::vector<HarStep>& steps);
    // A definition file from the folder window: its text in the main window, its first page
    // loaded, so that where it no longer fits is underlined.
    void OpenDefinitionFile(const std::string& path);
    // 修復案…: the definition repaired against these pages, for the user to take or leave.
    void ProposeRepair(const std::vector<ReadPage>& pages);
    // The page shown and the road's kept pages.
    std::vector<ReadPage> RoadPagesNow() const;

    // The road, step by step (application_road.cpp).
    void ConnectRoad();
    // Sends the definition's last step, built against the page shown, and shows its answer as
    // the next page.
    void SendStep();
    // The check string chosen for the step just sent goes into that step.
    void CloseSentStep(const std::string& check);
    // An answer of the trial run in the page viewer's browser.
    void ShowRunAnswer(const StepAnswer& answer);
    // The page the load receives is kept for the road once it is read.
    std::shared_ptr<RoadPage> ReceiveForRoad(LoadRequest& request);

    // Qt's own texts (the edit menus, the standard buttons) in Japanese, like the windows.
    QTranslator qtTexts_;
    Forms forms_;
    std::unique_ptr<FilePlaces> places_;
    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<TForm2> form2_;
    std::unique_ptr<TForm3> form3_;
    std::unique_ptr<TForm_tag> formTag_;
    std::unique_ptr<TForm4> form4_;  // a child of the walker, so it goes first
    std::unique_ptr<TAboutBox> aboutBox_;
    std::unique_ptr<RequestPreview> preview_;
    std::unique_ptr<RoadState> road_;
    std::unique_ptr<RequestFollow> requests_;
    std::unique_ptr<TrialRun> trialRun_;
    std::unique_ptr<HarRoadDialog> harDialog_;
    std::unique_ptr<DefinitionFolder> folder_;
    std::unique_ptr<RepairDialog> repairDialog_;

    FetchOptions fetchOptions_;
    std::shared_ptr<const SharedTagLines> requiredLines_;
    SharedText shownCopy_;  // the page as the browser shows it
    std::string pageCharset_;
    // The road whose steps the HAR dialog lists, while it lists them.
    std::unique_ptr<HarRoad> harRoad_;
};

}  // namespace verrimo
