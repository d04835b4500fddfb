#include "road_state.h"

#include "definition.h"
#include "road_session.h"
#include "wipe_text.h"

namespace verrimo {

RoadState::RoadState() {
    passwordIdle_.setSingleShot(true);
    passwordIdle_.setInterval(kPasswordIdleMs);
    connect(&passwordIdle_, &QTimer::timeout, this, &RoadState::ForgetPassword);
}

RoadState::~RoadState() {
    ForgetPassword();
    if (recording_) recording_->wipe();
}

void RoadState::ShowPage(ReadPage page) {
    DiscardRecording();
    page_ = std::move(page);
    emit PagesChanged();
}

void RoadState::Record(std::shared_ptr<FormRecording> recording, std::optional<RecordedForm> form) {
    DiscardRecording();
    recording_ = std::move(recording);
    recordedForm_ = std::move(form);
    emit RecordingChanged(recording_.get());
}

void RoadState::DiscardRecording() {
    if (!recording_) return;
    recording_->wipe();
    recording_.reset();
    recordedForm_.reset();
    SetWalked(false);
    emit RecordingChanged(nullptr);
}

void RoadState::RecodeRecording(const CodePage& from, const CodePage& to) {
    if (recording_) recording_->recode(from, to);
}

void RoadState::RecordingWalked() {
    if (recording_) SetWalked(true);
}

void RoadState::SetWalked(bool walked) {
    if (walked_ == walked) return;
    walked_ = walked;
    emit SendReadyChanged(SendReady());
}

void RoadState::KeepPage(std::shared_ptr<const RoadPage> page) {
    pages_.Keep(std::move(page));
    emit PagesChanged();
}

void RoadState::SetSamples(const SampleValues& samples) {
    samples_ = samples;
    emit PagesChanged();
}

void RoadState::HoldTyped(std::string_view keyword, const std::string& value) {
    (keyword == definition::kId ? typedId_ : typedEmail_) = value;
}

SampleValues RoadState::Identities() const {
    SampleValues values = samples_;
    if (typedId_) values.id = *typedId_;
    if (typedEmail_) values.email = *typedEmail_;
    return values;
}

bool RoadState::SendsSample(std::string_view keyword) const {
    return keyword == definition::kId ? !typedId_ : keyword == definition::kEmail && !typedEmail_;
}

void RoadState::HoldPassword(std::string& typed) {
    ForgetPassword();
    password_ = typed;
    wipeText(typed);
    passwordIdle_.start();
}

const std::string* RoadState::Password() {
    if (password_.empty()) return nullptr;
    passwordIdle_.start();
    return &password_;
}

void RoadState::ForgetPassword() {
    wipeText(password_);
    passwordIdle_.stop();
}

void RoadState::NewRoad() {
    startNewRoad();
    ForgetPassword();
    typedId_.reset();
    typedEmail_.reset();
    pages_.Clear();
    emit PagesChanged();
}

}  // namespace verrimo
