// Typing into a big definition text in the real main window, offscreen: the time from a key
// press until the text is coloured, the warnings counted and the view painted again, at the end
// and in the middle of the text, with the checking on and off.
//
//   typing_bench [LINES]     a definition of LINES lines (100000 unless given)
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTextBlock>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Unit1.h"
#include "application.h"

using namespace verrimo;

namespace {

// Pages of a definition, one in fifty with a misspelt keyword, until it has `lines` lines.
std::string definitionText(std::size_t lines) {
    std::string text;
    for (std::size_t n = 0, page = 0; n < lines; ++page) {
        const std::string p = std::to_string(page);
        const std::string block[] = {"Zem-Referer=http://www.example.org/p" + p + ".html",
                                     "action=post" + p + ".cgi",
                                     "sid=Zem-GetValue[sid]",
                                     "user=Zem-ID",
                                     page % 50 == 0 ? "pass=Zem-Pas" : "pass=Zem-Pass",
                                     "pref=Zem-Select[tokyo,osaka]",
                                     "-",
                                     "chk-moji=" + p};
        for (const auto& line : block) {
            if (n++ == lines) break;
            text += line + "\r\n";
        }
    }
    return text;
}

struct Figures {
    double median;
    double worst;
};

// Types the keys one by one at the given block's end; each time counts until the event loop
// has nothing left to do and the view has been painted.
Figures typeAt(TForm1& main, int blockNumber, const char* keys) {
    QTextCursor cursor(main.Memo1->document()->findBlockByNumber(blockNumber));
    cursor.movePosition(QTextCursor::EndOfBlock);
    main.Memo1->setTextCursor(cursor);
    std::vector<double> ms;
    for (const char* k = keys; *k; ++k) {
        QElapsedTimer clock;
        clock.start();
        QTest::keyClick(main.Memo1, *k);
        QCoreApplication::processEvents();
        main.Memo1->viewport()->repaint();
        ms.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::size_t lines = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
    QApplication qapp(argc, argv);
    Application app;
    app.Start();
    TForm1& main = *app.forms().Form1;

    QElapsedTimer clock;
    clock.start();
    main.Memo1->SetText(definitionText(lines));
    while (main.Memo1->Filling()) QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    std::printf("%zu lines in the window, coloured: %lld ms; %s\n", lines,
                static_cast<long long>(clock.elapsed()), qPrintable(main.Label_check->text()));

    // Letters, an "=" and a bracket: lines that change their shape as they are typed.
    const char* keys = "xq=Zem-Pas[a]bcdefghijklmnopqrstuvwxyz";
    const int middle = main.Memo1->document()->blockCount() / 2;
    const int last = main.Memo1->document()->blockCount() - 1;
    for (const bool on : {true, false}) {
        if (main.Check1->isChecked() != on) main.Check1->trigger();
        QCoreApplication::processEvents();
        for (const auto& [where, block] : {std::pair{"end", last}, std::pair{"middle", middle}}) {
            const Figures f = typeAt(main, block, keys);
            std::printf("checking %-3s  typing at the %-6s  median %6.2f ms  worst %6.2f ms\n",
                        on ? "on" : "off", where, f.median, f.worst);
        }
    }
    return 0;
}
