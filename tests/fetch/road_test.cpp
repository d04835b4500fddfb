// A definition run step by step against the loopback road site, through the fetcher.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "codepage.h"
#include "road_run.h"
#include "road_session.h"
#include "road_site.h"
#include "send_request.h"

namespace verrimo {
namespace {

using test::RoadSite;

struct RoadRunSeen {
    StepOutcome outcome;
    std::vector<RoadStep> steps;
    std::size_t asked = 0;
};

RoadRunSeen runOn(const std::string& definition, SendChoice choice = SendChoice::Send) {
    static const CodePage cp("CP932");
    RoadRunOptions options;
    options.samples.id = RoadSite::kUser;
    std::string password(RoadSite::kPassword);
    options.password = SealedText(password);
    RoadRunSeen run;
    RoadCallbacks callbacks;
    callbacks.send = [](const StepRequest& r) { return sendRequest(r); };
    callbacks.ask = [&](const RoadStep&) {
        ++run.asked;
        return choice;
    };
    callbacks.stepDone = [&](const RoadStep& step) { run.steps.push_back(step); };
    run.outcome = runRoad(*parseDefinition(definition, cp), cp, options, callbacks);
    return run;
}

std::vector<std::string> requestLines(const RoadSite& site) {
    std::vector<std::string> lines;
    for (const test::Request& r : site.requests()) lines.push_back(r.method + " " + r.target);
    return lines;
}

class Road : public ::testing::TestWithParam<RoadSite::Charset> {
  protected:
    Road() { startNewRoad(); }

    RoadSite site{GetParam()};
};

TEST_P(Road, RunsToTheEndOnEachStepsOwnPage) {
    const RoadRunSeen run = runOn(site.definition());
    EXPECT_EQ(run.outcome, StepOutcome::Passed);
    EXPECT_EQ(run.asked, 3u);
    EXPECT_EQ(site.refusals(), std::vector<std::string>());
    EXPECT_EQ(site.completed(), site.enteredValues());
    // Each answer is the next step's page: no page is loaded twice, so no token goes stale.
    EXPECT_EQ(requestLines(site),
              (std::vector<std::string>{"GET /login.html", "POST /login.cgi", "GET /input.html",
                                        "POST /confirm.cgi", "GET /confirm.html",
                                        "POST /complete.cgi", "GET /complete.html"}));
    ASSERT_EQ(run.steps.size(), 3u);
    for (const RoadStep& step : run.steps) {
        SCOPED_TRACE(step.index);
        EXPECT_EQ(step.outcome, StepOutcome::Passed);
        EXPECT_TRUE(step.checkFound);
        EXPECT_EQ(step.request.findings.size(), 0u);
        ASSERT_EQ(step.answer.hops.size(), 2u);
        EXPECT_EQ(step.answer.hops[0].status, 303);
        EXPECT_EQ(step.answer.hops[1].method, "GET");
        EXPECT_EQ(step.answer.status, 200);
        EXPECT_EQ(step.referrerPage.has_value(), step.index == 0);
    }
    EXPECT_EQ(run.steps[2].answer.url, site.url(RoadSite::kCompletePage));
    // The password went to the site, and nowhere into what the run reports.
    EXPECT_NE(site.requests()[1].body.find("pass=hunter2%26s3cret"), std::string::npos);
    EXPECT_EQ(run.steps[0].request.body, "user=taro&pass=********");
    EXPECT_EQ(run.steps[0].request.fields[1].value, kMaskedPassword);
}

TEST_P(Road, SendsTheCookieAndTheBrowsersHeaders) {
    runOn(site.definition());
    const std::vector<test::Request> seen = site.requests();
    ASSERT_EQ(seen.size(), 7u);
    EXPECT_EQ(seen[0].header("Cookie"), "");
    EXPECT_EQ(seen[1].header("Referer"), site.url(RoadSite::kLoginPage));
    EXPECT_EQ(seen[1].header("Origin"), site.url(""));
    for (std::size_t i = 2; i < seen.size(); ++i) {
        SCOPED_TRACE(seen[i].target);
        EXPECT_EQ(seen[i].header("Cookie").substr(0, 4), "sid=");
        EXPECT_EQ(seen[i].header("Origin"), seen[i].method == "POST" ? site.url("") : "");
    }
    EXPECT_EQ(seen[3].header("Referer"), site.url(RoadSite::kInputPage));
    EXPECT_EQ(seen[5].header("Referer"), site.url(RoadSite::kConfirmPage));
}

TEST_P(Road, TheLoginHoldsUntilANewRoad) {
    runOn(site.definition());
    const std::string definition = site.definition();
    const std::string afterLogin = definition.substr(definition.find("Zem-Referer=", 10));
    EXPECT_EQ(runOn(afterLogin).outcome, StepOutcome::Passed);
    EXPECT_EQ(site.refusals(), std::vector<std::string>());

    startNewRoad();
    // Without the login's cookie the site answers an error page, which holds no form.
    const RoadRunSeen run = runOn(afterLogin);
    EXPECT_EQ(run.outcome, StepOutcome::Stopped);
    EXPECT_EQ(run.steps[0].request.findings.at(0).rule, "form-missing");
    EXPECT_EQ(site.refusals(), std::vector<std::string>{"/input.html: no session cookie"});
}

// The site itself: a token is good for the last load of its page only, and only with the cookie.
TEST(RoadSiteRefuses, AStaleTokenAndARequestWithoutTheCookie) {
    startNewRoad();
    RoadSite site(RoadSite::Charset::Utf8);
    const auto post = [&](std::string_view path, const std::string& body) {
        StepRequest r;
        r.method = "POST";
        r.url = site.url(path);
        r.headers = {{"Content-Type", "application/x-www-form-urlencoded"}};
        r.body = body;
        return sendRequest(r);
    };
    const auto tokenOf = [](const StepAnswer& page) {
        const std::size_t at = page.body.find("name=\"token\" value=\"") + 20;
        return page.body.substr(at, page.body.find('"', at) - at);
    };
    const StepAnswer first = post(RoadSite::kLogin, "user=taro&pass=hunter2%26s3cret");
    const std::string stale = tokenOf(first);
    StepRequest load;
    load.method = "GET";
    load.url = site.url(RoadSite::kInputPage);
    const std::string fresh = tokenOf(sendRequest(load));
    EXPECT_NE(stale, fresh);
    post(RoadSite::kConfirm, "token=" + stale + "&name=a&kind=q&comment=b");
    startNewRoad();
    post(RoadSite::kConfirm, "token=" + fresh + "&name=a&kind=q&comment=b");
    EXPECT_EQ(site.refusals(), (std::vector<std::string>{"confirm: stale token",
                                                         "/confirm.cgi: no session cookie"}));
}

// A step whose answer never ends: the cancel flag, raised while it is under way, stops it.
TEST(RoadCancel, ARaisedFlagStopsTheTransferUnderWay) {
    startNewRoad();
    test::HttpTestServer server;
    std::atomic<bool> cancel{false};
    server.route("/page.html", test::Response{200, {}, "<a href=slow.html>x</a>", std::nullopt});
    server.route("/slow.html", [&](const test::Request&) {
        cancel = true;
        return test::Response{200, {}, "<p>never whole", 3};
    });
    const std::string definition = "Zem-Referer=" + server.url("/page.html") +
                                   "\r\nZem-Open=" + server.url("/slow.html") + "\r\n";
    RoadRunOptions options;
    options.cancel = &cancel;
    RoadCallbacks callbacks;
    callbacks.send = cancellableSender(cancel);
    callbacks.ask = [](const RoadStep&) { return SendChoice::Send; };
    std::vector<RoadStep> steps;
    callbacks.stepDone = [&](const RoadStep& step) { steps.push_back(step); };
    EXPECT_EQ(runRoad(*parseDefinition(definition, CodePage::program()), CodePage::program(),
                      options, callbacks),
              StepOutcome::Cancelled);
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].answer.error, "cancelled");
}

TEST(RoadSafety, AnAddressOtherThanHttpIsNeverOpened) {
    startNewRoad();
    test::HttpTestServer server;
    server.route("/page.html", test::Response{200, {}, "<a href=x>x</a>", std::nullopt});
    const std::string definitions[] = {
        "Zem-Referer=file:///etc/hostname\r\nZem-Open=" + server.url("/page.html") + "\r\n",
        "Zem-Referer=" + server.url("/page.html") + "\r\nZem-Open=file:///etc/hostname\r\n",
    };
    for (const std::string& definition : definitions) {
        SCOPED_TRACE(definition);
        RoadCallbacks callbacks;
        callbacks.send = [](const StepRequest& r) { return sendRequest(r); };
        callbacks.ask = [](const RoadStep&) { return SendChoice::SendAll; };
        std::vector<RoadStep> steps;
        callbacks.stepDone = [&](const RoadStep& step) { steps.push_back(step); };
        EXPECT_EQ(runRoad(*parseDefinition(definition, CodePage::program()), CodePage::program(),
                          {}, callbacks),
                  StepOutcome::NotFetched);
        ASSERT_EQ(steps.size(), 1u);
        const StepAnswer& refused =
            steps[0].answer.error.empty() ? *steps[0].referrerPage : steps[0].answer;
        EXPECT_EQ(refused.error, "not an http or https address");
        EXPECT_TRUE(refused.hops.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Charsets, Road,
                         ::testing::Values(RoadSite::Charset::ShiftJis, RoadSite::Charset::Utf8),
                         [](const auto& info) {
                             return info.param == RoadSite::Charset::ShiftJis ? "ShiftJis" : "Utf8";
                         });

}  // namespace
}  // namespace verrimo
