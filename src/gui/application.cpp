#include "application.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QLibraryInfo>

#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit_about.h"
#include "Unit_gv.h"
#include "Unit_tag.h"
#include "charset.h"
#include "codepage.h"
#include "definition_folder.h"
#include "exception_display.h"
#include "file_name.h"
#include "har_dialog.h"
#include "har_open.h"
#include "live_check.h"
#include "page_source.h"
#include "repair.h"
#include "repair_dialog.h"
#include "request_preview.h"
#include "sample_file.h"
#include "trial_run.h"

namespace verrimo {

void Application::SetUiFont() {
    QFont font({"IPAPGothic", "IPA Pゴシック", "IPAGothic", "Noto Sans CJK JP", "VL PGothic",
                "sans-serif"});
    font.setPixelSize(12);
    QApplication::setFont(font);
}

Application::Application() : requiredLines_(std::make_shared<const SharedTagLines>(shareText({}))) {
    SetUiFont();
    if (qtTexts_.load("qtbase_ja", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts_);
    form1_ = std::make_unique<TForm1>();
    forms_.Form1 = form1_.get();
    guarded([this] { form1_->FormCreate(); });
    places_ = std::make_unique<FilePlaces>(runFolders(form1_->ProgramFolder()));
    form2_ = std::make_unique<TForm2>();
    forms_.Form2 = form2_.get();
    guarded([this] { form2_->FormCreate(); });
    form3_ = std::make_unique<TForm3>();
    forms_.Form3 = form3_.get();
    formTag_ = std::make_unique<TForm_tag>([this]() -> const TagLines& { return RequiredTags(); });
    forms_.Form_tag = formTag_.get();
    guarded([this] { formTag_->FormCreate(places_->autoList()); });
    form4_ = std::make_unique<TForm4>(formTag_.get());
    forms_.Form4 = form4_.get();
    aboutBox_ = std::make_unique<TAboutBox>();
    forms_.AboutBox = aboutBox_.get();
    preview_ = std::make_unique<RequestPreview>();
    forms_.Preview = preview_.get();
    road_ = std::make_unique<RoadState>();
    road_->SetSamples(userSampleValues());
    requests_ = std::make_unique<RequestFollow>([this] { return form1_->Definition(); }, *road_);
    harDialog_ = std::make_unique<HarRoadDialog>();
    forms_.HarDialog = harDialog_.get();
    preview_->ShowSamples(road_->Samples());
    trialRun_ = std::make_unique<TrialRun>([this] { return form1_->Definition(); }, *road_,
                                           [this] { return fetchOptions_; });
    forms_.Run = trialRun_.get();
    folder_ = std::make_unique<DefinitionFolder>([this] { return road_->Samples(); },
                                                 [this] { return fetchOptions_; });
    forms_.Folder = folder_.get();
    repairDialog_ = std::make_unique<RepairDialog>();
    forms_.Repair = repairDialog_.get();
    Connect();
}

Application::~Application() = default;

void Application::Start() {
    form1_->Show();
}

void Application::Connect() {
    TForm1* main = form1_.get();
    TForm2* viewer = form2_.get();
    TForm3* entry = form3_.get();
    TForm_tag* walker = formTag_.get();
    TForm4* assistant = form4_.get();

    QObject::connect(main, &TForm1::Shown, viewer, [viewer] { viewer->Show(); });
    QObject::connect(main, &TForm1::LoadRequested, entry, [entry] { entry->Show(); });
    QObject::connect(main, &TForm1::WalkRequested, walker, [walker] { walker->Show(); });
    QObject::connect(main, &TForm1::AboutRequested, aboutBox_.get(),
                     [this] { aboutBox_->ShowModal(); });

    RequestPreview* preview = preview_.get();
    RequestFollow* requests = requests_.get();
    QObject::connect(main, &TForm1::PreviewRequested, preview, [preview] { preview->Show(); });
    QObject::connect(main, &TForm1::DefinitionChanged, requests, &RequestFollow::DefinitionChanged);
    QObject::connect(preview, &RequestPreview::Shown, requests,
                     [requests] { requests->SetShown(true); });
    QObject::connect(preview, &RequestPreview::Hidden, requests,
                     [requests] { requests->SetShown(false); });
    QObject::connect(requests, &RequestFollow::Updated, preview,
                     [this] { guarded([this] { ShowRequests(); }); });
    QObject::connect(
        preview, &RequestPreview::SamplesChosen, requests,
        [this](const SampleValues& samples) { guarded([&] { SaveSamples(samples); }); });

    QObject::connect(viewer, &TForm2::ExtractRequested, main,
                     [this] { guarded([this] { LoadPage(std::nullopt); }); });
    const auto openPageFile = [this](const std::string& path) {
        guarded([&] { OpenPageFile(path); });
    };
    QObject::connect(main, &TForm1::PageFileChosen, viewer, openPageFile);
    QObject::connect(main, &TForm1::HarFileChosen, main,
                     [this](const std::string& path) { guarded([&] { OpenHarFile(path); }); });
    QObject::connect(
        harDialog_.get(), &HarRoadDialog::StepsChosen, main,
        [this](const std::vector<HarStep>& steps) { guarded([&] { AddHarSteps(steps); }); });
    DefinitionFolder* folder = folder_.get();
    QObject::connect(main, &TForm1::FolderCheckRequested, folder,
                     [folder] { guarded([folder] { folder->Open(); }); });
    QObject::connect(
        folder, &DefinitionFolder::DefinitionOpened, main,
        [this](const std::string& path) { guarded([&] { OpenDefinitionFile(path); }); });
    QObject::connect(main, &TForm1::RepairRequested, main,
                     [this] { guarded([this] { ProposeRepair(RoadPagesNow()); }); });
    QObject::connect(
        trialRun_.get(), &TrialRun::RepairRequested, main, [this](const StepAnswer& page) {
            guarded([&] {
                const CodePage& cp = CodePage::program();
                ProposeRepair(
                    {{readPage({pageSourceFromBody(page.body), page.contentType, page.url}, cp,
                               {.forms = true})
                          .forms,
                      page.url}});
            });
        });
    QObject::connect(
        repairDialog_.get(), &RepairDialog::RepairAccepted, main,
        [main](const std::string& text) { main->ReplaceTexts(text, main->HeldText()); });
    const auto switchCodePage = [this](const std::string& charset) {
        guarded([&] { SwitchCodePage(charset); });
    };
    QObject::connect(main, &TForm1::CodePageChosen, viewer, switchCodePage);
    QObject::connect(viewer, &TForm2::CodePageChosen, viewer, switchCodePage);
    main->ShowCodePage(canonicalCharset(CodePage::program().name()));
    QObject::connect(viewer, &TForm2::PageFileDropped, viewer, openPageFile);
    QObject::connect(viewer, &TForm2::FormRecorded, viewer, [this](const FormRecording& recording) {
        guarded([&] { KeepRecording(recording); });
    });
    QObject::connect(viewer, &TForm2::RecordingDiscarded, viewer,
                     [this] { road_->DiscardRecording(); });

    QObject::connect(entry, &TForm3::LoadRequested, main,
                     [this, main] { guarded([&] { LoadPage(main->UrlText()); }); });
    QObject::connect(entry, &TForm3::LineAdded, main,
                     [main](const std::string& line) { main->AppendLine(line); });
    QObject::connect(entry, &TForm3::LineHeld, main,
                     [main](const std::string& line) { main->HoldLine(line); });

    QObject::connect(walker, &TForm_tag::LineAccepted, main,
                     [main](const std::string& line) { main->AppendField(line); });
    QObject::connect(walker, &TForm_tag::AssistantRequested, assistant,
                     [viewer, walker, assistant] {
                         assistant->Prepare(viewer->ImageTags(), walker->ExpressionKeyword());
                         assistant->ShowModal();
                     });
    QObject::connect(
        assistant, &TForm4::ExpressionChosen, walker,
        [walker](const std::string& keyword, const std::optional<std::string>& operand) {
            walker->SetExpression(keyword, operand);
        });
    ConnectRoad();
}

void Application::LoadPage(const std::optional<std::string>& url) {
    LoadRequest request;
    request.url = url;
    LoadPage(request);
}

LoadedPage Application::LoadPage(LoadRequest& request) {
    TForm1& main = *form1_;
    TForm2& viewer = *form2_;
    TForm3& entry = *form3_;
    const bool fetched = request.url || request.send;
    // Whether or not the load comes to show another page, what was typed goes.
    viewer.EmptyPageFields();
    request.urlBox = main.UrlText();
    request.scratchPath = places_->scratch();
    request.fetch = fetchOptions_;
    // A send keeps the page and its recording until an answer has come.
    if (!request.send) road_->DiscardRecording();
    if (request.url) {
        viewer.ClearLists(true);
    } else if (!request.send) {
        entry.ResetFields();
        request.pageSource = viewer.PageSource();
    }
    std::shared_ptr<RoadPage> kept = fetched ? ReceiveForRoad(request) : nullptr;

    LoadedPage page = runLoad(request, &main);
    if (!page.forms.forms) return page;
    if (request.send) entry.ResetFields();
    viewer.ShowExtraction(page.source, page.required, page.images, page.links);
    pageCharset_ = page.charset;
    viewer.ShowCharset(pageCharset_, canonicalCharset(CodePage::program().name()));
    requiredLines_ = page.requiredLines;
    if (kept) {
        kept->url = page.forms.url;
        kept->forms = page.forms.forms;
        road_->KeepPage(std::move(kept));
    }
    road_->ShowPage(page.forms);
    if (!page.scratchWritten) {
        throw fileNotCreated(fileName(request.scratchPath));
    }
    viewer.Navigate(request.scratchPath);
    shownCopy_ = page.source.bytes;
    entry.ShowTargets(page.targets);
    if (fetched)
        main.SetCurrentUrl(page.forms.url);
    else
        main.ShowPastedSource();
    main.OfferTargets(page.targets.targets, page.targets.target);
    if (!fetched) viewer.ShowRequiredTags();
    return page;
}

void Application::SwitchCodePage(const std::string& charset) {
    const auto eachWindow = [this](const auto& act) {
        act(*form1_);
        act(*form2_);
        act(*form3_);
        act(*formTag_);
        act(*form4_);
        act(*aboutBox_);
        act(*preview_);
        act(*trialRun_);
    };
    const CodePage& from = CodePage::program();
    eachWindow([](const auto& window) { window.KeepTexts(); });
    CodePage::setProgram(charset);
    eachWindow([&from](auto& window) { window.RecodeTexts(from); });
    form1_->RespellOwnTexts(from);
    form3_->RespellOwnTexts(from);
    form1_->ShowCodePage(charset);
    form2_->ShowCharset(pageCharset_, charset);
    road_->RecodeRecording(from, CodePage::program());
    form2_->ShowRecording(road_->Recording());
    requests_->Update();
}

void Application::OpenPageFile(const std::string& path) {
    QFile file(fileName(path));
    if (!file.open(QIODevice::ReadOnly)) throw fileNotOpened(file.fileName());
    const QByteArray bytes = file.readAll();
    form2_->SetPageSource(
        shareText(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()))));
    LoadPage(std::nullopt);
}

void Application::OpenHarFile(const std::string& path) {
    harRoad_ = std::make_unique<HarRoad>(readHarRoad(path));
    harDialog_->ShowSteps(QFileInfo(fileName(path)).fileName(), harRoad_->steps);
    harDialog_->ShowModal();
    harRoad_.reset();
}

void Application::AddHarSteps(const std::vector<HarStep>& steps) {
    for (const HarStep& step : steps) {
        for (const std::string& line : stepLines(step)) form1_->AppendLine(line);
        if (step.referrerPage) road_->KeepPage(roadPageOf(harRoad_->pages.at(*step.referrerPage)));
    }
}

void Application::OpenDefinitionFile(const std::string& path) {
    QFile file(fileName(path));
    if (!file.open(QIODevice::ReadOnly)) throw fileNotOpened(file.fileName());
    const QByteArray bytes = file.readAll();
    const std::string text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    form1_->ReplaceTexts(text, form1_->HeldText());
    const std::string referrer = firstReferrer(*road_->Read(text, CodePage::program()));
    form1_->SetUrlText(referrer);
    form1_->raise();
    form1_->activateWindow();
    if (!referrer.empty()) LoadPage(referrer);
}

std::vector<ReadPage> Application::RoadPagesNow() const {
    std::vector<ReadPage> pages;
    if (road_->Page().forms) pages.push_back(road_->Page());
    for (const auto& kept : road_->Pages().Pages()) pages.push_back({kept->forms, kept->url});
    return pages;
}

void Application::ProposeRepair(const std::vector<ReadPage>& pages) {
    const SharedText text = form1_->Definition();
    const CodePage& cp = CodePage::program();
    RepairResult repair = repairDefinition(*road_->Read(*text, cp), pages, cp);
    if (!repair.changed()) throw UserError("修復案はありません: 定義は今のページに合っています");
    repairDialog_->ShowRepair(*text, std::move(repair));
    repairDialog_->ShowModal();
}

void Application::ShowRequests() {
    // The preview follows only while it is shown.
    if (requests_->Shown()) preview_->ShowRequests(requests_->Requests(), road_->AnyPage());
    form1_->ShowPageFindings(requests_->Findings(), requests_->Text());
}

void Application::SaveSamples(const SampleValues& samples) {
    road_->SetSamples(samples);
    if (!writeUserSampleValues(samples)) throw fileNotCreated(fileName(userSamplesPath()));
}

void Application::KeepRecording(const FormRecording& recording) {
    road_->DiscardRecording();
    auto kept = std::make_shared<FormRecording>(recording);
    // The browser numbers the forms it built from the copy it shows.
    const TagLines& lines = RequiredTags();
    const std::shared_ptr<const PageForms>& forms = road_->Page().forms;
    auto form = forms && shownCopy_ ? findRecordedForm(kept, *shownCopy_, lines, forms->forms,
                                                       forms->charset, CodePage::program())
                                    : std::nullopt;
    form3_->PreselectAction(recordedTarget(lines, form, *kept));
    road_->Record(std::move(kept), std::move(form));
}

void Application::ShowRecording(const FormRecording* recording) {
    form2_->ShowRecording(recording);
    form2_->EnableSend(road_->SendReady());
    formTag_->UseRecording(road_->Recorded());
}

const TagLines& Application::RequiredTags() {
    // The list keeps the bytes it was given until it is changed; only then are its lines found
    // again.
    SharedText shown = form2_->RequiredTags();
    if (shown != requiredLines_->text)
        requiredLines_ = std::make_shared<const SharedTagLines>(std::move(shown));
    return requiredLines_->lines;
}

}  // namespace verrimo
