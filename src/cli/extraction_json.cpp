#include "extraction_json.h"

#include <exception>
#include <iostream>
#include <thread>
#include <vector>

#include "extract_page.h"
#include "hand_over.h"
#include "json.h"
#include "normalise.h"

namespace verrimo {

namespace {

// The source list goes from the scanner to the writer in batches of this many pieces, of which
// a few at most wait.
constexpr std::size_t kBatchPieces = 4096;
constexpr std::size_t kBatchesWaiting = 16;

using Pieces = std::vector<std::string_view>;

// The writer stopped taking the scanner's pieces.
struct WriterStopped {};

// Runs the extraction on a thread of its own, so that the source list is written while the
// page is still being cut. The pieces go over as views into the normalised text, which lives
// here until both threads are done with it.
Extraction extractWritingSource(JsonWriter& json, std::string pageSource, std::string_view urlBox,
                                const CodePage& cp) {
    const std::string joined = normalise(pageSource, cp, LineEnds::None);
    std::string().swap(pageSource);
    cli::HandOver<Pieces> handOver(kBatchesWaiting);
    Extraction x;
    std::exception_ptr failed;
    std::jthread scanner([&] {
        try {
            Pieces batch;
            const auto give = [&] {
                if (!handOver.give(std::move(batch))) throw WriterStopped();
                batch = Pieces();
                batch.reserve(kBatchPieces);
            };
            x = extractNormalised(joined, urlBox, cp, [&](std::string_view piece) {
                batch.push_back(piece);
                if (batch.size() == kBatchPieces) give();
            });
            give();
        } catch (const WriterStopped&) {
        } catch (...) {
            failed = std::current_exception();
        }
        handOver.finish();
    });
    try {
        while (const auto batch = handOver.take())
            for (const std::string_view piece : *batch) json.string(piece, cp);
    } catch (...) {
        handOver.stop();
        throw;
    }
    scanner.join();
    if (failed) std::rethrow_exception(failed);
    return x;
}

}  // namespace

void printExtraction(cli::Output& out, std::string pageSource, std::string_view urlBox,
                     const CodePage& cp) {
    JsonWriter json(out);
    json.beginObject();
    json.key("source");
    json.beginArray();
    const Extraction x = extractWritingSource(json, std::move(pageSource), urlBox, cp);
    json.endArray();
    warnWhenCut(x.lists);
    json.key("required");
    json.lines(x.lists.required, cp);
    json.key("images");
    json.lines(x.lists.images, cp);
    json.key("links");
    json.lines(x.lists.links, cp);
    json.key("referrer");
    json.string(x.targets.referrer, cp);
    json.key("targets");
    json.beginArray();
    for (const auto& t : x.targets.targets) json.string(t, cp);
    json.endArray();
    json.key("target");
    json.string(x.targets.target, cp);
    json.key("kind");
    json.string(x.targets.kind, cp);
    json.endObject();
    out.put('\n');
}

void warnWhenCut(const ScanResult& lists) {
    if (lists.cut)
        std::cerr << "verrimo-cli: warning: the page has more pieces than the scanner's cycle "
                     "limit takes; the rest of it is left out\n";
}

}  // namespace verrimo
