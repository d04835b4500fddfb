#include "request_json.h"

#include "finding_json.h"
#include "form_charset.h"

namespace verrimo::cli {

void writeRequestMembers(JsonWriter& w, const StepRequest& r, const CodePage& cp) {
    // The body and a GET's query are in the form's charset.
    const auto formCp = browserCodePage(r.charset);
    const CodePage& bodyCp = formCp ? *formCp : cp;
    w.key("line");
    w.number(static_cast<std::int64_t>(r.targetLine + 1));
    w.key("kind");
    w.string(r.kind, cp);
    w.key("method");
    w.string(r.method);
    w.key("url");
    w.string(r.url, bodyCp);
    w.key("headers");
    w.beginObject();
    for (const auto& [name, value] : r.headers) {
        w.key(name);
        w.string(value, cp);
    }
    w.endObject();
    w.key("charset");
    w.string(r.charset);
    w.key("body");
    w.string(r.body, bodyCp);
    w.key("samples");
    w.beginArray();
    for (const RequestField& f : r.fields) {
        if (f.sampleOf.empty()) continue;
        w.beginObject();
        w.key("line");
        w.number(static_cast<std::int64_t>(f.line + 1));
        w.key("name");
        w.string(f.name, bodyCp);
        w.key("stands_for");
        w.string(f.sampleOf, cp);
        w.key("sample");
        w.string(f.value, bodyCp);
        w.endObject();
    }
    w.endArray();
    w.key("findings");
    w.beginArray();
    for (const PageFinding& f : r.findings) writeFinding(w, {{}, f.line, 0, f.rule, f.message});
    w.endArray();
}

}  // namespace verrimo::cli
