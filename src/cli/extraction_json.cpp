#include "extraction_json.h"

#include <exception>
#include <iostream>
#include <thread>
#include <vector>

#include "charset.h"
#include "commands.h"
#include "extract_page.h"
#include "hand_over.h"
#include "json.h"

namespace verrimo {

namespace {

// The source list goes from the scanner to the writer in batches of this many pieces, of which
// a few at most wait.
constexpr std::size_t kBatchPieces = 4096;
constexpr std::size_t kBatchesWaiting = 16;

using Pieces = std::vector<std::string_view>;

// The writer stopped taking the scanner's pieces.
struct WriterStopped {};

// Runs the reading on a thread of its own, so that the source list is written while the page is
// still being cut. The pieces go over as views into the normalised text, which the reading keeps.
PageReading readWritingSource(JsonWriter& json, PageInput page, const CodePage& cp) {
    cli::HandOver<Pieces> handOver(kBatchesWaiting);
    PageReading reading;
    // Set before the first batch is given, so the taker sees it.
    const CodePage* chosen = &cp;
    std::exception_ptr failed;
    std::jthread scanner([&] {
        try {
            Pieces batch;
            const auto give = [&] {
                if (!handOver.give(std::move(batch))) throw WriterStopped();
                batch = Pieces();
                batch.reserve(kBatchPieces);
            };
            ReadingOptions options;
            options.pageCodePage = cli::pageCodePage();
            options.codePageChosen = [&](const CodePage& c) { chosen = &c; };
            options.readPiece = [&](std::string_view piece) {
                batch.push_back(piece);
                if (batch.size() == kBatchPieces) give();
            };
            reading = readPage(std::move(page), cp, options);
            give();
        } catch (const WriterStopped&) {
        } catch (...) {
            failed = std::current_exception();
        }
        handOver.finish();
    });
    try {
        while (const auto batch = handOver.take())
            for (const std::string_view piece : *batch) json.string(piece, *chosen);
    } catch (...) {
        handOver.stop();
        throw;
    }
    scanner.join();
    if (failed) std::rethrow_exception(failed);
    return reading;
}

}  // namespace

void printExtraction(cli::Output& out, PageInput page, const CodePage& programCp) {
    JsonWriter json(out);
    json.beginObject();
    json.key("source");
    json.beginArray();
    const PageReading reading = readWritingSource(json, std::move(page), programCp);
    json.endArray();
    const CodePage& cp = *reading.codePage;
    const Extraction& x = reading.extraction;
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
    warn(reading.warnings, "page", programCp);
}

void warn(const std::vector<ReadingWarning>& warnings, std::string_view what,
          const CodePage& programCp) {
    for (const ReadingWarning& w : warnings) {
        std::cerr << "verrimo-cli: warning: ";
        switch (w.kind) {
            case ReadingWarning::Kind::Cut:
                std::cerr
                    << "the " << what
                    << " has more pieces than the scanner's cycle limit takes; the rest of it "
                       "is left out\n";
                break;
            case ReadingWarning::Kind::OtherCharset:
                std::cerr << "the " << what << " reads as " << w.charset << ", not as "
                          << programCp.name() << ", the code page in use; --codepage "
                          << codePageFor(w.charset) << " (or --codepage auto) reads it\n";
                break;
            case ReadingWarning::Kind::Unreadable:
                std::cerr << "the " << what << " is written in " << w.charset
                          << ", which no code page of this program reads; convert it first, e.g. "
                             "iconv -f "
                          << w.charset << " -t UTF-8\n";
                break;
        }
    }
}

}  // namespace verrimo
