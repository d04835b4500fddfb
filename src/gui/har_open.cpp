#include "har_open.h"

#include <fstream>

#include "file_name.h"
#include "form_charset.h"
#include "input_hold.h"
#include "off_thread.h"

namespace verrimo {

namespace {

UserError unreadable(const HarError& e, const QString& name) {
    const std::string file = "ファイル " + name.toStdString();
    const std::string at = std::to_string(e.offset);
    switch (e.kind) {
        case HarError::Kind::Truncated:
            return UserError(file + " は " + at +
                             " バイト目で途切れています。ブラウザーで保存し直してください");
        case HarError::Kind::InvalidUtf8:
            return UserError(file + " は HAR ファイルではありません（" + at +
                             " バイト目が UTF-8 として正しくありません）");
        case HarError::Kind::NotHar:
            return UserError(file + " は HAR ファイルではありません（log.entries がありません）");
        case HarError::Kind::NotJson:
            break;
    }
    return UserError(file + " は HAR ファイルではありません（" + at +
                     " バイト目が JSON として読めません）");
}

}  // namespace

HarRoad readHarRoad(const std::string& path) {
    const QString name = fileName(path);
    HarRoad road;
    // The windows stay painted while a big file is read, but take no input.
    const InputHold hold(nullptr);
    try {
        runOffWindowThread(
            [&] {
                std::ifstream file(path, std::ios::binary);
                if (!file) throw fileNotOpened(name);
                // The windows' code page object is theirs alone: its tables fill as it decodes.
                const CodePage cp(CodePage::program().name());
                road = findRoad(readHar(file), cp);
            },
            [] {});
    } catch (const HarError& e) {
        throw unreadable(e, name);
    }
    if (road.steps.empty()) {
        std::string text = "ファイル " + name.toStdString() + " にはフォームの送信がありません";
        for (const std::string& note : road.notes) text += "\n" + note;
        throw UserError(text);
    }
    return road;
}

std::shared_ptr<const RoadPage> roadPageOf(const HarPage& page) {
    std::shared_ptr<const CodePage> cp = browserCodePage(page.charset);
    if (!cp) cp = std::make_shared<const CodePage>(page.codePage);
    return std::make_shared<const RoadPage>(
        RoadPage{page.url, page.contentType, page.bytes,
                 std::make_shared<const PageForms>(
                     PageForms{page.forms, page.baseHref, page.charset, std::move(cp), {}})});
}

}  // namespace verrimo
