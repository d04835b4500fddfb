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

// The viewer's copy of the page has each piece on a line of its own, so a text area's text
// ends with a line break that the page does not hold: it goes before anyone types. Then the
// submissions are listened for in the capture phase, so that the form is read before anything
// else sees the event. A password is never read out of its field.
constexpr const char* kCatchSubmit = R"js(
if (location.protocol === 'file:')
  Array.prototype.forEach.call(document.getElementsByTagName('textarea'), function (t) {
    if (t.defaultValue.endsWith('\n')) t.defaultValue = t.defaultValue.slice(0, -1);
  });
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
      var c = {name: e.name || '', type: e.type || '',
               value: e.type === 'password' ? '' : e.value || '', changed: false, checked: false};
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
                     action: form.getAttribute('action') || '', controls: controls,
                     submitter: submitter,
                     submitterText: s ? (s.tagName === 'BUTTON' ? s.textContent.trim() : s.value) : ''});
  }, true);
});
)js";

// Every form back to what the page says, and no password left in any field.
constexpr const char* kEmptyFields = R"js(
Array.prototype.forEach.call(document.forms, function (f) { f.reset(); });
Array.prototype.forEach.call(document.getElementsByTagName('input'), function (e) {
  if (e.type === 'password') e.value = '';
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

std::string utf8(const QVariant& value) {
    const QByteArray bytes = value.toString().toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

SubmissionRecorder::SubmissionRecorder(QWebEnginePage* page) : QObject(page), page_(page) {
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
    recording.submitterText = text(form["submitterText"]);
    const QVariantList controls = form["controls"].toList();
    recording.controls.reserve(static_cast<std::size_t>(controls.size()));
    for (const QVariant& item : controls) {
        const QVariantMap c = item.toMap();
        recording.controls.push_back({text(c["name"]), text(c["type"]), utf8(c["value"]),
                                      c["changed"].toBool(), c["checked"].toBool()});
    }
    const int submitter = form["submitter"].toInt();
    if (submitter >= 0 && static_cast<std::size_t>(submitter) < recording.controls.size())
        recording.submitter = static_cast<std::size_t>(submitter);
    emit Recorded(recording);
    recording.wipe();
}

void SubmissionRecorder::EmptyFields() {
    page_->runJavaScript(kEmptyFields, kRecorderWorld);
}

bool HoldingPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
    // The viewer shows a page; it never sends one of its forms.
    return type != NavigationTypeFormSubmitted &&
           QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

}  // namespace verrimo
