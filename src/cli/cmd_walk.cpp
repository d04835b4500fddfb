// verrimo-cli walk [--auto FILE] [--no-getvalue] [FILE]: the tag walker on a saved page, with
// "追加して次の行" pressed at every step.
#include "arguments.h"
#include "auto_list.h"
#include "classify.h"
#include "codepage.h"
#include "commands.h"
#include "extract_page.h"
#include "extraction_json.h"
#include "input.h"
#include "json.h"
#include "memo_text.h"
#include "walk.h"

namespace verrimo::cli {

namespace {

void writeStep(Output& out, std::string_view tag, const Classification& c, const CodePage& cp) {
    JsonWriter w(out);
    w.beginObject();
    if (c.end) {
        w.key("end");
        w.boolean(true);
        w.key("index");
        w.number(static_cast<std::int64_t>(c.index));
        w.endObject();
        return;
    }
    const Proposal& p = c.proposal;
    w.key("index");
    w.number(static_cast<std::int64_t>(c.index));
    const std::pair<std::string_view, std::string_view> texts[] = {{"tag", tag},
                                                                   {"hint", p.hint},
                                                                   {"hint2", p.hint2},
                                                                   {"name", p.name},
                                                                   {"identity", p.identity},
                                                                   {"fixed_value", p.fixedValue},
                                                                   {"expression", p.expression},
                                                                   {"operand", p.operand},
                                                                   {"auto", p.autoValue}};
    for (const auto& [name, text] : texts) {
        w.key(name);
        w.string(text, cp);
    }
    w.key("auto_items");
    w.beginArray();
    for (const auto& item : p.autoChoices) w.string(item, cp);
    w.endArray();
    w.key("row");
    w.number(static_cast<std::int64_t>(p.row));
    w.key("appended");
    if (const auto line = acceptedLine(p))
        w.string(*line, cp);
    else
        w.null();
    w.endObject();
}

}  // namespace

int runWalk(const Args& args, Output& out) {
    const Arguments parsed =
        parseArguments(args, "walk", {{"--auto", "a file"}}, {"--no-getvalue"}, "FILE");
    if (parsed.help) {
        out.write(usage("walk"));
        return 0;
    }
    const auto autoFile = parsed.values.find("--auto");
    const AutoList autoList(autoFile == parsed.values.end() ? std::string()
                                                            : readInput(autoFile->second));
    const bool getValue = !parsed.flags.contains("--no-getvalue");
    const PageReading reading = readPage({readInput(parsed.operand.value_or(""))},
                                         CodePage::program(), {.pageCodePage = pageCodePage()});
    warn(reading.warnings, "page", CodePage::program());
    const CodePage& cp = *reading.codePage;
    const VectorTagLines required(splitLines(reading.extraction.lists.required));

    const auto appended = walkAcceptingAll(required, autoList, getValue, cp,
                                           [&](std::string_view tag, const Classification& c) {
                                               writeStep(out, tag, c, cp);
                                               out.put('\n');
                                           });

    JsonWriter w(out);
    w.beginObject();
    w.key("definition");
    w.beginArray();
    for (const auto& line : appended) w.string(line, cp);
    w.endArray();
    w.endObject();
    out.put('\n');
    return 0;
}

}  // namespace verrimo::cli
