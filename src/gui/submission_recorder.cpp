#include "submission_recorder.h"

#include <QFile>
#include <QWebChannel>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

#include "widget_text.h"

namespace verrimo {

namespace {

// A world of the program's own: the page's scripts (off anyway) could not see it.
constexpr quint32 kRecorderWorld = QWebEngineScript::ApplicationWorld;

// Listens in the capture phase, so that the form is read before anything else sees the event.
constexpr const char* kCatchSubmit = R"js(
var verrimoRecorder = null;
new QWebChannel(qt.webChannelTransport, function (channel) {
  verrimoRecorder = channel.objects.recorder;
  document.addEventListener('submit', function (event) {
    var form = event.target;
    var controls = [];
    var submitter = -1;
    var some = Array.prototype.some;
    for (var i = 0; i < form.elements.length; ++i) {
      var e = form.elements[i];
      if (e.tagName === 'FIELDSET' || e.tagName === 'OBJECT' || e.tagName === 'OUTPUT') continue;
      var c = {name: e.name || '', type: e.type || '', value: e.value || '', changed: false,
               checked: false};
      if (e.type === 'checkbox' || e.type === 'radio') {
        c.checked = e.checked;
        c.changed = e.checked !== e.defaultChecked;
      } else if (e.tagName === 'SELECT') {
        var chosen = Array.prototype.filter.call(e.options, function (o) { return o.selected; });
        c.checked = chosen.length > 0;
        c.value = c.checked ? chosen[0].value : '';
        c.changed = some.call(e.options, function (o) { return o.selected !== o.defaultSelected; });
      } else if ('defaultValue' in e && e.tagName !== 'BUTTON') {
        c.changed = e.value !== e.defaultValue;
      }
      if (e === event.submitter) submitter = controls.length;
      controls.push(c);
    }
    var s = event.submitter;
    verrimoRecorder.record({form: Array.prototype.indexOf.call(document.forms, form),
                     action: form.getAttribute('action') || '', method: form.method,
                     enctype: form.enctype, acceptCharset: form.acceptCharset,
                     controls: controls, submitter: submitter,
                     submitterText: s ? (s.tagName === 'BUTTON' ? s.textContent.trim() : s.value) : ''});
  }, true);
});
)js";

QString channelScript() {
    QFile file(":/qtwebchannel/qwebchannel.js");
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

std::string text(const QVariant& value) {
    return fromWidget(value.toString());
}

}  // namespace

SubmissionRecorder::SubmissionRecorder(QWebEnginePage* page) : QObject(page) {
    QWebEngineScript script;
    script.setName("verrimo-record");
    script.setWorldId(kRecorderWorld);
    script.setInjectionPoint(QWebEngineScript::DocumentReady);
    script.setRunsOnSubFrames(false);
    script.setSourceCode(channelScript() + kCatchSubmit);
    page->scripts().insert(script);

    auto* channel = new QWebChannel(this);
    channel->registerObject("recorder", this);
    page->setWebChannel(channel, kRecorderWorld);
}

void SubmissionRecorder::record(const QVariantMap& form) {
    FormRecording recording;
    recording.formIndex = static_cast<std::size_t>(std::max(0, form["form"].toInt()));
    recording.action = text(form["action"]);
    recording.method = text(form["method"]);
    recording.enctype = text(form["enctype"]);
    recording.acceptCharset = text(form["acceptCharset"]);
    recording.submitterText = text(form["submitterText"]);
    for (const QVariant& item : form["controls"].toList()) {
        const QVariantMap c = item.toMap();
        recording.controls.push_back({text(c["name"]), text(c["type"]), text(c["value"]),
                                      c["changed"].toBool(), c["checked"].toBool()});
    }
    const int submitter = form["submitter"].toInt();
    if (submitter >= 0 && static_cast<std::size_t>(submitter) < recording.controls.size())
        recording.submitter = static_cast<std::size_t>(submitter);
    emit Recorded(recording);
    recording.wipe();
}

bool HoldingPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
    // The viewer shows a page; it never sends one of its forms.
    return type != NavigationTypeFormSubmitted &&
           QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

}  // namespace verrimo
