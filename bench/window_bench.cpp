// The windows on big pages, driven as a user drives them, offscreen: the time from the click on
// ＵＲＬ読み込み to the action entry dialog, one walker step, the start-up with a big auto.txt and
// the peak memory of a load. Each run measures one thing, so that the peak is its own:
//
//   window_bench load MB       a page of MB megabytes of form fields, served on 127.0.0.1
//   window_bench walk MB       the same page, then walker steps
//   window_bench startup MB    start-up with an auto.txt of MB megabytes beside the program,
//                              then walker steps over fields whose names it lists
//   window_bench memory MB     the peak memory of the process after a load of such a page
//   window_bench a11y MB       the program itself (the verrimo binary) loads the page of form
//                              fields by URL, pressed by a screen reader in this process over
//                              AT-SPI, which times every call it makes during and after the load
//   window_bench a11y-tags M   the same on a page of M million tags, links and their ends
//
// The a11y runs start themselves again on a session bus and a display of their own
// (dbus-run-session, xvfb-run), where the session's accessibility bus and registry start as a
// screen reader's session has them.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit_tag.h"
#include "a11y_probe.h"
#include "application.h"
#include "fetch.h"
#include "http_test_server.h"

using namespace verrimo;

namespace {

// Form fields with a little text around each, about 52 bytes a field, up to size bytes.
std::string formPage(std::size_t size) {
    std::string page = "<html><body><form action=\"post.cgi\" method=post>\n";
    for (std::size_t f = 0; page.size() < size; ++f) {
        const std::string n = std::to_string(f);
        page += "<p>" + n + " <input type=text name=\"f" + n + "\" value=\"x\"></p>\n";
    }
    return page + "</form></body></html>\n";
}

// Links with their ends, two tags a link, up to `tags` tags.
std::string linkPage(std::size_t tags) {
    std::string page = "<html><body>\n";
    for (std::size_t l = 0; 2 * l < tags; ++l) {
        const std::string n = std::to_string(l);
        page += "<a href=\"/item/" + n + "\">item " + n + "</a>\n";
    }
    return page + "</body></html>\n";
}

// Serves the page from a child process, so that its copy of the page counts in no figure here.
// Returns the URL; the child ends when this process does.
std::string servePage(const std::string& page) {
    int ready[2];
    if (pipe(ready) != 0) std::exit(1);
    if (fork() == 0) {
        test::HttpTestServer server;
        server.route("/page.html",
                     test::Response{200, {{"Content-Type", "text/html"}}, page, std::nullopt});
        const std::string url = server.url("/page.html");
        if (write(ready[1], url.data(), url.size()) < 0) std::_Exit(1);
        close(ready[1]);
        while (getppid() != 1) sleep(1);
        std::_Exit(0);
    }
    close(ready[1]);
    char buffer[256];
    const ssize_t n = read(ready[0], buffer, sizeof buffer);
    if (n <= 0) std::exit(1);
    return std::string(buffer, static_cast<std::size_t>(n));
}

// The name of a whole search in the probe's notes.
constexpr const char* kSearch = "search for the button";

double peakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Mean milliseconds of a walker step ("追加して次の行") over the required-tag list.
double walkSteps(Application& app) {
    TForm_tag& walker = *app.forms().Form_tag;
    QTest::mouseClick(app.forms().Form1->Button3, Qt::LeftButton);
    constexpr int kSteps = 200;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < kSteps; ++i) {
        QTest::mouseClick(walker.Button1, Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    return static_cast<double>(clock.nsecsElapsed()) / 1e6 / kSteps;
}

// Clicks ＵＲＬ読み込み with url in the URL box; milliseconds until the dialog is up.
double load(Application& app, const std::string& url) {
    TForm1& main = *app.forms().Form1;
    main.Edit1->SetText(url);
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(main.Button1, Qt::LeftButton);
    if (!QTest::qWaitFor([&] { return app.forms().Form3->isVisible(); }, 600000)) std::exit(1);
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

void benchLoad(std::size_t megabytes, bool walk) {
    const std::string url = servePage(formPage(megabytes << 20));
    QElapsedTimer clock;
    clock.start();
    const FetchResult alone = downloadPage(url);
    const double downloadMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    Application app;
    app.Start();
    QTest::qWait(200);
    const double loadMs = load(app, url);
    std::printf("load %zu MB (%zu bytes): download alone %.0f ms; click to dialog %.0f ms\n",
                megabytes, alone.body.size(), downloadMs, loadMs);
    if (!walk) return;
    std::printf("walker step on that page: %.2f ms (mean of 200)\n", walkSteps(app));
}

void benchStartup(std::size_t megabytes) {
    const QString path = QCoreApplication::applicationDirPath() + "/auto.txt";
    const QString kept = path + ".kept";
    QFile::remove(kept);
    QFile::rename(path, kept);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) std::exit(1);
        std::string list;
        for (std::size_t i = 0; list.size() < (megabytes << 20); ++i)
            list += "name" + std::to_string(i) + "=value " + std::to_string(i) + "\r\n";
        file.write(list.data(), static_cast<qint64>(list.size()));
    }
    QElapsedTimer clock;
    clock.start();
    {
        Application app;
        app.Start();
        if (!QTest::qWaitForWindowExposed(app.forms().Form1)) std::exit(1);
        std::printf("start-up with a %zu MB auto.txt: %.0f ms\n", megabytes,
                    static_cast<double>(clock.nsecsElapsed()) / 1e6);
        std::string fields;
        for (int i = 0; i < 400; ++i)
            fields += "<input type=text name=\"name" + std::to_string(i * 1000) + "\">\r\n";
        app.forms().Form2->Memo2->SetText(fields);
        std::printf("walker step with that list: %.2f ms (mean of 200)\n", walkSteps(app));
    }
    QFile::remove(path);
    QFile::rename(kept, path);
}

void benchMemory(std::size_t megabytes) {
    const std::string url = servePage(formPage(megabytes << 20));
    Application app;
    app.Start();
    const double loadMs = load(app, url);
    std::printf("load of a %zu MiB page: %.0f ms to the dialog; peak %.0f MiB\n", megabytes, loadMs,
                peakMiB());
}

// What the screen reader watches after the action entry dialog has appeared.
constexpr auto kWatch = std::chrono::seconds(20);

// The program as a user starts it, with a home of its own; returns its process id. The one built
// beside this benchmark, or another build named by VERRIMO_PROGRAM, to compare two.
pid_t startProgram(const std::string& home) {
    const char* other = getenv("VERRIMO_PROGRAM");
    const char* program = other ? other : VERRIMO_PROGRAM;
    const pid_t child = fork();
    if (child == 0) {
        setenv("HOME", home.c_str(), 1);
        execl(program, program, static_cast<char*>(nullptr));
        std::_Exit(127);
    }
    return child;
}

double ms(bench::A11yProbe::Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

// The longest wait of the calls named `what` (all when null) sent in [from, to).
const bench::A11yProbe::Call* longest(const std::vector<bench::A11yProbe::Call>& calls,
                                      bench::A11yProbe::Clock::time_point from,
                                      bench::A11yProbe::Clock::time_point to, const char* what) {
    const bench::A11yProbe::Call* found = nullptr;
    for (const auto& call : calls) {
        if (call.sent < from || call.sent >= to) continue;
        if (what ? std::string(call.what) != what : std::string(call.what) == kSearch) continue;
        if (!found || call.waited > found->waited) found = &call;
    }
    return found;
}

// The real program under a screen reader in another process: the reader types the URL into the
// main window and presses ＵＲＬ読み込み, then keeps asking what a reader asks until kWatch after
// the action entry dialog appeared. Prints the longest wait of a single call and of a search for
// the 読み直し button, while the page loads and after.
void benchAccessible(const std::string& page, const std::string& what, const std::string& home) {
    bench::A11yProbe::AnnounceScreenReader();
    const std::string url = servePage(page);
    const pid_t program = startProgram(home);
    {
        bench::A11yProbe reader(program, {"Verrimo", "タグ＆簡易ブラウザ"});
        reader.FollowTexts(
            {"htmlソース", "必要と思われるタグです", "画像タグの抽出", "通常のリンクタグの抽出"});
        reader.Type("Verrimo", "ＵＲＬ", url);
        reader.Watch("指定されたＵＲＬの読み込み終了");
        const auto click = bench::A11yProbe::Clock::now();
        reader.Press("Verrimo", "ＵＲＬ読み込み");
        while (!reader.Seen() || bench::A11yProbe::Clock::now() - *reader.Seen() < kWatch)
            reader.Round("読み直し");
        const auto shown = reader.Seen();
        const auto end = bench::A11yProbe::Clock::now();
        const auto& calls = reader.Calls();
        const auto describe = [&](const bench::A11yProbe::Call* call) {
            if (!call) return std::string("none");
            char text[160];
            std::snprintf(text, sizeof text, "%.0f ms (%s, sent %.0f ms after the click)",
                          ms(call->waited), call->what, ms(call->sent - click));
            return std::string(text);
        };
        std::size_t sent = 0;
        std::size_t slow = 0;
        std::size_t searches = 0;
        std::size_t steps = 0;
        for (const auto& call : calls) {
            if (call.sent < click) continue;
            const std::string kind = call.what;
            ++sent;
            if (kind != kSearch && call.waited > std::chrono::milliseconds(200)) ++slow;
            searches += kind == kSearch;
            steps += kind == "search step";
        }
        std::printf("%s, the program over AT-SPI: click to dialog %.0f ms\n", what.c_str(),
                    ms(*shown - click));
        std::printf("  longest call while loading: %s\n",
                    describe(longest(calls, click, *shown, nullptr)).c_str());
        std::printf("  longest call after the dialog: %s\n",
                    describe(longest(calls, *shown, end, nullptr)).c_str());
        std::printf("  longest window list after the dialog: %s\n",
                    describe(longest(calls, *shown, end, "window list")).c_str());
        std::printf("  longest search for 読み直し while loading: %s\n",
                    describe(longest(calls, click, *shown, kSearch)).c_str());
        std::printf("  longest search for 読み直し after the dialog: %s\n",
                    describe(longest(calls, *shown, end, kSearch)).c_str());
        std::printf(
            "  %zu calls in %.0f s, %zu over 200 ms; %zu searches of %zu calls each, %zu missed; "
            "%zu events\n",
            sent - searches, ms(end - click) / 1000, slow, searches,
            searches ? steps / searches : 0, reader.Missed(), reader.Events());
    }
    kill(program, SIGTERM);
    waitpid(program, nullptr, 0);
}

// Runs this program again with the same arguments on a private session bus and display; returns
// its exit status.
int underAccessibilityBus(char** argv) {
    std::string runtime = (std::filesystem::temp_directory_path() / "verrimo-a11y-XXXXXX").string();
    if (!mkdtemp(runtime.data())) return 1;
    const pid_t child = fork();
    if (child == 0) {
        setenv("VERRIMO_A11Y_BUS", runtime.c_str(), 1);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);  // the bus launcher's socket goes there
        unsetenv("QT_QPA_PLATFORM");
        std::vector<char*> args = {const_cast<char*>("dbus-run-session"),
                                   const_cast<char*>("--"),
                                   const_cast<char*>("xvfb-run"),
                                   const_cast<char*>("-a"),
                                   const_cast<char*>("-s"),
                                   const_cast<char*>("-screen 0 1600x1200x24")};
        for (char** arg = argv; *arg; ++arg) args.push_back(*arg);
        args.push_back(nullptr);
        execvp(args[0], args.data());
        std::_Exit(127);
    }
    int status = 1;
    waitpid(child, &status, 0);
    std::filesystem::remove_all(runtime);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr,
                     "usage: window_bench load|walk|startup|memory|a11y MB\n"
                     "       window_bench a11y-tags MILLIONS\n");
        return 2;
    }
    const std::string what = argv[1];
    const std::size_t megabytes = std::strtoul(argv[2], nullptr, 10);
    if (what == "a11y" || what == "a11y-tags") {
        const char* session = getenv("VERRIMO_A11Y_BUS");
        if (!session) return underAccessibilityBus(argv);
        if (what == "a11y")
            benchAccessible(formPage(megabytes << 20),
                            std::to_string(megabytes) + " MB of form fields", session);
        else
            benchAccessible(linkPage(megabytes * 1000000),
                            std::to_string(megabytes) + " million tags", session);
        return 0;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (geteuid() == 0) setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication qapp(argc, argv);
    QApplication::setApplicationName("Verrimo");
    if (what == "load" || what == "walk")
        benchLoad(megabytes, what == "walk");
    else if (what == "startup")
        benchStartup(megabytes);
    else if (what == "memory")
        benchMemory(megabytes);
    else
        return 2;
    return 0;
}
