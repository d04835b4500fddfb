// One load of a page, by download or from pasted source, run off the window thread: the
// download, the extraction, the line index of the required tags and the scratch copy.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "classify.h"
#include "extract_page.h"
#include "fetch.h"
#include "form_request.h"
#include "indexed_text.h"
#include "memo_text.h"
#include "shared_text.h"
#include "step_answer.h"

namespace verrimo {

// The required-tag list with its lines found once, for the walker's many reads.
struct SharedTagLines {
    explicit SharedTagLines(SharedText list) : text(std::move(list)), lines(splitLines(*text)) {}
    SharedText text;
    VectorTagLines lines;  // views into text
};

struct LoadRequest {
    // Downloaded when given; otherwise the page source is extracted as it stands.
    std::optional<std::string> url;
    SharedText pageSource;
    std::string urlBox;  // the finder's referrer
    std::string scratchPath;
    FetchOptions fetch;
    // Sent instead, when given: a step of the road, whose answer is the page; its password is
    // masked in the answer's addresses.
    std::optional<StepRequest> send;
    // Called on the load's thread with a page downloaded or answered, before it is read.
    std::function<void(std::string_view body, std::string_view contentType)> received;
};

// What a load produced: the four texts with their lines found, in the program's code page.
struct LoadedPage {
    IndexedText source;
    IndexedText required;
    IndexedText images;
    IndexedText links;
    std::shared_ptr<const SharedTagLines> requiredLines;
    FinderResult targets;
    std::string charset;  // what the page is written in
    ReadPage forms;       // its forms, for the requests of the definition
    bool scratchWritten = false;
    // The answer to send, without its body, which is the page; nothing else is filled in when
    // no answer came.
    std::optional<StepAnswer> answer;
};

// Runs the load on a thread of its own while the windows stay painted; input reaches only the
// progress window that appears after half a second above parent.
LoadedPage runLoad(const LoadRequest& request, QWidget* parent);

}  // namespace verrimo
