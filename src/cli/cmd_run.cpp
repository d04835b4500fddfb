// verrimo-cli run [--until N] [--yes] [--samples FILE] [--password-stdin] [--timeout SECONDS]
// DEFINITION: the definition's steps run against the site, one JSON line per step; each step is
// sent only once the user said so on the terminal, or with --yes.
#include <unistd.h>

#include <charconv>
#include <iostream>

#include "arguments.h"
#include "charset.h"
#include "codepage.h"
#include "commands.h"
#include "extraction_json.h"
#include "fetch_module_loader.h"
#include "input.h"
#include "json.h"
#include "request_json.h"
#include "road_run.h"
#include "sample_file.h"
#include "terminal.h"
#include "wipe_text.h"

namespace verrimo::cli {

namespace {

std::size_t stepCount(const std::string& text) {
    std::size_t n = 0;
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, n);
    if (error != std::errc() || at != end || n == 0)
        throw UsageError("--until needs a number of steps above 0, got " + text);
    return n;
}

std::string_view resultName(StepOutcome outcome) {
    switch (outcome) {
        case StepOutcome::Passed:
            return "passed";
        case StepOutcome::Stopped:
            return "stopped";
        case StepOutcome::CheckMissing:
            return "check-missing";
        case StepOutcome::NotFetched:
            return "not-fetched";
        case StepOutcome::Declined:
            return "declined";
        case StepOutcome::Cancelled:
            return "cancelled";
    }
    return {};
}

int exitStatus(StepOutcome outcome) {
    switch (outcome) {
        case StepOutcome::Passed:
            return 0;
        case StepOutcome::Stopped:
        case StepOutcome::CheckMissing:
            return 1;
        case StepOutcome::NotFetched:
            return kNotFetched;
        case StepOutcome::Declined:
        case StepOutcome::Cancelled:
            break;
    }
    return 2;
}

void writeAnswerMembers(JsonWriter& w, const StepAnswer& a, const CodePage& cp) {
    const bool sent = !a.hops.empty();
    w.key("status");
    sent ? w.number(a.status) : w.null();
    w.key("final_url");
    sent ? w.string(a.url, cp) : w.null();
    w.key("hops");
    w.beginArray();
    for (const AnswerHop& hop : a.hops) {
        w.beginObject();
        w.key("method");
        w.string(hop.method);
        w.key("url");
        w.string(hop.url, cp);
        w.key("status");
        w.number(hop.status);
        w.endObject();
    }
    w.endArray();
    w.key("other_hosts");
    w.beginArray();
    for (const std::string& host : a.otherHosts) w.string(host, cp);
    w.endArray();
    if (!a.error.empty()) {
        w.key("error");
        w.string(a.error, cp);
    }
}

void writeStep(Output& out, const RoadStep& step, const CodePage& cp) {
    JsonWriter w(out);
    w.beginObject();
    w.key("step");
    w.number(static_cast<std::int64_t>(step.index + 1));
    writeRequestMembers(w, step.request, cp);
    if (step.referrerPage) {
        w.key("referrer_page");
        w.beginObject();
        w.key("url");
        w.string(step.referrerPage->hops.empty() ? std::string() : step.referrerPage->hops[0].url,
                 cp);
        writeAnswerMembers(w, *step.referrerPage, cp);
        w.endObject();
    }
    writeAnswerMembers(w, step.answer, cp);
    w.key("check_string");
    step.checkString ? w.string(*step.checkString, cp) : w.null();
    w.key("check_found");
    step.checkString && !step.answer.hops.empty() ? w.boolean(step.checkFound) : w.null();
    w.key("result");
    w.string(resultName(step.outcome));
    w.endObject();
    out.put('\n');
    out.flush();
}

// Why the run ended early, in one line for standard error.
std::string endingNote(const RoadStep& step, const CodePage& cp) {
    const std::string at = "run: step " + std::to_string(step.index + 1) + ": ";
    switch (step.outcome) {
        case StepOutcome::Stopped:
            for (const PageFinding& f : step.request.findings)
                if (findingStopsStep(f.rule))
                    return at + "not sent, the page no longer fits (" + f.rule + " on line " +
                           std::to_string(f.line + 1) + ")";
            break;
        case StepOutcome::CheckMissing:
            return at + "the answer lacks the check string " + cp.toUtf8(*step.checkString);
        case StepOutcome::NotFetched: {
            const StepAnswer& a = step.referrerPage && !step.referrerPage->fetched()
                                      ? *step.referrerPage
                                      : step.answer;
            const std::string what = &a == &step.answer ? "the answer" : "the referrer page";
            return at + what + " could not be fetched: " +
                   (a.error.empty() ? "status " + std::to_string(a.status) : cp.toUtf8(a.error));
        }
        case StepOutcome::Declined:
            return at + "not sent";
        case StepOutcome::Passed:
        case StepOutcome::Cancelled:
            break;
    }
    return {};
}

// Asks on the terminal before each step goes: yes, no (and stop), or all the rest.
SendChoice askOnTerminal(Terminal& terminal, const RoadStep& step, const CodePage& cp) {
    std::string question = "verrimo-cli: step " + std::to_string(step.index + 1) + ": " +
                           step.request.method + " " + cp.toUtf8(step.request.url) + "\n";
    if (!step.request.body.empty()) question += "  " + cp.toUtf8(step.request.body) + "\n";
    for (const PageFinding& f : step.request.findings)
        question += "  " + f.rule + ": " + f.message + "\n";
    question +=
        "送信しますか? 送信するとサイトのデータが変わることがあります [y]es / [N]o / [a]ll: ";
    const std::string answer = terminal.ask(question);
    if (answer == "y" || answer == "Y" || answer == "yes") return SendChoice::Send;
    if (answer == "a" || answer == "A" || answer == "all") return SendChoice::SendAll;
    return SendChoice::Abort;
}

}  // namespace

int runRun(const Args& args, Output& out) {
    const Arguments parsed = parseArguments(args, "run",
                                            {{"--until", "a number of steps"},
                                             {"--samples", "a file"},
                                             {"--timeout", "a number of seconds"}},
                                            {"--yes", "--password-stdin"}, "DEFINITION");
    if (parsed.help) {
        out.write(usage("run"));
        return 0;
    }
    if (!parsed.operand) throw UsageError("run needs a definition file");
    const bool passwordIn = parsed.flags.contains("--password-stdin");
    if (passwordIn && *parsed.operand == "-")
        throw UsageError(
            "run: the definition and the password cannot both come from standard input");
    RoadRunOptions options;
    if (const auto until = parsed.values.find("--until"); until != parsed.values.end())
        options.until = stepCount(until->second);
    FetchOptions fetch;
    fetch.total = wholeTimeOut(parsed);
    const std::string text = readDefinition(*parsed.operand);
    // A definition written in another charset than the code page in force is run as written,
    // in its own; one that no code page reads is not run at all.
    const TextCodePage reading =
        chooseCodePage(text, detectCharset(text), CodePage::program(), true);
    if (reading.warning) {
        warn({*reading.warning}, "definition", CodePage::program());
        throw std::runtime_error("run: nothing was sent");
    }
    const CodePage& cp = *reading.codePage;
    if (cp.name() != CodePage::program().name())
        std::cerr << "verrimo-cli: the definition is run as " << cp.name()
                  << ", the code page it is written in\n";
    const auto samples = parsed.values.find("--samples");
    options.samples = samples == parsed.values.end() ? userSampleValues()
                                                     : readSampleValues(readInput(samples->second));
    // The password is sealed at once; the run opens it only for the steps that send it.
    if (passwordIn) {
        std::string typed = readLine(STDIN_FILENO);
        if (typed.empty()) throw UsageError("run: the password on standard input is empty");
        options.password = SealedText(typed);
    } else {
        options.password = SealedText(options.samples.password);
    }
    wipeText(options.samples.password);
    wipeStackBelow();
    // Nothing goes to the site, not even a page, unless the user can be asked or said yes.
    const bool yes = parsed.flags.contains("--yes");
    std::unique_ptr<Terminal> terminal = yes ? nullptr : Terminal::open();
    if (!yes && !terminal)
        throw std::runtime_error(
            "run: no terminal to ask before each step is sent; give --yes to send them all");

    options.pageCodePage = pageCodePage();
    RoadCallbacks callbacks;
    callbacks.send = [&](const StepRequest& r) { return sendThroughModule(r, fetch); };
    callbacks.ask = [&](const RoadStep& step) {
        return yes ? SendChoice::SendAll : askOnTerminal(*terminal, step, cp);
    };
    std::string note;
    callbacks.stepDone = [&](const RoadStep& step) {
        writeStep(out, step, cp);
        note = endingNote(step, cp);
    };
    const StepOutcome outcome = runRoad(*parseDefinition(text, cp), cp, options, callbacks);
    if (!note.empty()) std::cerr << "verrimo-cli: " << note << "\n";
    return exitStatus(outcome);
}

}  // namespace verrimo::cli
