#include "page_load.h"

#include "input_hold.h"
#include "load_progress.h"
#include "memo_text.h"
#include "off_thread.h"
#include "page_source.h"
#include "replace_file.h"

namespace verrimo {

namespace {

LoadedPage load(const LoadRequest& request, LoadStatus& status) {
    // The windows' code page object is theirs alone: its tables fill as it decodes.
    const CodePage cp(CodePage::program().name());
    std::string downloaded;
    std::string contentType;
    if (request.url) {
        const auto progress = [&status](std::size_t received) {
            status.received = received;
            return !status.cancelled;
        };
        FetchResult fetched = downloadPage(*request.url, progress, request.fetch);
        contentType = std::move(fetched.contentType);
        downloaded = pageSourceFromBody(std::move(fetched.body));
    }
    status.extracting = true;
    PageReading reading =
        readPage({request.url ? std::move(downloaded) : std::string(*request.pageSource),
                  contentType, request.urlBox},
                 cp, {.forms = true});
    Extraction& extraction = reading.extraction;

    LoadedPage page;
    page.source = indexText(shareText(std::move(extraction.lists.source)), cp);
    page.required = indexText(shareText(std::move(extraction.lists.required)), cp);
    page.images = indexText(shareText(std::move(extraction.lists.images)), cp);
    page.links = indexText(shareText(std::move(extraction.lists.links)), cp);
    page.requiredLines = std::make_shared<const SharedTagLines>(page.required.bytes);
    page.targets = std::move(extraction.targets);
    page.forms = std::make_shared<const PageForms>(
        PageForms{std::move(reading.forms), request.url.value_or(""), std::move(reading.baseHref),
                  reading.charset, std::make_shared<const CodePage>(reading.codePage->name())});
    page.charset = std::move(reading.charset);
    page.scratchWritten = replaceFile(request.scratchPath, fileText(*page.source.bytes));
    return page;
}

}  // namespace

LoadedPage runLoad(const LoadRequest& request, QWidget* parent) {
    LoadStatus status;
    LoadProgress progress(parent, status);
    InputHold hold(progress.window());
    LoadedPage page;
    runOffWindowThread([&] { page = load(request, status); }, [&] { status.cancelled = true; });
    return page;
}

}  // namespace verrimo
