// A definition run step by step against a site made of canned answers: which page each step is
// built on, when the caller is asked, what stops a run, and what the run reports.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>
#include <vector>

#include "extract_support.h"
#include "road_run.h"

using namespace verrimo;
using verrimo::testing::cp932;

namespace {

const std::string kSite = "http://site.example";

StepAnswer page(std::string body, long status = 200, std::string type = "text/html") {
    StepAnswer a;
    a.status = status;
    a.body = std::move(body);
    a.contentType = std::move(type);
    return a;
}

// Answers by "METHOD url"; anything else is a 404. Keeps every request it was given.
struct FakeSite {
    std::map<std::string, StepAnswer> answers;
    std::vector<StepRequest> seen;
    std::function<void()> onSend;

    StepAnswer operator()(const StepRequest& r) {
        seen.push_back(r);
        if (onSend) onSend();
        const auto found = answers.find(r.method + " " + r.url);
        StepAnswer a = found == answers.end() ? page("not found", 404) : found->second;
        if (a.url.empty()) a.url = r.url;
        a.hops.insert(a.hops.begin(), AnswerHop{r.method, r.url, a.status, "", ""});
        return a;
    }
    std::size_t count(const std::string& method) const {
        std::size_t n = 0;
        for (const StepRequest& r : seen) n += r.method == method;
        return n;
    }
};

// A login, then a form whose page carries a token, then the end.
const std::string kRoad =
    "Zem-Referer=" + kSite + "/login.html\r\naction=" + kSite +
    "/login.cgi\r\nuser=Zem-ID\r\npass=Zem-Pass\r\n-\r\nchk-moji=welcome\r\n"
    "Zem-Referer=" +
    kSite + "/form.html\r\naction=" + kSite +
    "/post.cgi\r\ntoken=Zem-GetValue[token]\r\nmsg=hi\r\n-\r\nchk-moji=done\r\n";

FakeSite roadSite() {
    FakeSite site;
    site.answers["GET " + kSite + "/login.html"] = page(
        "<form action=login.cgi method=post><input name=user><input type=password "
        "name=pass></form>");
    StepAnswer welcome = page(
        "<p>welcome</p><form action=post.cgi method=post><input type=hidden name=token "
        "value=t42><input name=msg></form>");
    welcome.url = kSite + "/form.html";
    site.answers["POST " + kSite + "/login.cgi"] = welcome;
    site.answers["POST " + kSite + "/post.cgi"] = page("<p>done</p>");
    return site;
}

SealedText sealed(std::string plain) {
    return SealedText(plain);
}

struct Seen {
    StepOutcome outcome;
    std::vector<RoadStep> steps;
    std::size_t asked = 0;
};

Seen run(FakeSite& site, const std::string& definition, std::vector<SendChoice> choices,
         RoadRunOptions options = {}) {
    Seen seen;
    RoadCallbacks callbacks;
    callbacks.send = std::ref(site);
    callbacks.ask = [&](const RoadStep&) {
        const SendChoice choice = choices.at(std::min(seen.asked, choices.size() - 1));
        ++seen.asked;
        return choice;
    };
    callbacks.stepDone = [&](const RoadStep& step) { seen.steps.push_back(step); };
    seen.outcome = runRoad(*parseDefinition(definition, cp932()), cp932(), options, callbacks);
    return seen;
}

TEST(RoadRun, EachStepIsBuiltOnItsOwnPage) {
    FakeSite site = roadSite();
    RoadRunOptions options;
    options.samples.id = "taro";
    options.password = sealed("pw&1");
    const Seen seen = run(site, kRoad, {SendChoice::Send}, options);
    EXPECT_EQ(seen.outcome, StepOutcome::Passed);
    ASSERT_EQ(site.seen.size(), 3u);
    // The second step's page is the login's answer: it is not loaded again.
    EXPECT_EQ(site.seen[0].method, "GET");
    EXPECT_EQ(site.seen[1].body, "user=taro&pass=pw%261");
    EXPECT_EQ(site.seen[2].body, "token=t42&msg=hi");
    ASSERT_EQ(seen.steps.size(), 2u);
    EXPECT_TRUE(seen.steps[0].referrerPage.has_value());
    EXPECT_FALSE(seen.steps[1].referrerPage.has_value());
    EXPECT_EQ(seen.steps[1].request.referrerLine, 6u);
    EXPECT_EQ(seen.steps[1].request.targetLine, 7u);
    EXPECT_EQ(seen.steps[1].checkString, "done");
    EXPECT_TRUE(seen.steps[1].checkFound);
}

TEST(RoadRun, LoadsAReferrerThatIsNotTheLastAnswer) {
    FakeSite site = roadSite();
    site.answers["POST " + kSite + "/login.cgi"] = page("welcome");
    site.answers["GET " + kSite + "/form.html"] = page(
        "<form action=post.cgi method=post><input type=hidden name=token value=fresh>"
        "<input name=msg></form>");
    const Seen seen = run(site, kRoad, {SendChoice::SendAll});
    EXPECT_EQ(seen.outcome, StepOutcome::Passed);
    ASSERT_EQ(site.seen.size(), 4u);
    EXPECT_EQ(site.seen[2].url, kSite + "/form.html");
    EXPECT_TRUE(site.seen[2].headers.empty());
    EXPECT_EQ(site.seen[3].body, "token=fresh&msg=hi");
    EXPECT_TRUE(seen.steps[1].referrerPage.has_value());
}

TEST(RoadRun, SendsOnlyWhatTheCallerAllows) {
    struct Case {
        std::vector<SendChoice> choices;
        std::size_t asked;
        std::size_t posts;
        StepOutcome outcome;
    };
    const Case cases[] = {
        {{SendChoice::Send}, 2, 2, StepOutcome::Passed},
        {{SendChoice::SendAll}, 1, 2, StepOutcome::Passed},
        {{SendChoice::Abort}, 1, 0, StepOutcome::Declined},
        {{SendChoice::Send, SendChoice::Abort}, 2, 1, StepOutcome::Declined},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked * 10 + c.posts);
        FakeSite site = roadSite();
        const Seen seen = run(site, kRoad, c.choices);
        EXPECT_EQ(seen.asked, c.asked);
        EXPECT_EQ(site.count("POST"), c.posts);
        EXPECT_EQ(seen.outcome, c.outcome);
        EXPECT_EQ(seen.steps.back().outcome, c.outcome);
    }
}

// The run, a step built on its own, and the requests all take the definition as read once.
TEST(RoadRun, TheDefinitionIsReadOnce) {
    FakeSite site = roadSite();
    const std::size_t before = definitionParses();
    const auto parsed = parseDefinition(kRoad, cp932());
    RoadCallbacks callbacks;
    callbacks.send = std::ref(site);
    callbacks.ask = [](const RoadStep&) { return SendChoice::SendAll; };
    EXPECT_EQ(runRoad(*parsed, cp932(), {}, callbacks), StepOutcome::Passed);
    EXPECT_TRUE(stepOnPage(*parsed, 1, nullptr, {}, cp932()));
    EXPECT_EQ(definitionRequests(*parsed, {}, {}, cp932()).size(), 2u);
    EXPECT_EQ(definitionParses(), before + 1);
}

TEST(RoadRun, WithoutAnAskFunctionNothingIsSent) {
    FakeSite site = roadSite();
    RoadCallbacks callbacks;
    callbacks.send = std::ref(site);
    EXPECT_EQ(runRoad(*parseDefinition(kRoad, cp932()), cp932(), {}, callbacks),
              StepOutcome::Declined);
    EXPECT_EQ(site.count("POST"), 0u);
}

TEST(RoadRun, TheCancelFlagEndsTheRunBeforeTheNextRequest) {
    FakeSite site = roadSite();
    std::atomic<bool> cancel{false};
    site.onSend = [&] {
        if (site.count("POST") == 1) cancel = true;
    };
    RoadRunOptions options;
    options.cancel = &cancel;
    const Seen seen = run(site, kRoad, {SendChoice::SendAll}, options);
    EXPECT_EQ(seen.outcome, StepOutcome::Cancelled);
    EXPECT_EQ(site.seen.size(), 2u);
    ASSERT_EQ(seen.steps.size(), 1u);
    EXPECT_EQ(seen.steps[0].outcome, StepOutcome::Cancelled);
}

TEST(RoadRun, UntilRunsTheFirstSteps) {
    FakeSite site = roadSite();
    RoadRunOptions options;
    options.until = 1;
    const Seen seen = run(site, kRoad, {SendChoice::Send}, options);
    EXPECT_EQ(seen.outcome, StepOutcome::Passed);
    EXPECT_EQ(seen.steps.size(), 1u);
    EXPECT_EQ(site.count("POST"), 1u);
}

TEST(RoadRun, WhatEndsARun) {
    struct Case {
        const char* what;
        std::string key;  // the answer changed
        StepAnswer answer;
        StepOutcome outcome;
        std::size_t steps;
        std::size_t posts;
    };
    StepAnswer unreachable;
    unreachable.error = "Could not connect to server";
    const std::string login = "GET " + kSite + "/login.html";
    const std::string loginPost = "POST " + kSite + "/login.cgi";
    const std::string end = "POST " + kSite + "/post.cgi";
    const Case cases[] = {
        {"referrer 404", login, page("<form action=login.cgi method=post>", 404),
         StepOutcome::NotFetched, 1, 0},
        {"referrer unreachable", login, unreachable, StepOutcome::NotFetched, 1, 0},
        {"answer 500", end, page("<p>done</p>", 500), StepOutcome::NotFetched, 2, 2},
        {"answer lacks the check string", end, page("<p>error</p>"), StepOutcome::CheckMissing, 2,
         2},
        {"the form is gone", login, page("<form action=other.cgi method=post></form>"),
         StepOutcome::Stopped, 1, 0},
        {"a field was renamed", login,
         page("<form action=login.cgi method=post><input name=login><input name=pass></form>"),
         StepOutcome::Stopped, 1, 0},
        {"a field the definition leaves out", login,
         page("<form action=login.cgi method=post><input name=user><input name=pass>"
              "<input name=extra></form>"),
         StepOutcome::Passed, 2, 2},
        {"no check string found after a 303", loginPost, page("<p>hello</p>"),
         StepOutcome::CheckMissing, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeSite site = roadSite();
        const std::string form = site.answers[loginPost].body;
        site.answers[c.key] = c.answer;
        if (c.key == loginPost) site.answers[c.key].url = kSite + "/form.html";
        const Seen seen = run(site, kRoad, {SendChoice::Send});
        EXPECT_EQ(seen.outcome, c.outcome);
        EXPECT_EQ(seen.steps.size(), c.steps);
        EXPECT_EQ(site.count("POST"), c.posts);
        EXPECT_EQ(seen.asked, c.posts);
    }
}

TEST(RoadRun, TheStepsCheckStringIsReadInTheAnswersCharset) {
    // 完了 in CP932 in the definition; the answers in UTF-8, Shift_JIS and EUC-JP, or 完成.
    const std::string definition = "Zem-Referer=" + kSite + "/a.html\r\nZem-Open=" + kSite +
                                   "/b.html\r\n-\r\nchk-moji=\x8a\xae\x97\xb9\r\n";
    struct Case {
        const char* body;
        const char* type;
        bool found;
    };
    const Case cases[] = {
        {"<p>\xe5\xae\x8c\xe4\xba\x86</p>", "text/html; charset=UTF-8", true},
        {"<p>\x8a\xae\x97\xb9</p>", "text/html; charset=Shift_JIS", true},
        {"<p>\xb4\xb0\xce\xbb</p>", "text/html; charset=EUC-JP", true},
        {"<p>\xe5\xae\x8c\xe6\x88\x90</p>", "text/html; charset=UTF-8", false},
        // The bytes only as the second half of one character and the first of the next.
        {"<p>\x81\x8a\xae\x97\xb9</p>", "text/html; charset=Shift_JIS", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        FakeSite site;
        site.answers["GET " + kSite + "/a.html"] = page("<a href=b.html>b</a>");
        site.answers["GET " + kSite + "/b.html"] = page(c.body, 200, c.type);
        const Seen seen = run(site, definition, {SendChoice::Send});
        ASSERT_EQ(seen.steps.size(), 1u);
        EXPECT_EQ(seen.steps[0].checkFound, c.found);
        EXPECT_EQ(seen.outcome, c.found ? StepOutcome::Passed : StepOutcome::CheckMissing);
    }
}

TEST(RoadRun, AnEmptyCheckStringChecksNothing) {
    const std::string definition =
        "Zem-Referer=" + kSite + "/a.html\r\nZem-Open=" + kSite + "/b.html\r\n-\r\nchk-moji=\r\n";
    FakeSite site;
    site.answers["GET " + kSite + "/a.html"] = page("a");
    site.answers["GET " + kSite + "/b.html"] = page("b");
    const Seen seen = run(site, definition, {SendChoice::Send});
    EXPECT_EQ(seen.outcome, StepOutcome::Passed);
    EXPECT_FALSE(seen.steps[0].checkString.has_value());
}

TEST(RoadRun, ThePasswordIsMaskedInEverythingReported) {
    // A login by GET: the password goes into the address, and the site sends it back in a
    // redirect.
    const std::string definition = "Zem-Referer=" + kSite + "/login.html\r\naction=" + kSite +
                                   "/login.cgi\r\nuser=Zem-ID\r\npass=Zem-Pass\r\n";
    FakeSite site;
    site.answers["GET " + kSite + "/login.html"] =
        page("<form action=login.cgi><input name=user><input type=password name=pass></form>");
    const std::string sent = kSite + "/login.cgi?user=taro&pass=p%40ss+w";
    StepAnswer answer = page("welcome");
    answer.url = kSite + "/home?from=p%40ss+w";
    answer.hops.push_back({"GET", answer.url, 200, sent, ""});
    site.answers["GET " + sent] = answer;
    RoadRunOptions options;
    options.samples.id = "taro";
    options.password = sealed("p@ss w");
    const Seen seen = run(site, definition, {SendChoice::Send}, options);
    EXPECT_EQ(seen.outcome, StepOutcome::Passed);
    ASSERT_EQ(site.seen.size(), 2u);
    EXPECT_EQ(site.seen[1].url, sent);
    const RoadStep& step = seen.steps.at(0);
    EXPECT_EQ(step.request.url, kSite + "/login.cgi?user=taro&pass=********");
    EXPECT_EQ(step.request.fields[1].value, kMaskedPassword);
    ASSERT_EQ(step.answer.hops.size(), 2u);
    EXPECT_EQ(step.answer.hops[0].url, kSite + "/login.cgi?user=taro&pass=********");
    EXPECT_EQ(step.answer.hops[1].referer, kSite + "/login.cgi?user=taro&pass=********");
    EXPECT_EQ(step.answer.url, kSite + "/home?from=********");
}

TEST(RoadRun, TheRequestReportedCarriesTheHeadersSent) {
    FakeSite site = roadSite();
    StepAnswer answer = site.answers["POST " + kSite + "/login.cgi"];
    site.answers["POST " + kSite + "/login.cgi"] = answer;
    RoadCallbacks callbacks;
    callbacks.send = [&](const StepRequest& r) {
        StepAnswer a = site(r);
        a.hops.front().referer = "http://site.example/";
        a.hops.front().origin = "http://site.example";
        return a;
    };
    callbacks.ask = [](const RoadStep&) { return SendChoice::SendAll; };
    std::vector<RoadStep> steps;
    callbacks.stepDone = [&](const RoadStep& s) { steps.push_back(s); };
    runRoad(*parseDefinition(kRoad, cp932()), cp932(), {}, callbacks);
    ASSERT_FALSE(steps.empty());
    const auto& headers = steps[0].request.headers;
    EXPECT_EQ(headers, (std::vector<std::pair<std::string, std::string>>{
                           {"Content-Type", "application/x-www-form-urlencoded"},
                           {"Referer", "http://site.example/"},
                           {"Origin", "http://site.example"}}));
}

TEST(RoadRun, WhichFindingsStopAStep) {
    for (const char* rule : {"form-missing", "field-unknown"}) EXPECT_TRUE(findingStopsStep(rule));
    for (const char* rule :
         {"field-left-out", "hidden-fixed", "value-not-offered", "literal-charset", ""})
        EXPECT_FALSE(findingStopsStep(rule)) << rule;
}

TEST(RoadRun, ADefinitionWithoutStepsSendsNothing) {
    FakeSite site;
    EXPECT_EQ(run(site, "user=Zem-ID\r\n", {SendChoice::Send}).outcome, StepOutcome::Passed);
    EXPECT_TRUE(site.seen.empty());
}

// A hostile site writes the password back in its redirects, its error and a later page's
// load: every form of it is masked in what the run reports.
TEST(RoadRun, ThePasswordASiteWritesBackIsMasked) {
    const std::string secret = "Qq7 Sec&ret9Zz";
    const std::string echoes[] = {"Qq7 Sec&ret9Zz",
                                  "Qq7+Sec%26ret9Zz",
                                  "Qq7%20Sec%26ret9Zz",
                                  "Qq7%20Sec&ret9Zz",
                                  "%51%71%37%20%53%65%63%26%72%65%74%39%5a%7a",
                                  "Qq7%2520Sec%2526ret9Zz"};
    for (const std::string& echo : echoes) {
        SCOPED_TRACE(echo);
        FakeSite site = roadSite();
        StepAnswer& welcome = site.answers["POST " + kSite + "/login.cgi"];
        welcome.hops.push_back({"GET", kSite + "/landing/" + echo, 302, "", ""});
        welcome.otherHosts.push_back(echo + ".example");
        site.answers["POST " + kSite + "/login.cgi"].url = kSite + "/home?p=" + echo;
        StepAnswer form = page("<form action=post.cgi method=post><input name=msg></form>");
        form.hops.push_back({"GET", kSite + "/form.html?from=" + echo, 200, "", ""});
        form.error = "moved to " + echo;
        site.answers["GET " + kSite + "/form.html"] = form;
        RoadRunOptions options;
        options.password = sealed(secret);
        const Seen seen = run(site, kRoad, {SendChoice::SendAll}, options);
        EXPECT_EQ(site.seen.at(1).body, "user=user&pass=Qq7+Sec%26ret9Zz");
        ASSERT_EQ(seen.steps.size(), 2u);
        const StepAnswer& answer = seen.steps[0].answer;
        EXPECT_EQ(answer.hops.at(1).url, kSite + "/landing/********");
        EXPECT_EQ(answer.url, kSite + "/home?p=********");
        EXPECT_EQ(answer.otherHosts, std::vector<std::string>{"********.example"});
        const StepAnswer& later = *seen.steps[1].referrerPage;
        EXPECT_EQ(later.hops.at(1).url, kSite + "/form.html?from=********");
        EXPECT_EQ(later.error, "moved to ********");
    }
}

// An answer cut short (a stall, a time-out, a closed connection) is no answer: the check string
// it lacks says nothing about the site.
TEST(RoadRun, AnAnswerCutShortIsNotFetched) {
    for (const char* error : {"Operation timed out after 1000 milliseconds with 9 bytes received",
                              "transfer closed with 100 bytes remaining to read"}) {
        SCOPED_TRACE(error);
        FakeSite site = roadSite();
        StepAnswer& cut = site.answers["POST " + kSite + "/login.cgi"];
        cut.body = "<p>welc";
        cut.error = error;
        const Seen seen = run(site, kRoad, {SendChoice::SendAll});
        EXPECT_EQ(seen.outcome, StepOutcome::NotFetched);
        EXPECT_EQ(seen.steps.at(0).answer.error, error);
        EXPECT_EQ(site.count("POST"), 1u);
    }
}

}  // namespace
