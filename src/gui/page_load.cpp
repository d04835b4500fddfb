#include "page_load.h"

#include "input_hold.h"
#include "load_progress.h"
#include "memo_text.h"
#include "off_thread.h"
#include "page_source.h"
#include "replace_file.h"
#include "road_run.h"
#include "send_request.h"

namespace verrimo {

namespace {

LoadedPage load(const LoadRequest& request, LoadStatus& status) {
    // The windows' code page object is theirs alone: its tables fill as it decodes.
    const CodePage cp(CodePage::program().name());
    std::string downloaded;
    std::string contentType;
    std::string url = request.url.value_or("");
    std::string urlBox = request.urlBox;
    LoadedPage page;
    const auto progress = [&status](std::size_t received) {
        status.received = received;
        return !status.cancelled;
    };
    if (request.send) {
        StepAnswer answer = sendRequest(*request.send, progress, request.fetch);
        maskSentPassword(*request.send, answer);
        downloaded = std::move(answer.body);
        answer.body.clear();
        contentType = answer.contentType;
        // The page is where the answer came from; its address is the next step's referrer.
        url = urlBox = answer.url;
        page.answer = std::move(answer);
        if (page.answer->hops.empty() || page.answer->status == 0) return page;
    } else if (request.url) {
        FetchResult fetched = downloadPage(*request.url, progress, request.fetch);
        contentType = std::move(fetched.contentType);
        downloaded = std::move(fetched.body);
    }
    const bool fetched = request.url || request.send;
    if (fetched) {
        if (request.received) request.received(downloaded, contentType);
        downloaded = pageSourceFromBody(std::move(downloaded));
    }
    status.extracting = true;
    PageReading reading = readPage(
        {fetched ? std::move(downloaded) : std::string(*request.pageSource), contentType, urlBox},
        cp, {.forms = true});
    Extraction& extraction = reading.extraction;

    page.source = indexText(shareText(std::move(extraction.lists.source)), cp);
    page.required = indexText(shareText(std::move(extraction.lists.required)), cp);
    page.images = indexText(shareText(std::move(extraction.lists.images)), cp);
    page.links = indexText(shareText(std::move(extraction.lists.links)), cp);
    page.requiredLines = std::make_shared<const SharedTagLines>(page.required.bytes);
    page.targets = std::move(extraction.targets);
    page.forms = {std::move(reading.forms), std::move(url)};
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
