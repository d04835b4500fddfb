// verrimo-cli har [--steps 1,3] [--json] FILE.har: the road a browser's developer tools saved
// as a HAR file, as the lines of a definition, or one JSON line per step.
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <iostream>

#include "arguments.h"
#include "codepage.h"
#include "commands.h"
#include "har_road.h"
#include "json.h"

namespace verrimo::cli {

namespace {

// The file is read as it streams by: a HAR of a whole session may be hundreds of megabytes.
Har readHarFile(const std::string& path) {
    if (path == "-") return readHar(std::cin);
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error("cannot open " + path + ": " + std::strerror(errno));
    Har har = readHar(file);
    if (file.bad()) throw std::runtime_error("cannot read " + path);
    return har;
}

// The step numbers of --steps (from 1), as indices in the road's order.
std::vector<std::size_t> chosenSteps(const Arguments& parsed, std::size_t count) {
    std::vector<std::size_t> chosen;
    const auto given = parsed.values.find("--steps");
    if (given == parsed.values.end()) {
        for (std::size_t i = 0; i < count; ++i) chosen.push_back(i);
        return chosen;
    }
    std::string_view list = given->second;
    while (true) {
        const std::string_view item = list.substr(0, list.find(','));
        std::size_t number = 0;
        const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), number);
        if (error != std::errc() || end != item.data() + item.size() || number == 0 ||
            number > count)
            throw UsageError("--steps needs step numbers from 1 to " + std::to_string(count) +
                             ", got " + given->second);
        chosen.push_back(number - 1);
        if (item.size() == list.size()) break;
        list.remove_prefix(item.size() + 1);
    }
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    return chosen;
}

void writeStep(Output& out, std::size_t number, const HarStep& s, const CodePage& cp) {
    JsonWriter w(out);
    w.beginObject();
    w.key("step");
    w.number(static_cast<std::int64_t>(number));
    w.key("entry");
    w.number(static_cast<std::int64_t>(s.entry));
    w.key("method");
    w.string(s.method, cp);
    w.key("url");
    w.string(s.url, cp);
    w.key("referrer");
    w.string(s.referrer, cp);
    w.key("referrer_page");
    w.boolean(s.referrerPage.has_value());
    w.key("answer_page");
    w.boolean(s.answerPage.has_value());
    w.key("target");
    w.string(s.target, cp);
    w.key("charset");
    w.string(s.charset);
    w.key("fields");
    w.number(static_cast<std::int64_t>(s.fields.size()));
    w.key("lines");
    w.beginArray();
    for (const std::string& line : stepLines(s)) w.string(line, cp);
    w.endArray();
    w.key("check_strings");
    w.beginArray();
    for (const std::string& text : s.checkStrings) w.string(text, cp);
    w.endArray();
    w.key("notes");
    w.beginArray();
    for (const std::string& note : s.notes) w.string(note);
    w.endArray();
    w.endObject();
    out.put('\n');
}

}  // namespace

int runHar(const Args& args, Output& out) {
    const Arguments parsed =
        parseArguments(args, "har", {{"--steps", "step numbers"}}, {"--json"}, "FILE");
    if (parsed.help) {
        out.write(usage("har"));
        return 0;
    }
    if (!parsed.operand) throw UsageError("har needs a HAR file (or - for standard input)");
    const std::string& path = *parsed.operand;
    const CodePage& cp = CodePage::program();
    const HarRoad road = findRoad(readHarFile(path), cp);
    for (const std::string& note : road.notes) std::cerr << "verrimo-cli: " << note << "\n";
    if (road.steps.empty()) {
        std::cerr << "verrimo-cli: " << path << " holds no form submission\n";
        return kNothingFound;
    }
    const std::vector<std::size_t> chosen = chosenSteps(parsed, road.steps.size());
    if (parsed.flags.contains("--json")) {
        for (const std::size_t i : chosen) writeStep(out, i + 1, road.steps[i], cp);
        return 0;
    }
    for (const std::size_t i : chosen)
        for (const std::string& note : road.steps[i].notes)
            std::cerr << "verrimo-cli: step " << i + 1 << ": " << note << "\n";
    out.write(roadDefinition(road, chosen));
    return 0;
}

}  // namespace verrimo::cli
