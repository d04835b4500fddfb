#include "extract_page.h"

#include <future>

#include "charset.h"
#include "definition.h"
#include "form_charset.h"
#include "normalise.h"

namespace verrimo {

namespace {

Extraction withTargets(ScanResult lists, std::string_view urlBox, const CodePage& cp) {
    Extraction result;
    result.lists = std::move(lists);
    result.targets = findTargets(urlBox, result.lists.required, result.lists.links, std::string(),
                                 cp.fromUtf8(definition::kKindChooseUtf8), cp);
    return result;
}

}  // namespace

TextCodePage chooseCodePage(std::string_view text, std::string_view charset,
                            const CodePage& codePage, bool pageCodePage) {
    // The code page given is the caller's, and outlives the choice.
    TextCodePage choice{
        std::shared_ptr<const CodePage>(std::shared_ptr<const CodePage>(), &codePage), {}};
    if (readsAlike(text, charset, codePage.name())) return choice;
    std::shared_ptr<const CodePage> own = browserCodePage(charset);
    using Kind = ReadingWarning::Kind;
    if (!own)
        choice.warning = ReadingWarning{Kind::Unreadable, std::string(charset)};
    else if (!pageCodePage)
        choice.warning = ReadingWarning{Kind::OtherCharset, std::string(charset)};
    else
        choice.codePage = std::move(own);
    return choice;
}

PageReading readPage(PageInput page, const CodePage& codePage, const ReadingOptions& options) {
    PageReading r;
    const auto choose = [&] {
        TextCodePage choice = chooseCodePage(page.bytes, r.charset, codePage, options.pageCodePage);
        r.codePage = std::move(choice.codePage);
        if (choice.warning) r.warnings.push_back(std::move(*choice.warning));
    };
    // Read in the code page given, the page's charset is only told, and is found while the page
    // is normalised.
    std::future<std::string> charset;
    if (options.pageCodePage) {
        r.charset = detectCharset(page.bytes, page.contentType);
        choose();
    } else {
        r.codePage = std::shared_ptr<const CodePage>(std::shared_ptr<const CodePage>(), &codePage);
        charset = std::async(std::launch::async,
                             [&] { return detectCharset(page.bytes, page.contentType); });
    }
    const std::string urlBox = r.codePage.get() == &codePage
                                   ? std::string(page.urlBox)
                                   : r.codePage->fromUtf8(codePage.toUtf8(page.urlBox));
    const CodePage& cp = *r.codePage;
    if (options.codePageChosen) options.codePageChosen(cp);

    // The page is let go as soon as the normalised text is made. The text is kept with the
    // reading while the pieces handed out are views into it.
    auto joined = std::make_shared<std::string>(normalise(page.bytes, cp, LineEnds::None));
    if (charset.valid()) {
        r.charset = charset.get();
        choose();
    }
    if (options.forms) {
        // A browser builds the forms from the page in its own charset, whatever code page the
        // program reads it in: a character reference becomes bytes of that charset.
        const auto own = browserCodePage(r.charset);
        r.forms = readForms(page.bytes, own ? *own : cp);
        r.baseHref = baseHref(page.bytes, cp);
    }
    std::string().swap(page.bytes);
    ScanResult lists =
        options.readPiece ? scanJoined(*joined, options.readPiece) : scanJoined(*joined);
    if (lists.cut) r.warnings.push_back({ReadingWarning::Kind::Cut, {}});
    r.extraction = withTargets(std::move(lists), urlBox, cp);
    if (options.readPiece) r.normalised = std::move(joined);
    return r;
}

Extraction extractPage(std::string_view pageSource, std::string_view urlBox, const CodePage& cp) {
    return readPage({std::string(pageSource), {}, urlBox}, cp).extraction;
}

}  // namespace verrimo
