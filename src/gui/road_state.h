// The road as the windows walk it, kept in one place: the page shown, the form recorded on it,
// the pages kept for the road, the sample values, the password given for the road, whether the
// recorded step may be sent, and the definition as last read. The viewer, the preview,
// 送信して次へ, HAR import and the trial run all read it here; what changes it announces.
#pragma once

#include <QObject>
#include <QTimer>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "definition_reader.h"
#include "form_recording.h"
#include "form_request.h"
#include "road_pages.h"

namespace verrimo {

class RoadState : public QObject {
    Q_OBJECT

  public:
    // How long the password is held when nothing uses it.
    static constexpr int kPasswordIdleMs = 10 * 60 * 1000;

    RoadState();
    // The password goes with the program.
    ~RoadState() override;
    RoadState(const RoadState&) = delete;
    RoadState& operator=(const RoadState&) = delete;

    // The page a load or a send brought: its recording goes.
    void ShowPage(ReadPage page);
    // The page shown; without forms before the first load.
    const ReadPage& Page() const { return page_; }
    // Whether the definition's steps have any page to be checked against: the one shown or a kept
    // one.
    bool AnyPage() const { return page_.forms || !pages_.Pages().empty(); }

    // A form submitted on the page shown, and where its lines are (none when they are not found;
    // else made from this recording).
    void Record(std::shared_ptr<FormRecording> recording, std::optional<RecordedForm> form);
    // Wiped in place: the walker may still hold it until it is told.
    void DiscardRecording();
    const FormRecording* Recording() const { return recording_.get(); }
    std::shared_ptr<const FormRecording> SharedRecording() const { return recording_; }
    const std::optional<RecordedForm>& Recorded() const { return recordedForm_; }
    // The recording's texts read in from, written again in to.
    void RecodeRecording(const CodePage& from, const CodePage& to);
    // The walker went over the recorded form to its end: its lines are written.
    void RecordingWalked();
    // The recorded step may go: its lines are written and its page is the page shown.
    bool SendReady() const { return recording_ && walked_; }

    void KeepPage(std::shared_ptr<const RoadPage> page);
    const RoadPages& Pages() const { return pages_; }

    void SetSamples(const SampleValues& samples);
    // What stands for the identity keywords where nothing else does.
    const SampleValues& Samples() const { return samples_; }
    // Zem-ID or Zem-email as the user typed it in a step of the road: the road's later steps and
    // its trial run send it too.
    void HoldTyped(std::string_view keyword, const std::string& value);
    // The sample values, with what was typed for the road in their place (no password).
    SampleValues Identities() const;
    // The identity keyword still sends its sample value.
    bool SendsSample(std::string_view keyword) const;

    // Holds the password for the road, and overwrites typed.
    void HoldPassword(std::string& typed);
    // The password held for the road, none when none is; each use holds it for a while longer.
    const std::string* Password();
    bool HoldsPassword() const { return !password_.empty(); }

    // The definition's bytes read in cp; read again only when they change. From any thread.
    std::shared_ptr<const ParsedDefinition> Read(const std::string& text,
                                                 const CodePage& cp) const {
        return reader_.Read(text, cp);
    }

    // Forgets the kept pages, what was typed, the password and the cookies of the road.
    void NewRoad();

  signals:
    // The page shown, the kept pages or the samples changed: the requests are worked out again.
    void PagesChanged();
    // A recording came or went (none).
    void RecordingChanged(const FormRecording* recording);
    void SendReadyChanged(bool ready);

  private:
    void ForgetPassword();
    void SetWalked(bool walked);

    ReadPage page_;
    std::shared_ptr<FormRecording> recording_;
    std::optional<RecordedForm> recordedForm_;
    bool walked_ = false;
    RoadPages pages_;
    SampleValues samples_;
    std::optional<std::string> typedId_;
    std::optional<std::string> typedEmail_;
    std::string password_;
    QTimer passwordIdle_;
    mutable DefinitionReader reader_;  // a cache: reading does not change the road
};

}  // namespace verrimo
