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
    page.source = shareText(std::move(extraction.lists.source));
    page.required = shareText(std::move(extraction.lists.required));
    page.images = shareText(std::move(extraction.lists.images));
    page.links = shareText(std::move(extraction.lists.links));
    page.requiredLines = std::make_shared<const SharedTagLines>(page.required);
    page.targets = std::move(extraction.targets);
    page.forms = {std::move(reading.forms), request.url.value_or("")};
    page.charset = std::move(reading.charset);
    page.scratchWritten = replaceFile(request.scratchPath, fileText(*page.source));
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
