// The HAR files of tests/data/har, written from what the loopback road site (a login that sets
// a cookie, an input form whose token changes on every load, a confirmation page that carries
// the values in hidden fields with a token of its own, and a completion page) received and sent
// while Qt WebEngine walked its road. Qt WebEngine saves no HAR itself, so the file is written
// from the site's log, as Chrome writes it for the Shift_JIS site and as Firefox does for the
// UTF-8 one.
//
// Run as a test, it walks the road again and the road read from the fresh file must be the one
// read from the file in the source tree. Run with --write DIR, it writes the files into DIR.
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <cctype>
#include <fstream>
#include <sstream>

#include "codepage.h"
#include "har_road.h"
#include "har_writer.h"
#include "road_site.h"
#include "window_test_support.h"

using namespace verrimo;
using namespace verrimo::test;

namespace {

struct Site {
    RoadSite::Charset charset;
    const char* file;  // the HAR file's name
    HarBrowser browser;
};

const Site kSites[] = {
    {RoadSite::Charset::ShiftJis, "road-shift_jis.har", HarBrowser::Chrome},
    {RoadSite::Charset::Utf8, "road-utf-8.har", HarBrowser::Firefox},
};

// Fills the first form's fields and submits it through its button.
QString fillAndSubmit(const QJsonArray& fields) {
    return QString(R"((function (fields) {
        const form = document.forms[0];
        for (const [name, value] of fields) form.elements[name].value = value;
        form.requestSubmit();
    })(%1))")
        .arg(QString::fromUtf8(QJsonDocument(fields).toJson(QJsonDocument::Compact)));
}

// What the site's pages are filled in with: values with +, %, & and a line break among them.
QJsonArray loginValues() {
    return {QJsonArray{"user", QString::fromUtf8(RoadSite::kUser)},
            QJsonArray{"pass", QString::fromUtf8(RoadSite::kPassword)}};
}
QJsonArray inputValues() {
    return {QJsonArray{"name", "山田 太郎+&%"}, QJsonArray{"kind", "o"},
            QJsonArray{"comment", "一行目\n二行目 a+b=c&d"}};
}

// The browser walks the road from the login page to the completion page.
bool walkRoad(const RoadSite& site) {
    QWebEngineProfile profile;  // off the record: no cookie outlives the walk
    QWebEnginePage browser(&profile);
    QSignalSpy loaded(&browser, &QWebEnginePage::loadFinished);
    const auto loadsTo = [&](qsizetype count) {
        return QTest::qWaitFor([&] { return loaded.size() >= count; }, 30000) &&
               loaded.last().first().toBool();
    };
    browser.load(QUrl(QString::fromStdString(site.url(RoadSite::kLoginPage))));
    if (!loadsTo(1)) return false;
    browser.runJavaScript(fillAndSubmit(loginValues()), QWebEngineScript::ApplicationWorld);
    if (!loadsTo(2)) return false;
    browser.runJavaScript(fillAndSubmit(inputValues()), QWebEngineScript::ApplicationWorld);
    if (!loadsTo(3)) return false;
    browser.runJavaScript(fillAndSubmit({}), QWebEngineScript::ApplicationWorld);
    return loadsTo(4) && !site.completed().empty() && site.refusals().empty();
}

// Walks the site's road and writes its HAR file into dir; the file's path, empty on failure.
std::string writeHar(const Site& site, const std::string& dir) {
    RoadSite road(site.charset);
    if (!walkRoad(road)) return {};
    const std::string path = dir + "/" + site.file;
    std::ofstream(path, std::ios::binary) << harOf(road, site.browser);
    return path;
}

std::string fileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The road's definition with the site's address made the same for every run.
std::string definitionOf(const std::string& path) {
    const std::string text = fileText(path);
    const HarRoad road = findRoad(readHar(text), CodePage::program());
    std::vector<std::size_t> all(road.steps.size());
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
    std::string definition = roadDefinition(road, all);
    const std::string host = "http://127.0.0.1:";
    for (std::size_t at = definition.find(host); at != std::string::npos;
         at = definition.find(host, at)) {
        std::size_t end = at + host.size();
        while (end < definition.size() && std::isdigit(static_cast<unsigned char>(definition[end])))
            ++end;
        definition.replace(at, end - at, "http://site");
    }
    return definition;
}

}  // namespace

class HarFixtureTest : public QObject {
    Q_OBJECT

  private slots:
    void roadAsInTheSourceTree_data() {
        QTest::addColumn<int>("row");
        for (int i = 0; i < static_cast<int>(std::size(kSites)); ++i)
            QTest::newRow(kSites[i].file) << i;
    }

    void roadAsInTheSourceTree() {
        QFETCH(int, row);
        const Site& site = kSites[row];
        QTemporaryDir dir;
        const std::string fresh = writeHar(site, dir.path().toStdString());
        QVERIFY(!fresh.empty());
        const std::string kept = std::string(VERRIMO_HAR_DATA) + "/" + site.file;
        const std::string definition = definitionOf(kept);
        QVERIFY(definition.find("Zem-Referer=") != std::string::npos);
        QCOMPARE(bytes(definitionOf(fresh)), bytes(definition));
    }
};

int main(int argc, char** argv) {
    if (argc == 3 && std::string_view(argv[1]) == "--write") {
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        QApplication app(argc, argv);
        for (const Site& site : kSites)
            if (writeHar(site, argv[2]).empty()) return 1;
        return 0;
    }
    return runWindowTest<HarFixtureTest>(argc, argv);
}

#include "har_fixture_test.moc"
